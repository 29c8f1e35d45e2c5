// The whole update, end to end: the real program under Wine, driven through
// its window as a person would, against the simulated handset on a COM port.
// One driver runs a table of scenarios; each names the handset of every run,
// what the user does, and how the run must end: the log lines in order, the
// message boxes, the update button, the process, and what reached the handset.
//   e2e_update_test PROGRAM (a Unix path under Wine)
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "expected_log.h"
#include "program_under_test.h"
#include "serialcomm_key.h"
#include "sim_handset.h"
#include "tools/ui_driver/ui_driver.h"
#include "transcript_check.h"
#include "update_scenarios.h"
#include "wine_path.h"

namespace {

using namespace e2e;

std::string g_program; // Windows path of the program under test

constexpr DWORD RUN_TIMEOUT_MS = 90000;
constexpr DWORD START_TIMEOUT_MS = 10000;
constexpr DWORD SETTLE_TIMEOUT_MS = 10000; // from the last box to the end of the run
constexpr DWORD EXIT_TIMEOUT_MS = 10000;
constexpr long FINISH_PAUSE_MIN_MS = 900; // the program pauses 1000 ms before the finish byte

const std::string UPDATE_BUTTON = "更新韌體";
const std::string EXIT_BUTTON = "結束程式";
constexpr size_t SEARCH_LINES = 3; // logged before the search begins

std::string Readable(const std::vector<std::string>& cp950_texts)
{
    std::string all;
    for (const std::string& text : cp950_texts) {
        all += '[';
        all += Utf8(text);
        all += "] ";
    }
    return all;
}

// Where one run's records lie in its handset's transcript.
struct Run_Record {
    int handset = -1;
    size_t from = 0;
};

// What the window showed during one run.
struct Seen {
    std::vector<std::string> boxes; // code page 950
    std::string log;                // the memo when the run ended, or the last time it could be read
    bool log_read = false;
};

class Update : public ::testing::TestWithParam<Scenario> {
protected:
    void TearDown() override
    {
        key_.reset();
        for (auto& handset : handsets_) handset->Stop();
    }

    SimHandset* Current() { return current_ < 0 ? nullptr : handsets_[current_].get(); }

    void Plug(const Update_Run& run)
    {
        if (run.handset == Handset::Same) {
            ASSERT_NE(Current(), nullptr) << "no handset before";
            return;
        }
        if (Current()) {
            ASSERT_TRUE(Current()->Stop()) << Current()->Error();
        }
        current_ = -1;
        if (run.handset == Handset::None) return;
        handsets_.push_back(std::make_unique<SimHandset>(run.sim));
        current_ = static_cast<int>(handsets_.size()) - 1;
        ASSERT_TRUE(Current()->Started()) << Current()->Error();
    }

    void Prepare(Preparation setup)
    {
        switch (setup) {
        case Preparation::None:
            break;
        case Preparation::Delete_Image:
            ASSERT_TRUE(program_->Delete_Image());
            break;
        case Preparation::Spoil_Image:
            ASSERT_TRUE(program_->Spoil_Image());
            break;
        case Preparation::Remove_Key:
            key_ = std::make_unique<Serialcomm_Key_Removal>();
            ASSERT_TRUE(key_->Removed());
            break;
        }
    }

    bool Update_Enabled()
    {
        bool enabled = false;
        return program_->Button_Enabled(Cp950(UPDATE_BUTTON), enabled) && enabled;
    }

    void Take_Log(Seen& seen)
    {
        std::string memo;
        if (program_->Read_Log(memo)) {
            seen.log = memo;
            seen.log_read = true;
        }
    }

    // OKs every box as it comes, the way a user does, until the run is over.
    void Click_Through(const Update_Run& run, Seen& seen)
    {
        ASSERT_TRUE(program_->Click(Cp950(UPDATE_BUTTON)));
        const DWORD start = GetTickCount();
        while (Update_Enabled() && !ui_driver::Message_Box(program_->Pid()) && program_->Running()) {
            ASSERT_LT(GetTickCount() - start, START_TIMEOUT_MS) << "the click started nothing";
            Sleep(10);
        }
        DWORD all_boxes_seen = 0;
        for (;;) {
            if (!program_->Running()) return;
            if (HWND box = ui_driver::Message_Box(program_->Pid())) {
                Take_Log(seen); // the last chance when the process ends after the box
                std::string text;
                EXPECT_TRUE(ui_driver::Read_Message_Box(box, text));
                seen.boxes.push_back(text);
                ASSERT_TRUE(ui_driver::Press_Ok(box));
                ASSERT_TRUE(ui_driver::Wait_Gone(box, EXIT_TIMEOUT_MS)) << "the box stayed";
                continue;
            }
            if (seen.boxes.size() >= run.boxes.size()) {
                if (run.end == End::Enabled && Update_Enabled()) break;
                if (run.end == End::Disabled) {
                    Take_Log(seen);
                    if (Split_Log(seen.log).size() >= run.log.size()) break;
                }
                if (!all_boxes_seen) all_boxes_seen = GetTickCount();
                ASSERT_LT(GetTickCount() - all_boxes_seen, SETTLE_TIMEOUT_MS) << "the run did not end after its boxes";
            }
            ASSERT_LT(GetTickCount() - start, RUN_TIMEOUT_MS) << "the run did not end";
            Sleep(20);
        }
        Take_Log(seen);
    }

