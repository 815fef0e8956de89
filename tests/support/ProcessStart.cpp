#include "tests/support/ProcessStart.h"

namespace OM::Norvatessa::Testing
{

namespace
{

// Each attempt lands the heap at a new random place, so a second loss in a row is as rare as the first
// squared; a few attempts make a lost start practically impossible.
constexpr int Attempts = 5;

} // namespace

DWORD StartProcess(const wchar_t* program, std::wstring commandLine, bool inheritHandles,
                   const wchar_t* folder, STARTUPINFOW& startup, PROCESS_INFORMATION& started,
                   int* lostStarts)
{
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < Attempts; ++attempt)
    {
        std::wstring line = commandLine;
        started = PROCESS_INFORMATION{};
        if (::CreateProcessW(program, line.data(), nullptr, nullptr, inheritHandles ? TRUE : FALSE, 0,
                             nullptr, folder, &startup, &started))
            return ERROR_SUCCESS;
        error = ::GetLastError();
        if (error != ERROR_INTERNAL_ERROR)
            return error;
        if (lostStarts != nullptr)
            ++*lostStarts;
    }
    return error;
}

} // namespace OM::Norvatessa::Testing
