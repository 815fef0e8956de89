#include "app/Clipboard.h"

#include <cstring>

namespace OM::Norvatessa
{

bool PutOnClipboard(HWND owner, const std::wstring& text)
{
    // The clipboard owns the memory once it has taken it.
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        return false;
    if (void* data = ::GlobalLock(memory))
    {
        std::memcpy(data, text.c_str(), bytes);
        ::GlobalUnlock(memory);
    }
    else
    {
        ::GlobalFree(memory);
        return false;
    }
    if (!::OpenClipboard(owner))
    {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    const bool taken = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    if (!taken)
        ::GlobalFree(memory);
    return taken;
}

} // namespace OM::Norvatessa
