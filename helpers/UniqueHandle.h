#pragma once

#include "helpers/UniqueResource.h"

#include <windows.h>

namespace OM::Helpers
{

// Kernel objects whose failed creation yields null: events, threads, mutexes.
struct KernelHandleTraits
{
    using Handle = HANDLE;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { ::CloseHandle(handle); }
};

// Files, whose failed opening yields INVALID_HANDLE_VALUE instead of null.
struct FileHandleTraits
{
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) noexcept { ::CloseHandle(handle); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;

} // namespace OM::Helpers
