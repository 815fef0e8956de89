#include "ui/Module.h"

#include <string>

namespace OM::Ui
{

Module& Module::Instance()
{
    static Module module;
    return module;
}

void Module::AddMessageLoop(MessageLoop* loop)
{
    Helpers::CriticalSectionLock hold(lock);
    loops[::GetCurrentThreadId()] = loop;
}

void Module::RemoveMessageLoop()
{
    Helpers::CriticalSectionLock hold(lock);
    loops.erase(::GetCurrentThreadId());
}

MessageLoop* Module::CurrentMessageLoop() const
{
    Helpers::CriticalSectionLock hold(lock);
    const auto found = loops.find(::GetCurrentThreadId());
    return found == loops.end() ? nullptr : found->second;
}

std::wstring LoadResourceString(UINT id)
{
    // With a zero length the call hands out a pointer into the resource itself.
    const wchar_t* text = nullptr;
    const int length =
        ::LoadStringW(Module::Instance().ResourceInstance(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

} // namespace OM::Ui
