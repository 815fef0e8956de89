#include "cli/CliText.h"

#include "common/AddressRange.h"
#include "common/AddressText.h"
#include "settings/SettingText.h"

namespace OM::Norvatessa::CliText
{

namespace
{

// «text», the way the program quotes what the user typed.
std::wstring Quoted(std::wstring_view text)
{
    std::wstring quoted = L"«";
    quoted += text;
    quoted += L"»";
    return quoted;
}

std::wstring Sentence(std::wstring_view before, std::wstring_view quoted, std::wstring_view after)
{
    std::wstring text(before);
    text += Quoted(quoted);
    text += after;
    return text;
}

} // namespace

std::wstring UnknownCommand(std::wstring_view command)
{
    return Sentence(L"неизвестная команда ", command, L".");
}

std::wstring UnknownOption(std::wstring_view option)
{
    return Sentence(L"неизвестный параметр ", option, L".");
}

std::wstring FlagWithValue(std::wstring_view option)
{
    return Sentence(L"параметр ", option, L" задаётся без значения.");
}

std::wstring MissingValue(std::wstring_view option)
{
    return Sentence(L"параметру ", option, L" нужно значение.");
}

std::wstring RepeatedOption(std::wstring_view option)
{
    return Sentence(L"параметр ", option, L" задан дважды.");
}

std::wstring BadChoice(std::wstring_view option, std::wstring_view value, std::wstring_view choices)
{
    std::wstring text = Sentence(L"недопустимое значение ", value, L" параметра ");
    text += option;
    text += L"; возможны: ";
    text += choices;
    text += L".";
    return text;
}

std::wstring ExtraOperand(std::wstring_view operand)
{
    return Sentence(L"лишний аргумент ", operand, L".");
}

std::wstring BadAddress(std::wstring_view text)
{
    return Sentence(L"", text, L" — не адрес контроллера: нужны четыре числа от 0 до 255 через точку.");
}

std::wstring BadEndpoint(std::wstring_view text)
{
    return Sentence(L"", text,
                    L" — не адрес контроллера: нужны адрес A.B.C.D (не 0.0.0.0 и не 255.255.255.255) и после "
                    L"двоеточия порт от 1 до 65535.");
}

std::wstring BadAdapter(std::wstring_view text)
{
    return Sentence(L"недопустимое значение ", text,
                    L" параметра --adapter: нужен адрес адаптера A.B.C.D, не 0.0.0.0 и не 255.255.255.255.");
}

std::wstring BadAdded(std::wstring_view text)
{
    return Sentence(L"недопустимое значение ", text,
                    L" параметра --add: нужен адрес A.B.C.D или A.B.C.D:ПОРТ (порт от 1 до 65535) либо "
                    L"диапазон A.B.C.D-A.B.C.E или A.B.C.D/NN, без адресов 0.0.0.0 и 255.255.255.255.");
}

std::wstring RangeTooLarge(std::wstring_view text, std::uint64_t count)
{
    return Sentence(L"диапазон ", text,
                    L" параметра --add слишком велик: в нём " + std::to_wstring(count) +
                        L" адресов, а можно не больше 4096.");
}

std::wstring RangeReversed(std::wstring_view text)
{
    return Sentence(L"в диапазоне ", text, L" параметра --add конец меньше начала.");
}

std::wstring RangesNeedTime(std::size_t addresses, std::int32_t rounds, std::uint64_t neededMs)
{
    std::wstring text = L"диапазонам --add (адресов: " + std::to_wstring(addresses) + L") ";
    text += neededMs <= 600000
                ? L"нужно --time " + std::to_wstring(neededMs) + L" или больше"
                : std::wstring(L"не хватит и наибольшего --time 600000; уменьшите --probes или "
                               L"диапазоны");
    text += L": каждый адрес получает запрос поиска в каждом из " + std::to_wstring(rounds) +
            L" раундов (--probes), не чаще 1900 запросов в секунду, в первой половине времени поиска.";
    return text;
}

std::wstring UsageMessage(std::wstring_view text, std::wstring_view command)
{
    std::wstring message = ProgramName;
    message += L": ";
    message += text;
    message += L"\nСправка: norvatessa-cli.exe ";
    if (!command.empty())
    {
        message += command;
        message += L' ';
    }
    message += L"--help";
    return message;
}

std::wstring OutputLost(unsigned long error)
{
    std::wstring text = ProgramName;
    text += L": не удалось записать стандартный вывод (код ошибки ";
    text += std::to_wstring(error);
    text += L"), результат команды потерян.";
    return text;
}

std::wstring SearchProgress(std::uint32_t seconds)
{
    return L"Поиск контроллеров... " + std::to_wstring(seconds) + L" с";
}

std::wstring NoneAnswered(std::int32_t timeMs)
{
    return L"Ни один контроллер не ответил за " + std::to_wstring(timeMs) + L" мс.";
}

std::wstring ProbesSent(std::int32_t rounds, bool systemBroadcast, const std::vector<std::wstring>& added)
{
    // "1 раз", "2 раза", "5 раз", "12 раз", "22 раза".
    const bool few = rounds % 10 >= 2 && rounds % 10 <= 4 && (rounds % 100 < 12 || rounds % 100 > 14);
    std::wstring text = L"Запрос поиска отправлен " + std::to_wstring(rounds) + (few ? L" раза" : L" раз");
    std::wstring addresses;
    for (const std::wstring& address : added)
        addresses += (addresses.empty() ? L"" : L", ") + address;
    if (systemBroadcast)
        text += L": на 255.255.255.255 через адаптер, который выбрала система";
    if (!added.empty())
    {
        text += systemBroadcast ? L", и " : L": ";
        text += added.size() == 1 && !LooksLikeRange(added.front()) ? L"по адресу " : L"по адресам ";
        text += addresses;
    }
    text += L".";
    return text;
}

std::wstring AddedNotAnswered(std::uint32_t address, std::uint16_t port)
{
    return L"Контроллер " + EndpointText(ControllerEndpoint{address, port}) +
           L", заданный параметром --add, не ответил на поиск.";
}

std::wstring AddedNotProbed(std::uint32_t address, std::uint16_t port, std::wstring_view reason)
{
    std::wstring text = L"Контроллер " + EndpointText(ControllerEndpoint{address, port}) +
                        L", заданный параметром --add, не опрошен: ";
    text += reason;
    text += L".";
    return text;
}

std::wstring RangeNotProbed(std::wstring_view range, std::size_t unsent, std::size_t count,
                            std::wstring_view reason)
{
    std::wstring text = L"Диапазон ";
    text += range;
    text += L", заданный параметром --add, ";
    if (unsent < count)
        text += L"опрошен не весь: не опрошено адресов — " + std::to_wstring(unsent) + L" из " +
                std::to_wstring(count) + L" (";
    else
        text += L"не опрошен: ";
    text += reason;
    text += unsent < count ? L")." : L".";
    return text;
}

std::wstring NotFound(std::uint32_t address, std::int32_t timeMs)
{
    std::wstring text = L"Контроллер ";
    text += AddressText(address);
    text += L" не ответил на поиск за ";
    text += std::to_wstring(timeMs);
    text += L" мс.";
    return text;
}

std::wstring NotSearched(std::uint32_t address)
{
    return L"Контроллер " + AddressText(address) +
           L" не найден: поиск не удался, а порт контроллера неизвестен.";
}

std::wstring ControllerProblem(std::uint32_t address, std::wstring_view what, std::wstring_view text)
{
    std::wstring message = L"Контроллер ";
    message += AddressText(address);
    message += L", ";
    message += what;
    message += L":\n";
    message += text;
    return message;
}

std::wstring Changed(std::uint32_t address)
{
    return L"Настройки контроллера " + AddressText(address) + L" изменены.";
}

std::wstring Moved(std::uint32_t oldAddress, std::uint32_t newAddress)
{
    std::wstring text = L"Настройки контроллера ";
    text += AddressText(oldAddress);
    text += L" изменены; теперь он отвечает по адресу ";
    text += AddressText(newAddress);
    text += L".";
    return text;
}

std::wstring ReadBackDiffers(std::uint32_t address, std::wstring_view keys)
{
    std::wstring text = L"Контроллер ";
    text += AddressText(address);
    text += L" подтвердил изменение, но прочитанные заново настройки отличаются от отправленных: ";
    text += keys;
    text += L".";
    return text;
}

std::wstring RefusedFileValue(std::wstring_view file, std::wstring_view key, std::wstring_view reason)
{
    std::wstring text = L"в файле ";
    text += Quoted(file);
    text += L' ';
    text += SettingText::RefusedValue(key, reason);
    return text;
}

std::wstring FileNotWritten(std::wstring_view file, unsigned long error)
{
    return Sentence(L"Не удалось записать файл ", file, L" (код ошибки " + std::to_wstring(error) + L").");
}

std::wstring FileNotRead(std::wstring_view file, unsigned long error)
{
    return Sentence(L"Не удалось прочитать файл ", file, L" (код ошибки " + std::to_wstring(error) + L").");
}

std::wstring NotADocument(std::wstring_view file)
{
    return Sentence(L"файл ", file, L" не является документом настроек контроллера.");
}

std::wstring OtherControllersFile(std::wstring_view file, std::uint32_t fileAddress, std::uint32_t address)
{
    std::wstring text = Sentence(L"файл ", file, L" содержит настройки контроллера ");
    text += AddressText(fileAddress);
    text += L", а не ";
    text += AddressText(address);
    text += L". Чтобы записать их в ";
    text += AddressText(address);
    text += L", добавьте --to-address.";
    return text;
}

std::wstring BackedUp(std::uint32_t address, std::wstring_view file)
{
    return Sentence(L"Настройки контроллера " + AddressText(address) + L" сохранены в файл ", file, L".");
}

std::wstring Restored(std::uint32_t address, std::wstring_view file)
{
    return Sentence(L"Настройки контроллера " + AddressText(address) + L" восстановлены из файла ", file,
                    L".");
}

std::wstring RestoredKeepingPasswords(std::uint32_t address, std::wstring_view file)
{
    return Sentence(L"Настройки контроллера " + AddressText(address) + L" восстановлены из файла ", file,
                    L"; пароли остались прежними: в файле их нет.");
}

std::wstring RepeatedTarget(std::uint32_t address)
{
    return L"контроллер " + AddressText(address) + L" задан дважды.";
}

std::wstring OneControllerKey(std::wstring_view key)
{
    return Sentence(L"ключ ", key,
                    L" задаётся только одному контроллеру: у каждого контроллера своё значение.");
}

std::wstring BadListLine(std::wstring_view file, std::size_t line)
{
    return Sentence(L"в файле ", file,
                    L" строка " + std::to_wstring(line) +
                        L" — не адрес контроллера A.B.C.D или A.B.C.D:ПОРТ.");
}

std::wstring BadCredentialsLine(std::wstring_view file, std::size_t line)
{
    return Sentence(L"в файле ", file,
                    L" строка " + std::to_wstring(line) + L" — не запись вида A.B.C.D,ИМЯ,ПАРОЛЬ.");
}

std::wstring RepeatedCredentials(std::wstring_view file, std::uint32_t address)
{
    return Sentence(L"в файле ", file,
                    L" имя и пароль контроллера " + AddressText(address) + L" заданы дважды.");
}

std::wstring EmptyList(std::wstring_view file)
{
    return Sentence(L"в файле ", file, L" нет ни одного адреса контроллера.");
}

std::wstring NoBackupFiles(std::wstring_view folder)
{
    return Sentence(L"в папке ", folder, L" нет файлов *.xml.");
}

std::wstring FileWithoutAddress(std::wstring_view file)
{
    return Sentence(L"в файле ", file,
                    L" нет адреса контроллера (ip): неизвестно, в какой контроллер его записать.");
}

std::wstring RepeatedFileAddress(std::wstring_view file, std::wstring_view other, std::uint32_t address)
{
    std::wstring text = Sentence(L"файлы ", file, L" и ");
    text += Quoted(other);
    text += L" содержат настройки одного контроллера ";
    text += AddressText(address);
    text += L".";
    return text;
}

std::wstring FolderNotWritable(std::wstring_view folder, unsigned long error)
{
    return Sentence(L"не удалось создать папку ", folder,
                    L" или записать в неё файл (код ошибки " + std::to_wstring(error) + L").");
}

std::wstring FileExists(std::wstring_view file)
{
    return Sentence(L"Файл ", file, L" уже есть; чтобы заменить его, добавьте --force.");
}

std::wstring ControllerRead(std::uint32_t address)
{
    return L"Настройки контроллера " + AddressText(address) + L" прочитаны.";
}

std::wstring SiteProgress(std::size_t number, std::size_t count, std::uint32_t address)
{
    return L"Контроллер " + std::to_wstring(number) + L" из " + std::to_wstring(count) + L": " +
           AddressText(address);
}

std::wstring SiteSummary(std::size_t done, std::size_t count, std::size_t unanswered, std::size_t failed,
                         std::size_t skipped)
{
    std::wstring text = L"Готово: " + std::to_wstring(done) + L" из " + std::to_wstring(count);
    if (unanswered > 0)
        text += L"; не ответили: " + std::to_wstring(unanswered);
    if (failed > 0)
        text += L"; с ошибкой: " + std::to_wstring(failed);
    if (skipped > 0)
        text += L"; не обработаны после ошибки: " + std::to_wstring(skipped);
    return text;
}

} // namespace OM::Norvatessa::CliText
