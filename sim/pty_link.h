#pragma once
#include <string>

namespace x7sim {

// The handset's end of the cable: the master side of a pseudo-terminal, and
// a link (PORTS_DIR/comN) through which Wine finds the slave side.
class PtyLink {
public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    bool Open(std::string& error);
    // Points link_path at the slave ("plugged in").
    bool Plug(const std::string& link_path, std::string& error);
    // Removes the link if it still points at our slave ("pulled out");
    // false when another handset has taken the port over meanwhile.
    bool Unplug();
    // Closes both sides: whoever holds the slave sees the line hang up.
    void Close();

    int master() const { return master_; }
    bool open() const { return master_ >= 0; }
    bool plugged() const { return !link_path_.empty(); }
    const std::string& slave_path() const { return slave_path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
    std::string link_path_;
};

}  // namespace x7sim
