#include "transcript_check.h"

#include <cstdlib>
#include <sstream>

#include "sim_handset.h"

namespace e2e {
namespace {

bool Is_Exchange(const std::string& name)
{
    for (const char* kept : {"sync", "national_read", "national_write", "erase", "erase_end", "transfer", "image",
                             "finish", "fault", "violation", "abandoned"})
        if (name == kept) return true;
    return false;
}

// Empty when the event is the one described.
std::string Mismatch(const std::string& expected, const Handset_Event& event)
{
    std::istringstream words(expected);
    std::string name;
    words >> name;
    if (event.name != name) return "expected " + name;
    for (std::string pair; words >> pair;) {
        const size_t equals = pair.find('=');
        const std::string key = pair.substr(0, equals), value = pair.substr(equals + 1);
        const std::string actual = SimHandset::Field(event.line, key);
        if (actual != value) return "expected " + key + "=" + value + ", got \"" + actual + "\"";
    }
    return "";
}

} // namespace

std::vector<Handset_Event> Exchanges(const std::vector<std::string>& transcript)
{
    std::vector<Handset_Event> events;
    for (const std::string& line : transcript) {
        std::string name = SimHandset::Field(line, "event");
        if (Is_Exchange(name)) events.push_back({name, std::atol(SimHandset::Field(line, "t").c_str()), line});
    }
    return events;
}

std::string Compare_Exchanges(const std::vector<std::string>& expected, const std::vector<Handset_Event>& actual)
{
    std::ostringstream diff;
    for (size_t i = 0; i < expected.size() || i < actual.size(); ++i) {
        if (i >= actual.size())
            diff << "  event " << i + 1 << " missing: " << expected[i] << "\n";
        else if (i >= expected.size())
            diff << "  event " << i + 1 << " not expected: " << actual[i].line << "\n";
        else if (std::string why = Mismatch(expected[i], actual[i]); !why.empty())
            diff << "  event " << i + 1 << " " << actual[i].line << ": " << why << "\n";
    }
    return diff.str().empty() ? "" : "the handset saw other exchanges:\n" + diff.str();
}

} // namespace e2e
