#include "engine/SearchGoal.h"

namespace OM::Norvatessa
{

SearchGoalProgress::SearchGoalProgress(const SearchGoal& goal)
    : awaited(goal.addresses.begin(), goal.addresses.end()), count(goal.count), active(goal.IsSet())
{
}

bool SearchGoalProgress::Heard(std::uint32_t address)
{
    if (!active || reached)
        return false;
    awaited.erase(address);
    heard.insert(address);
    reached = Met();
    return reached;
}

bool SearchGoalProgress::Met() const
{
    return awaited.empty() && heard.size() >= count;
}

} // namespace OM::Norvatessa
