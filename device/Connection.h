#pragma once

#include "device/ConnectionHandles.h"

#include <windows.h>

#include <cstdint>
#include <memory>

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

    // Lets go of the session and connection handles: the closer closes them once no request under them
    // runs any more. Never waits.
    void Close() noexcept
    {
        handles.reset();
        servedAnswer = false;
    }
    bool IsOpen() const noexcept { return handles != nullptr; }
    // The connection handle, null while closed.
    HINTERNET ConnectHandle() const noexcept { return handles ? handles->Connect() : nullptr; }

    std::uint32_t address; // first dotted number in the most significant byte
    std::uint16_t port;    // of the controller's HTTP service; used by the next OpenConnection
    // The session and connection handles (internetHandle, connectHandle), shared with the requests
    // opened under them.
    std::shared_ptr<ConnectionHandles> handles;
    // Set once the authorisation exchange has succeeded; kept when the connection is reopened.
    bool authorized = false;
    // Set once the open connection has served an answer: a request that then finds it closed is resent.
    bool servedAnswer = false;
    // The work on this connection ends with its next requests: they ask the controller to close the
    // connection after answering, since the system would otherwise keep it idle for up to a minute, and a
    // run over a whole site would hold one connection per controller.
    bool lastRequests = false;
};

} // namespace OM::Norvatessa
