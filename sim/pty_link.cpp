#include "pty_link.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace x7sim {

PtyLink::~PtyLink()
{
    Unplug();
    Close();
}

bool PtyLink::Open(std::string& error)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + strerror(errno);
        Close();
        return false;
    }
    char name[PATH_MAX];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + strerror(errno);
        Close();
        return false;
    }
    slave_path_ = name;
    // The slave stays open on our side too: without any holder, reads of the
    // master fail with EIO between the host's closing and reopening the port.
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = "cannot open " + slave_path_ + ": " + strerror(errno);
        Close();
        return false;
    }
    // Raw in both directions until the host sets its own line settings: no
    // echo, no CR/LF translation, no flow control characters.
    termios tio{};
    if (tcgetattr(slave_, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetspeed(&tio, B115200);
        tcsetattr(slave_, TCSANOW, &tio);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool PtyLink::Plug(const std::string& link_path, std::string& error)
{
    // Replace whatever is there in one step: a temporary link renamed over it.
    const std::string temp = link_path + ".new." + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(slave_path_.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), link_path.c_str()) != 0) {
        error = "cannot link " + link_path + " to " + slave_path_ + ": " + strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    link_path_ = link_path;
    return true;
}

bool PtyLink::Unplug()
{
    if (link_path_.empty()) return false;
    bool ours = false;
    char target[PATH_MAX];
    ssize_t n = readlink(link_path_.c_str(), target, sizeof target - 1);
    if (n >= 0) {
        target[n] = '\0';
        ours = slave_path_ == target;
        if (ours) unlink(link_path_.c_str());
    }
    link_path_.clear();
    return ours;
}

void PtyLink::Close()
{
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = master_ = -1;
}

}  // namespace x7sim
