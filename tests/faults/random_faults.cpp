#include "random_faults.h"

#include <cstdio>

#include "handset_replies.h"

namespace faults {
namespace {

struct Step {
    uint32_t first, last; // the replies of the step
    int64_t timeout_ms;   // the program's wait for each of them
};

// The steps of a run, each as likely as the others however many replies it has.
constexpr Step SYNC{0, READ_ECHO - 1, 100};
constexpr Step READ{READ_ECHO, NATIONAL_CODE, 1000};
constexpr Step ERASE{ERASE_ECHO, ERASE_COMPLETE, 3000};
constexpr Step ACKS{Block_Ack(0), Block_Ack(FULL_BLOCKS - 1), 2000};
constexpr Step FINAL{FINAL_REPLY, FINAL_REPLY, 4000};
constexpr Step WRITE{WRITE_ECHO, WRITE_RESPONSE, 3000}; // only with national code 0xFE

} // namespace

uint32_t Random_Faults::Pick(uint32_t first, uint32_t last)
{
    return std::uniform_int_distribution<uint32_t>(first, last)(random_);
}

bool Random_Faults::Chance(double p)
{
    return std::bernoulli_distribution(p)(random_);
}

std::string Random_Faults::Bytes(uint32_t count)
{
    std::string text;
    for (uint32_t i = 0; i < count; ++i) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "%s0x%02X", i ? "," : "", Pick(0, 255));
        text += byte;
    }
    return text;
}

std::string Random_Faults::Random_Fault(bool code_fe)
{
    const Step steps[] = {SYNC, READ, ERASE, ACKS, FINAL, WRITE};
    const Step& step = steps[Pick(0, code_fe ? 5 : 4)];
    const uint32_t reply = Pick(step.first, step.last);
    std::string at = "@";
    at += std::to_string(reply);
    // A handshake reply waits 3000 ms, whatever the step's other replies wait.
    const bool handshake = (step.first == READ_ECHO || step.first == ERASE_ECHO) && reply < step.first + 2;
    const int64_t timeout = handshake ? 3000 : step.timeout_ms;
    switch (Pick(0, 7)) {
    case 0: return "drop=" + std::to_string(reply);
    case 1: return "garbage=" + Bytes(1) + at;
    case 2: return "garbage=" + Bytes(Pick(2, 5)) + at;
    case 3: return "flood=" + std::to_string(Pick(1, 3000)) + at;
    case 4: {
        std::string fault = "hangup=" + std::to_string(reply);
        if (Chance(0.3)) fault += "+" + std::to_string(Pick(0, 1500)); // after the reply rather than in its place
        return fault;
    }
    case 5: return "mute=" + std::to_string(reply);
    default: // late by up to 1.3 times the time-out: inside it and outside it
        return "late=" + std::to_string(Pick(0, static_cast<uint32_t>(timeout * 13 / 10))) + at;
    }
}

std::vector<std::string> Random_Faults::Next_Run()
{
    const uint32_t code = Pick(0, 19);
    const bool code_fe = code >= 14;
    std::vector<std::string> args = {"--national", code_fe ? "0xFE" : code == 0 ? "0xFF" : "0x00"};
    const uint32_t faults = Chance(0.6) ? 1 : Pick(2, 3);
    for (uint32_t i = 0; i < faults; ++i) args.insert(args.end(), {"--fault", Random_Fault(code_fe)});
    return args;
}

} // namespace faults
