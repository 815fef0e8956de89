#include "engine/FailureText.h"

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
    }
    return L"Запрос к контроллеру отклонён.";
}

std::wstring DescribeSearchFailure(std::int32_t socketError)
{
    if (socketError == WSAEADDRINUSE || socketError == WSAEACCES)
        return L"Порт UDP 30303, на который приходят ответы контроллеров, занят другой программой (возможно, "
               L"запущена вторая копия этой программы). Закройте её и выполните новый поиск.";
    return WithCode(L"Не удалось разослать запрос поиска по сети.", static_cast<DWORD>(socketError));
}

} // namespace OM::Norvatessa
