#pragma once

#include "device/ConnectionCloser.h"
#include "helpers/InternetHandles.h"

#include <windows.h>

#include <utility>

namespace OM::Norvatessa
{

// One controller's session and connection handles. Its Connection shares them with every request opened
// under them, until the system reports that request closing (PendingRequest); the last of them to let go,
// on whatever thread, hands them to the closer, so that no connection is closed while the system may
// still be finishing a request under it.
class ConnectionHandles
{
public:
    ConnectionHandles(Helpers::UniqueInternetHandle internetHandle,
                      Helpers::UniqueInternetHandle connectHandle)
        : closer(ConnectionCloser::Instance()), internetHandle(std::move(internetHandle)),
          connectHandle(std::move(connectHandle))
    {
    }
    ~ConnectionHandles() { closer.Hand(std::move(connectHandle), std::move(internetHandle)); }
    ConnectionHandles(const ConnectionHandles&) = delete;
    ConnectionHandles& operator=(const ConnectionHandles&) = delete;

    HINTERNET Connect() const noexcept { return connectHandle.get(); }

private:
    ConnectionCloser& closer; // begun here, so that no status callback is the first to need it
    Helpers::UniqueInternetHandle internetHandle; // the session
    Helpers::UniqueInternetHandle connectHandle;  // the connection to the controller
};

} // namespace OM::Norvatessa
