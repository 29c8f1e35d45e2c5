// The boot loader's erase and image transfer: progress, blocks, acks and
// the checksum.
#include "boot_loader.h"

#include "protocol_bytes.h"

namespace x7sim {
namespace {

constexpr int64_t kMs = 1'000'000;

}  // namespace

void BootLoader::OnEraseLength(uint32_t length)
{
    events_.Emit(Event("erase").Num("length", length));
    const auto& progress = config_.erase_progress;
    const int64_t step = progress.empty() ? 0 : config_.erase_ns / static_cast<int64_t>(progress.size());

    Fault* fail = TakeFault(FaultKind::EraseFail);
    const size_t count = fail ? progress.size() / 2 : progress.size();
    for (size_t i = 0; i < count; ++i) {
        Reply(progress[i], 0, step);
        if (broke_off_) return;
    }
    if (fail) {
        PlayFault(*fail);
        Reply(fail->bytes[0], 0, step);
        events_.Emit(Event("erase_end").Bool("ok", false));
        state_ = State::Idle;
        return;
    }
    Outgoing* done = Reply(COMPLETE_REPLY, 0, progress.empty() ? config_.erase_ns : 0);
    if (!done) return;
    done->on_sent = Event("erase_end").Bool("ok", true);
    // The image transfer follows at once: its length comes without a command.
    erased_length_ = length;
    state_ = State::TransferLength;
    field_ = 0;
    field_bytes_ = 0;
}

void BootLoader::OnTransferLength(uint32_t length, int64_t t_ns)
{
    if (erased_length_ && *erased_length_ != length) {
        events_.Emit(Event("violation")
                         .Str("what", "image length differs from the erased length")
                         .Str("state", StateName(state_))
                         .Num("erased", *erased_length_)
                         .Num("length", length));
    }
    erased_length_.reset();
    events_.Emit(Event("transfer").Num("length", length).Num("block", config_.block));
    length_ = length;
    offset_ = 0;
    checksum_.Reset();
    sum_bytes_ = 0;
    length_t_ = t_ns;
    pause_ns_.reset();
    if (image_) image_->BeginImage(length);
    state_ = length == 0 ? State::TransferChecksum : State::TransferData;
}

void BootLoader::OnTransferData(uint8_t byte, int64_t t_ns)
{
    excused_ = false;
    if (!pause_ns_) pause_ns_ = t_ns - length_t_;
    const uint32_t block = config_.block;
    const uint32_t full_blocks = length_ / block;

    if (offset_ % block == 0 && offset_ / block < full_blocks) {
        uint32_t index = offset_ / block;
        if (Fault* f = TakeFault(FaultKind::HangupAtBlock, index)) {
            PlayFault(*f, index);
            if (image_) image_->EndImage();
            Outgoing pull;
            pull.hang_up = true;
            out_.push_back(std::move(pull));
            state_ = State::Dead;
            return;
        }
    }

    checksum_.Add(offset_, byte);
    if (image_) image_->ImageByte(byte);
    ++offset_;

    if (offset_ % block == 0) {
        uint32_t index = offset_ / block - 1;
        events_.Emit(Event("block").Num("index", index).Num("offset", int64_t{index} * block));
        if (Fault* f = TakeFault(FaultKind::BlockNack, index)) {
            PlayFault(*f, index);
            if (image_) image_->EndImage();
            broke_off_ = true;
            return;
        }
        Reply(BLOCK_ACK, config_.filler);
    }
    if (offset_ == length_) state_ = State::TransferChecksum;
}

void BootLoader::OnChecksum(uint8_t byte, int64_t t_ns)
{
    excused_ = false;
    if (!pause_ns_) pause_ns_ = t_ns - length_t_;
    received_sum_[sum_bytes_++] = byte;
    if (sum_bytes_ < 2) return;

    const std::vector<uint8_t> received{received_sum_[0], received_sum_[1]};
    const std::vector<uint8_t> computed{checksum_.even(), checksum_.odd()};
    const bool ok = received == computed;
    if (image_) image_->EndImage();
    events_.Emit(Event("image")
                     .Num("length", length_)
                     .Bytes("checksum", received)
                     .Bytes("computed", computed)
                     .Bool("ok", ok)
                     .Num("pause_ms", *pause_ns_ / kMs));
    if (!ok) {
        events_.Emit(Event("violation")
                         .Str("what", "image checksum does not match")
                         .Str("state", StateName(state_))
                         .Bytes("checksum", received)
                         .Bytes("computed", computed));
        Reply(CHECKSUM_ERROR_REPLY, config_.filler);
    } else if (Fault* f = TakeFault(FaultKind::FinalReply)) {
        PlayFault(*f);
        Reply(f->bytes[0], config_.filler);
    } else {
        Reply(COMPLETE_REPLY, config_.filler);
    }
    ToIdle();
}

}  // namespace x7sim
