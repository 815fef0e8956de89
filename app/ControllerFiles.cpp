#include "app/ControllerFiles.h"

#include "app/ListColumns.h"
#include "app/ReadPurpose.h"
#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "common/Words.h"
#include "engine/CsvText.h"
#include "engine/FailureText.h"
#include "settings/BackupSettings.h"
#include "settings/DocumentFile.h"
#include "settings/RestoreFiles.h"
#include "xml/Utf16File.h"

#include <commdlg.h>

#include <cwchar>

namespace OM::Norvatessa
{

namespace
{

enum class FileKind
{
    List,     // *.csv
    Settings, // *.xml
};

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
        add(Words::ListFiles, L"*.csv");
    else
        add(Words::SettingsFiles, L"*.xml");
    add(Words::AllFiles, L"*.*");
    return filter;
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

// The standard save and open dialogs; nothing when the user cancels.
std::optional<std::wstring> AskFileToSave(HWND owner, FileKind kind, const std::wstring& suggestedName)
{
    return AskFile(owner, kind, suggestedName, true);
}

std::optional<std::wstring> AskFileToOpen(HWND owner, FileKind kind)
{
    return AskFile(owner, kind, L"", false);
}

// A file name from the controller's name, its address when the name has nothing a file name may hold.
std::wstring SuggestedFileName(const ControllerRow& row)
{
    std::wstring file;
    for (const wchar_t character : row.name)
        file += std::wcschr(L"\\/:*?\"<>|", character) != nullptr || character < L' ' ? L'_' : character;
    return (file.find_first_not_of(L"_ .") == std::wstring::npos ? AddressText(row.address) : file) + L".xml";
}

// Writes the bytes through a temporary file, so that a failure leaves the old file whole; empty when it
// worked, otherwise why not.
std::wstring SaveFile(const std::wstring& path, const std::string& bytes)
{
    const DWORD error = ControllerSettings::WriteDocumentFile(path, bytes);
    if (error == ERROR_SUCCESS)
        return L"";
    return Words::Fill(Words::FileNotSaved, path, DescribeFileError(error));
}

// A controller's settings read from a backup file and checked value by value: the changes to make, or why
// the file is refused.
struct SettingsFromFile
{
    ControllerSettings::SettingChanges changes;
    std::wstring problem; // empty when the file is taken
};

SettingsFromFile ReadSettingsFile(const std::wstring& path)
{
    SettingsFromFile read;
    std::string bytes;
    if (const DWORD error = ControllerSettings::ReadDocumentFile(path, bytes); error != ERROR_SUCCESS)
    {
        read.problem = Words::Fill(Words::FileNotLoaded, path, DescribeFileError(error));
        return read;
    }
    // A backup holds the controller's document as it sent it, in the workstation's code page; a listing of
    // the console program says what it is in.
    const std::optional<ControllerSettings::BackupSettings> fromFile =
        ControllerSettings::ReadBackupSettings(bytes, ThreadAnsiCodePage());
    if (!fromFile)
        read.problem = Words::Fill(Words::NotASettingsFile, path);
    else if (fromFile->refusal)
        read.problem =
            Words::Fill(Words::SpoiltFileValue, path, fromFile->refusal->key, fromFile->refusal->reason);
    else
        read.changes = fromFile->changes;
    return read;
}

// The question before another controller's settings go to this one.
std::wstring OtherControllersFileQuestion(const std::wstring& path, std::uint32_t fileAddress,
                                          std::uint32_t address)
{
    return Words::Fill(Words::OtherControllersFileQuestion, path, AddressText(fileAddress),
                       AddressText(address));
}

void TellProblem(HWND owner, const std::wstring& problem, const wchar_t* caption)
{
    if (!problem.empty())
        ::MessageBoxW(owner, problem.c_str(), caption, MB_ICONERROR);
}

// A tag that no earlier read of this run carries.
std::int32_t NewTag(ReadPurpose purpose, std::int32_t& readsAsked)
{
    readsAsked = readsAsked % 0x7FFFFF + 1;
    return ReadTag(purpose, readsAsked);
}

} // namespace

void ControllerFiles::SaveList(HWND owner, const std::vector<ControllerRow>& rows)
{
    if (const std::optional<std::wstring> path = AskFileToSave(owner, FileKind::List, L"controllers.csv"))
        TellProblem(owner, SaveListTo(*path, rows), Words::FileNotSavedCaption);
}

std::wstring ControllerFiles::SaveListTo(const std::wstring& path,
                                         const std::vector<ControllerRow>& rows) const
{
    std::wstring csv;
    for (const wchar_t character : SavedList(rows, WorkstationListSeparator()))
        csv += character == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, character);
    return SaveFile(path, "\xEF\xBB\xBF" + Xml::utf8Text(csv));
}

void ControllerFiles::SaveSettings(HWND owner, const ControllerRow& row)
{
    const std::optional<std::wstring> path = AskFileToSave(owner, FileKind::Settings, SuggestedFileName(row));
    if (!path)
        return;
    const std::int32_t tag = NewTag(ReadPurpose::SaveToFile, readsAsked);
    settingsFiles[tag] = *path;
    read(row.address, tag);
}

void ControllerFiles::WriteSettings(HWND owner, std::int32_t tag, const std::string& answer)
{
    const auto file = settingsFiles.find(tag);
    if (file == settingsFiles.end())
        return;
    const std::wstring path = file->second;
    settingsFiles.erase(file);
    TellProblem(owner, SaveFile(path, answer), Words::FileNotSavedCaption);
}

void ControllerFiles::LoadSettings(HWND owner, std::uint32_t address)
{
    if (const std::optional<std::wstring> path = AskFileToOpen(owner, FileKind::Settings))
        TellProblem(owner, LoadSettingsFrom(owner, *path, address), Words::FileNotLoadedCaption);
}

std::wstring ControllerFiles::LoadSettingsFrom(HWND owner, const std::wstring& path, std::uint32_t address)
{
    SettingsFromFile fromFile = ReadSettingsFile(path);
    if (!fromFile.problem.empty())
        return fromFile.problem;
    const ControllerSettings::ControllerRestore restore =
        ControllerSettings::RestoreToController(std::move(fromFile.changes), address);
    if (restore.othersAddress)
    {
        const std::wstring question = OtherControllersFileQuestion(path, *restore.othersAddress, address);
        if (::MessageBoxW(owner, question.c_str(), Words::FileNotLoadedCaption, MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return L"";
    }
    const std::int32_t tag = NewTag(ReadPurpose::LoadFromFile, readsAsked);
    valuesFromFiles[tag] = restore.changes;
    read(address, tag);
    return L"";
}

std::optional<ControllerSettings::SettingChanges> ControllerFiles::TakeFileValues(std::int32_t tag)
{
    const auto values = valuesFromFiles.find(tag);
    if (values == valuesFromFiles.end())
        return std::nullopt;
    ControllerSettings::SettingChanges taken = values->second;
    valuesFromFiles.erase(values);
    return taken;
}

} // namespace OM::Norvatessa
