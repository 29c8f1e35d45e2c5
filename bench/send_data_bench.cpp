// Send_Data benchmark (see bench/README.md). Two measurements in one run:
//  1. line efficiency: a 4 MiB image to a handset paced at 921,600 baud,
//     image bytes per second over the line's 92,160 bytes a second;
//  2. overhead: the same transfer to an unpaced handset, Send_Data against a
//     bare loop of Win32 calls that puts the same bytes on the same pty and
//     reads the same acknowledgements, best of several rounds each.
// Exit status: 0 both targets met, 1 a target missed, 2 a transfer failed.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "serial/comport.h"
#include "serial/protocol.h"
#include "sim_handset.h"

namespace {

constexpr uint32_t IMAGE_BYTES = 4u << 20;
constexpr uint32_t BLOCK_BYTES = 4000;
constexpr double LINE_BAUD = 921600;
constexpr double LINE_BYTES_PER_SECOND = LINE_BAUD / 10; // 10 bit times a byte
constexpr double EFFICIENCY_TARGET = 0.97;
constexpr double OVERHEAD_TARGET = 0.9;
constexpr int ROUNDS = 7;


std::string Port_Path(int number) { return "\\\\.\\COM" + std::to_string(number); }

// The exchange of Send_Data with bare calls: time-outs set once, no message
// pump, the checksum worked out beforehand. Seconds taken, or negative on failure.
double Bare_Send(HANDLE port, const std::vector<uint8_t>& image)
{
    const uint32_t length = static_cast<uint32_t>(image.size());
    uint8_t even = 0, odd = 0;
    for (uint32_t i = 0; i < length; ++i) (i % 2 ? odd : even) ^= image[i];
    const uint8_t checksum[2] = {even, odd};
    const uint8_t field[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                              static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};

    const double start = Seconds();
    COMMTIMEOUTS timeouts = {0, 0, COMPLETE_TIMEOUT_MS, 0, 0};
    if (!SetCommTimeouts(port, &timeouts)) return -1;
    DWORD done = 0;
    uint8_t reply = 0;
    if (!WriteFile(port, field, 4, &done, nullptr) || done != 4) return -1;
    Sleep(DATA_PAUSE_MS);
    uint32_t offset = 0;
    for (; offset + BLOCK_BYTES <= length; offset += BLOCK_BYTES) {
        if (!WriteFile(port, image.data() + offset, BLOCK_BYTES, &done, nullptr) || done != BLOCK_BYTES) return -1;
        if (!ReadFile(port, &reply, 1, &done, nullptr) || done != 1 || reply != BLOCK_ACK) return -1;
    }
    const DWORD tail = length - offset;
    if (!WriteFile(port, image.data() + offset, tail, &done, nullptr) || done != tail) return -1;
    if (!WriteFile(port, checksum, 2, &done, nullptr) || done != 2) return -1;
    if (!ReadFile(port, &reply, 1, &done, nullptr) || done != 1 || reply != COMPLETE_REPLY) return -1;
    return Seconds() - start;
}

// Seconds that Send_Data took for the image, or a negative value on failure.
double Timed_Send_Data(CComport& port, const std::vector<uint8_t>& image)
{
    const double start = Seconds();
    if (!port.Send_Data(static_cast<uint32_t>(image.size()), image.data(), BLOCK_BYTES, 1)) return -1;
    return Seconds() - start;
}

double Efficiency(size_t bytes, double seconds) { return bytes / seconds / LINE_BYTES_PER_SECOND; }

// Send_Data to a paced handset; the bare loop on the same line shows what
// Wine and the pty leave of the line on this machine.
bool Paced_Efficiency(const std::vector<uint8_t>& image, double& efficiency)
{
    SimHandset sim({"--port", "5", "--baud", "921600"});
    CComport port;
    if (!sim.Started() || !port.Open_Port(Port_Path(5))) return false;
    std::printf("paced at %.0f baud, %u bytes:\n", LINE_BAUD, IMAGE_BYTES);
    if (!port.Erase_Flash(IMAGE_BYTES)) return false;
    const double seconds = Timed_Send_Data(port, image);
    if (seconds <= 0) return false;
    std::printf("    Send_Data  %.3f s, efficiency %.4f\n", seconds, Efficiency(image.size(), seconds));
    if (!port.Erase_Flash(IMAGE_BYTES)) return false;
    const double bare = Bare_Send(port.Com_Handle, image);
    if (bare <= 0) return false;
    std::printf("    bare loop  %.3f s, efficiency %.4f (reference)\n", bare, Efficiency(image.size(), bare));
    port.Close_Port();
    efficiency = Efficiency(image.size(), seconds);
    return sim.Stop() && sim.Violations() == 0;
}

// Send_Data and the bare loop in turn on one unpaced line; the best round of
// each is the one least disturbed by the rest of the machine.
bool Unpaced_Ratio(const std::vector<uint8_t>& image, double& ratio)
{
    SimHandset sim({"--port", "6"});
    CComport port;
    if (!sim.Started() || !port.Open_Port(Port_Path(6))) return false;
    std::printf("unpaced, %d rounds each:\n", ROUNDS);
    double best_send = 1e9, best_bare = 1e9;
    for (int round = 0; round < ROUNDS; ++round) {
        if (!port.Erase_Flash(IMAGE_BYTES)) return false;
        const double seconds = Timed_Send_Data(port, image);
        if (!port.Erase_Flash(IMAGE_BYTES)) return false;
        const double bare = Bare_Send(port.Com_Handle, image);
        if (seconds <= 0 || bare <= 0) return false;
        std::printf("    Send_Data  %.3f s    bare loop  %.3f s\n", seconds, bare);
        if (seconds < best_send) best_send = seconds;
        if (bare < best_bare) best_bare = bare;
    }
    port.Close_Port();
    ratio = best_bare / best_send; // throughput of Send_Data over that of the loop
    std::printf("    best:      Send_Data %.3f s (%.1f MB/s), bare loop %.3f s (%.1f MB/s)\n", best_send,
                image.size() / best_send / 1e6, best_bare, image.size() / best_bare / 1e6);
    return sim.Stop() && sim.Violations() == 0;
}

} // namespace

int main()
{
    const std::vector<uint8_t> image = Make_Test_Image(IMAGE_BYTES);
    double efficiency = 0, ratio = 0;
    if (!Paced_Efficiency(image, efficiency)) {
        std::printf("paced transfer failed\n");
        return 2;
    }
    if (!Unpaced_Ratio(image, ratio)) {
        std::printf("unpaced transfer failed\n");
        return 2;
    }
    const bool efficiency_met = efficiency >= EFFICIENCY_TARGET;
    const bool ratio_met = ratio >= OVERHEAD_TARGET;
    std::printf("line efficiency        %.4f (target >= %.2f): %s\n", efficiency, EFFICIENCY_TARGET,
                efficiency_met ? "met" : "NOT met");
    std::printf("Send_Data / bare loop  %.4f (target >= %.2f): %s\n", ratio, OVERHEAD_TARGET,
                ratio_met ? "met" : "NOT met");
    return efficiency_met && ratio_met ? 0 : 1;
}
