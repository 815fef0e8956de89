#pragma once

#include "helpers/WinsockHandles.h"

#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

// Where each simulator's control connection is, as "a.b.c.d:port": the loopback site of the test
// namespace, and with the topology fixture (tools/testenv/topology.sh) the two segments and the network
// behind the router.
inline constexpr char LoopbackSimulator[] = "NORVATESSA_SIMULATOR_CONTROL";
inline constexpr char SegmentASimulator[] = "NORVATESSA_SEGMENT_A_CONTROL";
inline constexpr char SegmentBSimulator[] = "NORVATESSA_SEGMENT_B_CONTROL";
inline constexpr char RoutedSimulator[] = "NORVATESSA_ROUTED_CONTROL";

// The control connection to the controller simulator, which runs as a Linux program beside the tests in
// the same network namespace (tools/simulator). Each test sets up its scenario through it and reads the
// simulator's journal when it fails. Commands and answers are text lines; see tools/simulator/README.md.
// Windows Sockets must have been started.
class SimulatorClient
{
public:
    // Connects to the address in the environment variable named (one of the above). Returns an error
    // text, empty on success.
    std::string Connect(const char* variable = LoopbackSimulator);

    // Sends one command and returns its answer line ("ok ..." or "error ...").
    std::string Command(const std::string& line);

    // What the simulator did since the scenario began, one event per line.
    std::string Journal();

    // The lines of a command that answers "ok N" followed by N lines; empty after any other answer.
    std::vector<std::string> Listing(const std::string& command);

private:
    bool ReadLine(std::string& line);

    Helpers::UniqueSocket connection;
    std::string pending;
};

} // namespace OM::Norvatessa::Testing
