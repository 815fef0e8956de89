#include "ui/WindowClass.h"

#include "ui/Module.h"

namespace OM::Ui
{

RegisteredClass RegisterWindowClass(const WindowClassInfo& info, WNDPROC procedure)
{
    const HINSTANCE instance = Module::Instance().ResourceInstance();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    RegisteredClass registered;
    if (info.baseClass != nullptr)
    {
        if (!::GetClassInfoExW(nullptr, info.baseClass, &windowClass))
            return registered;
        registered.baseProcedure = windowClass.lpfnWndProc;
    }
    else
    {
        registered.baseProcedure = ::DefWindowProcW;
        windowClass.style = info.style;
        windowClass.hbrBackground = info.background;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    }
    registered.objectSlot = windowClass.cbWndExtra;
    windowClass.cbSize = sizeof windowClass;
    windowClass.cbWndExtra += static_cast<int>(sizeof(LONG_PTR));
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = info.name;
    if (info.iconId != 0)
    {
        windowClass.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(info.iconId),
                                                            IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
        windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(info.iconId),
                                                              IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                              ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    registered.atom = ::RegisterClassExW(&windowClass);
    return registered;
}

} // namespace OM::Ui
