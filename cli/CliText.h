#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa::CliText
{

// What the console program says, in the window program's language. The texts that the settings sheet
// shares with it come from RefusalText and FailureText; these are the console program's own.

inline constexpr wchar_t ProgramName[] = L"norvatessa-cli";

// The command line.
inline constexpr wchar_t NoCommand[] = L"не задана команда.";
inline constexpr wchar_t MissingOperands[] = L"не хватает аргументов.";
inline constexpr wchar_t BadTime[] = L"время поиска (--time) — число миллисекунд от 1 до 600000.";
inline constexpr wchar_t BadProbes[] = L"число запросов поиска (--probes) — от 1 до 20.";
inline constexpr wchar_t BadExpect[] = L"число контроллеров (--expect) — от 1 до 100000.";
inline constexpr wchar_t PasswordWithoutUser[] =
    L"пароль задан без имени пользователя (--user или переменная NORVATESSA_USER).";
std::wstring UnknownCommand(std::wstring_view command);
std::wstring UnknownOption(std::wstring_view option);
std::wstring FlagWithValue(std::wstring_view option);
std::wstring MissingValue(std::wstring_view option);
std::wstring RepeatedOption(std::wstring_view option);
std::wstring BadChoice(std::wstring_view option, std::wstring_view value, std::wstring_view choices);
std::wstring ExtraOperand(std::wstring_view operand);
std::wstring BadAddress(std::wstring_view text);
std::wstring BadEndpoint(std::wstring_view text);
std::wstring BadAdapter(std::wstring_view text);
std::wstring BadAdded(std::wstring_view text);
std::wstring RangeTooLarge(std::wstring_view text, std::uint64_t count);
std::wstring RangeReversed(std::wstring_view text);
// The ranges of --add hold `addresses` addresses, too many for `rounds` rounds at the pace of range probes
// in the first half of the search time: the --time they need.
std::wstring RangesNeedTime(std::size_t addresses, std::int32_t rounds, std::uint64_t neededMs);
// "norvatessa-cli: TEXT" and the line that points to the help.
std::wstring UsageMessage(std::wstring_view text, std::wstring_view command);

// Standard output that could not be written: the command's result is lost.
std::wstring OutputLost(unsigned long error);

// The search.
std::wstring SearchProgress(std::uint32_t seconds);
std::wstring NoneAnswered(std::int32_t timeMs);
// What the search sent besides the probes through each adapter: the broadcast the system routes (unless
// the search keeps to one adapter) and the probes to the addresses and ranges added, as the user wrote them.
std::wstring ProbesSent(std::int32_t rounds, bool systemBroadcast, const std::vector<std::wstring>& added);
inline constexpr wchar_t NoAnswerAdvice[] =
    L"Проверьте, что брандмауэр пропускает входящие ответы по UDP на порт 30303, что кабель подключён, а "
    L"адаптер включён. Контроллер в другой подсети можно назвать параметром --add АДРЕС[:ПОРТ] или указать "
    L"команде адресом АДРЕС:ПОРТ.";
std::wstring AddedNotAnswered(std::uint32_t address, std::uint16_t port);
// An address of --add that the probe could not even be sent to, and why ("нет маршрута").
std::wstring AddedNotProbed(std::uint32_t address, std::uint16_t port, std::wstring_view reason);
// A range of --add that the probes of the first round could not all be sent to: `unsent` of its
// `count` addresses, and why.
std::wstring RangeNotProbed(std::wstring_view range, std::size_t unsent, std::size_t count,
                            std::wstring_view reason);
std::wstring NotFound(std::uint32_t address, std::int32_t timeMs);
// A controller that only a search could have found, when the search could not run.
std::wstring NotSearched(std::uint32_t address);

// Reading and writing settings.
inline constexpr wchar_t ReadRefused[] = L"настройки не прочитаны";
inline constexpr wchar_t WriteRefused[] = L"настройки не изменены";
inline constexpr wchar_t ExchangeAborted[] = L"Обмен с контроллером прерван.";
inline constexpr wchar_t ChangedButNotReadBack[] =
    L"Контроллер подтвердил изменение настроек, но прочитать их заново не удалось.";
std::wstring ControllerProblem(std::uint32_t address, std::wstring_view what, std::wstring_view text);
std::wstring Changed(std::uint32_t address);
std::wstring Moved(std::uint32_t oldAddress, std::uint32_t newAddress);
std::wstring ReadBackDiffers(std::uint32_t address, std::wstring_view keys);

// Values of restored files.
std::wstring RefusedFileValue(std::wstring_view file, std::wstring_view key, std::wstring_view reason);

// Backup and restore files.
std::wstring FileNotWritten(std::wstring_view file, unsigned long error);
std::wstring FileNotRead(std::wstring_view file, unsigned long error);
std::wstring NotADocument(std::wstring_view file);
std::wstring OtherControllersFile(std::wstring_view file, std::uint32_t fileAddress, std::uint32_t address);
std::wstring BackedUp(std::uint32_t address, std::wstring_view file);
std::wstring Restored(std::uint32_t address, std::wstring_view file);
// Restored from a listing without passwords: the controller kept its own.
std::wstring RestoredKeepingPasswords(std::uint32_t address, std::wstring_view file);

// Commands on many controllers.
inline constexpr wchar_t TargetsTwice[] =
    L"контроллеры задаются или параметром --all, или адресами и параметром --from.";
inline constexpr wchar_t ToAddressWithFiles[] =
    L"параметр --to-address задаётся только с одним адресом и одним файлом.";
std::wstring RepeatedTarget(std::uint32_t address);
std::wstring OneControllerKey(std::wstring_view key);
std::wstring BadListLine(std::wstring_view file, std::size_t line);
std::wstring BadCredentialsLine(std::wstring_view file, std::size_t line);
std::wstring RepeatedCredentials(std::wstring_view file, std::uint32_t address);
std::wstring EmptyList(std::wstring_view file);
std::wstring NoBackupFiles(std::wstring_view folder);
std::wstring FileWithoutAddress(std::wstring_view file);
std::wstring RepeatedFileAddress(std::wstring_view file, std::wstring_view other, std::uint32_t address);
std::wstring FolderNotWritable(std::wstring_view folder, unsigned long error);
std::wstring FileExists(std::wstring_view file);
std::wstring ControllerRead(std::uint32_t address);
// "Контроллер 37 из 300: 192.168.0.54", the progress line on a console.
std::wstring SiteProgress(std::size_t number, std::size_t count, std::uint32_t address);
// "Готово: 297 из 300; не ответили: 3", and the other counts that are not zero.
std::wstring SiteSummary(std::size_t done, std::size_t count, std::size_t unanswered, std::size_t failed,
                         std::size_t skipped);

} // namespace OM::Norvatessa::CliText
