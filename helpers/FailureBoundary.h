#pragma once

#include <string>
#include <utility>

namespace OM::Helpers
{

// Where our code meets the system's. Every window, dialog and thread procedure is a boundary: an exception
// that reached it would unwind through the system, which neither expects nor survives that, so the
// boundary catches it, says what failed and ends that operation (the message, the dialog, the request).
// Nothing goes on silently. A failure in a thread's own bookkeeping, outside any operation it could end,
// ends the program with FatalExitCode.

// Where a boundary says what failed. The window program shows it in its log pane, the console program on
// its error stream; while no listener is set it goes to the process's standard error.
class FailureListener
{
public:
    // Any thread, from inside a catch. `fatal`: the process ends with FatalExitCode once this returns.
    virtual void OnFailure(const std::wstring& sentence, bool fatal) noexcept = 0;

protected:
    ~FailureListener() = default;
};

// The exit code of a program whose own bookkeeping failed.
inline constexpr unsigned FatalExitCode = 3;

// Any thread. Null: standard error. A listener stays set until it is replaced, and must live until then.
void SetFailureListener(FailureListener* listener) noexcept;

// From inside a catch: says that the operation failed (`where`: "при обработке сообщения окна") with what
// was caught, and returns the exception's own words.
std::wstring ReportCaught(const wchar_t* where) noexcept;

// From inside a catch: says that the thread's own bookkeeping failed, and ends the process with
// FatalExitCode.
[[noreturn]] void EndOnCaught(const wchar_t* where) noexcept;

// Runs `body`; what it throws is said as a failure `where`, and ends it there. False when it threw, with
// the exception's words in `what` when asked for.
template <typename Body>
bool Guarded(const wchar_t* where, Body&& body, std::wstring* what = nullptr) noexcept
{
    try
    {
        std::forward<Body>(body)();
        return true;
    }
    catch (...)
    {
        std::wstring words = ReportCaught(where);
        if (what != nullptr)
            what->swap(words);
    }
    return false;
}

} // namespace OM::Helpers
