#include "cli/SearchProgress.h"

#include "common/Words.h"

#include <string>

namespace OM::Norvatessa::Cli
{

namespace
{

// Wide enough for the longest line the progress draws.
constexpr std::size_t LineWidth = 40;

} // namespace

SearchProgress::SearchProgress(ConsoleStream& stream) : stream(stream)
{
    drawing = stream.IsConsole() && Start();
}

SearchProgress::~SearchProgress()
{
    if (!drawing)
        return;
    // A console write blocks for as long as the user keeps text selected in the window, which may be past
    // Stop's wait; the thread still uses the stream and this object then, so it is waited for however long
    // that takes. The program's own next write would block as long anyway.
    while (Stop() == WAIT_TIMEOUT)
    {
    }
    stream.Write(L"\r" + std::wstring(LineWidth, L' ') + L"\r");
}

void SearchProgress::Run()
{
    const ULONGLONG started = ::GetTickCount64();
    do
    {
        const auto seconds = static_cast<std::uint32_t>((::GetTickCount64() - started) / 1000);
        stream.Write(L"\r" + Words::Fill(Words::SearchProgress, seconds));
    } while (::WaitForSingleObject(StopEvent(), 1000) == WAIT_TIMEOUT);
}

} // namespace OM::Norvatessa::Cli
