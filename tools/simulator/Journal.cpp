#include "Journal.h"

#include <algorithm>
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

void Journal::CountProbe()
{
    ++tally.probes;
    const auto now = std::chrono::steady_clock::now();
    while (!lastSecond.empty() && now - lastSecond.front() >= std::chrono::seconds(1))
        lastSecond.pop_front();
    lastSecond.push_back(now);
    tally.busiestSecond = std::max(tally.busiestSecond, lastSecond.size());
}

void Journal::Clear()
{
    lastSecond.clear();
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
