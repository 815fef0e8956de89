#include "ui/MessageLoop.h"

#include <algorithm>

namespace OM::Ui
{

namespace
{

// The caret's blink timer message, which the system posts without end.
constexpr UINT SystemTimerMessage = 0x0118;

template <typename T>
void AddOnce(std::vector<T*>& list, T* item)
{
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

} // namespace

void MessageLoop::AddMessageFilter(MessageFilter* filter)
{
    AddOnce(filters, filter);
}

void MessageLoop::RemoveMessageFilter(MessageFilter* filter)
{
    std::erase(filters, filter);
}

void MessageLoop::AddIdleHandler(IdleHandler* handler)
{
    AddOnce(idleHandlers, handler);
}

void MessageLoop::RemoveIdleHandler(IdleHandler* handler)
{
    std::erase(idleHandlers, handler);
}

int MessageLoop::Run()
{
    bool idle = true;
    for (;;)
    {
        MSG message{};
        if (idle && !::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
        {
            RunIdleHandlers();
            idle = false;
        }
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (!PreTranslateMessage(message))
        {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (EndsIdleness(message))
            idle = true;
    }
}

bool MessageLoop::PreTranslateMessage(MSG& message)
{
    // A filter may remove itself while it runs.
    const std::vector<MessageFilter*> walk = filters;
    for (auto filter = walk.rbegin(); filter != walk.rend(); ++filter)
    {
        if ((*filter)->PreTranslateMessage(message))
            return true;
    }
    return false;
}

void MessageLoop::RunIdleHandlers()
{
    const std::vector<IdleHandler*> walk = idleHandlers;
    for (IdleHandler* handler : walk)
        handler->OnIdle();
}

bool MessageLoop::EndsIdleness(const MSG& message)
{
    switch (message.message)
    {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case SystemTimerMessage:
        return false;
    default:
        return true;
    }
}

} // namespace OM::Ui
