#include "handset_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "clock.h"

namespace x7sim {
namespace {

constexpr int64_t kMs = 1'000'000;
constexpr int64_t kStopPoll = 20 * kMs;
// Closer than this to a byte's due time, sleep for it rather than poll.
constexpr int64_t kSpinWindow = 2 * kMs;

bool FileExists(const std::string& path)
{
    return !path.empty() && access(path.c_str(), F_OK) == 0;
}

std::unique_ptr<CaptureFile> MakeCapture(const std::string& path)
{
    return path.empty() ? nullptr : std::make_unique<CaptureFile>(path);
}

}  // namespace

HandsetRunner::HandsetRunner(const SimOptions& options, const volatile sig_atomic_t& stop_signal)
    : options_(options),
      stop_signal_(stop_signal),
      start_ns_(MonoNs()),
      byte_ns_(options.baud ? 10'000'000'000LL / options.baud : 0),
      transcript_(start_ns_),
      capture_(MakeCapture(options.capture)),
      registry_(options.port, options.wineprefix, options.wine),
      tx_(byte_ns_),
      device_(options.device, transcript_, capture_.get())
{
}

int HandsetRunner::Run()
{
    std::string error;
    if (!SetUp(error)) {
        fprintf(stderr, "x7sim: %s\n", error.c_str());
        transcript_.Emit(Event("error").Str("what", error));
        Shutdown("error");
        return 3;
    }

    const char* reason = nullptr;
    while (true) {
        int64_t now = MonoNs();
        if ((reason = StopReason(now))) break;
        if (plug_pending_ && now >= start_ns_ + options_.plug_after_ms * kMs) {
            if (!Plug(error)) {
                fprintf(stderr, "x7sim: %s\n", error.c_str());
                transcript_.Emit(Event("error").Str("what", error));
                setup_failed_ = true;
                reason = "error";
                break;
            }
        }
        WriteDue(now);

        // While the host's input queue is full, wait for room rather than
        // for the next due byte, which may be past already.
        int64_t until = now + kStopPoll;
        if (backlog_.empty()) until = std::min(until, tx_.NextDue());
        if (plug_pending_) until = std::min(until, start_ns_ + options_.plug_after_ms * kMs);
        Wait(now, until);
    }
    Shutdown(reason);
    if (setup_failed_) return 3;
    return transcript_.violations() > 0 ? 1 : 0;
}

bool HandsetRunner::SetUp(std::string& error)
{
    // Wake-ups of the pacing need microseconds, not the default 50 us slack.
    prctl(PR_SET_TIMERSLACK, 1000UL);
    if (!transcript_.Open(options_.transcript, error)) return false;
    // Left over from an earlier run in the same folder, they would make this
    // one look ready, or stop it at once.
    if (!options_.ready.empty()) unlink(options_.ready.c_str());
    if (!options_.stop.empty()) unlink(options_.stop.c_str());
    if (capture_) {
        // A run that flashes nothing leaves an empty capture, not an old one.
        capture_->BeginImage(0);
        capture_->EndImage();
    }
    Event start("start");
    start.Num("port", options_.port).Num("baud", options_.baud).Num("block", options_.device.block);
    start.Byte("national", options_.device.national);
    // The wall-clock time of t = 0, so that a test can set our records
    // against what it saw itself.
    start.Num("epoch_ms", RealtimeMs() - (MonoNs() - start_ns_) / kMs);
    transcript_.Emit(start);
    if (!link_.Open(error)) return false;
    if (options_.plug_after_ms == 0 && !Plug(error)) return false;
    if (!options_.ready.empty()) {
        int fd = open(options_.ready.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = "cannot create " + options_.ready + ": " + strerror(errno);
            return false;
        }
        const std::string text = link_.slave_path() + "\n";
        ssize_t ignored = write(fd, text.data(), text.size());
        (void)ignored;
        close(fd);
    }
    return true;
}

bool HandsetRunner::Plug(std::string& error)
{
    plug_pending_ = false;
    const std::string path = options_.ports_dir + "/com" + std::to_string(options_.port);
    if (!link_.Plug(path, error)) return false;
    if (options_.register_port && !registry_.Add(error)) return false;
    // Leftovers of an earlier session, already waiting when the host opens the port.
    backlog_.insert(backlog_.end(), options_.stale.begin(), options_.stale.end());
    FlushBacklog();
    transcript_.Emit(Event("plugged").Num("port", options_.port).Str("pty", link_.slave_path()).Str("link", path));
    last_activity_ns_ = MonoNs();
    return true;
}

void HandsetRunner::Unplug(const char* reason)
{
    if (!link_.plugged()) return;
    // A handset started later on the same port owns the link and the
    // registry value now: leave both to it.
    const bool ours = link_.Unplug();
    std::string error;
    if (ours && !registry_.Remove(error)) fprintf(stderr, "x7sim: %s\n", error.c_str());
    transcript_.Emit(Event("unplugged").Str("reason", reason).Bool("link_was_ours", ours));
}

void HandsetRunner::Wait(int64_t now, int64_t until)
{
    const int64_t next_tx = tx_.NextDue();
    if (backlog_.empty() && next_tx <= until && next_tx - now <= kSpinWindow) {
        // A reply is about to be due: nothing else matters for that long
        // (the host must not send before it has the reply).
        SleepUntil(next_tx);
        return;
    }
    if (!link_.open()) {
        SleepUntil(until);
        return;
    }
    pollfd fd{link_.master(), static_cast<short>(backlog_.empty() ? POLLIN : POLLIN | POLLOUT), 0};
    const int64_t wait = std::max<int64_t>(until - now, 0);
    timespec ts{static_cast<time_t>(wait / 1'000'000'000), static_cast<long>(wait % 1'000'000'000)};
    int r = ppoll(&fd, 1, &ts, nullptr);
    now = MonoNs();
    if (r > 0 && (fd.revents & POLLIN)) {
        ReadAndFeed(now);
    } else if (tx_.empty() && backlog_.empty() && link_.plugged()) {
        device_.Silence(now - last_activity_ns_);
    }
}

void HandsetRunner::ReadAndFeed(int64_t now)
{
    uint8_t buffer[65536];
    ssize_t n = read(link_.master(), buffer, sizeof buffer);
    if (n <= 0) {
        // EIO with no holder of the slave cannot happen while we hold it;
        // anything else is transient.
        if (n < 0 && errno != EAGAIN && errno != EINTR) SleepUntil(MonoNs() + kMs);
        return;
    }
    received_ += n;
    last_activity_ns_ = now;
    if (reply_out_ns_ >= 0) host_turnaround_ns_ += now - reply_out_ns_;
    reply_out_ns_ = -1;
    for (ssize_t i = 0; i < n; ++i) {
        // The byte is received once its 10 bits have crossed the line, and
        // bytes follow each other no faster than the line carries them.
        rx_free_ns_ = std::max(now, rx_free_ns_) + byte_ns_;
        device_.Feed(buffer[i], rx_free_ns_, !tx_.empty() || backlog_holds_reply_);
        for (Outgoing& out : device_.TakeOutput()) tx_.Push(std::move(out), rx_free_ns_);
    }
}

bool HandsetRunner::FlushBacklog()
{
    while (!backlog_.empty() && link_.open()) {
        ssize_t n = write(link_.master(), backlog_.data(), backlog_.size());
        if (n > 0) {
            sent_ += n;
            backlog_.erase(backlog_.begin(), backlog_.begin() + n);
            last_activity_ns_ = MonoNs();
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            return false;  // the host's input queue is full: wait until it reads
        } else {
            backlog_.clear();
        }
    }
    if (!link_.open()) backlog_.clear();
    if (backlog_.empty()) backlog_holds_reply_ = false;
    return backlog_.empty();
}

void HandsetRunner::WriteDue(int64_t now)
{
    while (FlushBacklog()) {
        TxQueue::Ready ready = tx_.TakeDue(now);
        backlog_ = std::move(ready.bytes);
        backlog_holds_reply_ = true;
        const bool wrote = !backlog_.empty();
        const bool all_out = FlushBacklog();
        if (wrote && all_out && tx_.empty()) reply_out_ns_ = last_activity_ns_;
        for (const Event& e : tx_.TakeSentEvents()) transcript_.Emit(e);
        if (ready.hang_up) {
            Unplug("hangup");
            link_.Close();
            tx_.Clear();
            backlog_.clear();
            return;
        }
        if (!wrote) return;
        now = MonoNs();
    }
}

const char* HandsetRunner::StopReason(int64_t now)
{
    if (stop_signal_) return "signal";
    if (now >= start_ns_ + options_.lifetime_s * 1000 * kMs) return "lifetime";
    if (now >= next_stop_check_ns_) {
        next_stop_check_ns_ = now + kStopPoll;
        if (FileExists(options_.stop)) return "stop-file";
    }
    return nullptr;
}

void HandsetRunner::Shutdown(const char* reason)
{
    device_.Close();
    Unplug("stop");
    link_.Close();
    capture_.reset();
    transcript_.Emit(Event("stopped")
                         .Num("violations", transcript_.violations())
                         .Str("reason", reason ? reason : "?")
                         .Num("received", received_)
                         .Num("sent", sent_)
                         .Num("tx_late_max_us", tx_.max_late_ns() / 1000)
                         .Num("host_turnaround_ms", host_turnaround_ns_ / kMs));
}

}  // namespace x7sim