    // Starts an update, presses the exit button at the given moment, and
    // watches for boxes until the process has gone.
    void Exit_During(const Update_Run& run, Seen& seen)
    {
        ASSERT_TRUE(program_->Click(Cp950(UPDATE_BUTTON)));
        const DWORD start = GetTickCount();
        auto moment = [&] {
            if (run.user == User::Exit_During_Transfer) return Current() && !Current()->Events("block").empty();
            Take_Log(seen);
            return Split_Log(seen.log).size() >= SEARCH_LINES;
        };
        while (!moment()) {
            ASSERT_LT(GetTickCount() - start, RUN_TIMEOUT_MS) << "the moment to exit never came";
            ASSERT_EQ(ui_driver::Message_Box(program_->Pid()), nullptr) << "a box came first";
            Sleep(20);
        }
        if (run.user == User::Exit_During_Search) Sleep(600); // a few passes of the search
        Take_Log(seen);
        ASSERT_TRUE(program_->Click(Cp950(EXIT_BUTTON)));
        for (const DWORD pressed = GetTickCount(); program_->Running(); Sleep(10)) {
            if (HWND box = ui_driver::Message_Box(program_->Pid())) {
                std::string text;
                ui_driver::Read_Message_Box(box, text);
                seen.boxes.push_back(text);
                ui_driver::Press_Ok(box);
                ui_driver::Wait_Gone(box, EXIT_TIMEOUT_MS);
            }
            ASSERT_LT(GetTickCount() - pressed, EXIT_TIMEOUT_MS) << "the exit button did not end the process";
        }
    }

    void Check_Window(const Update_Run& run, const Seen& seen, std::time_t started)
    {
        std::vector<std::string> boxes;
        for (const std::string& text : run.boxes) boxes.push_back(Cp950(text));
        EXPECT_EQ(seen.boxes, boxes) << "boxes seen, as UTF-8: " << Readable(seen.boxes);
        EXPECT_TRUE(seen.log_read) << "the log was never readable";
        const std::string log_difference = Compare_Log(run.log, seen.log, started, std::time(nullptr) + 1);
        EXPECT_TRUE(log_difference.empty()) << log_difference;

        if (run.end == End::Exited) {
            EXPECT_EQ(program_->Wait_Exit(EXIT_TIMEOUT_MS), 0u) << "the process did not end with status 0";
            return;
        }
        ASSERT_TRUE(program_->Running()) << "the process ended";
        EXPECT_EQ(Update_Enabled(), run.end == End::Enabled) << "the update button";
        EXPECT_EQ(ui_driver::Message_Box(program_->Pid()), nullptr) << "a box too many";
        if (run.end == End::Disabled) {
            // A click on the disabled button starts nothing.
            ASSERT_TRUE(program_->Click(Cp950(UPDATE_BUTTON)));
            Sleep(500);
            std::string memo;
            ASSERT_TRUE(program_->Read_Log(memo));
            EXPECT_EQ(memo, seen.log);
            EXPECT_EQ(ui_driver::Message_Box(program_->Pid()), nullptr);
        }
    }

    void Check_Handset_Side(const Update_Run& run, const std::vector<Run_Record>& records, size_t i);

    std::unique_ptr<Program_Under_Test> program_;
    std::vector<std::unique_ptr<SimHandset>> handsets_;
    int current_ = -1;
    std::unique_ptr<Serialcomm_Key_Removal> key_;
};

void Check_Exchanges(const Update_Run& run, const std::vector<Handset_Event>& events)
{
    const std::string difference = Compare_Exchanges(run.exchanges, events);
    EXPECT_TRUE(difference.empty()) << difference;
    auto has = [&](const char* name) {
        for (const Handset_Event& e : events)
            if (e.name == name) return true;
        return false;
    };
    switch (run.port) {
    case Port::None:
    case Port::Untouched:
        break;
    case Port::Open: // no finish, and the program never broke off an exchange
        EXPECT_FALSE(has("finish"));
        EXPECT_FALSE(has("abandoned"));
        break;
    case Port::Closed: // finish is the last byte, a second after the exchange before it
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events.back().name, "finish");
        EXPECT_GE(events.back().t_ms - events[events.size() - 2].t_ms, FINISH_PAUSE_MIN_MS)
            << "no pause before the finish byte";
        break;
    case Port::Abandoned:
        EXPECT_FALSE(has("finish"));
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().name, "abandoned");
        break;
    }
}

