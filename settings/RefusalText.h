#pragma once

namespace OM::Norvatessa::RefusalText
{

// What the settings sheet and the console program say when they refuse a value.
inline constexpr wchar_t Title[] = L"Недопустимое значение";
inline constexpr wchar_t Port[] = L"Порт должен быть числом от 1 до 65535.";
inline constexpr wchar_t Address[] =
    L"Адрес 0.0.0.0 или 255.255.255.255 отрезал бы контроллер от сети. Введите адрес контроллера.";
inline constexpr wchar_t PartialAddress[] = L"Заполните все четыре числа адреса или оставьте поле пустым.";
inline constexpr wchar_t MacByte[] = L"Байт MAC-адреса — одна или две шестнадцатеричные цифры (00–FF).";
inline constexpr wchar_t PasswordMismatch[] = L"Пароль и подтверждение пароля не совпадают.";
inline constexpr wchar_t NameText[] =
    L"Имя контроллера не может содержать двойную кавычку \", обратную косую "
    L"черту \\, знак «меньше» < и амперсанд &.";
inline constexpr wchar_t LoginText[] = L"Имя и пароль не могут содержать двоеточие :, двойную кавычку \", "
                                       L"обратную косую черту \\, знак «меньше» < и амперсанд &.";
inline constexpr wchar_t CodePage[] = L"Текст содержит символ, которого нет в кодовой странице Windows этого "
                                      L"компьютера: контроллер получил бы другой текст.";

} // namespace OM::Norvatessa::RefusalText
