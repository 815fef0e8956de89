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

// Searches of a folder (FindFirstFileW), which FindClose ends.
struct FindHandleTraits
{
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) noexcept { ::FindClose(handle); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;

} // namespace OM::Helpers
