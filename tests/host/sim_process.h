#pragma once
// Runs the x7sim program in a temporary folder (its ports folder too) and
// talks to it through the pty slave that its com link points at.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace x7sim_test {

class SimProcess {
public:
    using Bytes = std::vector<uint8_t>;

    // Starts x7sim with args plus --ports-dir, --ready, --transcript,
    // --capture, --stop and --log in a fresh folder (unless args has them).
    explicit SimProcess(std::vector<std::string> args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool WaitReady(int timeout_ms = 5000);
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // Where the link points, "" when there is none.
    std::string LinkTarget(const std::string& link = "com7") const;
    // The pty the simulator reported when it was ready.
    std::string PtyPath() const;
    bool Exists(const std::string& name) const;

    // Opens PORTS_DIR/<link> as the host would, raw; false if it is not there.
    bool OpenPort(const std::string& link = "com7");
    void ClosePort();
    bool Write(const Bytes& bytes);
    // Up to count bytes within timeout_ms; read_error() tells a failed read.
    Bytes Read(size_t count, int timeout_ms = 1000);
    int read_error() const { return read_error_; }

    // Stops by signal (or by the stop file when signal is 0); the exit
    // status, or -1 if the program did not end within timeout_ms.
    int Stop(int signal = 15, int timeout_ms = 5000);
    // Waits for the program to end on its own.
    int Wait(int timeout_ms);

    std::vector<std::string> Transcript() const;
    std::vector<std::string> Events(const std::string& name) const;
    // Event names in order, space-separated.
    std::string EventNames() const;
    Bytes Captured() const;
    std::string Log() const;
    static std::string Field(const std::string& line, const std::string& key);

private:
    std::string dir_;
    pid_t pid_ = -1;
    int fd_ = -1;
    int read_error_ = 0;
};

}  // namespace x7sim_test
