#include "transcript.h"

#include <cerrno>
#include <cstring>

#include "clock.h"

namespace x7sim {

Transcript::Transcript(int64_t start_ns) : start_ns_(start_ns) {}

Transcript::~Transcript()
{
    if (file_) fclose(file_);
}

bool Transcript::Open(const std::string& path, std::string& error)
{
    if (path.empty()) return true;
    file_ = fopen(path.c_str(), "we");
    if (!file_) {
        error = "cannot write " + path + ": " + strerror(errno);
        return false;
    }
    return true;
}

void Transcript::Emit(const Event& event)
{
    const std::string line = event.Json((MonoNs() - start_ns_) / 1'000'000);
    if (event.name() == "violation") {
        ++violations_;
        fprintf(stderr, "x7sim: violation: %s\n", line.c_str());
    }
    if (file_) {
        fputs(line.c_str(), file_);
        fputc('\n', file_);
        // Whole lines only: a reader polling the file never sees half a record.
        fflush(file_);
    }
}

}  // namespace x7sim
