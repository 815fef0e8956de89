#pragma once

#include "cli/CommandLine.h"
#include "device/AuthorizationPrompt.h"
#include "settings/CredentialsFile.h"

#include <optional>
#include <string>

namespace OM::Norvatessa::Cli
{

using ControllerSettings::Credentials;

// The credentials of the command line, each part falling back on its environment variable
// (NORVATESSA_USER, NORVATESSA_PASSWORD), so that a script need not put the password on a command line
// that every process can read. Nothing when no login is given; `error` when only a password is.
struct CredentialsChoice
{
    std::optional<Credentials> credentials;
    std::optional<std::wstring> error;
};
CredentialsChoice ChooseCredentials(const CommandLine& line);

// Answers a demand for credentials from those given, without any dialog: a controller that refuses them,
// or refuses them again after it had accepted them in this run, is not offered them once more.
class GivenCredentialsPrompt final : public AuthorizationPrompt
{
public:
    explicit GivenCredentialsPrompt(std::optional<Credentials> credentials)
        : credentials(std::move(credentials))
    {
    }

    Outcome Ask(HINTERNET request, int attempt) override;
    // The credentials for the controllers that follow: on a site each may have its own.
    void Use(std::optional<Credentials> next) { credentials = std::move(next); }

private:
    std::optional<Credentials> credentials;
};

} // namespace OM::Norvatessa::Cli
