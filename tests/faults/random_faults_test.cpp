// The randomised run: update after update of the real program against a
// simulated handset that plays seeded random faults (one to three a run, at
// random replies of random steps). Whatever happens, every run must end in
// one of the documented ends, with its log, button and process state, within
// its bound. The seed is printed first; X7_FAULT_SEED=N replays a run,
// X7_FAULT_RUNS=N sets the number of runs.
//   random_faults_test PROGRAM (a Unix path under Wine)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "program_process.h"
#include "random_faults.h"
#include "update_run.h"
#include "wall_clock.h"
#include "wine_path.h"

namespace {

std::string g_program; // Windows path of the program under test

constexpr int DEFAULT_RUNS = 30;
// No new run starts after this; a run itself is bounded by its plan.
constexpr int64_t TIME_BUDGET_MS = 360000;
// Longer than any one-off fault in the sync can delay the search.
constexpr int64_t SEARCH_WINDOW_MS = 9000;
// The longest run: the search, a transfer and a few time-outs in a row.
constexpr int64_t RUN_BOUND_MS = 45000;

uint64_t Seed()
{
    if (const char* text = std::getenv("X7_FAULT_SEED")) return std::strtoull(text, nullptr, 10);
    return static_cast<uint64_t>(faults::Wall_Ms());
}

int Runs()
{
    const char* text = std::getenv("X7_FAULT_RUNS");
    return text ? std::atoi(text) : DEFAULT_RUNS;
}

std::string Joined(const std::vector<std::string>& args)
{
    std::string text;
    for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
    return text;
}

TEST(RandomFaults, EveryRunEndsInADocumentedState)
{
    const uint64_t seed = Seed();
    std::printf("seed %llu (replay with X7_FAULT_SEED=%llu)\n", static_cast<unsigned long long>(seed),
                static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    faults::Random_Faults random(seed);
    faults::Program_Process program(g_program);
    std::map<std::string, int> ends;
    int runs = 0, faults_played = 0;
    long long handset_bytes = 0;
    const int64_t started = faults::Wall_Ms();

    for (; runs < Runs() && faults::Wall_Ms() - started < TIME_BUDGET_MS; ++runs) {
        faults::Run_Plan plan;
        plan.sim_args = random.Next_Run();
        plan.search_window_ms = SEARCH_WINDOW_MS;
        plan.bound_ms = RUN_BOUND_MS;
        const faults::Run_Record r = faults::Run_Update(program, plan);
        const std::string seen = faults::Describe(r.seen.end, r.marks);
        ++ends[faults::End_Name(r.seen.end)];
        faults_played += r.faults;
        handset_bytes += r.handset_bytes;
        std::printf("run %2d: %-70s -> %-28s %6lld ms, %d of the faults played\n", runs + 1,
                    Joined(plan.sim_args).c_str(), seen.c_str(), static_cast<long long>(r.run_ms), r.faults);
        std::fflush(stdout);
        EXPECT_EQ(r.error, "") << "run " << runs + 1;
        EXPECT_EQ(r.problems, "") << "run " << runs + 1 << " [" << Joined(plan.sim_args) << "] ended " << seen;
        if (!r.error.empty()) break;
    }
    std::printf("%d runs, %d faults played, %lld bytes from the handset, %d program starts, %lld s; ends:", runs,
                faults_played, handset_bytes, program.Starts(),
                static_cast<long long>((faults::Wall_Ms() - started) / 1000));
    for (const auto& [end, count] : ends) std::printf(" %s %d", end.c_str(), count);
    std::printf("\nseed %llu\n", static_cast<unsigned long long>(seed));
    EXPECT_GT(faults_played, 0);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: random_faults_test PROGRAM\n");
        return 2;
    }
    g_program = argv[1][0] == '/' ? x7test::UnixToWinePath(argv[1]) : argv[1];
    return RUN_ALL_TESTS();
}
