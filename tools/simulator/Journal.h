#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace Simulator
{

// What the simulator did, for two readers: its standard output (the daemon's log file) gets every line
// as it happens; a test asks for the lines since its scenario began, to say why it failed.
class Journal
{
public:
    struct Counts
    {
        std::size_t probes = 0;        // probes taken (answered, or sent where no controller is)
        std::size_t ignored = 0;       // datagrams on the probe port that were no probe
        std::size_t sent = 0;          // reply datagrams sent
        std::size_t lost = 0;          // replies a lossy controller did not send
        std::size_t failed = 0;        // replies the system refused to send
        std::size_t http = 0;          // requests to the controllers' configuration services
        std::size_t busiestSecond = 0; // the most probes that came within any one second
    };

    explicit Journal(std::ostream& out) : out(out) {}

    void Write(const std::string& line);
    // A probe came in now: counted, and in the busiest second.
    void CountProbe();
    // Starts a new scenario: forgets the kept lines and the counts.
    void Clear();

    // The lines since Clear; past the first MaxKept only their number.
    std::vector<std::string> Lines() const;
    Counts& counts() { return tally; }

    static constexpr std::size_t MaxKept = 400;

private:
    std::ostream& out;
    std::vector<std::string> kept;
    std::deque<std::chrono::steady_clock::time_point> lastSecond; // of the probes that came within it
    std::size_t notKept = 0;
    Counts tally;
};

} // namespace Simulator
