#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleStream.h"
#include "cli/Credentials.h"
#include "engine/BatchPrompts.h"

#include <cstdint>
#include <map>
#include <optional>

namespace OM::Norvatessa::Cli
{

// The credentials of each controller of a site: those of its line in --credentials FILE
// ("A.B.C.D,LOGIN,PASSWORD", the password to the end of the line), else those of the command line and the
// environment. No message ever quotes a line of the file, so that its passwords stay in it.
//
// As a batch's prompts it offers each controller its own, once per exchange, as GivenCredentialsPrompt
// does; it never changes once read, so the lanes ask it at once.
class CredentialsBook final : public BatchPrompts
{
public:
    // Nothing, once the user has been told why, when the file cannot be read or a line is no record.
    static std::optional<CredentialsBook> Read(const CommandLine& line, Console& console);

    std::optional<Credentials> For(std::uint32_t address) const;

    AuthorizationPrompt::Outcome Ask(std::uint32_t address, HINTERNET request, int attempt) override
    {
        return GivenCredentialsPrompt::Offer(For(address), request, attempt);
    }

private:
    std::optional<Credentials> common;
    std::map<std::uint32_t, Credentials> own;
};

} // namespace OM::Norvatessa::Cli
