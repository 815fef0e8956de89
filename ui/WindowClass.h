#pragma once

#include <windows.h>

namespace OM::Ui
{

// How one of our window classes is registered: a class of its own, or a class built on a system class
// (a list view, say) whose window procedure handles what ours leaves alone.
struct WindowClassInfo
{
    const wchar_t* name = nullptr;
    const wchar_t* baseClass = nullptr; // a system class to build on, or null
    UINT style = 0;
    HBRUSH background = nullptr;
    UINT iconId = 0; // large and small icon, 0 for none
};

// What the registration gives each window procedure: where the window keeps its object, and the base
// class's procedure for the messages we do not handle.
struct RegisteredClass
{
    ATOM atom = 0;
    WNDPROC baseProcedure = nullptr;
    int objectSlot = 0; // byte offset of the object pointer among the window's extra bytes
};

// Registers the class in the module; a class built on a system class gets room for the object pointer
// behind the base class's own extra bytes, so the pointer never meets the control's data.
RegisteredClass RegisterWindowClass(const WindowClassInfo& info, WNDPROC procedure);

} // namespace OM::Ui
