#include "port_registry.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "clock.h"

namespace x7sim {
namespace {

constexpr const char* kKey = "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr int64_t kRegTimeout = 30'000'000'000;  // a cold wineserver takes seconds

}  // namespace

PortRegistry::PortRegistry(unsigned port, std::string wineprefix, std::string wine)
    : port_(port), wineprefix_(std::move(wineprefix)), wine_(std::move(wine))
{
}

bool PortRegistry::Add(std::string& error)
{
    const std::string n = std::to_string(port_);
    if (!RunReg({"reg", "add", kKey, "/v", "\\Device\\X7Sim" + n, "/t", "REG_SZ", "/d", "COM" + n, "/f"}, error))
        return false;
    added_ = true;
    return true;
}

bool PortRegistry::Remove(std::string& error)
{
    if (!added_) return true;
    added_ = false;
    return RunReg({"reg", "delete", kKey, "/v", "\\Device\\X7Sim" + std::to_string(port_), "/f"}, error);
}

bool PortRegistry::RunReg(const std::vector<std::string>& args, std::string& error)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(wine_.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0) {
        error = std::string("fork: ") + strerror(errno);
        return false;
    }
    if (pid == 0) {
        // Own process group, so that a time-out can end it with its children.
        setpgid(0, 0);
        if (!wineprefix_.empty()) setenv("WINEPREFIX", wineprefix_.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
        // The wineserver this may start must not hold our pty open.
        closefrom(3);
        execv(wine_.c_str(), argv.data());
        _exit(127);
    }

    const int64_t deadline = MonoNs() + kRegTimeout;
    int status = 0;
    for (;;) {
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) {
            error = std::string("waitpid: ") + strerror(errno);
            return false;
        }
        if (MonoNs() > deadline) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            error = wine_ + " " + args[0] + " " + args[1] + " did not finish";
            return false;
        }
        SleepUntil(MonoNs() + 10'000'000);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = wine_ + " " + args[0] + " " + args[1] + " failed (status " + std::to_string(status) + ")";
        return false;
    }
    return true;
}

}  // namespace x7sim
