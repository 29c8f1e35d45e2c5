#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Starts the simulated handset (the native program x7sim) from a Windows test
// under Wine, in a run folder of its own, and reads what it recorded.
//
//   SimHandset sim({"--port", "7", "--national", "0xFE"});
//   ASSERT_TRUE(sim.Started()) << sim.Error();
//   ... talk to \\.\COM7 ...
//   ASSERT_TRUE(sim.Stop());
//   EXPECT_EQ(sim.Violations(), 0);
//
// The program is X7_HOST_BIN/sim/x7sim; the ports folder X7_PORTS_DIR (both
// set by the tree's wine-run.sh). The launcher adds --ready, --stop,
// --transcript, --capture and --log in the run folder, and --ports-dir and
// --wineprefix from the environment unless given. The run folder is removed
// by the destructor after a clean run without violations, unless
// X7_KEEP_SIM_RUNS is set.
class SimHandset {
public:
    explicit SimHandset(std::vector<std::string> args, DWORD ready_timeout_ms = 20000);
    ~SimHandset();
    SimHandset(const SimHandset&) = delete;
    SimHandset& operator=(const SimHandset&) = delete;

    bool Started() const { return started_; }
    const std::string& Error() const { return error_; }

    // Asks the simulator to stop and waits for its "stopped" record.
    bool Stop(DWORD timeout_ms = 15000);
    bool Stopped() const { return stopped_; }

    std::vector<std::string> Transcript() const;
    // The transcript lines whose "event" is name.
    std::vector<std::string> Events(const std::string& name) const;
    std::vector<unsigned char> Captured() const;
    // From the "stopped" record; -1 before it is there.
    int Violations() const;
    // What the simulator wrote to stderr.
    std::string Log() const;
    // The pty slave the port stands for (unix path).
    std::string PtyPath() const;
    // The run folder, as a Windows path.
    const std::string& RunDir() const { return run_dir_; }

    // The value of "key" in one transcript line, quotes removed; empty if absent.
    static std::string Field(const std::string& line, const std::string& key);

private:
    std::string File(const char* name) const;  // Windows path in the run folder
    bool Launch(const std::vector<std::string>& args);
    void RequestStop();
    void RemoveRunDir();

    std::string run_dir_;       // Windows path
    std::string run_dir_unix_;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
    bool stopped_ = false;
    std::string error_;
};
