#pragma once

#include "helpers/InternetHandles.h"

#include <cstdint>

namespace OM::Norvatessa
{

// The connection state of one controller (DeviceManager::Connection). Worker thread only.
class Connection
{
public:
    Connection(std::uint32_t address, std::uint16_t port) : address(address), port(port) {}
    virtual ~Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Closes the connection handle, then the session handle.
    void Close() noexcept
    {
        connectHandle.reset();
        internetHandle.reset();
        answered = false;
    }
    bool IsOpen() const noexcept { return internetHandle && connectHandle; }

    std::uint32_t address; // first dotted number in the most significant byte
    std::uint16_t port;    // of the controller's HTTP service; used by the next OpenConnection
    Helpers::UniqueInternetHandle internetHandle; // the session
    Helpers::UniqueInternetHandle connectHandle;  // closed before the session (member order)
    // Set once the authorisation exchange has succeeded; kept when the connection is reopened.
    bool authorized = false;
    // Set once any answer has come on the open connection: a request that then finds it closed is resent.
    bool answered = false;
};

} // namespace OM::Norvatessa
