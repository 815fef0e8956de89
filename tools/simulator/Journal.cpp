#include "Journal.h"

#include <chrono>
#include <cstdio>

namespace Simulator
{

void Journal::Write(const std::string& line)
{
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%lld.%03lld ", static_cast<long long>(now.count() / 1000 % 100000),
                  static_cast<long long>(now.count() % 1000));
    out << stamp << line << '\n' << std::flush;
    if (kept.size() < MaxKept)
        kept.push_back(stamp + line);
    else
        ++notKept;
}

void Journal::Clear()
{
    kept.clear();
    notKept = 0;
    tally = Counts{};
}

std::vector<std::string> Journal::Lines() const
{
    std::vector<std::string> lines = kept;
    if (notKept > 0)
        lines.push_back("... and " + std::to_string(notKept) + " more lines in the log");
    return lines;
}

} // namespace Simulator
