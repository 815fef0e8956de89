#pragma once

#include <windows.h>

#include <vector>

namespace OM::Ui
{

// Sees every message of the loop before it is translated and dispatched; true means it was handled
// (an accelerator, for instance) and goes no further.
class MessageFilter
{
public:
    virtual bool PreTranslateMessage(MSG& message) = 0;

protected:
    ~MessageFilter() = default;
};

// Runs when the loop has nothing else to do, once after every burst of messages: the place to bring
// toolbar buttons up to date.
class IdleHandler
{
public:
    virtual void OnIdle() = 0;

protected:
    ~IdleHandler() = default;
};

// The message loop of one user-interface thread, with its message filters and idle handlers. Used only on
// the thread that runs it.
class MessageLoop
{
public:
    MessageLoop() = default;
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    void AddMessageFilter(MessageFilter* filter);
    void RemoveMessageFilter(MessageFilter* filter);
    void AddIdleHandler(IdleHandler* handler);
    void RemoveIdleHandler(IdleHandler* handler);

    // Runs until WM_QUIT; returns its exit code.
    int Run();

    // Offers the message to the filters, last added first.
    bool PreTranslateMessage(MSG& message);
    void RunIdleHandlers();

private:
    // Mouse moves, paints and the caret's blink do not end idleness; anything else may change what the
    // idle handlers show.
    static bool EndsIdleness(const MSG& message);

    std::vector<MessageFilter*> filters;
    std::vector<IdleHandler*> idleHandlers;
};

} // namespace OM::Ui
