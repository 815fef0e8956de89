#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa::Cli
{

// A command line taken apart: the command, its options and its operands, checked against what the
// command accepts. It knows nothing of what the words mean; the commands read the values.
struct CommandLine
{
    std::wstring command; // empty: no command was given
    // "--time" -> {"500"}; a flag maps to {""}; only a repeatable option ("--add") has more than one value
    std::map<std::wstring, std::vector<std::wstring>> options;
    std::vector<std::wstring> operands;
    bool help = false;

    bool Has(const std::wstring& option) const { return options.count(option) != 0; }
    std::optional<std::wstring> Value(const std::wstring& option) const;
    // Every value of the option in the order given; empty when it is not given.
    std::vector<std::wstring> Values(const std::wstring& option) const;
};

// A command line that could not be taken apart: what is wrong, and the command whose help to point to.
struct UsageError
{
    std::wstring text;
    std::wstring command;
};

struct ParsedCommandLine
{
    CommandLine line;
    std::optional<UsageError> error;
};

// Options go anywhere after the command, as "--name value" or "--name=value"; "--" ends them, so that an
// operand may begin with a dash.
ParsedCommandLine ParseCommandLine(int argc, const wchar_t* const argv[]);

} // namespace OM::Norvatessa::Cli
