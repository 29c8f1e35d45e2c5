#include "sim_handset.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "wine_path.h"

using x7test::EnvVar;
using x7test::UnixToWinePath;

namespace {

const char* const kRunFiles[] = {"ready", "stop", "transcript.jsonl", "capture.bin", "x7sim.log"};

bool HasOption(const std::vector<std::string>& args, const std::string& name)
{
    for (const auto& a : args)
        if (a == name || a.rfind(name + "=", 0) == 0) return true;
    return false;
}

// Quoting of one argument for the Windows command line (the rules that
// CommandLineToArgvW and the C runtime undo).
std::string Quote(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Dirname(const std::string& unix_path)
{
    std::string p = unix_path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    size_t slash = p.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : p.substr(0, slash);
}

std::string NewRunDir()
{
    static unsigned counter = 0;
    std::string base = EnvVar("X7_SIM_RUNS");
    if (base.empty()) {
        const std::string ports = EnvVar("X7_PORTS_DIR");
        base = ports.empty() ? "/tmp/x7sim-runs" : Dirname(ports) + "/sim-runs";
    }
    std::ostringstream name;
    name << base << "/run-" << GetCurrentProcessId() << "-" << ++counter << "-" << GetTickCount();
    return name.str();
}

}  // namespace

SimHandset::SimHandset(std::vector<std::string> args, DWORD ready_timeout_ms)
{
    run_dir_unix_ = NewRunDir();
    run_dir_ = UnixToWinePath(run_dir_unix_);
    CreateDirectoryA(UnixToWinePath(Dirname(run_dir_unix_)).c_str(), nullptr);
    if (!CreateDirectoryA(run_dir_.c_str(), nullptr)) {
        error_ = "cannot create the run folder " + run_dir_;
        return;
    }
    if (!Launch(args)) return;

    // Wine gives no process handle for a unix program (hProcess is null), so
    // a simulator that ends early shows only in its files: a "stopped"
    // record after a failed set-up, the usage hint after bad options.
    const DWORD start = GetTickCount();
    while (!Exists(File("ready"))) {
        const bool gave_up = !Events("stopped").empty() || Log().find("x7sim --help") != std::string::npos;
        if (gave_up || GetTickCount() - start > ready_timeout_ms) {
            error_ = "x7sim did not come up: " + Log();
            return;
        }
        Sleep(10);
    }
    started_ = true;
}

bool SimHandset::Launch(const std::vector<std::string>& user_args)
{
    const std::string host_bin = EnvVar("X7_HOST_BIN");
    if (host_bin.empty()) {
        error_ = "X7_HOST_BIN is not set";
        return false;
    }
    std::vector<std::string> args = user_args;
    auto add = [&](const char* name, const std::string& value) {
        if (!HasOption(user_args, name) && !value.empty()) {
            args.push_back(name);
            args.push_back(value);
        }
    };
    add("--ports-dir", EnvVar("X7_PORTS_DIR"));
    if (HasOption(user_args, "--register")) add("--wineprefix", EnvVar("WINEPREFIX"));
    add("--ready", run_dir_unix_ + "/ready");
    add("--stop", run_dir_unix_ + "/stop");
    add("--transcript", run_dir_unix_ + "/transcript.jsonl");
    add("--capture", run_dir_unix_ + "/capture.bin");
    add("--log", run_dir_unix_ + "/x7sim.log");

    // Wine starts a unix program given by its Z:\ path directly, without
    // its loader. It returns no process handle for it (hProcess is null, so
    // WaitForSingleObject cannot be used) and no exit code: the outcome is
    // read from the files.
    std::string command = Quote(UnixToWinePath(host_bin + "/sim/x7sim"));
    for (const auto& a : args) {
        command += ' ';
        command += Quote(a);
    }
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) {
        error_ = "CreateProcessA failed (" + std::to_string(GetLastError()) + "): " + command;
        process_ = PROCESS_INFORMATION{};
        return false;
    }
    if (process_.hThread) CloseHandle(process_.hThread);
    process_.hThread = nullptr;
    return true;
}

SimHandset::~SimHandset()
{
    if (started_ && !stopped_) Stop();
    // One that never came up may still be starting: it must not linger.
    if (!started_) RequestStop();
    if (process_.hProcess) CloseHandle(process_.hProcess);
    if (stopped_ && Violations() == 0 && EnvVar("X7_KEEP_SIM_RUNS").empty()) RemoveRunDir();
}

bool SimHandset::Stop(DWORD timeout_ms)
{
    if (stopped_) return true;
    RequestStop();

    const DWORD start = GetTickCount();
    while (Events("stopped").empty()) {
        if (GetTickCount() - start > timeout_ms) {
            error_ = "x7sim did not stop: " + Log();
            return false;
        }
        Sleep(20);
    }
    // The record is written last; the process ends right after it. (Should
    // Wine ever return a handle for a unix program, wait for it too.)
    if (process_.hProcess) WaitForSingleObject(process_.hProcess, 5000);
    stopped_ = true;
    return true;
}

void SimHandset::RequestStop()
{
    HANDLE file = CreateFileA(File("stop").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

std::vector<std::string> SimHandset::Transcript() const
{
    std::vector<std::string> lines;
    std::istringstream in(ReadText(File("transcript.jsonl")));
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line.back() == '}') lines.push_back(line);
    return lines;
}

std::vector<std::string> SimHandset::Events(const std::string& name) const
{
    std::vector<std::string> lines;
    for (auto& line : Transcript())
        if (Field(line, "event") == name) lines.push_back(line);
    return lines;
}

std::vector<unsigned char> SimHandset::Captured() const
{
    const std::string text = ReadText(File("capture.bin"));
    return std::vector<unsigned char>(text.begin(), text.end());
}

int SimHandset::Violations() const
{
    auto stopped = Events("stopped");
    if (stopped.empty()) return -1;
    return std::atoi(Field(stopped.back(), "violations").c_str());
}

std::string SimHandset::Log() const
{
    return ReadText(File("x7sim.log"));
}

std::string SimHandset::PtyPath() const
{
    std::string text = ReadText(File("ready"));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string SimHandset::Field(const std::string& line, const std::string& key)
{
    std::string tag = "\"";
    tag += key;
    tag += "\":";
    size_t pos = line.find(tag);
    if (pos == std::string::npos) return "";
    pos += tag.size();
    if (pos < line.size() && line[pos] == '"') {
        std::string value;
        for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
            if (line[pos] == '\\' && pos + 1 < line.size()) ++pos;
            value += line[pos];
        }
        return value;
    }
    size_t end = line.find_first_of(",}", pos);
    return line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
}

std::string SimHandset::File(const char* name) const
{
    return run_dir_ + "\\" + name;
}

void SimHandset::RemoveRunDir()
{
    for (const char* name : kRunFiles) DeleteFileA(File(name).c_str());
    RemoveDirectoryA(run_dir_.c_str());
}
