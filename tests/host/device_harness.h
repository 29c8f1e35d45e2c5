#pragma once
// Drives the boot loader state machine directly: host bytes in, device
// bytes and transcript events out.
#include <cstdint>
#include <string>
#include <vector>

#include "boot_loader.h"

namespace x7sim_test {

using Bytes = std::vector<uint8_t>;

class RecordingSink : public x7sim::EventSink {
public:
    void Emit(const x7sim::Event& event) override { events.push_back(event); }
    std::vector<std::string> Names() const;
    int Count(const std::string& name) const;
    // The JSON text of a field of the last event of that name ("" if none).
    std::string Last(const std::string& name, const std::string& key) const;

    std::vector<x7sim::Event> events;
};

class MemoryImage : public x7sim::ImageSink {
public:
    void BeginImage(uint32_t) override { bytes.clear(), ++begun; }
    void ImageByte(uint8_t b) override { bytes.push_back(b); }
    void EndImage() override { ++ended; }

    Bytes bytes;
    int begun = 0;
    int ended = 0;
};

class DeviceHarness {
public:
    explicit DeviceHarness(x7sim::BootLoaderConfig config = {});

    // Feeds bytes 1 ms apart; returns the device's bytes in answer.
    Bytes Send(const Bytes& host);
    void Quiet(int64_t ms) { device.Silence(ms * 1'000'000); }
    // Everything the device put out so far, hang-ups as "HUP".
    const std::vector<x7sim::Outgoing>& output() const { return output_; }

    RecordingSink sink;
    MemoryImage image;
    x7sim::BootLoader device;

private:
    int64_t t_ns_ = 0;
    std::vector<x7sim::Outgoing> output_;
};

// Host byte sequences of the protocol.
Bytes Handshake(uint8_t command);
Bytes SyncExchanges(int count);
Bytes Le32(uint32_t value);
Bytes Concat(std::initializer_list<Bytes> parts);
// The 9000-byte image of the worked example: 12 34 56 78 at 0..3, 9A at 8999.
Bytes ExampleImage();
// XOR of even offsets, XOR of odd offsets.
Bytes Checksum(const Bytes& image);
// Length, image, checksum: what Send_Data puts on the wire (pauses aside).
Bytes TransferBytes(const Bytes& image);
std::string Hex(const Bytes& bytes);

}  // namespace x7sim_test
