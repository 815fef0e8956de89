#pragma once

#include "helpers/UniqueResource.h"

#include <winsock2.h>

namespace OM::Helpers
{

struct SocketTraits
{
    using Handle = SOCKET;
    static Handle invalid() noexcept { return INVALID_SOCKET; }
    static void close(Handle handle) noexcept { ::closesocket(handle); }
};

struct WsaEventTraits
{
    using Handle = WSAEVENT;
    static Handle invalid() noexcept { return WSA_INVALID_EVENT; }
    static void close(Handle handle) noexcept { ::WSACloseEvent(handle); }
};

using UniqueSocket = UniqueResource<SocketTraits>;
using UniqueWsaEvent = UniqueResource<WsaEventTraits>;

// Windows Sockets for the lifetime of a scope (version 2.2).
class WinsockSession
{
public:
    WinsockSession() noexcept
    {
        WSADATA data;
        started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession()
    {
        if (started)
            ::WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

    bool ok() const noexcept { return started; }

private:
    bool started = false;
};

} // namespace OM::Helpers
