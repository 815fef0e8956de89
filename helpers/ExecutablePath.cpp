#include "helpers/ExecutablePath.h"

#include <windows.h>

namespace OM::Helpers
{

namespace
{

// Longer than any path Windows accepts.
constexpr DWORD LongestPath = 32768;

} // namespace

std::wstring ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        // A path that fills the buffer may have been cut short: ask again with more room.
        if (length < path.size())
        {
            path.resize(length);
            return path;
        }
        if (path.size() >= LongestPath)
            return {};
        path.resize(path.size() * 2);
    }
}

} // namespace OM::Helpers
