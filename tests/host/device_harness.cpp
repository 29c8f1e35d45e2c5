#include "device_harness.h"

#include <cstdio>

#include "protocol_bytes.h"

namespace x7sim_test {

std::vector<std::string> RecordingSink::Names() const
{
    std::vector<std::string> names;
    for (const auto& e : events) names.push_back(e.name());
    return names;
}

int RecordingSink::Count(const std::string& name) const
{
    int n = 0;
    for (const auto& e : events) n += e.name() == name;
    return n;
}

std::string RecordingSink::Last(const std::string& name, const std::string& key) const
{
    for (auto it = events.rbegin(); it != events.rend(); ++it)
        if (it->name() == name) return it->Get(key).value_or("");
    return "";
}

DeviceHarness::DeviceHarness(x7sim::BootLoaderConfig config) : device(std::move(config), sink, &image) {}

Bytes DeviceHarness::Send(const Bytes& host)
{
    Bytes reply;
    for (uint8_t b : host) {
        t_ns_ += 1'000'000;
        device.Feed(b, t_ns_);
        for (auto& out : device.TakeOutput()) {
            reply.insert(reply.end(), out.bytes.begin(), out.bytes.end());
            output_.push_back(std::move(out));
        }
    }
    return reply;
}

Bytes Handshake(uint8_t command)
{
    return {command, x7sim::ACK_CHALLENGE, x7sim::ACK_CONFIRM};
}

Bytes SyncExchanges(int count)
{
    Bytes bytes;
    for (int i = 0; i < count; ++i) bytes.insert(bytes.end(), {0x58, 0xA3, 0xA5, 0x55});
    return bytes;
}

Bytes Le32(uint32_t v)
{
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes ExampleImage()
{
    Bytes image(9000, 0);
    image[0] = 0x12, image[1] = 0x34, image[2] = 0x56, image[3] = 0x78;
    image[8999] = 0x9A;
    return image;
}

Bytes Checksum(const Bytes& image)
{
    Bytes sum{0, 0};
    for (size_t i = 0; i < image.size(); ++i) sum[i & 1] ^= image[i];
    return sum;
}

Bytes TransferBytes(const Bytes& image)
{
    return Concat({Le32(static_cast<uint32_t>(image.size())), image, Checksum(image)});
}

std::string Hex(const Bytes& bytes)
{
    std::string text;
    char buf[4];
    for (uint8_t b : bytes) {
        snprintf(buf, sizeof buf, "%02X ", b);
        text += buf;
    }
    return text;
}

}  // namespace x7sim_test
