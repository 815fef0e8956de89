#pragma once

#include "engine/DeviceSearcher.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/RecordingSink.h"
#include "tests/engine/SimulatorClient.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace OM::Norvatessa::Testing
{

// A searcher against a simulated site that starts empty for every test. The test adds controllers, runs
// the search and looks at the sink and the found list. When a test fails, the simulator's journal of that
// test is printed, so the failure says what was really sent.
class SimulatedSiteTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds controllers with the simulator's options (tools/simulator/README.md); fails the test if the
    // simulator refuses them.
    void Add(const std::string& options);
    // Runs one search; returns how long it took in milliseconds.
    DWORD Search();
    std::string Stats() { return simulator.Command("stats"); }
    // The simulator of a segment or of the network behind the router (SegmentASimulator, ...), for tests
    // declared with TOPOLOGY: connected and reset on first use, reset again when the test ends (so that
    // the next test's search finds nothing there), its journal printed when the test fails.
    SimulatorClient& Segment(const char* variable);

    Helpers::WinsockSession winsock;
    SimulatorClient simulator;
    RecordingSink sink;
    DeviceSearcher searcher;
    std::map<std::string, SimulatorClient> segments;
};

} // namespace OM::Norvatessa::Testing
