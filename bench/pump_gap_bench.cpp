// Message pump gap benchmark (see bench/README.md). While Erase_Flash and
// Send_Data run against the simulated handset paced at 115,200 baud, every
// message pump (TApplication::Pump_Hook) is timed; the largest gap between
// two pumps (the phase's start and end count as pumps) is how long the
// window froze. Its bound is the longest single read time-out in force in
// that phase, recorded from the time-outs the reads set. Two handsets: one
// that reports its erase as 0, 10, ..., 100 over 6 s, one that reports 0, 50
// and 100 at 2.7 s intervals, close to the 3 s time-out of each progress byte.
//   pump_gap_bench [--size BYTES]   (image size, default 400K)
// Exit status: 0 every gap within its bound, 1 a gap beyond it, 2 a run failed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "image/image.h"
#include "serial/comport.h"
#include "serial/win_api.h"
#include "sim_handset.h"
#include "vcl/application.h"
#include "vcl/progress_bar.h"

namespace {

constexpr uint64_t DEFAULT_SIZE = 400u << 10;
constexpr uint32_t BLOCK_SIZE = 4000;
constexpr int PORT = 7;

struct Phase_Stats {
    const char* name;
    int pumps = 0;
    double largest_gap = 0;          // seconds
    uint32_t largest_gap_timeout = 0; // ms: the longest read time-out of the reads within that gap
    uint32_t bound = 0;               // ms: the longest read time-out in force in the phase
    double worst_share = 0;           // of all gaps with a read: gap / that read's time-out
};

// The gaps of the phase under way, fed by the pump hook and the platform seam.
struct Gap_Clock {
    Phase_Stats* phase = nullptr;
    double last = 0;            // the last pump, or the phase's start
    uint32_t in_force = 0;      // ms, from the last SetCommTimeouts
    uint32_t gap_timeout = 0;   // ms, the longest of the reads since the last pump

    void Begin(Phase_Stats& stats)
    {
        phase = &stats;
        last = Seconds();
        gap_timeout = 0;
    }
    void Close_Gap(double now)
    {
        if (!phase) return;
        const double gap = now - last;
        if (gap > phase->largest_gap) {
            phase->largest_gap = gap;
            phase->largest_gap_timeout = gap_timeout;
        }
        if (gap_timeout) phase->worst_share = std::max(phase->worst_share, gap * 1000 / gap_timeout);
        last = now;
        gap_timeout = 0;
    }
    void End()
    {
        Close_Gap(Seconds());
        phase = nullptr;
    }
    void Read()
    {
        gap_timeout = std::max(gap_timeout, in_force);
        if (phase) phase->bound = std::max(phase->bound, in_force);
    }
};

Gap_Clock clock_;

void On_Pump()
{
    clock_.Close_Gap(Seconds());
    if (clock_.phase) ++clock_.phase->pumps;
}

// The real platform; notes each read's time-out for the gap clock.
class Timeout_Spy : public WinApi {
public:
    Timeout_Spy() { Set_Win(this); }
    ~Timeout_Spy() override { Set_Win(nullptr); }
    BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) override
    {
        clock_.in_force = timeouts->ReadTotalTimeoutConstant;
        return WinApi::SetCommTimeouts(h, timeouts);
    }
    BOOL ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov) override
    {
        clock_.Read();
        return WinApi::ReadFile(h, buffer, count, read, ov);
    }
};

bool Run_Handset(const char* title, std::vector<std::string> erase_args, const std::vector<uint8_t>& image,
                 Phase_Stats& erase, Phase_Stats& transfer)
{
    std::vector<std::string> args = {"--port", std::to_string(PORT), "--baud", "115200", "--lifetime",
                                     std::to_string(image.size() / 11520 + 300)};
    args.insert(args.end(), erase_args.begin(), erase_args.end());
    SimHandset sim(args);
    TProgressBar bar;
    CComport com;
    com.Set_ProgressBar(&bar);
    if (!sim.Started() || !com.Open_Port(Port_Path(PORT))) {
        std::printf("%s: no handset (%s)\n", title, sim.Error().c_str());
        return false;
    }
    const uint32_t length = static_cast<uint32_t>(image.size());
    Timeout_Spy spy;
    TApplication::Pump_Hook = On_Pump;
    clock_.Begin(erase);
    const bool erased = com.Erase_Flash(length);
    clock_.End();
    clock_.Begin(transfer);
    const bool sent = erased && com.Send_Data(length, image.data(), BLOCK_SIZE, 1);
    clock_.End();
    TApplication::Pump_Hook = nullptr;
    com.Close_Port();
    if (!sent || !sim.Stop() || sim.Violations() != 0) {
        std::printf("%s: the erase or the transfer failed\n%s\n", title, sim.Log().c_str());
        return false;
    }
    std::printf("%s:\n", title);
    for (const Phase_Stats* p : {&erase, &transfer})
        std::printf("    %-8s %5d pumps, largest gap %7.1f ms (a read of %u ms in it), bound %u ms: %.3f of it; "
                    "worst gap against its own read's time-out %.3f\n",
                    p->name, p->pumps, p->largest_gap * 1e3, p->largest_gap_timeout, p->bound,
                    p->largest_gap * 1000 / p->bound, p->worst_share);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    uint64_t size = 0;
    if (!Size_Option(argc, argv, "--size", DEFAULT_SIZE, IMAGE_BUFFER_SIZE, size)) return 2;
    const std::vector<uint8_t> image = Make_Test_Image(size);
    std::printf("message pump gaps, %llu bytes in blocks of %u, paced at 115200 baud, %s\n",
                static_cast<unsigned long long>(size), BLOCK_SIZE, Machine_Load().c_str());

    Phase_Stats steady[2] = {{"erase"}, {"transfer"}}, slow[2] = {{"erase"}, {"transfer"}};
    if (!Run_Handset("erase reported as 0, 10, ..., 100 over 6 s", {"--erase-ms", "6000"}, image, steady[0],
                     steady[1]))
        return 2;
    if (!Run_Handset("erase reported as 0, 50, 100, 2.7 s apart", {"--erase", "0,50,100", "--erase-ms", "8100"},
                     image, slow[0], slow[1]))
        return 2;

    bool met = true;
    for (const Phase_Stats* p : {&steady[0], &steady[1], &slow[0], &slow[1]})
        met = met && p->largest_gap * 1000 <= p->bound;
    std::printf("largest gap within the longest read time-out in force, every phase: %s   [%s]\n",
                met ? "met" : "NOT met", Machine_Load().c_str());
    return met ? 0 : 1;
}
