#include "helpers/FailureBoundary.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <initializer_list>
#include <string_view>

namespace OM::Helpers
{

namespace
{

constexpr wchar_t FailureSentence[] = L"Внутренняя ошибка программы %1: %2. Это действие прервано.";
constexpr wchar_t FatalSentence[] = L"Внутренняя ошибка программы %1: %2. Программа завершается.";
constexpr wchar_t UnknownException[] = L"неизвестное исключение";
// What is said when there is no room even to word the failure.
constexpr wchar_t NoRoomSentence[] = L"Внутренняя ошибка программы: не хватило памяти.";

std::atomic<FailureListener*> listener{nullptr};

// The pattern with %1, %2, ... replaced by the values in their order.
std::wstring WithPlaces(std::wstring_view pattern, std::initializer_list<std::wstring_view> values)
{
    std::wstring text;
    for (std::size_t at = 0; at < pattern.size(); ++at)
    {
        const wchar_t place = at + 1 < pattern.size() ? pattern[at + 1] : L'\0';
        if (pattern[at] == L'%' && place >= L'1' && place < L'1' + static_cast<int>(values.size()))
        {
            text += values.begin()[place - L'1'];
            ++at;
        }
        else
        {
            text += pattern[at];
        }
    }
    return text;
}

// The words of the exception being handled: its what(), which the standard library writes in ASCII and
// our code in UTF-8.
std::wstring CaughtWords()
{
    try
    {
        throw;
    }
    catch (const std::exception& caught)
    {
        const std::string_view bytes = caught.what();
        const int length = static_cast<int>(bytes.size());
        std::wstring words(bytes.size(), L'\0');
        words.resize(static_cast<std::size_t>(
            ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, words.data(), length)));
        return words;
    }
    catch (...)
    {
        return UnknownException;
    }
}

// Standard error, for a program without a listener: as UTF-8, which a console and a log both take. A
// buffer of its own, so that a failure for want of memory can still be said.
void WriteToStandardError(std::wstring_view sentence) noexcept
{
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    constexpr std::size_t MostCharacters = 1000; // at most 3 bytes each in UTF-8
    char bytes[3 * MostCharacters + 2];
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, sentence.data(),
                                             static_cast<int>(std::min(sentence.size(), MostCharacters)),
                                             bytes, static_cast<int>(sizeof bytes - 2), nullptr, nullptr);
    bytes[length] = '\r';
    bytes[length + 1] = '\n';
    DWORD written = 0;
    ::WriteFile(error, bytes, static_cast<DWORD>(length + 2), &written, nullptr);
}

void Say(const std::wstring& sentence, bool fatal) noexcept
{
    if (FailureListener* const current = listener.load())
        current->OnFailure(sentence, fatal);
    else
        WriteToStandardError(sentence);
}

// Words the caught failure and says it; the exception's own words.
std::wstring Tell(const wchar_t* where, bool fatal) noexcept
{
    try
    {
        std::wstring words = CaughtWords();
        Say(WithPlaces(fatal ? FatalSentence : FailureSentence, {where, words}), fatal);
        return words;
    }
    catch (...)
    {
        WriteToStandardError(NoRoomSentence);
        return {};
    }
}

} // namespace

void SetFailureListener(FailureListener* replacement) noexcept
{
    listener = replacement;
}

std::wstring ReportCaught(const wchar_t* where) noexcept
{
    return Tell(where, false);
}

void EndOnCaught(const wchar_t* where) noexcept
{
    Tell(where, true);
    ::ExitProcess(FatalExitCode);
}

} // namespace OM::Helpers
