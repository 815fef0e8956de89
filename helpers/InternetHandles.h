#pragma once

#include "helpers/UniqueResource.h"

#include <windows.h>
#include <wininet.h>

namespace OM::Helpers
{

struct InternetHandleTraits
{
    using Handle = HINTERNET;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { ::InternetCloseHandle(handle); }
};

// A WinINet session, connection or request handle.
using UniqueInternetHandle = UniqueResource<InternetHandleTraits>;

} // namespace OM::Helpers
