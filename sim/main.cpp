// x7sim: the simulated X7Q2 handset in its boot loader, on a pseudo-terminal.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "handset_runner.h"
#include "options.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void OnStopSignal(int)
{
    g_stop = 1;
}

void InstallSignals()
{
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Sends stderr to the --log file before anything else, so that a launcher
// that cannot see our exit status still reads why we did not come up.
bool RedirectLog(const std::vector<std::string>& args)
{
    std::string path;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--log" && i + 1 < args.size()) path = args[i + 1];
        if (args[i].rfind("--log=", 0) == 0) path = args[i].substr(6);
    }
    if (path.empty()) return true;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        fprintf(stderr, "x7sim: cannot write %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    dup2(fd, STDERR_FILENO);
    close(fd);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!RedirectLog(args)) return 3;
    x7sim::SimOptions options;
    std::string error;
    if (!x7sim::ParseOptions(args, options, error)) {
        fprintf(stderr, "x7sim: %s\nTry 'x7sim --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        fputs(x7sim::UsageText(), stdout);
        return 0;
    }
    setvbuf(stderr, nullptr, _IOLBF, 0);
    InstallSignals();
    x7sim::HandsetRunner runner(options, g_stop);
    return runner.Run();
}
