#pragma once

#include <windows.h>

#include <string>

namespace OM::Norvatessa::Testing
{

// CreateProcessW for the tests and benchmarks that start programs under Wine: a start that Wine loses
// before the new process runs any code of its own is made again.
//
// Why: about one start in several thousand fails with ERROR_INTERNAL_ERROR. The new process dies while
// Wine sets it up ("failed to map the shared user data", STATUS_CONFLICTING_ADDRESSES): the kernel puts
// the heap of every process at a random place up to 1 GiB above the loader, and now and then that place
// is the fixed address Wine reserves for the data it shares with every process. Nothing of the program
// has run then, so starting it again is safe; a start that fails for any other reason is not repeated.
//
// `commandLine` is copied, since CreateProcessW may write into it. ERROR_SUCCESS with `started` filled,
// or the error of the last attempt. `lostStarts`, when given, counts the attempts Wine lost.
DWORD StartProcess(const wchar_t* program, std::wstring commandLine, bool inheritHandles,
                   const wchar_t* folder, STARTUPINFOW& startup, PROCESS_INFORMATION& started,
                   int* lostStarts = nullptr);

} // namespace OM::Norvatessa::Testing
