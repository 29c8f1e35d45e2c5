#include "update_run.h"

#include <algorithm>
#include <cstdlib>

#include "sim_handset.h"
#include "tools/ui_driver/ui_driver.h"
#include "ui_texts.h"
#include "wall_clock.h"

namespace faults {
namespace {

constexpr DWORD POLL_MS = 10;
constexpr DWORD TRANSCRIPT_POLL_MS = 50;
constexpr DWORD EXIT_WAIT_MS = 10000;    // longer than any single read of the program
constexpr DWORD BUTTON_WAIT_MS = 5000;

std::vector<std::string> Events_Of(const std::vector<std::string>& transcript, const std::string& name)
{
    std::vector<std::string> lines;
    for (const std::string& line : transcript)
        if (SimHandset::Field(line, "event") == name) lines.push_back(line);
    return lines;
}

int64_t Number(const std::string& line, const std::string& key)
{
    return std::atoll(SimHandset::Field(line, key).c_str());
}

bool Log_Found_Port(const std::vector<std::string>& log)
{
    const std::string found = ui_text::COM_FOUND;
    return std::any_of(log.begin(), log.end(), [&](const std::string& line) { return line.rfind(found, 0) == 0; });
}

bool Read_Log(HWND form, std::vector<std::string>& log)
{
    std::string memo;
    if (!ui_driver::Read_Memo(form, memo)) return false;
    log = Split_Log(memo);
    return true;
}

// What the handset recorded, set against this process's clock.
void Read_Transcript(const SimHandset& sim, Run_Record& r, int64_t& fault_wall, int64_t& resumed_wall)
{
    const std::vector<std::string> transcript = sim.Transcript();
    const std::vector<std::string> start = Events_Of(transcript, "start");
    const int64_t epoch = start.empty() ? 0 : Number(start.front(), "epoch_ms");
    r.fault_lines = Events_Of(transcript, "fault");
    r.faults = static_cast<int>(r.fault_lines.size());
    if (!r.fault_lines.empty()) fault_wall = epoch + Number(r.fault_lines.front(), "t");
    const std::vector<std::string> resumed = Events_Of(transcript, "resumed");
    if (!resumed.empty()) {
        resumed_wall = epoch + Number(resumed.front(), "t");
        r.next_byte = static_cast<int>(std::strtol(SimHandset::Field(resumed.front(), "byte").c_str(), nullptr, 16));
    }
    r.finishes = static_cast<int>(Events_Of(transcript, "finish").size());
    const std::vector<std::string> stopped = Events_Of(transcript, "stopped");
    if (!stopped.empty()) {
        r.violations = static_cast<int>(Number(stopped.back(), "violations"));
        r.handset_bytes = Number(stopped.back(), "sent");
    }
    // Found on the first pass: one run of exactly 50 sync exchanges.
    const std::vector<std::string> syncs = Events_Of(transcript, "sync");
    r.marks.found_later =
        Log_Found_Port(r.seen.log) && !(syncs.size() == 1 && SimHandset::Field(syncs.front(), "count") == "50");
}

// The first fault's wall-clock time once the handset has recorded it.
int64_t Poll_Fault_Wall(const SimHandset& sim)
{
    const std::vector<std::string> transcript = sim.Transcript();
    const std::vector<std::string> start = Events_Of(transcript, "start");
    const std::vector<std::string> faults = Events_Of(transcript, "fault");
    if (start.empty() || faults.empty()) return -1;
    return Number(start.front(), "epoch_ms") + Number(faults.front(), "t");
}

// Reads the box and the log, presses OK as the user would, and sees what
// the program does next: end (national code boxes) or enable the update
// button again.
void Close_Box(const Program_Process& program, HWND box, HWND update, Seen_End& seen)
{
    ui_driver::Read_Message_Box(box, seen.box);
    seen.end = End_Of_Box(seen.box);
    Read_Log(program.Form(), seen.log);
    ui_driver::Press_Ok(box);
    if (seen.end == End::Code_Empty || seen.end == End::Code_Foreign) {
        seen.exit_status = program.Wait_Exit(EXIT_WAIT_MS);
        seen.process_ended = seen.exit_status != STILL_ACTIVE;
        return;
    }
    for (int64_t since = Wall_Ms(); Wall_Ms() - since < BUTTON_WAIT_MS; Sleep(POLL_MS)) {
        seen.button_enabled = IsWindowEnabled(update) != FALSE;
        if (seen.button_enabled || !program.Running()) break;
    }
    seen.process_ended = !program.Running();
}

// The exit button, pressed while the run goes on: the process must end.
void Press_Exit(const Program_Process& program, HWND exit_button, End end, Seen_End& seen)
{
    PostMessageA(exit_button, BM_CLICK, 0, 0);
    seen.exit_status = program.Wait_Exit(EXIT_WAIT_MS);
    seen.process_ended = seen.exit_status != STILL_ACTIVE;
    seen.end = seen.process_ended ? end : End::Hung;
}

} // namespace

Run_Record Run_Update(Program_Process& program, const Run_Plan& plan)
{
    Run_Record r;
    if (!program.Running()) {
        r.error = program.Start();
        if (!r.error.empty()) return r;
    }
    const HWND form = program.Form();
    const HWND update = ui_driver::Find_Button(form, ui_text::BUTTON_DOWNLOAD_CAPTION);
    const HWND exit_button = ui_driver::Find_Button(form, ui_text::BUTTON_EXIT_SYSTEM_CAPTION);
    if (!update || !exit_button || !IsWindowEnabled(update)) {
        r.error = "the update button is missing or disabled before the run";
        return r;
    }

    std::vector<std::string> args = plan.sim_args;
    args.insert(args.end(), {"--port", std::to_string(HANDSET_PORT), "--register"});
    SimHandset sim(args);
    if (!sim.Started()) {
        r.seen.end = End::No_Simulator;
        r.error = sim.Error();
        return r;
    }

    const int64_t click = Wall_Ms();
    PostMessageA(update, BM_CLICK, 0, 0);
    int64_t end_wall = -1, box_wall = -1, fault_wall = -1, next_transcript_poll = 0;
    bool search_checked = false;
    Seen_End& seen = r.seen;
    auto press_exit = [&](End end) {
        const int64_t pressed = Wall_Ms();
        Press_Exit(program, exit_button, end, seen);
        end_wall = Wall_Ms();
        r.exit_ms = end_wall - pressed;
    };

    for (;;) {
        const int64_t now = Wall_Ms();
        if (!program.Running()) {
            seen.process_ended = true;
            seen.exit_status = program.Wait_Exit(0);
            seen.end = End::Vanished;
            end_wall = now;
            break;
        }
        if (HWND box = ui_driver::Message_Box(program.Pid())) {
            box_wall = now;
            Close_Box(program, box, update, seen);
            end_wall = Wall_Ms();
            break;
        }
        if (plan.exit_after_fault_ms >= 0) {
            if (fault_wall < 0 && now >= next_transcript_poll) {
                next_transcript_poll = now + TRANSCRIPT_POLL_MS;
                fault_wall = Poll_Fault_Wall(sim);
            }
            if (fault_wall >= 0 && now >= fault_wall + plan.exit_after_fault_ms) {
                press_exit(End::Exit_Button);
                break;
            }
        }
        if (!search_checked && now - click >= plan.search_window_ms) {
            search_checked = true;
            // Only the search leaves the log at its three lines: once the
            // port is found a line follows, and a code write clears the log.
            if (Read_Log(form, seen.log) && Is_Search_Log(seen.log)) {
                press_exit(End::Searching);
                break;
            }
        }
        if (now - click >= plan.bound_ms) {
            seen.end = End::Hung;
            end_wall = now;
            break;
        }
        Sleep(POLL_MS);
    }
    r.run_ms = end_wall - click;
    if (seen.end == End::Hung) program.Kill();

    if (!sim.Stop()) r.error = sim.Error();
    int64_t resumed_wall = -1;
    fault_wall = -1;
    Read_Transcript(sim, r, fault_wall, resumed_wall);
    if (fault_wall >= 0 && plan.exit_after_fault_ms < 0) {
        int64_t first = -1;
        for (int64_t t : {resumed_wall, box_wall, seen.end == End::Vanished ? end_wall : -1})
            if (t >= 0 && (first < 0 || t < first)) first = t;
        if (first >= 0) r.reaction_ms = std::max<int64_t>(first - fault_wall, 0);
    }
    const Marks from_log = Marks_Of(seen.log);
    r.marks.national_read_error = from_log.national_read_error;
    r.marks.set_code_ok = from_log.set_code_ok;
    r.marks.set_code_error = from_log.set_code_error;
    r.problems = Check_Documented_End(seen, HANDSET_PORT);
    return r;
}

} // namespace faults
