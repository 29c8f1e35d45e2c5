#include "fault.h"

#include "byte_list.h"
#include "protocol_bytes.h"

namespace x7sim {
namespace {

struct FaultSyntax {
    FaultKind kind;
    std::string_view name;
    enum { None, Index, Byte, OptionalByte, BytesAt, MsAt, CountAt, IndexPlusMs } argument;
};

// A day: longer than any test runs, short enough to keep nanoseconds in range.
constexpr uint64_t kMaxMs = 86'400'000;
constexpr uint64_t kMaxFlood = 100'000'000;

constexpr FaultSyntax kFaults[] = {
    {FaultKind::EraseFail, "erase-fail", FaultSyntax::OptionalByte},
    {FaultKind::BlockNack, "block-nack", FaultSyntax::Index},
    {FaultKind::FinalReply, "final-reply", FaultSyntax::Byte},
    {FaultKind::SilentAfterSync, "silent-after-sync", FaultSyntax::None},
    {FaultKind::HangupAtBlock, "hangup-at-block", FaultSyntax::Index},
    {FaultKind::Garbage, "garbage", FaultSyntax::BytesAt},
    {FaultKind::NoNationalReply, "no-national-reply", FaultSyntax::None},
    {FaultKind::SyncMiss, "sync-miss", FaultSyntax::Index},
    {FaultKind::Late, "late", FaultSyntax::MsAt},
    {FaultKind::Flood, "flood", FaultSyntax::CountAt},
    {FaultKind::Drop, "drop", FaultSyntax::Index},
    {FaultKind::Hangup, "hangup", FaultSyntax::IndexPlusMs},
    {FaultKind::Mute, "mute", FaultSyntax::Index},
};

// "A@B" split at the '@'; false when there is none.
bool SplitAt(std::string_view text, char sep, std::string_view& a, std::string_view& b)
{
    size_t at = text.find(sep);
    if (at == std::string_view::npos) return false;
    a = text.substr(0, at);
    b = text.substr(at + 1);
    return true;
}

}  // namespace

std::string_view FaultName(FaultKind kind)
{
    for (const auto& f : kFaults)
        if (f.kind == kind) return f.name;
    return "?";
}

std::optional<Fault> ParseFault(std::string_view fault_text, std::string& error)
{
    size_t eq = fault_text.find('=');
    std::string_view name = fault_text.substr(0, eq);
    std::optional<std::string_view> arg;
    if (eq != std::string_view::npos) arg = fault_text.substr(eq + 1);

    for (const auto& syntax : kFaults) {
        if (syntax.name != name) continue;
        Fault fault{syntax.kind, 0, {}, false};
        const std::string prefix = "fault " + std::string(name) + ": ";
        switch (syntax.argument) {
        case FaultSyntax::None:
            if (arg) {
                error = prefix + "takes no value";
                return std::nullopt;
            }
            return fault;
        case FaultSyntax::Index: {
            auto n = arg ? ParseNumber(*arg, UINT32_MAX) : std::nullopt;
            if (!n) {
                error = prefix + "needs a number (0-based), e.g. " + std::string(name) + "=2";
                return std::nullopt;
            }
            fault.index = static_cast<uint32_t>(*n);
            return fault;
        }
        case FaultSyntax::Byte:
        case FaultSyntax::OptionalByte: {
            if (!arg && syntax.argument == FaultSyntax::OptionalByte) {
                fault.bytes = {ERASE_ERROR_REPLY};
                return fault;
            }
            auto b = arg ? ParseHexByte(*arg) : std::nullopt;
            if (!b) {
                error = prefix + "needs one hexadecimal byte, e.g. " + std::string(name) + "=0xEE";
                return std::nullopt;
            }
            if (syntax.kind == FaultKind::EraseFail && (*b <= 100 || *b == COMPLETE_REPLY)) {
                error = prefix + "the byte must be above 100 and not 0xA5";
                return std::nullopt;
            }
            fault.bytes = {*b};
            return fault;
        }
        case FaultSyntax::BytesAt: {
            if (!arg) {
                error = prefix + "needs bytes, e.g. garbage=0x55 or garbage=0x12@3";
                return std::nullopt;
            }
            std::string_view bytes_text = *arg;
            size_t at = bytes_text.find('@');
            if (at != std::string_view::npos) {
                auto n = ParseNumber(bytes_text.substr(at + 1), UINT32_MAX);
                if (!n) {
                    error = prefix + "the reply number after @ must be a number";
                    return std::nullopt;
                }
                fault.index = static_cast<uint32_t>(*n);
                bytes_text = bytes_text.substr(0, at);
            }
            auto bytes = ParseHexBytes(bytes_text);
            if (!bytes || bytes->empty()) {
                error = prefix + "needs at least one hexadecimal byte";
                return std::nullopt;
            }
            fault.bytes = *bytes;
            return fault;
        }
        case FaultSyntax::MsAt: {
            std::string_view ms, reply;
            auto delay = arg && SplitAt(*arg, '@', ms, reply) ? ParseNumber(ms, kMaxMs) : std::nullopt;
            auto n = delay ? ParseNumber(reply, UINT32_MAX) : std::nullopt;
            if (!n) {
                error = prefix + "needs MS@REPLY, e.g. late=1500@152";
                return std::nullopt;
            }
            fault.ms = static_cast<int64_t>(*delay);
            fault.index = static_cast<uint32_t>(*n);
            return fault;
        }
        case FaultSyntax::CountAt: {
            std::string_view amount, reply, count_text, gap_text;
            bool ok = arg && SplitAt(*arg, '@', amount, reply);
            std::optional<uint64_t> count, gap = 0;
            if (ok && SplitAt(amount, ':', count_text, gap_text)) {
                count = ParseNumber(count_text, kMaxFlood);
                gap = ParseNumber(gap_text, kMaxMs);
            } else if (ok) {
                count = ParseNumber(amount, kMaxFlood);
            }
            auto n = count && gap ? ParseNumber(reply, UINT32_MAX) : std::nullopt;
            if (!n || *count == 0) {
                error = prefix + "needs COUNT[:GAP_MS]@REPLY with COUNT above 0, e.g. flood=100:20@170";
                return std::nullopt;
            }
            fault.count = static_cast<uint32_t>(*count);
            fault.ms = static_cast<int64_t>(*gap);
            fault.index = static_cast<uint32_t>(*n);
            return fault;
        }
        case FaultSyntax::IndexPlusMs: {
            const std::string_view text = arg.value_or("");
            std::string_view reply = text, ms;
            std::optional<uint64_t> wait = 0;
            if (SplitAt(text, '+', reply, ms)) {
                fault.after = true;
                wait = ParseNumber(ms, kMaxMs);
            }
            auto n = arg && wait ? ParseNumber(reply, UINT32_MAX) : std::nullopt;
            if (!n) {
                error = prefix + "needs REPLY or REPLY+MS, e.g. hangup=153 or hangup=1595+300";
                return std::nullopt;
            }
            fault.ms = static_cast<int64_t>(*wait);
            fault.index = static_cast<uint32_t>(*n);
            return fault;
        }
        }
    }
    error = "unknown fault \"" + std::string(fault_text) + "\"";
    return std::nullopt;
}

}  // namespace x7sim
