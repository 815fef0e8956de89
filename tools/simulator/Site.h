#pragma once

#include "Controller.h"
#include "SiteNetwork.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Simulator
{

// The controllers on the simulated network. Each gets its own address, the network's first upwards
// (127.0.0.2 on the loopback), so that a workstation sees a distinct sender for every one. A controller
// keeps its place in the list until the next Reset, whatever its address becomes; the rest of the
// simulator knows it by that place.
class Site
{
public:
    explicit Site(SiteNetwork network = {}) : where(network), lastAddress(network.first - 1) {}

    // Adds controllers as the options say ("count=50 spread=4000 name=Hall%20{n}", see README.md).
    // Returns an error text, empty on success; `added` then holds a description of what was added.
    std::string Add(std::string_view options, std::string& added);
    // Changes the controller at `index` as the options say (any but count); returns an error text, empty
    // on success, when nothing changed.
    std::string Set(std::size_t index, std::string_view options);
    void Reset();

    const SiteNetwork& network() const { return where; }
    const std::vector<Controller>& controllers() const { return all; }
    Controller& controller(std::size_t index) { return all[index]; }
    // The first controller at this address, and at this port when one is given.
    std::optional<std::size_t> Find(std::uint32_t address, std::optional<std::uint16_t> port = {}) const;
    // The controller other than `except` whose service is at this address and port.
    std::optional<std::size_t> Holder(std::uint32_t address, std::uint16_t port, std::size_t except) const;
    // Changes with every Reset, so that replies still due from an earlier scenario are not sent.
    unsigned generation() const { return resets; }

private:
    std::uint32_t NextAddress();

    SiteNetwork where;
    std::vector<Controller> all;
    std::uint32_t lastAddress; // the last one given out
    unsigned resets = 0;
};

} // namespace Simulator
