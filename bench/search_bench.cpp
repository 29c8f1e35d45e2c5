// Device search benchmark (see bench/README.md). Find_Device_Port runs with
// no handset for a while (--idle seconds), then the simulated handset, paced
// at 115,200 baud, appears: its port link and its SERIALCOMM value come at
// --plug-after. Measured in one run:
//  - the CPU time of this process per second of wall time while the search
//    finds nothing (GetProcessTimes at the search's start and at the moment
//    the value appears); it must not spin;
//  - from the appearance to the sync's end (Find_Device_Port returning), in
//    passes and in milliseconds, split into the wait for a pass that lists
//    the port, the open (with its 100 ms settling) and the sync.
// Played twice: with nothing else listed, and with a listed port that opens
// but never answers (every pass then waits out the sync's first read).
//   search_bench [--idle SECONDS]   (default 20)
// Exit status: 0 targets met, 1 a target missed, 2 a search failed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "search_recorder.h"
#include "serial/comport.h"
#include "serial/protocol.h"
#include "sim_handset.h"
#include "vcl/progress_bar.h"

namespace {

constexpr int HANDSET_PORT = 9;
constexpr int SILENT_PORT = 5;
constexpr double CPU_TARGET = 0.05;       // of one core, while nothing answers
constexpr double BYTE_SECONDS = 10 / 115200.0;
constexpr int SYNC_LINE_BYTES = 7;        // X A3 A5 55 out, X 5C AA back, each exchange
constexpr double SETTLE_SECONDS = 0.1;    // Open_Port's pause after the line settings
constexpr int DEFAULT_IDLE_SECONDS = 20;

double Cpu_Seconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// A thread that sleeps on the registry until the handset's SERIALCOMM value
// is there, and notes the moment and the process's CPU time then. It uses no
// CPU of its own while it waits.
class Appearance_Watch {
public:
    explicit Appearance_Watch(int port) : value_("\\Device\\X7Sim" + std::to_string(port))
    {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_NOTIFY | KEY_QUERY_VALUE,
                          &key_) != ERROR_SUCCESS)
            key_ = nullptr;
        changed_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (key_ && changed_) thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~Appearance_Watch()
    {
        if (thread_) {
            quit_ = true;
            SetEvent(changed_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
        if (changed_) CloseHandle(changed_);
        if (key_) RegCloseKey(key_);
    }
    bool Running() const { return thread_ != nullptr; }
    volatile double seen = 0, cpu = 0; // Seconds() and Cpu_Seconds() at the appearance
    volatile bool notified = false;    // seen through a registry notification, not the fallback poll

private:
    static DWORD WINAPI Run(void* self)
    {
        static_cast<Appearance_Watch*>(self)->Watch();
        return 0;
    }
    void Watch()
    {
        for (bool woken = false; !quit_;) {
            // Armed before the look, so that a value added in between still wakes us.
            RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed_, TRUE);
            if (RegQueryValueExA(key_, value_.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
                cpu = Cpu_Seconds();
                seen = Seconds();
                notified = woken;
                return;
            }
            woken = WaitForSingleObject(changed_, 1000) == WAIT_OBJECT_0;
        }
    }

    std::string value_;
    HKEY key_ = nullptr;
    HANDLE changed_ = nullptr;
    HANDLE thread_ = nullptr;
    volatile bool quit_ = false;
};

struct Outcome {
    double cpu_per_second = 0;
    bool found_in_next_pass = false;
};

// One search: with nothing answering for idle_s, then the handset.
bool Search_Once(const char* title, int idle_s, bool with_silent_port, Outcome& out)
{
    std::unique_ptr<SimHandset> silent;
    if (with_silent_port) {
        silent = std::make_unique<SimHandset>(std::vector<std::string>{
            "--port", std::to_string(SILENT_PORT), "--register", "--silent", "--lifetime",
            std::to_string(idle_s + 120)});
        if (!silent->Started()) {
            std::printf("silent port: %s\n", silent->Error().c_str());
            return false;
        }
    }
    SimHandset sim({"--port", std::to_string(HANDSET_PORT), "--register", "--baud", "115200", "--plug-after",
                    std::to_string(idle_s * 1000), "--lifetime", std::to_string(idle_s + 120)});
    if (!sim.Started()) {
        std::printf("handset: %s\n", sim.Error().c_str());
        return false;
    }
    Appearance_Watch watch(HANDSET_PORT);
    if (!watch.Running()) {
        std::printf("cannot watch the port list\n");
        return false;
    }

    TProgressBar bar;
    CComport com;
    com.Set_ProgressBar(&bar);
    SearchRecorder recorder(HANDSET_PORT);
    const double cpu_start = Cpu_Seconds(), start = Seconds();
    uint16_t port = 0;
    const bool found = com.Find_Device_Port(port);
    const double end = Seconds();
    com.Close_Port();
    const bool clean = sim.Stop() && sim.Violations() == 0 && (!silent || silent->Stop());
    if (!found || port != HANDSET_PORT || !clean || watch.seen == 0 || recorder.first_listing_pass == 0 ||
        recorder.watched_first_write == 0) {
        std::printf("%s: the search failed (found %d, port %u, clean %d)\n%s\n", title, found, port, clean,
                    sim.Log().c_str());
        return false;
    }

    const double appeared = watch.seen;
    int passes_after = 0;
    for (double t : recorder.pass_starts) passes_after += t > appeared;
    const double listing_pass = recorder.pass_starts[recorder.first_listing_pass - 1];
    const double sync_s = end - recorder.watched_first_write;
    const double sync_line_s = SYNC_EXCHANGES * SYNC_LINE_BYTES * BYTE_SECONDS;
    out.cpu_per_second = (watch.cpu - cpu_start) / (appeared - start);
    // A value that comes between a pass's opening of the list and its walk
    // is found by a pass begun just before the appearance.
    out.found_in_next_pass = recorder.first_listing_pass == static_cast<int>(recorder.pass_starts.size()) &&
                             passes_after <= 1;

    std::printf("%s:\n", title);
    std::printf("    no handset for %.2f s: %zu passes, CPU %.3f s, %.4f s of CPU a second (%s)\n", appeared - start,
                recorder.pass_starts.size() - passes_after, watch.cpu - cpu_start, out.cpu_per_second,
                Machine_Load().c_str());
    std::printf("    handset appeared (seen by %s): found after %d more pass(es), in pass %d of %zu, %.0f ms to "
                "the end of the sync\n",
                watch.notified ? "registry notification" : "poll", passes_after, recorder.first_listing_pass,
                recorder.pass_starts.size(), (end - appeared) * 1e3);
    std::printf("        wait for a pass to list it %.0f ms, from the pass's start to the port's open %.0f ms, "
                "open to the first byte %.0f ms (%.0f ms of it settling), sync %.0f ms (its line time %.1f ms: "
                "%.2f of the sync)\n",
                (listing_pass - appeared) * 1e3, (recorder.watched_open - listing_pass) * 1e3,
                (recorder.watched_first_write - recorder.watched_open) * 1e3, SETTLE_SECONDS * 1e3, sync_s * 1e3,
                sync_line_s * 1e3, sync_line_s / sync_s);
    return true;
}

int Idle_Option(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--idle") == 0) return std::max(1, std::atoi(argv[i + 1]));
    return DEFAULT_IDLE_SECONDS;
}

} // namespace

int main(int argc, char** argv)
{
    const int idle_s = Idle_Option(argc, argv);
    std::printf("device search, handset on COM%d after %d s, paced at 115200 baud, %s\n", HANDSET_PORT, idle_s,
                Machine_Load().c_str());
    Outcome empty, silent;
    if (!Search_Once("nothing else listed", idle_s, false, empty)) return 2;
    if (!Search_Once("COM5 listed, opens, never answers", idle_s, true, silent)) return 2;

    const double worst_cpu = std::max(empty.cpu_per_second, silent.cpu_per_second);
    const bool cpu_met = worst_cpu <= CPU_TARGET;
    const bool pass_met = empty.found_in_next_pass && silent.found_in_next_pass;
    std::printf("CPU a second while searching, worst  %.4f (target <= %.2f): %s\n", worst_cpu, CPU_TARGET,
                cpu_met ? "met" : "NOT met");
    std::printf("found in the first pass that lists it, begun after it appeared: %s   [%s]\n",
                pass_met ? "met" : "NOT met", Machine_Load().c_str());
    return cpu_met && pass_met ? 0 : 1;
}
