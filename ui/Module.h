#pragma once

#include "helpers/CriticalSection.h"
#include "ui/MessageLoop.h"

#include <windows.h>

#include <map>
#include <string>

namespace OM::Ui
{

// The program's module: its instance handle, where resources come from, and the message loop of each
// user-interface thread, so that a window can find the loop it runs in to add its filters and idle
// handlers. The instance is set once at start-up; the loops may be registered from several threads.
class Module
{
public:
    static Module& Instance();

    void Initialize(HINSTANCE instance) noexcept { this->instance = instance; }
    HINSTANCE ResourceInstance() const noexcept { return instance; }

    void AddMessageLoop(MessageLoop* loop);
    void RemoveMessageLoop();
    // The loop registered for the calling thread, or null.
    MessageLoop* CurrentMessageLoop() const;

private:
    HINSTANCE instance = nullptr;
    mutable Helpers::CriticalSection lock; // guards loops
    std::map<DWORD, MessageLoop*> loops;
};

// A string of the module's string table; empty when there is none.
std::wstring LoadResourceString(UINT id);

} // namespace OM::Ui
