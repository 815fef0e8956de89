#include "engine/FailureText.h"

#include "common/AddressText.h"
#include "engine/ProgramSettings.h"
#include "engine/Support.h"

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

namespace OM::Norvatessa
{

namespace
{

std::wstring WithCode(const wchar_t* text, DWORD code)
{
    return code == 0 ? std::wstring(text)
                     : std::wstring(text) + L" (код ошибки " + std::to_wstring(code) + L")";
}

// The system's reason for an exchange that got no answer.
std::wstring NoAnswerText(DWORD error)
{
    switch (error)
    {
    case ERROR_INTERNET_CANNOT_CONNECT:
        return L"Контроллер отклонил соединение: его HTTP-служба не принимает подключения на этом порту.";
    case ERROR_INTERNET_TIMEOUT:
        return L"Контроллер не ответил за отведённое время.";
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
        return L"Контроллер разорвал соединение, не дав ответа.";
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_INVALID_URL:
        return L"Адрес контроллера не распознан.";
    default:
        return WithCode(L"Нет ответа от контроллера.", error);
    }
}

std::wstring StatusText(std::uint32_t status)
{
    return status == 0 || status == 200 ? std::wstring()
                                        : L" Код ответа HTTP: " + std::to_wstring(status) + L".";
}

} // namespace

std::wstring DescribeFailure(const ExchangeFailure& failure)
{
    switch (failure.reason)
    {
    case ExchangeFailureReason::NotConnected:
        return L"Нет соединения с контроллером. Выполните новый поиск.";
    case ExchangeFailureReason::RequestNotPrepared:
        return WithCode(L"Не удалось подготовить запрос к контроллеру.", failure.systemError);
    case ExchangeFailureReason::NoAnswer:
        return NoAnswerText(failure.systemError);
    case ExchangeFailureReason::AnswerCutOff:
        return L"Ответ контроллера оборвался на середине.";
    case ExchangeFailureReason::AnswerTooLong:
        return L"Ответ контроллера слишком длинный (больше 15999 байт); он не принят, чтобы не работать с "
               L"обрезанными настройками.";
    case ExchangeFailureReason::AnswerTooSlow:
        return L"Контроллер передавал ответ слишком медленно; обмен прерван.";
    case ExchangeFailureReason::AuthorizationFailed:
        return WithCode(L"Не удалось запросить имя и пароль.", failure.systemError);
    case ExchangeFailureReason::CredentialsRequired:
        return L"Контроллер требует имя и пароль, а они не заданы.";
    case ExchangeFailureReason::CredentialsRejected:
        return L"Контроллер не принял имя и пароль.";
    case ExchangeFailureReason::NoConnection:
        return L"Контроллер не принял соединение за 5 с: он выключен, недоступен по сети или его HTTP-служба "
               L"не отвечает.";
    case ExchangeFailureReason::NoAnswerInTime:
        return L"Контроллер принял запрос, но не ответил на него за 5 с.";
    case ExchangeFailureReason::ClosedWithoutAnswer:
        return L"Контроллер закрыл соединение, не дав ответа.";
    case ExchangeFailureReason::Redirected:
        return L"Контроллер перенаправил запрос на другой адрес; программа туда не обращается, чтобы имя и "
               L"пароль не ушли другому устройству.";
    case ExchangeFailureReason::CredentialsNotInCodePage:
        return L"Имя или пароль содержит символ, которого нет в кодовой странице Windows этого компьютера; "
               L"они не отправлены.";
    }
    return WithCode(L"Обмен с контроллером не удался.", failure.systemError);
}

std::wstring DescribeRefusal(const RequestRefusal& refusal)
{
    switch (refusal.reason)
    {
    case RefusalReason::UnknownController:
        return L"Контроллер с этим адресом больше не известен программе. Выполните новый поиск.";
    case RefusalReason::AddressTaken:
        return L"Адрес " + refusal.detail +
               L" уже занят другим найденным контроллером. Настройки не отправлены.";
    case RefusalReason::TextNotCarried:
        return L"Имя, логин или пароль содержит недопустимый символ: \" \\ < или & (в логине и пароле также "
               L"двоеточие :). Настройки не отправлены.";
    case RefusalReason::TextNotInCodePage:
        return L"Имя, логин или пароль содержит символ, которого нет в кодовой странице Windows этого "
               L"компьютера. Настройки не отправлены.";
    case RefusalReason::AnswerUnreadable:
        return L"Ответ контроллера не является документом настроек." + StatusText(refusal.httpStatus);
    case RefusalReason::AnswerWithoutNet:
        return L"В ответе контроллера нет сетевых настроек (элемента net)." + StatusText(refusal.httpStatus);
    case RefusalReason::ChangeNotConfirmed:
        return L"Контроллер не подтвердил изменение настроек (change=\"" + refusal.detail +
               L"\" вместо \"ok\")." + StatusText(refusal.httpStatus);
    case RefusalReason::OtherAddress:
        return L"Ответ контроллера описывает другой адрес (" + refusal.detail + L").";
    case RefusalReason::ReconnectFailed:
        return L"Настройки изменены, но подключиться к контроллеру заново не удалось. Выполните новый поиск.";
    case RefusalReason::InternalFailure:
        return L"Запрос не выполнен из-за внутренней ошибки программы (" + refusal.detail + L").";
    }
    return L"Запрос к контроллеру отклонён.";
}

std::wstring DescribeSearchFailure(std::int32_t socketError)
{
    if (socketError == SearchBrokenOff)
        return L"Поиск прерван внутренней ошибкой программы; выполните новый поиск.";
    if (socketError == WSAEADDRNOTAVAIL)
        return L"Ни у одного сетевого адаптера этого компьютера нет адреса «" + Settings().adapter +
               L"», через который велено искать (настройка adapter). Поиск не выполнен; исправьте "
               L"настройку или оставьте её пустой, чтобы искать через все адаптеры.";
    if (socketError == WSAEADDRINUSE || socketError == WSAEACCES)
        return L"Порт UDP 30303, на который приходят ответы контроллеров, занят другой программой (возможно, "
               L"запущена вторая копия этой программы). Закройте её и выполните новый поиск.";
    return WithCode(L"Не удалось разослать запрос поиска по сети.", static_cast<DWORD>(socketError));
}

std::wstring DescribeUnsentProbe(std::int32_t socketError)
{
    // No route to the address, or none to its subnet: a controller at another site, or a gateway missing.
    if (socketError == WSAENETUNREACH || socketError == WSAEHOSTUNREACH)
        return L"нет маршрута";
    return WithCode(L"запрос поиска не отправлен", static_cast<DWORD>(socketError));
}

std::wstring DescribeProbedAdapter(const ProbedAdapter& probed)
{
    std::wstring line = L"Поиск через " + AddressText(probed.adapter.address);
    if (!probed.adapter.name.empty())
        line += L" (" + probed.adapter.name + L")";
    if (probed.error != 0)
        line += L" не удался (код ошибки " + std::to_wstring(probed.error) + L")";
    return line;
}

std::wstring DescribeConflict(const AddressConflict& conflict)
{
    const SearchReply& one = conflict.first;
    const SearchReply& other = conflict.other;
    std::wstring differences;
    const auto add = [&differences](const std::wstring& what) {
        differences += (differences.empty() ? L"" : L", ") + what;
    };
    if (one.name != other.name)
        add(L"имя «" + one.name + L"» и «" + other.name + L"»");
    if (one.port != other.port)
        add(L"порт " + std::to_wstring(one.port) + L" и " + std::to_wstring(other.port));
    const auto digits = [](const SearchReply& reply) {
        return std::to_wstring(reply.first) + std::to_wstring(reply.second) + std::to_wstring(reply.third);
    };
    if (digits(one) != digits(other))
        add(L"цифры " + digits(one) + L" и " + digits(other));
    return L"По адресу " + AddressText(one.address) + L" отвечают два контроллера (" + differences +
           L"). Дайте одному из них другой адрес.";
}

std::wstring DescribeNothingFound(std::size_t adaptersProbed)
{
    const std::wstring adapters = adaptersProbed == 0
                                      ? L"на адрес 255.255.255.255"
                                      : L"на адрес 255.255.255.255 и через адаптеры (" +
                                            std::to_wstring(adaptersProbed) + L", строки «Поиск через» выше)";
    return L"Ни один контроллер не ответил. Запрос поиска ушёл " + adapters +
           L". Проверьте: брандмауэр этого компьютера должен пропускать входящие пакеты UDP на порт 30303; "
           L"сетевой кабель и адаптер; контроллер в другой подсети, за маршрутизатором, широковещательный "
           L"запрос не слышит — добавьте его по адресу (Контроллер → Добавить по адресу...).";
}

std::wstring DescribeSettingsSave(const SettingsSave& save)
{
    const std::wstring beside =
        L"Файл настроек «" + save.besidePath + L"» " +
        (save.besideUnreadable ? L"не прочитан и оставлен как есть" : L"записать нельзя");
    switch (save.store)
    {
    case SettingsStore::PerUser:
        return beside + L"; настройки сохранены для этого пользователя в файле «" + save.perUserPath + L"».";
    case SettingsStore::Nowhere:
        return beside +
               (save.perUserPath.empty() ? L"" : L", а файл «" + save.perUserPath + L"» записать нельзя") +
               L": добавленные и забытые адреса не сохранены.";
    default:
        return L"";
    }
}

} // namespace OM::Norvatessa
