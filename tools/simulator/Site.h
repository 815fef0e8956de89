#pragma once

#include "Controller.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Simulator
{

// The controllers on the simulated network. Each gets its own address, 127.0.0.2 upwards, so that a
// workstation sees a distinct sender for every one.
class Site
{
public:
    // Adds controllers as the options say ("count=50 spread=4000 name=Hall%20{n}", see README.md).
    // Returns an error text, empty on success; `added` then holds a description of what was added.
    std::string Add(std::string_view options, std::string& added);
    void Reset();

    const std::vector<Controller>& controllers() const { return all; }
    // Changes with every Reset, so that replies still due from an earlier scenario are not sent.
    unsigned generation() const { return resets; }

    static std::string FormatAddress(std::uint32_t address);

private:
    std::uint32_t NextAddress();

    std::vector<Controller> all;
    std::uint32_t lastAddress = 0x7F000001; // 127.0.0.1 is the workstation's
    unsigned resets = 0;
};

} // namespace Simulator
