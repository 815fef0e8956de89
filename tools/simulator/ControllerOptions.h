#pragma once

#include "Controller.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Simulator
{

// The `key=value` words with which the control connection adds controllers and changes them ("count=50
// spread=4000 name=Hall%20{n}", see README.md), read once and applied to each controller they concern.
class ControllerOptions
{
public:
    // Returns an error text, empty when every word is good. `count` is only for adding.
    std::string Read(std::string_view words, bool adding);

    long count() const { return howMany; }

    // Applies them to the controller that is number `ordinal` on the site (for {n} in names); returns an
    // error text, empty on success.
    std::string ApplyTo(Controller& controller, std::size_t ordinal) const;

private:
    using Change = std::function<std::string(Controller&, std::size_t ordinal)>;

    std::vector<Change> changes;
    long howMany = 1;
};

// A setting's bytes (Windows-1251) as the value of a word: UTF-8, with %XX for what would end or split the
// word (blanks, controls, '%' and '=') and for bytes that are no character the simulator knows.
std::string AsWordValue(std::string_view bytes);

} // namespace Simulator
