#include "cli/HelpText.h"

namespace OM::Norvatessa::Cli
{

namespace
{

constexpr wchar_t General[] = LR"(Настройка контроллеров Norvatessa из командной строки.

Использование: norvatessa-cli.exe КОМАНДА [ПАРАМЕТРЫ] [АРГУМЕНТЫ]

Команды:
  discover                  найти контроллеры в сети
  get АДРЕС                 показать настройки контроллера
  set АДРЕС КЛЮЧ=ЗНАЧЕНИЕ…  изменить настройки контроллера
  backup АДРЕС ФАЙЛ         сохранить настройки контроллера в файл
  restore АДРЕС ФАЙЛ        записать настройки из файла в контроллер

Каждая команда сначала ищет контроллеры (--time МС, по умолчанию 5000).
Справка по команде: norvatessa-cli.exe КОМАНДА --help

Коды завершения:
  0  выполнено
  1  контроллер не найден, не ответил или отказал (причина — в потоке ошибок)
  2  ошибка в командной строке, значении или файле; ничего не отправлено
)";

constexpr wchar_t Credentials[] = LR"(  --user ИМЯ       имя для контроллера, который требует пароль
                   (или переменная среды NORVATESSA_USER)
  --password ПАРОЛЬ  пароль (или переменная среды NORVATESSA_PASSWORD)
  --time МС        время поиска в миллисекундах, 1–600000 (5000)
)";

constexpr wchar_t Discover[] =
    LR"(Использование: norvatessa-cli.exe discover [--time МС] [--format table|csv|json]

Ищет контроллеры одним широковещательным запросом и выводит по строке на контроллер:
адрес, HTTP-порт, имя.

  --time МС        время поиска в миллисекундах, 1–600000 (5000)
  --format table   таблица (по умолчанию)
  --format csv     заголовок address,port,name, кавычки по RFC 4180
  --format json    массив объектов {"address", "port", "name"}

Код завершения 1, если не ответил ни один контроллер.
)";

constexpr wchar_t Get[] =
    LR"(Использование: norvatessa-cli.exe get АДРЕС [--format text|json|xml] [--show-passwords]
                                     [--user ИМЯ] [--password ПАРОЛЬ] [--time МС]

Читает настройки контроллера.

  --format text    по строке на настройку (по умолчанию)
  --format json    объект с ключами name, ip, port, mask, gateway, mac, sensors,
                   buzzer, askPassword, admin, user
  --format xml     документ настроек в том виде, в каком программа его отправляет
  --show-passwords показать пароли (без него они скрыты)
)";

constexpr wchar_t Set[] =
    LR"(Использование: norvatessa-cli.exe set АДРЕС КЛЮЧ=ЗНАЧЕНИЕ… [--user ИМЯ] [--password ПАРОЛЬ]
                                     [--time МС]

Читает настройки контроллера, меняет только названные, отправляет их и проверяет ответ
контроллера и прочитанные заново настройки. Если хоть одно значение недопустимо,
ничего не отправляется.

Ключи:
  name=ТЕКСТ               имя контроллера, до 16 символов
  ip=A.B.C.D               IP-адрес
  port=N                   HTTP-порт, 1–65535
  mask=A.B.C.D             маска сети
  gateway=A.B.C.D          шлюз
  mac=XX-XX                два последних байта MAC-адреса
  sensorN=digital|analog   тип датчика N (1–8)
  contactN=open|closed     контакт датчика N: нормально разомкнутый или замкнутый
  buzzer=on|off            гудок
  ask-password=on|off      запрашивать пароль
  admin-login=ИМЯ          имя администратора, до 15 символов
  admin-password=ПАРОЛЬ    пароль администратора, до 15 символов
  user-login=ИМЯ           имя пользователя
  user-password=ПАРОЛЬ     пароль пользователя

В именах и паролях нельзя использовать знаки " \ < и & (в том числе в ссылках
вида &amp; и &#34;), а в имени и пароле для входа ещё и двоеточие :.
)";

constexpr wchar_t Backup[] =
    LR"(Использование: norvatessa-cli.exe backup АДРЕС ФАЙЛ [--user ИМЯ] [--password ПАРОЛЬ]
                                     [--time МС]

Сохраняет документ настроек контроллера в файл байт в байт, как его прислал
контроллер: вместе с паролями и с настройками, которых программа не знает.
)";

constexpr wchar_t Restore[] =
    LR"(Использование: norvatessa-cli.exe restore АДРЕС ФАЙЛ [--to-address] [--user ИМЯ]
                                     [--password ПАРОЛЬ] [--time МС]

Записывает в контроллер настройки из файла, сохранённого командой backup: те,
которые знает программа. Настройки, которых в файле нет, остаются прежними;
если хоть одно значение в файле испорчено, ничего не отправляется. Первые
четыре байта MAC-адреса остаются своими у контроллера.

  --to-address     записать файл другого контроллера: контроллер сохраняет свой
                   адрес АДРЕС и весь свой MAC-адрес
)";

std::wstring WithCredentials(const wchar_t* text)
{
    std::wstring help = text;
    help += L"\nОбщие параметры:\n";
    help += Credentials;
    return help;
}

} // namespace

std::wstring HelpText(std::wstring_view command)
{
    if (command == L"discover")
        return Discover;
    if (command == L"get")
        return WithCredentials(Get);
    if (command == L"set")
        return WithCredentials(Set);
    if (command == L"backup")
        return WithCredentials(Backup);
    if (command == L"restore")
        return WithCredentials(Restore);
    return General;
}

} // namespace OM::Norvatessa::Cli
