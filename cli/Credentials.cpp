#include "cli/Credentials.h"

#include "common/Words.h"

namespace OM::Norvatessa::Cli
{

namespace
{

std::optional<std::wstring> EnvironmentValue(const wchar_t* name)
{
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
    if (length == 0 || length >= size)
        return std::nullopt;
    value.resize(length);
    return value;
}

} // namespace

CredentialsChoice ChooseCredentials(const CommandLine& line)
{
    std::optional<std::wstring> login = line.Value(L"--user");
    if (!login)
        login = EnvironmentValue(L"NORVATESSA_USER");
    std::optional<std::wstring> password = line.Value(L"--password");
    if (!password)
        password = EnvironmentValue(L"NORVATESSA_PASSWORD");
    if (!login || login->empty())
    {
        if (password && !password->empty())
            return {std::nullopt, std::wstring(Words::PasswordWithoutUser)};
        return {};
    }
    return {Credentials{*login, password.value_or(std::wstring())}, std::nullopt};
}

AuthorizationPrompt::Outcome GivenCredentialsPrompt::Ask(HINTERNET, int attempt)
{
    if (!credentials)
        return {Answer::Failed, ExchangeFailureReason::CredentialsRequired};
    if (attempt > 0)
        return {Answer::Failed, ExchangeFailureReason::CredentialsRejected};
    return Outcome::Retry(*credentials);
}

} // namespace OM::Norvatessa::Cli
