#include "engine/FailureText.h"

#include "common/AddressText.h"
#include "engine/DiscoveryReply.h"
#include "common/Words.h"
#include "device/HttpExchange.h"
#include "engine/ProgramSettings.h"
#include "engine/Support.h"

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <vector>

namespace OM::Norvatessa
{

namespace
{

std::wstring WithCode(const wchar_t* text, DWORD code)
{
    return code == 0 ? std::wstring(text) : Words::Fill(Words::WithErrorCode, text, code);
}

// The system's reason for an exchange that got no answer.
std::wstring NoAnswerText(DWORD error)
{
    switch (error)
    {
    case ERROR_INTERNET_CANNOT_CONNECT:
        return Words::ConnectionRefused;
    case ERROR_INTERNET_TIMEOUT:
        return Words::TimedOut;
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
        return Words::ConnectionBroken;
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_INVALID_URL:
        return Words::AddressNotRecognized;
    default:
        return WithCode(Words::NoAnswer, error);
    }
}

std::wstring WithStatus(const std::wstring& text, std::uint32_t status)
{
    return status == 0 || status == 200 ? text : Words::Fill(Words::WithHttpStatus, text, status);
}

// The exchange's bounds in whole seconds, as the user reads them.
constexpr DWORD Seconds(DWORD milliseconds)
{
    return milliseconds / 1000;
}

} // namespace

std::wstring DescribeFailure(const ExchangeFailure& failure)
{
    switch (failure.reason)
    {
    case ExchangeFailureReason::NotConnected:
        return Words::NotConnected;
    case ExchangeFailureReason::RequestNotPrepared:
        return WithCode(Words::RequestNotPrepared, failure.systemError);
    case ExchangeFailureReason::NoAnswer:
        return NoAnswerText(failure.systemError);
    case ExchangeFailureReason::AnswerCutOff:
        return Words::AnswerCutOff;
    case ExchangeFailureReason::AnswerTooLong:
        // The buffer keeps its last byte for the terminating zero.
        return Words::Fill(Words::AnswerTooLong, HttpExchange::AnswerBufferSize - 1);
    case ExchangeFailureReason::AnswerTooSlow:
        return Words::AnswerTooSlow;
    case ExchangeFailureReason::AuthorizationFailed:
        return WithCode(Words::AuthorizationFailed, failure.systemError);
    case ExchangeFailureReason::CredentialsRequired:
        return Words::CredentialsRequired;
    case ExchangeFailureReason::CredentialsRejected:
        return Words::CredentialsRejected;
    case ExchangeFailureReason::NoConnection:
        return Words::Fill(Words::NoConnection, Seconds(HttpExchange::ConnectTimeoutMs));
    case ExchangeFailureReason::NoAnswerInTime:
        return Words::Fill(Words::NoAnswerInTime, Seconds(HttpExchange::ReceiveTimeoutMs));
    case ExchangeFailureReason::ClosedWithoutAnswer:
        return Words::ClosedWithoutAnswer;
    case ExchangeFailureReason::Redirected:
        return Words::Redirected;
    case ExchangeFailureReason::CredentialsNotInCodePage:
        return Words::CredentialsNotInCodePage;
    }
    return WithCode(Words::ExchangeFailed, failure.systemError);
}

std::wstring DescribeRefusal(const RequestRefusal& refusal)
{
    switch (refusal.reason)
    {
    case RefusalReason::UnknownController:
        return Words::UnknownController;
    case RefusalReason::AddressTaken:
        return Words::Fill(Words::AddressTaken, refusal.detail);
    case RefusalReason::TextNotCarried:
        return Words::TextNotCarried;
    case RefusalReason::TextNotInCodePage:
        return Words::TextNotInCodePage;
    case RefusalReason::AnswerUnreadable:
        return WithStatus(Words::AnswerUnreadable, refusal.httpStatus);
    case RefusalReason::AnswerWithoutNet:
        return WithStatus(Words::AnswerWithoutNet, refusal.httpStatus);
    case RefusalReason::ChangeNotConfirmed:
        return WithStatus(Words::Fill(Words::ChangeNotConfirmed, refusal.detail), refusal.httpStatus);
    case RefusalReason::OtherAddress:
        return Words::Fill(Words::OtherAddress, refusal.detail);
    case RefusalReason::ReconnectFailed:
        return Words::ReconnectFailed;
    case RefusalReason::InternalFailure:
        return Words::Fill(Words::RequestInternalFailure, refusal.detail);
    }
    return Words::RequestRefused;
}

std::wstring DescribeControllerFailure(const ExchangeFailure& failure)
{
    return Words::Fill(Words::ControllerProblem, AddressText(failure.address), failure.label,
                       DescribeFailure(failure));
}

std::wstring DescribeControllerRefusal(const RequestRefusal& refusal)
{
    const wchar_t* what =
        refusal.operation == RefusedOperation::Read ? Words::ReadRefused : Words::WriteRefused;
    return Words::Fill(Words::ControllerProblem, AddressText(refusal.address), what,
                       DescribeRefusal(refusal));
}

std::wstring DescribeSearchFailure(std::int32_t socketError)
{
    if (socketError == SearchBrokenOff)
        return L"Поиск прерван внутренней ошибкой программы; выполните новый поиск.";
    if (socketError == WSAEADDRNOTAVAIL)
        return Words::Fill(Words::AdapterMissing, Settings().adapter);
    if (socketError == WSAEADDRINUSE || socketError == WSAEACCES)
        return Words::Fill(Words::ReplyPortTaken, DiscoveryReplyPort);
    return WithCode(Words::SearchNotSent, static_cast<DWORD>(socketError));
}

std::wstring DescribeUnsentProbe(std::int32_t socketError)
{
    // No route to the address, or none to its subnet: a controller at another site, or a gateway missing.
    if (socketError == WSAENETUNREACH || socketError == WSAEHOSTUNREACH)
        return Words::NoRoute;
    return WithCode(Words::ProbeNotSent, static_cast<DWORD>(socketError));
}

std::wstring DescribeProbedAdapter(const ProbedAdapter& probed)
{
    std::wstring line = Words::Fill(Words::ProbedAdapter, AddressText(probed.adapter.address));
    if (!probed.adapter.name.empty())
        line = Words::Fill(Words::NamedAdapter, line, probed.adapter.name);
    if (probed.error != 0)
        line = Words::Fill(Words::AdapterFailed, line, probed.error);
    return line;
}

std::wstring DescribeConflict(const AddressConflict& conflict)
{
    const SearchReply& one = conflict.first;
    const SearchReply& other = conflict.other;
    const auto digits = [](const SearchReply& reply) {
        return std::to_wstring(reply.first) + std::to_wstring(reply.second) + std::to_wstring(reply.third);
    };
    std::vector<std::wstring> differences;
    if (one.name != other.name)
        differences.push_back(Words::Fill(Words::ConflictNames, one.name, other.name));
    if (one.port != other.port)
        differences.push_back(Words::Fill(Words::ConflictPorts, one.port, other.port));
    if (digits(one) != digits(other))
        differences.push_back(Words::Fill(Words::ConflictDigits, digits(one), digits(other)));
    std::wstring listed;
    for (const std::wstring& difference : differences)
        listed += (listed.empty() ? L"" : L", ") + difference;
    return Words::Fill(Words::Conflict, AddressText(one.address), listed);
}

std::wstring DescribeNothingFound(std::size_t adaptersProbed)
{
    const std::wstring probed = adaptersProbed == 0
                                    ? std::wstring(Words::ProbedBroadcast)
                                    : Words::Fill(Words::ProbedBroadcastAndAdapters, adaptersProbed);
    return Words::Fill(Words::NothingFound, probed, DiscoveryReplyPort);
}

std::wstring DescribeSettingsSave(const SettingsSave& save)
{
    const std::wstring beside =
        Words::Fill(save.besideUnreadable ? Words::BesideUnreadable : Words::BesideReadOnly, save.besidePath);
    switch (save.store)
    {
    case SettingsStore::PerUser:
        return Words::Fill(Words::SavedPerUser, beside, save.perUserPath);
    case SettingsStore::Nowhere:
        return save.perUserPath.empty() ? Words::Fill(Words::SavedNowhere, beside)
                                        : Words::Fill(Words::SavedNowhereEither, beside, save.perUserPath);
    default:
        return L"";
    }
}

std::wstring DescribeFileError(std::uint32_t error)
{
    switch (error)
    {
    case ERROR_ACCESS_DENIED:
        return Words::NoAccess;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return Words::NoSuchFile;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return Words::FileInUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Words::DiskFull;
    case ERROR_WRITE_PROTECT:
        return Words::WriteProtected;
    case ERROR_FILE_TOO_LARGE:
        return Words::FileTooLarge;
    default:
        return Words::Fill(Words::ErrorCode, error);
    }
}

} // namespace OM::Norvatessa
