// Whole-update benchmark (see bench/README.md): the steps of an update run,
// in process, against the simulated handset paced at 115,200 baud: search,
// national code, erase, transfer (blocks of 4000, checksum on), the 1000 ms
// pause and finish. The figure is the efficiency of the transfer: image bytes
// over the seconds Send_Data took, against the line's 11,520 bytes a second.
//   update_bench [--size BYTES] [--port N]     (default 6M = 6,291,456 bytes)
// Exit status: 0 target met, 1 target missed, 2 the update failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "image/image.h"
#include "serial/comport.h"
#include "serial/protocol.h"
#include "sim_handset.h"
#include "vcl/progress_bar.h"

namespace {

constexpr uint64_t DEFAULT_SIZE = 6u << 20;
constexpr uint32_t BLOCK_SIZE = 4000; // as the update procedure sends them
constexpr uint8_t SEND_CHECKSUM = 1;
constexpr DWORD FINISH_PAUSE_MS = 1000;
constexpr double LINE_BAUD = 115200;
constexpr double BYTE_SECONDS = 10 / LINE_BAUD; // start bit, 8 data bits, stop bit
constexpr double LINE_BYTES_PER_SECOND = LINE_BAUD / 10;
constexpr double EFFICIENCY_TARGET = 0.99;

// The least time the transfer can take on this line: every byte the host
// sends, every reply it must wait for, and the pause after the length.
double Line_Floor(uint32_t length)
{
    const uint64_t host_bytes = 4 + uint64_t{length} + 2;
    const uint64_t replies = length / BLOCK_SIZE + 1;
    return DATA_PAUSE_MS / 1000.0 + (host_bytes + replies) * BYTE_SECONDS;
}

int Port_Option(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--port") == 0) return std::atoi(argv[i + 1]);
    return 7;
}

struct Phases {
    double search = 0, national = 0, erase = 0, transfer = 0, finish = 0;
};

// The update procedure's steps with their times; false at the first that fails.
bool Run_Update(CComport& com, const std::vector<uint8_t>& image, uint16_t expected_port, Phases& t)
{
    const uint32_t length = static_cast<uint32_t>(image.size());
    double start = Seconds();
    uint16_t port = 0;
    if (!com.Find_Device_Port(port) || port != expected_port) return false;
    t.search = Seconds() - start;

    start = Seconds();
    uint8_t code = 0xFF;
    if (!com.Get_National_Code(code) || code != 0) return false;
    t.national = Seconds() - start;

    start = Seconds();
    if (!com.Erase_Flash(length)) return false;
    t.erase = Seconds() - start;

    start = Seconds();
    if (!com.Send_Data(length, image.data(), BLOCK_SIZE, SEND_CHECKSUM)) return false;
    t.transfer = Seconds() - start;

    start = Seconds();
    ::Sleep(FINISH_PAUSE_MS);
    const bool finished = com.Send_Finish();
    com.Close_Port();
    t.finish = Seconds() - start;
    return finished;
}

std::string Stopped_Field(const SimHandset& sim, const char* key)
{
    const auto stopped = sim.Events("stopped");
    return stopped.empty() ? "?" : SimHandset::Field(stopped.back(), key);
}

} // namespace

int main(int argc, char** argv)
{
    uint64_t size = 0;
    if (!Size_Option(argc, argv, "--size", DEFAULT_SIZE, IMAGE_BUFFER_SIZE, size)) return 2;
    const int port = Port_Option(argc, argv);
    const std::vector<uint8_t> image = Make_Test_Image(size);
    const uint32_t length = static_cast<uint32_t>(size);

    // The simulator's own time limit must outlast the line time of the image.
    const int lifetime = static_cast<int>(size / LINE_BYTES_PER_SECOND) + 300;
    SimHandset sim({"--port", std::to_string(port), "--register", "--baud", "115200", "--national", "0x00",
                    "--lifetime", std::to_string(lifetime)});
    if (!sim.Started()) {
        std::printf("simulated handset: %s\n", sim.Error().c_str());
        return 2;
    }
    std::printf("whole update, %u bytes, blocks of %u, handset on COM%d paced at %.0f baud, %s\n", length,
                BLOCK_SIZE, port, LINE_BAUD, Machine_Load().c_str());

    TProgressBar bar;
    CComport com;
    com.Set_ProgressBar(&bar);
    Phases t;
    const bool updated = Run_Update(com, image, static_cast<uint16_t>(port), t);
    com.Close_Port();
    const bool stopped = sim.Stop(60000);
    const auto flashed = sim.Events("image");
    const bool accepted = !flashed.empty() && SimHandset::Field(flashed.back(), "ok") == "true";
    if (!updated || !stopped || sim.Violations() != 0 || !accepted || sim.Captured() != image) {
        std::printf("the update failed (updated %d, stopped %d, violations %d, accepted %d)\n%s\n", updated,
                    stopped, sim.Violations(), accepted, sim.Log().c_str());
        return 2;
    }

    const double efficiency = length / t.transfer / LINE_BYTES_PER_SECOND;
    const double floor = Line_Floor(length);
    std::printf("    search %.3f s, national code %.3f s, erase %.3f s, transfer %.3f s, pause and finish %.3f s\n",
                t.search, t.national, t.erase, t.transfer, t.finish);
    std::printf("    line floor of the transfer %.3f s (bytes both ways, the 20 ms pause): at most %.4f\n", floor,
                length / floor / LINE_BYTES_PER_SECOND);
    std::printf("    transfer over its line floor %.4f\n", floor / t.transfer);
    std::printf("    handset: host turnaround %s ms in all, latest device byte %s us late\n",
                Stopped_Field(sim, "host_turnaround_ms").c_str(), Stopped_Field(sim, "tx_late_max_us").c_str());
    const bool met = efficiency >= EFFICIENCY_TARGET;
    std::printf("transfer efficiency  %.4f (target >= %.2f): %s   [%s]\n", efficiency, EFFICIENCY_TARGET,
                met ? "met" : "NOT met", Machine_Load().c_str());
    return met ? 0 : 1;
}
