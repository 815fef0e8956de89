#pragma once

#include <windows.h>

#include <string_view>

namespace OM::Norvatessa::Cli
{

// One of the program's standard streams. A console gets UTF-16 through WriteConsoleW, so that Cyrillic
// shows whatever the console's code page; anything else (a file, a pipe) gets UTF-8 with CR LF line ends,
// as Windows text files have them. A stream that cannot be written swallows the text, so that a lost
// output never stops a command half-way through a write to a controller; it keeps the first error, and
// the program ends with it once the command is done.
//
// Write and IsConsole are virtual so that a test can stand in for a console whose writes block, as they do
// while the user selects text in the console window.
class ConsoleStream
{
public:
    explicit ConsoleStream(DWORD standardHandle);
    virtual ~ConsoleStream() = default;
    ConsoleStream(const ConsoleStream&) = delete;
    ConsoleStream& operator=(const ConsoleStream&) = delete;

    virtual void Write(std::wstring_view text);
    void WriteLine(std::wstring_view text);

    virtual bool IsConsole() const noexcept { return console; }
    // A file on disk, which a spreadsheet may open: a listing there starts with a byte-order mark.
    bool IsFile() const noexcept { return ::GetFileType(handle) == FILE_TYPE_DISK; }
    // The system's error code of the first write that failed, ERROR_SUCCESS while none did.
    DWORD WriteError() const noexcept { return writeError; }

private:
    void WriteBytes(const char* bytes, DWORD length);
    void Fail(DWORD error);

    HANDLE handle; // owned by the process, never closed here
    bool console = false;
    DWORD writeError = ERROR_SUCCESS;
};

// The two streams every command writes to.
struct Console
{
    ConsoleStream out{STD_OUTPUT_HANDLE};
    ConsoleStream err{STD_ERROR_HANDLE};
};

} // namespace OM::Norvatessa::Cli
