#include "tests/engine/SimulatorClient.h"

#include <ws2tcpip.h>

#include <cstdlib>

namespace OM::Norvatessa::Testing
{

std::string SimulatorClient::Connect(const char* variable)
{
    const char* control = std::getenv(variable);
    if (control == nullptr)
        return std::string(variable) + " is not set: ctest and bench/run start the simulator and set it (the "
                                       "segments' and the routed one with the topology fixture)";
    const std::string text = control;
    const std::size_t colon = text.rfind(':');
    sockaddr_in at{};
    at.sin_family = AF_INET;
    if (colon == std::string::npos || ::inet_pton(AF_INET, text.substr(0, colon).c_str(), &at.sin_addr) != 1)
        return "bad simulator address " + text;
    at.sin_port = ::htons(static_cast<u_short>(std::atoi(text.c_str() + colon + 1)));

    connection.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!connection || ::connect(connection.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0)
        return "cannot reach the simulator at " + text + ": error " + std::to_string(::WSAGetLastError());
    return {};
}

std::string SimulatorClient::Command(const std::string& line)
{
    const std::string request = line + "\n";
    if (::send(connection.get(), request.data(), static_cast<int>(request.size()), 0) !=
        static_cast<int>(request.size()))
        return "error cannot send to the simulator: " + std::to_string(::WSAGetLastError());
    std::string answer;
    if (!ReadLine(answer))
        return "error no answer from the simulator: " + std::to_string(::WSAGetLastError());
    return answer;
}

std::string SimulatorClient::Journal()
{
    std::string lines;
    for (const std::string& line : Listing("journal"))
        lines += "  " + line + "\n";
    return lines;
}

std::vector<std::string> SimulatorClient::Listing(const std::string& command)
{
    const std::string head = Command(command);
    std::vector<std::string> lines;
    if (head.rfind("ok ", 0) != 0)
        return lines;
    for (int count = std::atoi(head.c_str() + 3); count > 0; --count)
    {
        std::string line;
        if (!ReadLine(line))
            break;
        lines.push_back(std::move(line));
    }
    return lines;
}

bool SimulatorClient::ReadLine(std::string& line)
{
    for (;;)
    {
        const std::size_t end = pending.find('\n');
        if (end != std::string::npos)
        {
            line = pending.substr(0, end);
            pending.erase(0, end + 1);
            return true;
        }
        char buffer[4096];
        const int received = ::recv(connection.get(), buffer, sizeof buffer, 0);
        if (received <= 0)
            return false;
        pending.append(buffer, static_cast<std::size_t>(received));
    }
}

} // namespace OM::Norvatessa::Testing
