#include "boot_loader.h"

#include <utility>

#include "protocol_bytes.h"

namespace x7sim {
namespace {

constexpr int64_t kMs = 1'000'000;
// After a violation the handset ignores the line until it has been quiet
// this long, then waits for a command again.
constexpr int64_t kResyncSilence = 100 * kMs;
// A run of sync exchanges is over once the host has been quiet this long.
constexpr int64_t kSyncStreakEnd = 300 * kMs;
// The host never waits this long in the middle of an exchange (its longest
// read time-out is 4000 ms): it has given up.
constexpr int64_t kAbandonSilence = 5000 * kMs;

}  // namespace

BootLoader::BootLoader(BootLoaderConfig config, EventSink& events, ImageSink* image)
    : config_(std::move(config)), events_(events), image_(image)
{
    if (config_.block == 0) config_.block = DEFAULT_BLOCK_SIZE;
    if (config_.silent)
        state_ = State::Dead;
    else
        ToIdle();
}

std::vector<Outgoing> BootLoader::TakeOutput()
{
    return std::exchange(out_, {});
}

void BootLoader::Feed(uint8_t byte, int64_t t_ns, bool reply_pending)
{
    if (state_ == State::Dead) return;
    if (resume_pending_) {
        // How long the host took to go on after a fault: the step's real length.
        events_.Emit(Event("resumed").Byte("byte", byte));
        resume_pending_ = false;
    }
    if (state_ == State::Lost) return;
    broke_off_ = false;
    if (reply_pending && !excused_) {
        Violation(byte, "byte sent before the handset's reply was complete");
        return;
    }

    switch (state_) {
    case State::Idle:
        OnIdle(byte);
        break;
    case State::Challenge:
        Expect(byte, ACK_CHALLENGE, t_ns);
        break;
    case State::Confirm:
        Expect(byte, ACK_CONFIRM, t_ns);
        break;
    case State::SyncProbe:
        Expect(byte, SYNC_PROBE, t_ns);
        break;
    case State::NationalValue:
        excused_ = false;
        events_.Emit(Event("national_write").Byte("code", byte).Num("pause_ms", (t_ns - confirm_t_) / kMs));
        config_.national = byte;
        state_ = State::Idle;
        break;
    case State::EraseLength: {
        uint32_t length = 0;
        if (CollectField(byte, length)) OnEraseLength(length);
        break;
    }
    case State::TransferLength: {
        uint32_t length = 0;
        if (CollectField(byte, length)) OnTransferLength(length, t_ns);
        break;
    }
    case State::TransferData:
        OnTransferData(byte, t_ns);
        break;
    case State::TransferChecksum:
        OnChecksum(byte, t_ns);
        break;
    case State::Lost:
    case State::Dead:
        break;
    }
    if (gone_)
        state_ = State::Dead;
    else if (broke_off_ && state_ != State::Dead)
        ToIdle();
}

void BootLoader::OnIdle(uint8_t byte)
{
    if (byte != SYNC_COMMAND) {
        EndSyncStreak();
        // A handset that answered the sync and then died.
        if (synced_once_) {
            if (Fault* f = TakeFault(FaultKind::SilentAfterSync)) {
                PlayFault(*f);
                state_ = State::Dead;
                return;
            }
        }
    }
    switch (byte) {
    case SYNC_COMMAND:
    case READ_NATIONAL_COMMAND:
    case WRITE_NATIONAL_COMMAND:
    case ERASE_COMMAND:
        excused_ = false;
        command_ = byte;
        state_ = State::Challenge;
        Reply(byte);  // the command's echo
        break;
    case FINISH_COMMAND:
        excused_ = false;
        events_.Emit(Event("finish"));
        break;
    default:
        if (excused_) {
            // The host breaking off after a fault of ours: not its fault.
            excused_ = false;
            state_ = State::Lost;
        } else {
            Violation(byte, "not a command");
        }
        break;
    }
}

void BootLoader::Expect(uint8_t byte, uint8_t expected, int64_t t_ns)
{
    if (byte != expected) {
        if (excused_) {
            // The host gave up the exchange after a fault of ours and starts
            // something new: take the byte as a command.
            ToIdle();
            if (state_ == State::Idle) OnIdle(byte);
        } else {
            Violation(byte, "unexpected byte", expected);
        }
        return;
    }
    excused_ = false;
    switch (state_) {
    case State::Challenge:
        state_ = State::Confirm;
        Reply(ACK_RESPONSE);
        break;
    case State::Confirm:
        OnConfirmed(t_ns);
        break;
    case State::SyncProbe:
        OnSyncProbe();
        break;
    default:
        break;
    }
}

void BootLoader::OnConfirmed(int64_t t_ns)
{
    confirm_t_ = t_ns;
    switch (command_) {
    case SYNC_COMMAND:
        state_ = State::SyncProbe;
        break;
    case READ_NATIONAL_COMMAND:
        state_ = State::Idle;
        if (Fault* f = TakeFault(FaultKind::NoNationalReply)) {
            PlayFault(*f);
        } else if (Reply(config_.national)) {
            events_.Emit(Event("national_read").Byte("code", config_.national));
        }
        break;
    case WRITE_NATIONAL_COMMAND:
        state_ = State::NationalValue;
        break;
    case ERASE_COMMAND:
        state_ = State::EraseLength;
        field_ = 0;
        field_bytes_ = 0;
        break;
    default:
        break;
    }
}

void BootLoader::OnSyncProbe()
{
    uint32_t exchange = sync_exchanges_++;
    state_ = State::Idle;
    if (Fault* f = TakeFault(FaultKind::SyncMiss, exchange)) {
        PlayFault(*f, exchange);
        EndSyncStreak();
        return;
    }
    if (Reply(SYNC_REPLY)) ++sync_streak_;
}

void BootLoader::EndSyncStreak()
{
    if (sync_streak_ == 0) return;
    events_.Emit(Event("sync").Num("count", sync_streak_));
    sync_streak_ = 0;
    synced_once_ = true;
}

bool BootLoader::CollectField(uint8_t byte, uint32_t& value)
{
    excused_ = false;
    field_ |= static_cast<uint32_t>(byte) << (8 * field_bytes_);
    if (++field_bytes_ < 4) return false;
    value = field_;
    field_ = 0;
    field_bytes_ = 0;
    return true;
}

void BootLoader::Silence(int64_t silent_ns)
{
    if (state_ == State::Dead) return;
    if (state_ == State::Lost) {
        if (silent_ns >= kResyncSilence) ToIdle();
        return;
    }
    if (state_ == State::Idle && sync_streak_ > 0 && silent_ns >= kSyncStreakEnd) {
        EndSyncStreak();
        if (Fault* f = TakeFault(FaultKind::SilentAfterSync)) {
            PlayFault(*f);
            state_ = State::Dead;
        }
        return;
    }
    if (MidExchange() && silent_ns >= kAbandonSilence) {
        events_.Emit(Event("abandoned").Str("state", StateName(state_)));
        if (image_ && (state_ == State::TransferData || state_ == State::TransferChecksum)) image_->EndImage();
        ToIdle();
    }
}

void BootLoader::Close()
{
    if (state_ == State::Dead) return;
    EndSyncStreak();
    if (MidExchange()) {
        events_.Emit(Event("abandoned").Str("state", StateName(state_)));
        if (image_ && (state_ == State::TransferData || state_ == State::TransferChecksum)) image_->EndImage();
    }
    state_ = State::Dead;
}

bool BootLoader::MidExchange() const
{
    switch (state_) {
    case State::Idle:
    case State::Lost:
    case State::Dead:
        return false;
    case State::TransferLength:
        return field_bytes_ > 0 || erased_length_.has_value();
    default:
        return true;
    }
}

void BootLoader::ToIdle()
{
    field_ = 0;
    field_bytes_ = 0;
    erased_length_.reset();
    state_ = config_.transfer_only ? State::TransferLength : State::Idle;
}

Outgoing* BootLoader::Reply(uint8_t byte, uint32_t fillers, int64_t delay_ns)
{
    if (state_ == State::Dead || gone_) return nullptr;
    const uint32_t number = replies_++;
    // The handset stops here for good: it hangs, or its cable is pulled.
    if (Fault* f = TakeFault(FaultKind::Mute, number)) {
        PlayFault(*f, number);
        GoSilent();
        return nullptr;
    }
    Fault* hangup = TakeFault(FaultKind::Hangup, number);
    if (hangup && !hangup->after) {
        PlayFault(*hangup, number);
        Outgoing pull;
        pull.delay_ns = delay_ns;
        pull.hang_up = true;
        out_.push_back(std::move(pull));
        GoSilent();
        return nullptr;
    }
    if (Fault* f = TakeFault(FaultKind::Drop, number)) {
        PlayFault(*f, number);
        broke_off_ = true;
        return nullptr;
    }

    Outgoing out;
    out.delay_ns = delay_ns;
    if (Fault* f = TakeFault(FaultKind::Late, number)) {
        PlayFault(*f, number);
        out.delay_ns += f->ms * kMs;
    }
    if (Fault* f = TakeFault(FaultKind::Flood, number)) {
        PlayFault(*f, number);
        if (f->ms == 0) {
            out.bytes.assign(f->count, FILLER_BYTE);
        } else {
            // One filler every gap, the reply a gap after the last one.
            for (uint32_t i = 0; i < f->count; ++i) {
                Outgoing one;
                one.delay_ns = i == 0 ? out.delay_ns : f->ms * kMs;
                one.bytes = {FILLER_BYTE};
                out_.push_back(std::move(one));
            }
            out.delay_ns = f->ms * kMs;
        }
    }
    out.bytes.insert(out.bytes.end(), fillers, FILLER_BYTE);
    Fault* garbage = TakeFault(FaultKind::Garbage, number);
    if (garbage) {
        PlayFault(*garbage, number);
        out.bytes.insert(out.bytes.end(), garbage->bytes.begin(), garbage->bytes.end());
        broke_off_ = true;
    } else {
        out.bytes.push_back(byte);
    }
    out_.push_back(std::move(out));
    const size_t reply_at = out_.size() - 1;
    if (hangup) {
        // The reply goes out; the cable is pulled a while later, and what
        // would be sent after that never is.
        PlayFault(*hangup, number);
        Outgoing pull;
        pull.delay_ns = hangup->ms * kMs;
        pull.hang_up = true;
        out_.push_back(std::move(pull));
    }
    return garbage ? nullptr : &out_[reply_at];
}

void BootLoader::GoSilent()
{
    gone_ = true;
    broke_off_ = true;
}

Fault* BootLoader::TakeFault(FaultKind kind, uint32_t index)
{
    const bool indexed = kind != FaultKind::EraseFail && kind != FaultKind::FinalReply &&
                         kind != FaultKind::SilentAfterSync && kind != FaultKind::NoNationalReply;
    for (Fault& f : config_.faults)
        if (!f.played && f.kind == kind && (!indexed || f.index == index)) return &f;
    return nullptr;
}

void BootLoader::PlayFault(Fault& fault, int64_t at)
{
    fault.played = true;
    excused_ = true;
    resume_pending_ = true;
    Event e("fault");
    e.Str("fault", FaultName(fault.kind));
    if (at >= 0) e.Num("at", at);
    if (!fault.bytes.empty()) e.Bytes("bytes", fault.bytes);
    events_.Emit(e);
}

void BootLoader::Violation(uint8_t byte, const char* what, std::optional<uint8_t> expected)
{
    Event e("violation");
    e.Str("what", what).Str("state", StateName(state_)).Byte("byte", byte);
    if (expected) e.Byte("expected", *expected);
    events_.Emit(e);
    state_ = State::Lost;
}

const char* BootLoader::StateName(State state)
{
    switch (state) {
    case State::Idle: return "idle";
    case State::Challenge: return "challenge";
    case State::Confirm: return "confirm";
    case State::SyncProbe: return "sync_probe";
    case State::NationalValue: return "national_value";
    case State::EraseLength: return "erase_length";
    case State::TransferLength: return "transfer_length";
    case State::TransferData: return "transfer_data";
    case State::TransferChecksum: return "transfer_checksum";
    case State::Lost: return "lost";
    case State::Dead: return "dead";
    }
    return "?";
}

}  // namespace x7sim
