#include "sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace x7sim_test {
namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

SimProcess::SimProcess(std::vector<std::string> args)
{
    char dir[] = "/tmp/x7sim-test-XXXXXX";
    dir_ = mkdtemp(dir) ? dir : "/tmp";
    const std::pair<const char*, std::string> files[] = {
        {"--ports-dir", dir_},           {"--ready", Path("ready")}, {"--transcript", Path("transcript.jsonl")},
        {"--capture", Path("capture.bin")}, {"--stop", Path("stop")},   {"--log", Path("log")}};
    for (const auto& [option, value] : files) {
        if (std::find(args.begin(), args.end(), option) != args.end()) continue;
        args.push_back(option);
        args.push_back(value);
    }
    std::string program = X7SIM_PROGRAM;
    pid_ = fork();
    if (pid_ == 0) {
        std::vector<char*> argv;
        argv.push_back(program.data());
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

SimProcess::~SimProcess()
{
    ClosePort();
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    if (dir_.rfind("/tmp/x7sim-test-", 0) == 0) std::filesystem::remove_all(dir_, ignored);
}

bool SimProcess::Exists(const std::string& name) const
{
    return access(Path(name).c_str(), F_OK) == 0;
}

std::string SimProcess::LinkTarget(const std::string& link) const
{
    char target[256];
    ssize_t n = readlink(Path(link).c_str(), target, sizeof target - 1);
    return n < 0 ? "" : std::string(target, static_cast<size_t>(n));
}

std::string SimProcess::PtyPath() const
{
    std::string text = ReadText(Path("ready"));
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

bool SimProcess::WaitReady(int timeout_ms)
{
    const int64_t end = NowMs() + timeout_ms;
    while (!Exists("ready")) {
        if (NowMs() > end || waitpid(pid_, nullptr, WNOHANG) == pid_) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool SimProcess::OpenPort(const std::string& link)
{
    ClosePort();
    fd_ = open(Path(link).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) return false;
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
    return true;
}

void SimProcess::ClosePort()
{
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool SimProcess::Write(const Bytes& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

SimProcess::Bytes SimProcess::Read(size_t count, int timeout_ms)
{
    Bytes bytes;
    read_error_ = 0;
    const int64_t end = NowMs() + timeout_ms;
    while (bytes.size() < count) {
        const int64_t left = end - NowMs();
        if (left <= 0) break;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        uint8_t buffer[4096];
        ssize_t n = read(fd_, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0) {
            read_error_ = n < 0 ? errno : EIO;
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

int SimProcess::Stop(int signal, int timeout_ms)
{
    if (pid_ <= 0) return -1;
    if (signal)
        kill(pid_, signal);
    else
        std::ofstream(Path("stop")).put('\n');
    return Wait(timeout_ms);
}

int SimProcess::Wait(int timeout_ms)
{
    const int64_t end = NowMs() + timeout_ms;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) != pid_) {
        if (NowMs() > end) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> SimProcess::Transcript() const
{
    std::vector<std::string> lines;
    std::istringstream in(ReadText(Path("transcript.jsonl")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> SimProcess::Events(const std::string& name) const
{
    std::vector<std::string> lines;
    for (auto& line : Transcript())
        if (Field(line, "event") == name) lines.push_back(line);
    return lines;
}

std::string SimProcess::EventNames() const
{
    std::string names;
    for (auto& line : Transcript()) {
        if (!names.empty()) names += ' ';
        names += Field(line, "event");
    }
    return names;
}

SimProcess::Bytes SimProcess::Captured() const
{
    const std::string text = ReadText(Path("capture.bin"));
    return Bytes(text.begin(), text.end());
}

std::string SimProcess::Log() const
{
    return ReadText(Path("log"));
}

std::string SimProcess::Field(const std::string& line, const std::string& key)
{
    std::string tag = "\"";
    tag += key;
    tag += "\":";
    size_t pos = line.find(tag);
    if (pos == std::string::npos) return "";
    pos += tag.size();
    if (pos < line.size() && line[pos] == '"') {
        size_t end = line.find('"', pos + 1);
        return line.substr(pos + 1, end - pos - 1);
    }
    size_t end = line.find_first_of(",}", pos);
    return line.substr(pos, end - pos);
}

}  // namespace x7sim_test
