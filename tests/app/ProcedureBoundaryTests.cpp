// The window and dialog procedures of our window layer are boundaries: what a handler throws is caught
// there, said, and ends that message or that dialog, and the window goes on.
#include "helpers/FailureBoundary.h"
#include "res/resource.h"
#include "ui/DialogImpl.h"
#include "ui/WindowImpl.h"

#include <gmock/gmock.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace OM;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace
{

constexpr UINT Throw = WM_APP;
constexpr UINT Answer = WM_APP + 1;

// Keeps what the boundaries said while it is installed.
class SaidFailures final : public Helpers::FailureListener
{
public:
    SaidFailures() { Helpers::SetFailureListener(this); }
    ~SaidFailures() { Helpers::SetFailureListener(nullptr); }

    void OnFailure(const std::wstring& sentence, bool fatal) noexcept override
    {
        sentences.push_back(sentence);
        anyFatal = anyFatal || fatal;
    }

    std::vector<std::wstring> sentences;
    bool anyFatal = false;
};

class ThrowingWindow final : public Ui::WindowImpl<ThrowingWindow>
{
public:
    static Ui::WindowClassInfo GetWindowClassInfo()
    {
        Ui::WindowClassInfo info;
        info.name = L"NorvatessaThrowingWindow";
        return info;
    }

    bool ProcessWindowMessage(UINT message, WPARAM, LPARAM, LRESULT& result)
    {
        if ((message == WM_CREATE && throwOnCreate) || message == Throw)
            throw std::runtime_error("handler broke");
        if (message != Answer)
            return false;
        result = 7;
        return true;
    }

    bool throwOnCreate = false;
};

class ThrowingDialog final : public Ui::DialogImpl<ThrowingDialog>
{
public:
    bool ProcessDialogMessage(UINT message, WPARAM, LPARAM, INT_PTR&)
    {
        if (message == WM_INITDIALOG)
            throw std::length_error("dialog broke");
        return false;
    }
};

} // namespace

TEST(ProcedureBoundary, WindowMessageThatThrowsIsSaidAndEndsThereWhileTheWindowGoesOn)
{
    SaidFailures said;
    ThrowingWindow window;
    ASSERT_NE(window.Create(nullptr, nullptr, L"", WS_OVERLAPPEDWINDOW, 0), nullptr);
    EXPECT_EQ(::SendMessageW(window.Handle(), Throw, 0, 0), 0);
    EXPECT_TRUE(::IsWindow(window.Handle()));
    EXPECT_EQ(::SendMessageW(window.Handle(), Answer, 0, 0), 7);
    EXPECT_THAT(said.sentences, ElementsAre(AllOf(HasSubstr(L"при обработке сообщения окна"),
                                                  HasSubstr(L"handler broke"), HasSubstr(L"прервано"))));
    EXPECT_FALSE(said.anyFatal);
    ::DestroyWindow(window.Handle());

    // A window whose creation throws is not created.
    ThrowingWindow unborn;
    unborn.throwOnCreate = true;
    EXPECT_EQ(unborn.Create(nullptr, nullptr, L"", WS_OVERLAPPEDWINDOW, 0), nullptr);
    EXPECT_EQ(said.sentences.size(), 2u);
}

TEST(ProcedureBoundary, DialogThatThrowsIsSaidAndEndsAsCancelled)
{
    SaidFailures said;
    ThrowingDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr, IDD_ABOUTBOX), IDCANCEL);
    EXPECT_THAT(said.sentences,
                ElementsAre(AllOf(HasSubstr(L"в диалоговом окне"), HasSubstr(L"dialog broke"))));
    EXPECT_FALSE(said.anyFatal);
}
