#pragma once

#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>

namespace OM::Norvatessa::Words
{

// What the window program and the console program say, in the one language they speak. Each text is a
// whole sentence, its variable parts written as numbered places (%1, %2, ...) that Fill puts the values
// in, so that a sentence reads here as the user reads it. Texts that have a resource id stay in the
// resources; the titles of columns and the labels of a controller's settings stay in their tables
// (ListColumns, the console's ControllerListing, SettingTable), where a new column or key is one row; the
// console program's usage is cli/Usage.txt.

// The sentence with each %N replaced by the Nth value; a place without a value stays as it is written.
std::wstring Fill(std::wstring_view sentence, std::initializer_list<std::wstring_view> values);

inline std::wstring_view Place(std::wstring_view text)
{
    return text;
}

template <std::integral Number>
requires(!std::same_as<Number, bool> && !std::same_as<Number, wchar_t>) std::wstring Place(Number number)
{
    return std::to_wstring(number);
}

// Texts and numbers alike: Fill(NotFound, AddressText(address), timeMs).
template <typename... Values>
std::wstring Fill(std::wstring_view sentence, const Values&... values)
{
    return Fill(sentence, {std::wstring_view(Place(values))...});
}

// ---- An exchange with a controller

// The wait dialog's caption, and its second line while an exchange runs.
inline constexpr wchar_t WaitCaption[] = L"Ожидание ответа контроллера";
inline constexpr wchar_t AuthorizationLabel[] = L"Авторизация";
inline constexpr wchar_t ReadPropertiesLabel[] = L"Запрос настроек контроллера";
inline constexpr wchar_t WritePropertiesLabel[] = L"Изменение настроек контроллера";

// A failure that the system gives a code for, and an answer that came with an unexpected HTTP status.
inline constexpr wchar_t WithErrorCode[] = L"%1 (код ошибки %2)";
inline constexpr wchar_t WithHttpStatus[] = L"%1 Код ответа HTTP: %2.";

// Why an exchange failed, without the controller's address.
inline constexpr wchar_t NotConnected[] = L"Нет соединения с контроллером. Выполните новый поиск.";
inline constexpr wchar_t RequestNotPrepared[] = L"Не удалось подготовить запрос к контроллеру.";
inline constexpr wchar_t ConnectionRefused[] =
    L"Контроллер отклонил соединение: его HTTP-служба не принимает подключения на этом порту.";
inline constexpr wchar_t TimedOut[] = L"Контроллер не ответил за отведённое время.";
inline constexpr wchar_t ConnectionBroken[] = L"Контроллер разорвал соединение, не дав ответа.";
inline constexpr wchar_t AddressNotRecognized[] = L"Адрес контроллера не распознан.";
inline constexpr wchar_t NoAnswer[] = L"Нет ответа от контроллера.";
inline constexpr wchar_t AnswerCutOff[] = L"Ответ контроллера оборвался на середине.";
inline constexpr wchar_t AnswerTooLong[] =
    L"Ответ контроллера слишком длинный (больше %1 байт); он не принят, "
    L"чтобы не работать с обрезанными настройками.";
inline constexpr wchar_t AnswerTooSlow[] = L"Контроллер передавал ответ слишком медленно; обмен прерван.";
inline constexpr wchar_t AuthorizationFailed[] = L"Не удалось запросить имя и пароль.";
inline constexpr wchar_t CredentialsRequired[] = L"Контроллер требует имя и пароль, а они не заданы.";
inline constexpr wchar_t CredentialsRejected[] = L"Контроллер не принял имя и пароль.";
inline constexpr wchar_t NoConnection[] =
    L"Контроллер не принял соединение за %1 с: он выключен, недоступен по "
    L"сети или его HTTP-служба не отвечает.";
inline constexpr wchar_t NoAnswerInTime[] = L"Контроллер принял запрос, но не ответил на него за %1 с.";
inline constexpr wchar_t ClosedWithoutAnswer[] = L"Контроллер закрыл соединение, не дав ответа.";
inline constexpr wchar_t Redirected[] = L"Контроллер перенаправил запрос на другой адрес; программа туда не "
                                        L"обращается, чтобы имя и пароль не ушли другому устройству.";
inline constexpr wchar_t CredentialsNotInCodePage[] =
    L"Имя или пароль содержит символ, которого нет в кодовой странице Windows этого компьютера; они не "
    L"отправлены.";
inline constexpr wchar_t ExchangeFailed[] = L"Обмен с контроллером не удался.";

// Why a request was refused, without the controller's address.
inline constexpr wchar_t UnknownController[] =
    L"Контроллер с этим адресом больше не известен программе. Выполните новый поиск.";
inline constexpr wchar_t AddressTaken[] = L"Адрес %1 уже занят другим найденным контроллером. Настройки не "
                                          L"отправлены.";
inline constexpr wchar_t TextNotCarried[] =
    L"Имя, логин или пароль содержит недопустимый символ: \" \\ < или & "
    L"(в логине и пароле также двоеточие :). Настройки не отправлены.";
inline constexpr wchar_t TextNotInCodePage[] =
    L"Имя, логин или пароль содержит символ, которого нет в кодовой "
    L"странице Windows этого компьютера. Настройки не отправлены.";
inline constexpr wchar_t AnswerUnreadable[] = L"Ответ контроллера не является документом настроек.";
inline constexpr wchar_t AnswerWithoutNet[] = L"В ответе контроллера нет сетевых настроек (элемента net).";
inline constexpr wchar_t ChangeNotConfirmed[] =
    L"Контроллер не подтвердил изменение настроек (change=\"%1\" вместо \"ok\").";
inline constexpr wchar_t OtherAddress[] = L"Ответ контроллера описывает другой адрес (%1).";
inline constexpr wchar_t ReconnectFailed[] =
    L"Настройки изменены, но подключиться к контроллеру заново не удалось. Выполните новый поиск.";
inline constexpr wchar_t RequestInternalFailure[] =
    L"Запрос не выполнен из-за внутренней ошибки программы (%1).";
inline constexpr wchar_t RequestRefused[] = L"Запрос к контроллеру отклонён.";

// A failure or refusal with its controller: "Контроллер 192.168.0.17, Авторизация:\n..." (the step of the
// exchange, or what was not done).
inline constexpr wchar_t ControllerProblem[] = L"Контроллер %1, %2:\n%3";
inline constexpr wchar_t ReadRefused[] = L"настройки не прочитаны";
inline constexpr wchar_t WriteRefused[] = L"настройки не изменены";

// After a write.
inline constexpr wchar_t ExchangeAborted[] = L"Обмен с контроллером прерван.";
inline constexpr wchar_t ChangedButNotReadBack[] =
    L"Контроллер подтвердил изменение настроек, но прочитать их заново не удалось.";
inline constexpr wchar_t ReadBackDiffers[] =
    L"Контроллер %1 подтвердил изменение, но прочитанные заново настройки отличаются от отправленных: %2.";
inline constexpr wchar_t Changed[] = L"Настройки контроллера %1 изменены.";
inline constexpr wchar_t Moved[] = L"Настройки контроллера %1 изменены; теперь он отвечает по адресу %2.";
inline constexpr wchar_t ControllerRead[] = L"Настройки контроллера %1 прочитаны.";

// ---- The search

// Why a search could not begin.
inline constexpr wchar_t AdapterMissing[] =
    L"Ни у одного сетевого адаптера этого компьютера нет адреса «%1», через который велено искать (настройка "
    L"adapter). Поиск не выполнен; исправьте настройку или оставьте её пустой, чтобы искать через все "
    L"адаптеры.";
inline constexpr wchar_t ReplyPortTaken[] = L"Порт UDP %1, на который приходят ответы контроллеров, занят "
                                            L"другой программой (возможно, запущена вторая "
                                            L"копия этой программы). Закройте её и выполните новый поиск.";
inline constexpr wchar_t SearchNotSent[] = L"Не удалось разослать запрос поиска по сети.";

// Why the probe to a controller given by address could not be sent, in a few words for its row.
inline constexpr wchar_t NoRoute[] = L"нет маршрута";
inline constexpr wchar_t ProbeNotSent[] = L"запрос поиска не отправлен";

// The course of a search, for the log: each adapter probed, and two controllers heard on one address with
// what differs between them (the differences joined by ", ").
inline constexpr wchar_t ProbedAdapter[] = L"Поиск через %1";
inline constexpr wchar_t NamedAdapter[] = L"%1 (%2)";
inline constexpr wchar_t AdapterFailed[] = L"%1 не удался (код ошибки %2)";
inline constexpr wchar_t Conflict[] =
    L"По адресу %1 отвечают два контроллера (%2). Дайте одному из них другой "
    L"адрес.";
inline constexpr wchar_t ConflictNames[] = L"имя «%1» и «%2»";
inline constexpr wchar_t ConflictPorts[] = L"порт %1 и %2";
inline constexpr wchar_t ConflictDigits[] = L"цифры %1 и %2";

// A search that no controller answered: where the probe went (%1), and the reply port (%2).
inline constexpr wchar_t NothingFound[] =
    L"Ни один контроллер не ответил. Запрос поиска ушёл %1. Проверьте: брандмауэр этого компьютера должен "
    L"пропускать входящие пакеты UDP на порт %2; сетевой кабель и адаптер; контроллер в другой подсети, за "
    L"маршрутизатором, широковещательный запрос не слышит — добавьте его по адресу (Контроллер → Добавить по "
    L"адресу...).";
inline constexpr wchar_t ProbedBroadcast[] = L"на адрес 255.255.255.255";
inline constexpr wchar_t ProbedBroadcastAndAdapters[] =
    L"на адрес 255.255.255.255 и через адаптеры (%1, строки «Поиск через» выше)";

// The window program's status bar and log.
inline constexpr wchar_t Searching[] = L"Поиск контроллеров...";
inline constexpr wchar_t SearchingFound[] = L"Поиск контроллеров... найдено %1";
inline constexpr wchar_t NothingFoundStatus[] = L"Контроллеры не найдены";
inline constexpr wchar_t SearchFailedStatus[] = L"Поиск не удался";
inline constexpr wchar_t WaitingStatus[] = L"Ожидание ответа контроллера...";
inline constexpr wchar_t ControllerFoundLog[] = L"DeviceFound at %1";
inline constexpr wchar_t SearchFailedLog[] = L"Поиск контроллеров не удался: %1";
inline constexpr wchar_t SearchFailedMessage[] = L"Поиск контроллеров не удался:\n%1";

// The console program's search: its progress line, and what it says of what did not answer.
inline constexpr wchar_t SearchProgress[] = L"Поиск контроллеров... %1 с";
inline constexpr wchar_t NoneAnswered[] = L"Ни один контроллер не ответил за %1 мс.";
// Where the probes went: %1 the times ("5 раз"), %2 the addresses added ("по адресу 10.1.0.5").
inline constexpr wchar_t ProbesSent[] = L"Запрос поиска отправлен %1.";
inline constexpr wchar_t ProbesSentBroadcast[] =
    L"Запрос поиска отправлен %1: на 255.255.255.255 через адаптер, который выбрала система.";
inline constexpr wchar_t ProbesSentBroadcastAndAdded[] =
    L"Запрос поиска отправлен %1: на 255.255.255.255 через адаптер, который выбрала система, и %2.";
inline constexpr wchar_t ProbesSentAdded[] = L"Запрос поиска отправлен %1: %2.";
inline constexpr wchar_t Times[] = L"%1 раз";     // 1, 5, 11, 12, 25
inline constexpr wchar_t TimesFew[] = L"%1 раза"; // 2, 3, 4, 22
inline constexpr wchar_t ToAddress[] = L"по адресу %1";
inline constexpr wchar_t ToAddresses[] = L"по адресам %1";
inline constexpr wchar_t NoAnswerAdvice[] =
    L"Проверьте, что брандмауэр пропускает входящие ответы по UDP на порт %1, что кабель подключён, а "
    L"адаптер "
    L"включён. Контроллер в другой подсети можно назвать параметром --add АДРЕС[:ПОРТ] или указать команде "
    L"адресом АДРЕС:ПОРТ.";
inline constexpr wchar_t AddedNotAnswered[] =
    L"Контроллер %1, заданный параметром --add, не ответил на поиск.";
inline constexpr wchar_t AddedNotProbed[] = L"Контроллер %1, заданный параметром --add, не опрошен: %2.";
// A range of --add that the probes of the first round could not all be sent to, and why: %1 the range,
// %2 the reason, and when some of it was probed, %3 the addresses not probed of %4.
inline constexpr wchar_t RangeNotProbed[] = L"Диапазон %1, заданный параметром --add, не опрошен: %2.";
inline constexpr wchar_t RangePartlyProbed[] =
    L"Диапазон %1, заданный параметром --add, опрошен не весь: не опрошено адресов — %3 из %4 (%2).";
inline constexpr wchar_t NotFound[] = L"Контроллер %1 не ответил на поиск за %2 мс.";
inline constexpr wchar_t NotSearched[] = L"Контроллер %1 не найден: поиск не удался, а порт контроллера "
                                         L"неизвестен.";

// ---- The device list's notes and placeholder (the list's own words, never written to a file)

inline constexpr wchar_t Nameless[] = L"Старая прошивка";
inline constexpr wchar_t ConflictNote[] = L"Два контроллера на этом адресе";
inline constexpr wchar_t SilentNote[] = L"Не отвечает";
// A remembered range from which no address answered.
inline constexpr wchar_t SilentRangeNote[] = L"Ни один адрес не ответил";
inline constexpr wchar_t UnprobedNote[] = L"Не опрошен: %1";
// A range some of whose addresses were probed: %1 not probed of %2, %3 why.
inline constexpr wchar_t RangePartUnsent[] = L"%3 (адресов — %1 из %2)";

// The filter box above the list: its label, and what the empty box shows.
inline constexpr wchar_t FilterLabel[] = L"Фильтр (Ctrl+F):";
inline constexpr wchar_t FilterCue[] = L"часть имени или адреса";
// The status bar's counts beside its first part: the rows the filter keeps of all of them, while a filter
// is set; the selected rows, while there are several (one selected row shows as it is).
inline constexpr wchar_t ShownCount[] = L"Показано %1 из %2";
inline constexpr wchar_t SelectedCount[] = L"Выбрано: %1";

// ---- The program's own settings file, for the log: a save that could not go beside the program.

inline constexpr wchar_t BesideUnreadable[] = L"Файл настроек «%1» не прочитан и оставлен как есть";
inline constexpr wchar_t BesideReadOnly[] = L"Файл настроек «%1» записать нельзя";
inline constexpr wchar_t SavedPerUser[] = L"%1; настройки сохранены для этого пользователя в файле «%2».";
inline constexpr wchar_t SavedNowhere[] = L"%1: добавленные и забытые адреса не сохранены.";
inline constexpr wchar_t SavedNowhereEither[] =
    L"%1, а файл «%2» записать нельзя: добавленные и забытые адреса не сохранены.";

// ---- Values refused: the settings sheet and the console program say the same

inline constexpr wchar_t RefusedTitle[] = L"Недопустимое значение";
inline constexpr wchar_t PortRange[] = L"Порт должен быть числом от 1 до 65535.";
inline constexpr wchar_t AddressCutsOff[] =
    L"Адрес 0.0.0.0 или 255.255.255.255 отрезал бы контроллер от сети. Введите адрес контроллера.";
inline constexpr wchar_t PartialAddress[] = L"Заполните все четыре числа адреса или оставьте поле пустым.";
// The end of a range in "Добавить по адресу...": %1 the addresses it would hold, %2 the most it may.
inline constexpr wchar_t RangeEndBelowStart[] = L"Конец диапазона не может быть меньше его начала.";
inline constexpr wchar_t RangeTooLong[] = L"В диапазоне было бы %1 адресов, а можно не больше %2.";
inline constexpr wchar_t MacByte[] = L"Байт MAC-адреса — одна или две шестнадцатеричные цифры (00–FF).";
inline constexpr wchar_t PasswordMismatch[] = L"Пароль и подтверждение пароля не совпадают.";
inline constexpr wchar_t NameCharacters[] =
    L"Имя контроллера не может содержать двойную кавычку \", обратную "
    L"косую черту \\, знак «меньше» < и амперсанд &.";
inline constexpr wchar_t LoginCharacters[] =
    L"Имя и пароль не могут содержать двоеточие :, двойную кавычку \", "
    L"обратную косую черту \\, знак «меньше» < и амперсанд &.";
inline constexpr wchar_t NotInCodePage[] = L"Текст содержит символ, которого нет в кодовой странице Windows "
                                           L"этого компьютера: контроллер получил бы другой текст.";

// Values given as words (KEY=VALUE) or read from a backup file.
inline constexpr wchar_t NoAssignment[] = L"не задано ни одного изменения КЛЮЧ=ЗНАЧЕНИЕ.";
inline constexpr wchar_t NotAssignment[] = L"«%1» — не изменение вида КЛЮЧ=ЗНАЧЕНИЕ.";
inline constexpr wchar_t UnknownKey[] = L"неизвестный ключ «%1».";
inline constexpr wchar_t RepeatedKey[] = L"ключ «%1» задан дважды.";
inline constexpr wchar_t RefusedValue[] = L"недопустимое значение «%1»: %2";
inline constexpr wchar_t NameTooLong[] = L"Имя контроллера — не больше %1 символов.";
inline constexpr wchar_t LoginTooLong[] = L"Имя и пароль — не больше %1 символов.";
inline constexpr wchar_t NotAnAddress[] = L"Адрес записывается четырьмя числами от 0 до 255 через точку.";
inline constexpr wchar_t MacPair[] = L"Задаются два последних байта MAC-адреса через дефис, например 1A-2B.";
inline constexpr wchar_t SensorType[] = L"Тип датчика — digital (цифровой) или analog (аналоговый).";
inline constexpr wchar_t SensorContact[] =
    L"Контакт датчика — open (нормально разомкнутый) или closed (нормально замкнутый).";
inline constexpr wchar_t OnOff[] = L"Значение — on или off.";
inline constexpr wchar_t MacAddress[] =
    L"MAC-адрес записывается шестью байтами через дефис, например 00-1A-2B-3C-4D-5E.";
inline constexpr wchar_t ByteValue[] = L"Значение — число от 0 до 255.";
inline constexpr wchar_t CredentialsPair[] = L"Имя и пароль записываются через двоеточие: ИМЯ:ПАРОЛЬ.";
inline constexpr wchar_t FileEncoding[] = L"Файл настроек читается в кодировке UTF-8 или Windows-1251.";

// "get": a password left out of the listing.
inline constexpr wchar_t PasswordHidden[] = L"скрыт (--show-passwords)";

// ---- Files: a controller's settings and the site's list

// The window program's file dialogs and message boxes.
inline constexpr wchar_t ListFiles[] = L"Таблица CSV (*.csv)";
inline constexpr wchar_t SettingsFiles[] = L"Настройки контроллера (*.xml)";
inline constexpr wchar_t AllFiles[] = L"Все файлы (*.*)";
inline constexpr wchar_t FileNotSavedCaption[] = L"Файл не записан";
inline constexpr wchar_t FileNotLoadedCaption[] = L"Файл не загружен";
inline constexpr wchar_t FileNotSaved[] = L"Не удалось записать файл «%1»: %2.";
inline constexpr wchar_t FileNotLoaded[] = L"Не удалось прочитать файл «%1»: %2.";
inline constexpr wchar_t NotASettingsFile[] = L"Файл «%1» не является файлом настроек контроллера. Ничего не "
                                              L"изменено.";
inline constexpr wchar_t SpoiltFileValue[] = L"В файле «%1» испорчено значение «%2»: %3 Ничего не изменено.";
inline constexpr wchar_t OtherControllersFileQuestion[] =
    L"Файл «%1» сохранён с контроллера %2, а выбран контроллер %3. Загрузить настройки из файла в выбранный "
    L"контроллер? Его адрес и MAC-адрес останутся прежними.";
// The system's reasons that a user can act on, in words.
inline constexpr wchar_t NoAccess[] = L"нет доступа к файлу или к папке";
inline constexpr wchar_t NoSuchFile[] = L"нет такого файла или папки";
inline constexpr wchar_t FileInUse[] = L"файл открыт другой программой";
inline constexpr wchar_t DiskFull[] = L"на диске нет места";
inline constexpr wchar_t WriteProtected[] = L"диск защищён от записи";
inline constexpr wchar_t FileTooLarge[] = L"файл намного больше любого файла настроек контроллера";
inline constexpr wchar_t ErrorCode[] = L"код ошибки %1";

// The console program's backup and restore files.
inline constexpr wchar_t FileNotWritten[] = L"Не удалось записать файл «%1» (код ошибки %2).";
inline constexpr wchar_t FileNotRead[] = L"Не удалось прочитать файл «%1» (код ошибки %2).";
inline constexpr wchar_t NotADocument[] = L"файл «%1» не является документом настроек контроллера.";
inline constexpr wchar_t RefusedFileValue[] = L"в файле «%1» недопустимое значение «%2»: %3";
inline constexpr wchar_t OtherControllersFile[] =
    L"файл «%1» содержит настройки контроллера %2, а не %3. Чтобы записать их в %3, добавьте --to-address.";
inline constexpr wchar_t BackedUp[] = L"Настройки контроллера %1 сохранены в файл «%2».";
inline constexpr wchar_t Restored[] = L"Настройки контроллера %1 восстановлены из файла «%2».";
inline constexpr wchar_t RestoredKeepingPasswords[] =
    L"Настройки контроллера %1 восстановлены из файла «%2»; пароли остались прежними: в файле их нет.";
inline constexpr wchar_t FolderNotWritable[] = L"не удалось создать папку «%1» или записать в неё файл (код "
                                               L"ошибки %2).";
inline constexpr wchar_t FileExists[] = L"Файл «%1» уже есть; чтобы заменить его, добавьте --force.";
inline constexpr wchar_t NoBackupFiles[] = L"в папке «%1» нет файлов *.xml.";
inline constexpr wchar_t FileWithoutAddress[] =
    L"в файле «%1» нет адреса контроллера (ip): неизвестно, в какой контроллер его записать.";
inline constexpr wchar_t RepeatedFileAddress[] =
    L"файлы «%1» и «%2» содержат настройки одного контроллера %3.";

// ---- The window program's backup of the selected controllers to a folder, and restore from a folder

inline constexpr wchar_t BackupTitle[] = L"Сохранение настроек в папку";
// The batch windows' captions: the commands' names.
inline constexpr wchar_t BackupCommand[] = L"Сохранить настройки выбранных в папку";
inline constexpr wchar_t RestoreCommand[] = L"Восстановить из папки";
inline constexpr wchar_t BackupCount[] = L"Выбрано контроллеров: %1. Каждый получит файл АДРЕС.xml.";
inline constexpr wchar_t BackupNote[] = L"Папку, которой нет, программа создаст. В файлах будут пароли "
                                        L"контроллеров: храните их там, где их прочтут только те, кому можно "
                                        L"знать пароли.";
inline constexpr wchar_t RestoreCount[] = L"Каждый файл АДРЕС.xml папки вернёт настройки контроллеру с этим "
                                          L"адресом.";
inline constexpr wchar_t RestoreNote[] =
    L"Сначала программа проверит все файлы и прочитает контроллеры, затем "
    L"покажет, что изменится на каждом. Записаны будут только отмеченные.";
inline constexpr wchar_t ChooseBackupFolder[] = L"Папка для файлов настроек контроллеров";
inline constexpr wchar_t ChooseRestoreFolder[] = L"Папка с файлами настроек контроллеров";
inline constexpr wchar_t NoFolderGiven[] = L"Укажите папку.";
// %1 the folder, %2 how many of %3 selected controllers have a file there, %4 their files' names.
inline constexpr wchar_t BackupFilesThere[] =
    L"В папке «%1» уже есть файлы %2 из %3 выбранных контроллеров: %4.\n\nДа — заменить все эти файлы.\n"
    L"Нет — оставить их как есть и сохранить только остальные.\nОтмена — ничего не сохранять.";
inline constexpr wchar_t FileKept[] = L"Файл «%1» уже есть и оставлен как был.";
// A batch window's row, which names the controller already: %1 the file.
inline constexpr wchar_t SavedToFile[] = L"Сохранены в файл «%1».";
inline constexpr wchar_t RestoredFromFile[] = L"Восстановлены из файла «%1».";
inline constexpr wchar_t RestoredKeepingPasswordsFromFile[] =
    L"Восстановлены из файла «%1»; пароли остались прежними: в файле их нет.";
// Every controller of a backup into a folder that cannot be made or written: %1 the folder, %2 why.
inline constexpr wchar_t FolderNotWritten[] = L"Не удалось создать папку «%1» или записать в неё файл: %2.";
inline constexpr wchar_t RestoreReadTitle[] = L"Восстановить из папки: чтение контроллеров";
inline constexpr wchar_t RestoreTitle[] = L"Восстановление из папки";
// The preview: %1 the folder; the controllers read, of those the files name.
inline constexpr wchar_t RestoreFolderNote[] =
    L"Файлы папки «%1». Отмеченные контроллеры получат настройки своих файлов; адрес каждый сохранит свой.";
inline constexpr wchar_t NothingChanges[] = L"без изменений";
inline constexpr wchar_t ControllerNotRead[] = L"не прочитан: %1";
// A difference: %1 the key, %2 the controller's value, %3 the file's.
inline constexpr wchar_t ValueChanges[] = L"%1: %2 → %3";
inline constexpr wchar_t SecretChanges[] = L"%1: другой";
inline constexpr wchar_t PasswordsStay[] = L"пароли останутся прежними: в файле их нет";

// ---- The console program's command line

// "norvatessa-cli: TEXT", and under a command line it cannot take, the line that points to the help.
inline constexpr wchar_t ProgramSays[] = L"norvatessa-cli: %1";
inline constexpr wchar_t UsageRefusal[] = L"norvatessa-cli: %1\nСправка: norvatessa-cli.exe --help";
inline constexpr wchar_t CommandUsageRefusal[] = L"norvatessa-cli: %1\nСправка: norvatessa-cli.exe %2 --help";
inline constexpr wchar_t NoWinsock[] = L"norvatessa-cli: не удалось запустить Windows Sockets.";
inline constexpr wchar_t OutputLost[] =
    L"norvatessa-cli: не удалось записать стандартный вывод (код ошибки %1), результат команды потерян.";

inline constexpr wchar_t NoCommand[] = L"не задана команда.";
inline constexpr wchar_t UnknownCommand[] = L"неизвестная команда «%1».";
inline constexpr wchar_t UnknownOption[] = L"неизвестный параметр «%1».";
inline constexpr wchar_t FlagWithValue[] = L"параметр «%1» задаётся без значения.";
inline constexpr wchar_t MissingValue[] = L"параметру «%1» нужно значение.";
inline constexpr wchar_t RepeatedOption[] = L"параметр «%1» задан дважды.";
inline constexpr wchar_t BadChoice[] = L"недопустимое значение «%2» параметра %1; возможны: %3.";
inline constexpr wchar_t MissingOperands[] = L"не хватает аргументов.";
inline constexpr wchar_t ExtraOperand[] = L"лишний аргумент «%1».";
inline constexpr wchar_t BadAddress[] =
    L"«%1» — не адрес контроллера: нужны четыре числа от 0 до 255 через точку.";
inline constexpr wchar_t BadEndpoint[] = L"«%1» — не адрес контроллера: нужны адрес A.B.C.D (не 0.0.0.0 и не "
                                         L"255.255.255.255) и после двоеточия порт от 1 до 65535.";
inline constexpr wchar_t BadTime[] = L"время поиска (--time) — число миллисекунд от 1 до %1.";
inline constexpr wchar_t BadProbes[] = L"число запросов поиска (--probes) — от 1 до %1.";
inline constexpr wchar_t BadParallel[] =
    L"число одновременных обменов с контроллерами (--parallel) — от 1 до %1.";
inline constexpr wchar_t BadAdapter[] =
    L"недопустимое значение «%1» параметра --adapter: нужен адрес адаптера "
    L"A.B.C.D, не 0.0.0.0 и не 255.255.255.255.";
inline constexpr wchar_t BadAdded[] =
    L"недопустимое значение «%1» параметра --add: нужен адрес A.B.C.D или A.B.C.D:ПОРТ (порт от 1 до 65535) "
    L"либо диапазон A.B.C.D-A.B.C.E или A.B.C.D/NN, без адресов 0.0.0.0 и 255.255.255.255.";
// %1 the range as written, %2 the addresses it holds, %3 the most a range may hold.
inline constexpr wchar_t RangeTooLarge[] =
    L"диапазон «%1» параметра --add слишком велик: в нём %2 адресов, а можно не больше %3.";
inline constexpr wchar_t RangeReversed[] = L"в диапазоне «%1» параметра --add конец меньше начала.";
// Ranges of --add too large for the search time: %1 the addresses, %2 the rounds (--probes), %3 the pace
// of range probes a second; %4 the --time they need, or the longest --time when even that is too short.
inline constexpr wchar_t RangesNeedTime[] =
    L"диапазонам --add (адресов: %1) нужно --time %4 или больше: каждый адрес получает запрос поиска в "
    L"каждом из %2 раундов (--probes), не чаще %3 запросов в секунду, в первой половине времени поиска.";
inline constexpr wchar_t RangesExceedTime[] =
    L"диапазонам --add (адресов: %1) не хватит и наибольшего --time %4; уменьшите --probes или диапазоны: "
    L"каждый адрес получает запрос поиска в каждом из %2 раундов (--probes), не чаще %3 запросов в секунду, "
    L"в первой половине времени поиска.";
inline constexpr wchar_t BadExpect[] = L"число контроллеров (--expect) — от 1 до %1.";
inline constexpr wchar_t PasswordWithoutUser[] =
    L"пароль задан без имени пользователя (--user или переменная NORVATESSA_USER).";

// Commands on many controllers.
inline constexpr wchar_t TargetsTwice[] =
    L"контроллеры задаются или параметром --all, или адресами и параметром "
    L"--from.";
inline constexpr wchar_t ToAddressWithFiles[] =
    L"параметр --to-address задаётся только с одним адресом и одним "
    L"файлом.";
inline constexpr wchar_t RepeatedTarget[] = L"контроллер %1 задан дважды.";
inline constexpr wchar_t OneControllerKey[] =
    L"ключ «%1» задаётся только одному контроллеру: у каждого контроллера своё значение.";
inline constexpr wchar_t BadListLine[] =
    L"в файле «%1» строка %2 — не адрес контроллера A.B.C.D или A.B.C.D:ПОРТ.";
inline constexpr wchar_t BadCredentialsLine[] =
    L"в файле «%1» строка %2 — не запись вида A.B.C.D,ИМЯ,ПАРОЛЬ.";
inline constexpr wchar_t RepeatedCredentials[] = L"в файле «%1» имя и пароль контроллера %2 заданы дважды.";
inline constexpr wchar_t EmptyList[] = L"в файле «%1» нет ни одного адреса контроллера.";
// "Готово 37 из 300, в работе 16", the progress line on a console: controllers done, and in progress.
inline constexpr wchar_t SiteProgress[] = L"Готово %1 из %2, в работе %3";
// "Готово: 297 из 300; не ответили: 3", with the other counts that are not zero.
inline constexpr wchar_t SiteDone[] = L"Готово: %1 из %2";
inline constexpr wchar_t SiteUnanswered[] = L"%1; не ответили: %2";
inline constexpr wchar_t SiteFailed[] = L"%1; с ошибкой: %2";
inline constexpr wchar_t SiteSkipped[] = L"%1; не обработаны после ошибки: %2";
inline constexpr wchar_t SiteCancelled[] = L"%1; отменены: %2";

// ---- The batch window: a command on many controllers, a row per controller

// A row's state while its controller waits for a lane, is read, is written; and once it is done.
inline constexpr wchar_t BatchWaiting[] = L"ждёт";
inline constexpr wchar_t BatchReading[] = L"читается";
inline constexpr wchar_t BatchWriting[] = L"записывается";
inline constexpr wchar_t BatchDone[] = L"готово";
inline constexpr wchar_t BatchCancelled[] = L"отменено";
inline constexpr wchar_t BatchSkipped[] = L"не обработан после ошибки";
// The time the batch has taken, in seconds with tenths: "Время: 12,3 с".
inline constexpr wchar_t BatchTime[] = L"Время: %1,%2 с";
inline constexpr wchar_t BatchCancelling[] = L"Отмена: ждём конца начатых обменов";

// ---- Giving the selected controllers addresses ("Назначить адреса...")

// The preview's note on a new address, and what it says of the addresses it passed over.
inline constexpr wchar_t OutsideAdapterSubnet[] =
    L"вне подсети адаптера «%1» (%2), через который контроллер найден: компьютер может не достать его";
inline constexpr wchar_t SkippedAddresses[] = L"Пропущены: %1.";
inline constexpr wchar_t NothingSkipped[] = L"Ни один адрес не пропущен.";
inline constexpr wchar_t SkippedAddress[] = L"%1 (%2)";
inline constexpr wchar_t SkippedMore[] = L"%1 и ещё %2";
inline constexpr wchar_t SkippedInList[] = L"есть в списке";
inline constexpr wchar_t SkippedGateway[] = L"шлюз";
inline constexpr wchar_t SkippedSubnetEdge[] = L"адрес сети или широковещательный";
inline constexpr wchar_t SkippedEcho[] = L"ответил на ping";
inline constexpr wchar_t SkippedProbe[] = L"ответил контроллер";
inline constexpr wchar_t AddressesShort[] = L"Адресов не хватило: от первого адреса до 255.255.255.254 (или "
                                            L"на %1 адресов подряд) свободных только %2 "
                                            L"из %3. Выберите другой первый адрес.";
inline constexpr wchar_t ProbingAddresses[] = L"Проверяются адреса: ping и поиск контроллеров…";
inline constexpr wchar_t PreviewStale[] = L"Нажмите «Проверить», чтобы увидеть новые адреса.";
inline constexpr wchar_t ControllerMoved[] = L"новый адрес %1";

// ---- The window program's help and about box

inline constexpr wchar_t ProblemCaption[] = L"Ошибка";
inline constexpr wchar_t HelpMissing[] = L"Файл справки не найден.";
inline constexpr wchar_t ProgramPurpose[] = L"Поиск и настройка контроллеров Norvatessa в локальной сети";
inline constexpr wchar_t AboutVersion[] = L"Версия %1";

// ---- One password for a batch, and the passwords the window program remembers

// %1 the address of the controller that asked first.
inline constexpr wchar_t BatchPasswordAsked[] =
    L"Контроллер %1 требует имя и пароль. Программа предложит их и каждому другому контроллеру этой "
    L"операции, который их запросит.";
inline constexpr wchar_t ForgetPasswordsQuestion[] =
    L"Удалить все имена и пароли контроллеров, которые программа сохранила на этом компьютере?";
// %1 how many entries were removed.
inline constexpr wchar_t PasswordsForgotten[] = L"Удалено сохранённых паролей: %1.";
inline constexpr wchar_t PasswordsNotForgotten[] = L"Сохранённые пароли не удалось перечислить.";

} // namespace OM::Norvatessa::Words