void Check_Flashed(Flashed flashed, const std::vector<unsigned char>& captured, const std::vector<uint8_t>& image)
{
    switch (flashed) {
    case Flashed::Nothing:
        EXPECT_TRUE(captured.empty()) << captured.size() << " image bytes reached the handset";
        break;
    case Flashed::Image:
        EXPECT_EQ(captured.size(), image.size());
        EXPECT_TRUE(std::equal(captured.begin(), captured.end(), image.begin(), image.end()))
            << "the handset did not receive the image byte for byte";
        break;
    case Flashed::Part:
        EXPECT_GT(captured.size(), 0u);
        EXPECT_LT(captured.size(), image.size());
        EXPECT_TRUE(captured.size() <= image.size() && std::equal(captured.begin(), captured.end(), image.begin()))
            << "what arrived is not the image's beginning";
        break;
    }
}

void Update::Check_Handset_Side(const Update_Run& run, const std::vector<Run_Record>& records, size_t i)
{
    if (records[i].handset < 0) return;
    SimHandset& handset = *handsets_[records[i].handset];
    EXPECT_EQ(handset.Violations(), 0) << handset.Log();

    // The run's records end where the next run on the same handset begins.
    const std::vector<std::string> transcript = handset.Transcript();
    size_t to = transcript.size();
    bool first_of_handset = true, last_of_handset = true;
    for (size_t j = 0; j < i; ++j) first_of_handset = first_of_handset && records[j].handset != records[i].handset;
    for (size_t j = i + 1; j < records.size() && last_of_handset; ++j)
        if (records[j].handset == records[i].handset) {
            to = records[j].from;
            last_of_handset = false;
        }
    Check_Exchanges(run, Exchanges({transcript.begin() + records[i].from, transcript.begin() + to}));

    const std::vector<std::string> stopped = handset.Events("stopped");
    if (run.received >= 0 && first_of_handset && last_of_handset && !stopped.empty()) {
        EXPECT_EQ(SimHandset::Field(stopped.back(), "received"), std::to_string(run.received))
            << "bytes that reached the handset";
    }
    if (last_of_handset) Check_Flashed(run.flashed, handset.Captured(), program_->Image());
}

TEST_P(Update, EndsAsDescribed)
{
    const Scenario& scenario = GetParam();
    ASSERT_EQ(Serialcomm_Values(), std::vector<std::string>{}) << "ports listed before the scenario";
    program_ = std::make_unique<Program_Under_Test>(g_program, scenario.name.substr(0, 24));
    ASSERT_EQ(program_->Start(), "");

    std::vector<Run_Record> records;
    for (size_t i = 0; i < scenario.runs.size(); ++i) {
        SCOPED_TRACE("run " + std::to_string(i + 1));
        const Update_Run& run = scenario.runs[i];
        ASSERT_TRUE(program_->Running()) << "the process ended before this run";
        ASSERT_NO_FATAL_FAILURE(Plug(run));
        ASSERT_NO_FATAL_FAILURE(Prepare(run.setup));
        records.push_back({current_, Current() ? Current()->Transcript().size() : 0});
        const std::time_t started = std::time(nullptr);
        Seen seen;
        if (run.user == User::Click)
            ASSERT_NO_FATAL_FAILURE(Click_Through(run, seen));
        else
            ASSERT_NO_FATAL_FAILURE(Exit_During(run, seen));
        Check_Window(run, seen, started);
    }

    key_.reset(); // the port list back before the program ends
    if (program_->Running()) {
        ASSERT_TRUE(program_->Click(Cp950(EXIT_BUTTON)));
        EXPECT_EQ(program_->Wait_Exit(EXIT_TIMEOUT_MS), 0u) << "the exit button";
    }
    for (auto& handset : handsets_) ASSERT_TRUE(handset->Stop()) << handset->Error();

    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE("run " + std::to_string(i + 1) + ", handset side");
        Check_Handset_Side(scenario.runs[i], records, i);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Update, ::testing::ValuesIn(Update_Scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: e2e_update_test PROGRAM\n");
        return 2;
    }
    g_program = argv[1][0] == '/' ? x7test::UnixToWinePath(argv[1]) : argv[1];
    return RUN_ALL_TESTS();
}
