#pragma once

#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

// One HTTP request as the simulated controller received it.
struct HttpRecord
{
    std::string controller; // "127.0.0.2:80", where it was received
    std::string method;
    std::string target;
    std::string status; // answered, or "-"
    std::vector<std::string> headers;
    std::size_t bodyLength = 0;
    std::string body; // the bytes

    bool HasHeader(const std::string& line) const;
};

// A simulated site of controllers that starts empty for every test and serves HTTP (tools/simulator). When
// a test fails, the simulator's journal of that test is printed, so the failure says what really crossed.
class ControllerSiteTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds controllers with the simulator's options; returns the address of the first one added.
    std::uint32_t Add(const std::string& options);
    // Changes one controller in place.
    void Set(std::uint32_t address, const std::string& options);
    // The controller's current settings, as the simulator holds them ("name" is UTF-8).
    std::map<std::string, std::string> Show(std::uint32_t address);
    // Every HTTP request received since the test began, in arrival order.
    std::vector<HttpRecord> Requests();
    // Only those with this method.
    std::vector<HttpRecord> Requests(const std::string& method);
    // Those after the first `count`.
    std::vector<HttpRecord> RequestsSince(std::size_t count);

    static std::string Text(std::uint32_t address);

    Helpers::WinsockSession winsock;
    SimulatorClient simulator;
};

} // namespace OM::Norvatessa::Testing
