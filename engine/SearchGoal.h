#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

namespace OM::Norvatessa
{

// What a search is for, when it is for something in particular: the controllers a command names, or as
// many controllers as the user knows there are. Such a search ends once it has them, rather than at its
// time: a controller answers within milliseconds, and a command that names one need not wait seconds for
// the others. Without a goal a search listens its whole time (the window program's always does).
struct SearchGoal
{
    // Every one of these must have answered.
    std::vector<std::uint32_t> addresses;
    // And at least this many controllers, told apart by their addresses.
    std::size_t count = 0;

    bool IsSet() const noexcept { return !addresses.empty() || count > 0; }
};

// How far one search is on the way to its goal. A reached goal does not end the search at once: a second
// controller on a named address (a conflict) answers the same probe a moment later, so the search listens
// ListenAfterGoalMs more, and then ends without taking what still waits in the socket's buffer.
class SearchGoalProgress
{
public:
    static constexpr std::uint32_t ListenAfterGoalMs = 100;

    explicit SearchGoalProgress(const SearchGoal& goal);

    // A valid reply from this address. True when it reaches the goal (once per search).
    bool Heard(std::uint32_t address);
    bool Reached() const noexcept { return reached; }

private:
    bool Met() const;

    std::set<std::uint32_t> awaited; // named and not heard yet
    std::set<std::uint32_t> heard;
    std::size_t count = 0;
    bool active = false;
    bool reached = false;
};

} // namespace OM::Norvatessa
