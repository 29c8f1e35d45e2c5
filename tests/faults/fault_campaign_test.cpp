// The fault campaign: the real program under Wine, one update run for each
// step of the protocol and each fault that applies to it. Every run must end
// as its row expects (the box, the log, the button, the process), in
// the time its time-outs allow, with the window still answering where
// messages are processed. Prints the table of all cases.
//   fault_campaign_test PROGRAM (a Unix path under Wine)
// X7_FAULT_CASES=text runs only the cases whose step or kind contain text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fault_cases.h"
#include "program_process.h"
#include "update_run.h"
#include "wall_clock.h"
#include "wine_path.h"

namespace {

std::string g_program; // Windows path of the program under test

struct Row {
    std::string name, faults, expected, seen, reaction, exit, verdict;
};

std::string Joined(const std::vector<std::string>& args)
{
    std::string text;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--fault") continue;
        text += (text.empty() ? "" : " ") + args[i];
    }
    return text;
}

std::string Ms(int64_t ms) { return ms < 0 ? "-" : std::to_string(ms); }

// Every way the run differs from the case, readable; empty when none.
std::string Judge(const faults::Fault_Case& c, const faults::Run_Record& r, const std::string& seen)
{
    std::string problems;
    auto add = [&](const std::string& p) { problems += (problems.empty() ? "" : "; ") + p; };
    if (!r.error.empty()) add("run not made: " + r.error);
    if (seen != c.expected) add("ended " + seen + ", expected " + c.expected);
    if (!r.problems.empty()) add(r.problems);
    if (r.faults == 0) add("the fault never played");
    if (c.reaction.hi >= 0) {
        if (r.reaction_ms < 0)
            add("no reaction seen");
        else if (r.reaction_ms < c.reaction.lo || r.reaction_ms > c.reaction.hi)
            add("reaction " + Ms(r.reaction_ms) + " ms outside " + Ms(c.reaction.lo) + ".." + Ms(c.reaction.hi));
    }
    if (c.next_byte >= 0 && r.next_byte != c.next_byte) {
        char text[80];
        std::snprintf(text, sizeof text, "next byte on the line 0x%02X, expected 0x%02X", r.next_byte & 0xFF,
                      c.next_byte);
        add(r.next_byte < 0 ? std::string("no byte on the line after the fault") : std::string(text));
    }
    if (c.max_exit_ms >= 0 && (r.exit_ms < 0 || r.exit_ms > c.max_exit_ms))
        add("exit took " + Ms(r.exit_ms) + " ms, allowed " + Ms(c.max_exit_ms));
    if (c.finishes >= 0 && r.finishes != c.finishes)
        add(std::to_string(r.finishes) + " finish bytes, expected " + std::to_string(c.finishes));
    if (c.clean && r.violations != 0) add(std::to_string(r.violations) + " protocol violations on the handset's side");
    return problems;
}

void Print_Table(const std::vector<Row>& rows)
{
    std::printf("\n%-46s %-36s %-24s %-24s %-18s %-6s %s\n", "case", "handset", "expected end", "seen end",
                "reaction ms", "exit", "result");
    for (const Row& row : rows)
        std::printf("%-46s %-36s %-24s %-24s %-18s %-6s %s\n", row.name.c_str(), row.faults.c_str(),
                    row.expected.c_str(), row.seen.c_str(), row.reaction.c_str(), row.exit.c_str(),
                    row.verdict.c_str());
    std::fflush(stdout);
}

TEST(FaultCampaign, EveryStepEndsAsDescribed)
{
    const char* only = std::getenv("X7_FAULT_CASES");
    faults::Program_Process program(g_program);
    std::vector<Row> rows;
    const int64_t started = faults::Wall_Ms();
    for (const faults::Fault_Case& c : faults::Campaign_Cases()) {
        const std::string name = c.step + " / " + c.kind;
        if (only && name.find(only) == std::string::npos) continue;
        faults::Run_Plan plan;
        plan.sim_args = c.sim_args;
        plan.search_window_ms = c.search_window_ms;
        plan.exit_after_fault_ms = c.exit_after_fault_ms;
        const faults::Run_Record r = faults::Run_Update(program, plan);
        const std::string seen = faults::Describe(r.seen.end, r.marks);
        const std::string problems = Judge(c, r, seen);
        EXPECT_EQ(problems, "") << name << " [" << Joined(c.sim_args) << "]";

        Row row{name, Joined(c.sim_args), c.expected, seen, Ms(r.reaction_ms), Ms(r.exit_ms),
                problems.empty() ? "ok" : "MISMATCH"};
        if (c.reaction.hi >= 0) row.reaction += " [" + Ms(c.reaction.lo) + ".." + Ms(c.reaction.hi) + "]";
        rows.push_back(row);
        std::printf("%-46s -> %-24s %s (run %lld ms, violations %d)\n", name.c_str(), seen.c_str(),
                    row.verdict.c_str(), static_cast<long long>(r.run_ms), r.violations);
        std::fflush(stdout);
    }
    Print_Table(rows);
    std::printf("%zu cases in %lld s, %d program starts\n", rows.size(),
                static_cast<long long>((faults::Wall_Ms() - started) / 1000), program.Starts());
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: fault_campaign_test PROGRAM\n");
        return 2;
    }
    g_program = argv[1][0] == '/' ? x7test::UnixToWinePath(argv[1]) : argv[1];
    return RUN_ALL_TESTS();
}
