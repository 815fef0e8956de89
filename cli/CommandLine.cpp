#include "cli/CommandLine.h"

#include "common/Words.h"

#include <algorithm>
#include <limits>

namespace OM::Norvatessa::Cli
{

namespace
{

constexpr std::size_t Unlimited = std::numeric_limits<std::size_t>::max();

struct OptionSyntax
{
    const wchar_t* name;
    bool takesValue;
    std::vector<std::wstring> choices; // empty: any value
    bool repeatable = false;
};

struct CommandSyntax
{
    std::wstring name;
    std::size_t minOperands;
    std::size_t maxOperands;
    std::vector<OptionSyntax> options;
};

const OptionSyntax Time{L"--time", true, {}};
const OptionSyntax User{L"--user", true, {}};
const OptionSyntax Password{L"--password", true, {}};
const OptionSyntax Probes{L"--probes", true, {}};
const OptionSyntax Adapter{L"--adapter", true, {}};
const OptionSyntax AddAddress{L"--add", true, {}, true};
// How many controllers a discover waits for, rather than its whole search time.
const OptionSyntax Expect{L"--expect", true, {}};
// Many controllers in one command.
const OptionSyntax All{L"--all", false, {}};
const OptionSyntax From{L"--from", true, {}};
const OptionSyntax CredentialsFile{L"--credentials", true, {}};
const OptionSyntax StopOnError{L"--stop-on-error", false, {}};
const OptionSyntax Parallel{L"--parallel", true, {}};
const OptionSyntax OutcomeFormat{L"--format", true, {L"text", L"json"}};
// Between the columns of a CSV listing: "," for scripts, ";" for a spreadsheet on a Russian workstation.
const OptionSyntax Separator{L"--separator", true, {L",", L";", L"tab"}};

// The options of a command that talks to controllers, with its own.
std::vector<OptionSyntax> ControllerOptions(std::vector<OptionSyntax> own)
{
    own.insert(own.begin(),
               {Time, Probes, Adapter, AddAddress, User, Password, CredentialsFile, StopOnError, Parallel});
    return own;
}

const std::vector<CommandSyntax>& Commands()
{
    static const std::vector<CommandSyntax> commands = {
        {L"discover",
         0,
         0,
         {Time,
          Probes,
          Adapter,
          AddAddress,
          Expect,
          {L"--format", true, {L"table", L"csv", L"json"}},
          Separator}},
        {L"get", 0, Unlimited,
         ControllerOptions({All,
                            From,
                            {L"--format", true, {L"text", L"json", L"xml", L"csv"}},
                            {L"--show-passwords", false, {}},
                            Separator})},
        {L"set", 1, Unlimited, ControllerOptions({All, From, OutcomeFormat})},
        {L"backup", 1, Unlimited, ControllerOptions({All, From, OutcomeFormat, {L"--force", false, {}}})},
        {L"restore", 1, Unlimited, ControllerOptions({OutcomeFormat, {L"--to-address", false, {}}})},
    };
    return commands;
}

const CommandSyntax* FindCommand(const std::wstring& name)
{
    for (const CommandSyntax& syntax : Commands())
    {
        if (syntax.name == name)
            return &syntax;
    }
    return nullptr;
}

const OptionSyntax* FindOption(const CommandSyntax& syntax, const std::wstring& name)
{
    for (const OptionSyntax& option : syntax.options)
    {
        if (name == option.name)
            return &option;
    }
    return nullptr;
}

bool IsHelp(const std::wstring& word)
{
    return word == L"--help" || word == L"-h" || word == L"/?";
}

std::wstring Joined(const std::vector<std::wstring>& words)
{
    std::wstring text;
    for (const std::wstring& word : words)
    {
        if (!text.empty())
            text += L", ";
        text += word;
    }
    return text;
}

// Reads the options and operands that follow the command.
std::optional<UsageError> ParseWords(const CommandSyntax& syntax, int argc, const wchar_t* const argv[],
                                     CommandLine& line)
{
    bool optionsEnded = false;
    for (int index = 2; index < argc; ++index)
    {
        const std::wstring word = argv[index];
        if (optionsEnded || word.size() < 2 || word[0] != L'-')
        {
            line.operands.push_back(word);
            continue;
        }
        if (word == L"--")
        {
            optionsEnded = true;
            continue;
        }
        if (IsHelp(word))
        {
            line.help = true;
            continue;
        }
        const std::size_t equals = word.find(L'=');
        const std::wstring name = word.substr(0, equals);
        const OptionSyntax* option = FindOption(syntax, name);
        if (option == nullptr)
            return UsageError{Words::Fill(Words::UnknownOption, name), syntax.name};
        std::wstring value;
        if (!option->takesValue)
        {
            if (equals != std::wstring::npos)
                return UsageError{Words::Fill(Words::FlagWithValue, name), syntax.name};
        }
        else if (equals != std::wstring::npos)
        {
            value = word.substr(equals + 1);
        }
        else if (index + 1 < argc)
        {
            value = argv[++index];
        }
        else
        {
            return UsageError{Words::Fill(Words::MissingValue, name), syntax.name};
        }
        if (!option->choices.empty() &&
            std::find(option->choices.begin(), option->choices.end(), value) == option->choices.end())
            return UsageError{Words::Fill(Words::BadChoice, name, value, Joined(option->choices)),
                              syntax.name};
        if (line.options.count(name) != 0 && !option->repeatable)
            return UsageError{Words::Fill(Words::RepeatedOption, name), syntax.name};
        line.options[name].push_back(value);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::wstring> CommandLine::Value(const std::wstring& option) const
{
    const auto found = options.find(option);
    if (found == options.end())
        return std::nullopt;
    return found->second.front();
}

std::vector<std::wstring> CommandLine::Values(const std::wstring& option) const
{
    const auto found = options.find(option);
    return found == options.end() ? std::vector<std::wstring>{} : found->second;
}

ParsedCommandLine ParseCommandLine(int argc, const wchar_t* const argv[])
{
    ParsedCommandLine parsed;
    CommandLine& line = parsed.line;
    if (argc < 2)
    {
        parsed.error = UsageError{Words::NoCommand, {}};
        return parsed;
    }
    const std::wstring first = argv[1];
    if (IsHelp(first) || first == L"help")
    {
        line.help = true;
        if (first == L"help" && argc > 2 && FindCommand(argv[2]) != nullptr)
            line.command = argv[2];
        return parsed;
    }
    const CommandSyntax* syntax = FindCommand(first);
    if (syntax == nullptr)
    {
        parsed.error = UsageError{Words::Fill(Words::UnknownCommand, first), {}};
        return parsed;
    }
    line.command = syntax->name;
    if (auto error = ParseWords(*syntax, argc, argv, line))
    {
        parsed.error = std::move(error);
        return parsed;
    }
    if (line.help)
        return parsed;
    if (line.operands.size() < syntax->minOperands)
        parsed.error = UsageError{Words::MissingOperands, syntax->name};
    else if (line.operands.size() > syntax->maxOperands)
        parsed.error =
            UsageError{Words::Fill(Words::ExtraOperand, line.operands[syntax->maxOperands]), syntax->name};
    return parsed;
}

} // namespace OM::Norvatessa::Cli
