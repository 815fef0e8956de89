// Proves the virtual display: a Windows program under Wine creates a real window, finds it by its class
// and title, and reads back what it drew.
#include <gtest/gtest.h>

#include <windows.h>

namespace
{

constexpr wchar_t ClassName[] = L"NorvatessaDisplayProbe";
constexpr wchar_t Title[] = L"Проверка дисплея";

class WindowClass
{
public:
    WindowClass()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = ClassName;
        atom = ::RegisterClassW(&windowClass);
    }
    ~WindowClass()
    {
        if (atom)
            ::UnregisterClassW(ClassName, ::GetModuleHandleW(nullptr));
    }
    ATOM atom = 0;
};

} // namespace

TEST(VirtualDisplay, WindowIsCreatedFoundAndPaintedOnTheDisplay)
{
    WindowClass windowClass;
    ASSERT_NE(windowClass.atom, 0);

    HWND window = ::CreateWindowExW(0, ClassName, Title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 120, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr) << "no window without a display: " << ::GetLastError();
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);

    EXPECT_EQ(::FindWindowW(ClassName, Title), window);
    EXPECT_TRUE(::IsWindowVisible(window));

    HDC context = ::GetDC(window);
    ASSERT_NE(context, nullptr);
    const COLORREF red = RGB(255, 0, 0);
    ::SetPixel(context, 5, 5, red);
    ::GdiFlush();
    EXPECT_EQ(::GetPixel(context, 5, 5), red);
    ::ReleaseDC(window, context);

    EXPECT_TRUE(::DestroyWindow(window));
    EXPECT_EQ(::FindWindowW(ClassName, Title), nullptr);
}
