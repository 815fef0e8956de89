#include "app/ControllerFiles.h"

#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "engine/CsvText.h"
#include "settings/BackupSettings.h"
#include "settings/ControllerListFile.h"
#include "settings/DocumentFile.h"
#include "xml/Utf16File.h"

#include <commdlg.h>

namespace OM::Norvatessa
{

namespace
{

constexpr wchar_t ListFiles[] = L"Таблица CSV (*.csv)";
constexpr wchar_t SettingsFiles[] = L"Настройки контроллера (*.xml)";
constexpr wchar_t AllFiles[] = L"Все файлы (*.*)";

// A dialog's filter: pairs of a description and a pattern, each ending in a null, and an empty pair last.
std::wstring Filter(FileKind kind)
{
    std::wstring filter;
    const auto add = [&filter](const wchar_t* description, const wchar_t* pattern) {
        filter += description;
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
    };
    if (kind == FileKind::List)
        add(ListFiles, L"*.csv");
    else
        add(SettingsFiles, L"*.xml");
    add(AllFiles, L"*.*");
    return filter;
}

// The system's reasons a user can act on, in words; the others by their code.
std::wstring FileError(DWORD error)
{
    switch (error)
    {
    case ERROR_ACCESS_DENIED:
        return L"нет доступа к файлу или к папке";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return L"нет такого файла или папки";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return L"файл открыт другой программой";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return L"на диске нет места";
    case ERROR_WRITE_PROTECT:
        return L"диск защищён от записи";
    case ERROR_FILE_TOO_LARGE:
        return L"файл намного больше любого файла настроек контроллера";
    default:
        return L"код ошибки " + std::to_wstring(error);
    }
}

std::wstring Quoted(const std::wstring& path)
{
    return L"«" + path + L"»";
}

std::optional<std::wstring> AskFile(HWND owner, FileKind kind, const std::wstring& suggestedName, bool save)
{
    wchar_t path[MAX_PATH] = {};
    suggestedName.copy(path, std::size(path) - 1);
    const std::wstring filter = Filter(kind);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = static_cast<DWORD>(std::size(path));
    dialog.lpstrDefExt = kind == FileKind::List ? L"csv" : L"xml";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (!chosen)
        return std::nullopt;
    return std::wstring(path);
}

// The user's list separator, which a spreadsheet splits the columns of a file at.
wchar_t WorkstationListSeparator()
{
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SLIST, separator,
                          static_cast<int>(std::size(separator))) == 0)
        return ListSeparatorOf(L"");
    return ListSeparatorOf(separator);
}

} // namespace

std::optional<std::wstring> AskFileToSave(HWND owner, FileKind kind, const std::wstring& suggestedName)
{
    return AskFile(owner, kind, suggestedName, true);
}

std::optional<std::wstring> AskFileToOpen(HWND owner, FileKind kind)
{
    return AskFile(owner, kind, L"", false);
}

std::string ControllerListFile(const std::vector<DiscoveredController>& controllers)
{
    std::wstring csv;
    for (const wchar_t character :
         ControllerSettings::ControllerListCsv(controllers, WorkstationListSeparator()))
        csv += character == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, character);
    return "\xEF\xBB\xBF" + Xml::utf8Text(csv);
}

std::wstring SaveFile(const std::wstring& path, const std::string& bytes)
{
    const DWORD error = ControllerSettings::WriteDocumentFile(path, bytes);
    if (error == ERROR_SUCCESS)
        return L"";
    return L"Не удалось записать файл " + Quoted(path) + L": " + FileError(error) + L".";
}

SettingsFromFile ReadSettingsFile(const std::wstring& path)
{
    SettingsFromFile read;
    std::string bytes;
    if (const DWORD error = ControllerSettings::ReadDocumentFile(path, bytes); error != ERROR_SUCCESS)
    {
        read.problem = L"Не удалось прочитать файл " + Quoted(path) + L": " + FileError(error) + L".";
        return read;
    }
    // A backup holds the controller's document as it sent it, in the workstation's code page; a listing of
    // the console program says what it is in.
    const std::optional<ControllerSettings::BackupSettings> fromFile =
        ControllerSettings::ReadBackupSettings(bytes, ThreadAnsiCodePage());
    if (!fromFile)
        read.problem =
            L"Файл " + Quoted(path) + L" не является файлом настроек контроллера. Ничего не изменено.";
    else if (fromFile->refusal)
        read.problem = L"В файле " + Quoted(path) + L" испорчено значение «" + fromFile->refusal->key +
                       L"»: " + fromFile->refusal->reason + L" Ничего не изменено.";
    else
        read.changes = fromFile->changes;
    return read;
}

std::wstring OtherControllersFileQuestion(const std::wstring& path, std::uint32_t fileAddress,
                                          std::uint32_t address)
{
    return L"Файл " + Quoted(path) + L" сохранён с контроллера " + AddressText(fileAddress) +
           L", а выбран контроллер " + AddressText(address) +
           L". Загрузить настройки из файла в выбранный контроллер? Его адрес и MAC-адрес останутся "
           L"прежними.";
}

} // namespace OM::Norvatessa
