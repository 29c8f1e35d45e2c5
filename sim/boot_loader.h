#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "event.h"
#include "fault.h"
#include "image_checksum.h"

namespace x7sim {

struct BootLoaderConfig {
    uint8_t national = 0x00;
    std::vector<uint8_t> erase_progress{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    int64_t erase_ns = 0;          // whole erase, spread over the progress bytes
    uint32_t filler = 0;           // FILLER_BYTEs before each block ack and the final reply
    uint32_t block = 4000;         // the host's block size
    bool transfer_only = false;    // no commands: image transfers one after another
    bool silent = false;           // no boot loader: never answer
    std::vector<Fault> faults;
};

// Bytes the handset puts on the line, in order.
struct Outgoing {
    std::vector<uint8_t> bytes;
    int64_t delay_ns = 0;          // pause before the first byte
    std::optional<Event> on_sent;  // recorded once the last byte is out
    bool hang_up = false;          // pull the cable instead of sending
};

// Where the image bytes go (the capture file).
class ImageSink {
public:
    virtual void BeginImage(uint32_t length) = 0;
    virtual void ImageByte(uint8_t byte) = 0;
    virtual void EndImage() = 0;

protected:
    ~ImageSink() = default;
};

// The boot loader's side of the protocol: fed the host's bytes one by one,
// it answers through TakeOutput() and records what happens in the sink.
class BootLoader {
public:
    BootLoader(BootLoaderConfig config, EventSink& events, ImageSink* image = nullptr);

    // A byte from the host, received at t_ns; reply_pending: the handset had
    // not finished sending its last reply when the byte arrived.
    void Feed(uint8_t byte, int64_t t_ns, bool reply_pending = false);
    // The line has been quiet (both ways) for silent_ns.
    void Silence(int64_t silent_ns);
    // The handset is stopped or pulled out.
    void Close();

    std::vector<Outgoing> TakeOutput();
    bool dead() const { return state_ == State::Dead; }

private:
    enum class State {
        Idle,
        Challenge,
        Confirm,
        SyncProbe,
        NationalValue,
        EraseLength,
        TransferLength,
        TransferData,
        TransferChecksum,
        Lost,
        Dead,
    };

    void OnIdle(uint8_t byte);
    void OnConfirmed(int64_t t_ns);
    void OnSyncProbe();
    void OnEraseLength(uint32_t length);
    void OnTransferLength(uint32_t length, int64_t t_ns);
    void OnTransferData(uint8_t byte, int64_t t_ns);
    void OnChecksum(uint8_t byte, int64_t t_ns);
    bool CollectField(uint8_t byte, uint32_t& value);
    void Expect(uint8_t byte, uint8_t expected, int64_t t_ns);

    Outgoing* Reply(uint8_t byte, uint32_t fillers = 0, int64_t delay_ns = 0);
    void GoSilent();
    Fault* TakeFault(FaultKind kind, uint32_t index = 0);
    void PlayFault(Fault& fault, int64_t at = -1);
    void Violation(uint8_t byte, const char* what, std::optional<uint8_t> expected = std::nullopt);
    void EndSyncStreak();
    void ToIdle();
    bool MidExchange() const;
    static const char* StateName(State state);

    BootLoaderConfig config_;
    EventSink& events_;
    ImageSink* image_;
    std::vector<Outgoing> out_;

    State state_ = State::Idle;
    uint8_t command_ = 0;
    bool excused_ = false;     // a fault just played: the host may break off
    bool broke_off_ = false;   // a reply was replaced: the exchange is over
    bool gone_ = false;        // hung or pulled out by a fault: dead once this byte is handled
    bool resume_pending_ = false;  // a fault played: record the host's next byte
    uint32_t replies_ = 0;
    uint32_t sync_exchanges_ = 0;
    uint32_t sync_streak_ = 0;
    bool synced_once_ = false;
    int64_t confirm_t_ = 0;

    uint32_t field_ = 0;
    int field_bytes_ = 0;
    std::optional<uint32_t> erased_length_;
    uint32_t length_ = 0;
    uint32_t offset_ = 0;
    int64_t length_t_ = 0;
    std::optional<int64_t> pause_ns_;
    ImageChecksum checksum_;
    uint8_t received_sum_[2] = {0, 0};
    int sum_bytes_ = 0;
};

}  // namespace x7sim
