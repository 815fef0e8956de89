#include "app/SiteFolders.h"

#include "app/BatchWindow.h"
#include "app/PrivateMessages.h"
#include "app/RestorePreviewDlg.h"
#include "app/SiteFolderDlg.h"
#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "common/Words.h"
#include "engine/BatchOutcomeText.h"
#include "engine/FailureText.h"
#include "settings/BackupFolder.h"
#include "settings/BackupSteps.h"
#include "settings/ChangeSteps.h"
#include "settings/DocumentFile.h"
#include "settings/SettingAssignments.h"

#include <map>

namespace OM::Norvatessa
{

namespace
{

using ControllerSettings::BackupFileName;
using ControllerSettings::RestorePreview;

// The files named in the question about those already there; the others are counted only.
constexpr std::size_t NamedFiles = 5;

// A preview due while its read batch tells its end comes again a moment later.
constexpr UINT_PTR PreviewRetryTimer = 0x5F01;
constexpr UINT PreviewRetryMs = 50;

void CALLBACK RetryPreview(HWND main, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(main, timer);
    ::PostMessageW(main, WM_RESTOREPREVIEW, 0, 0);
}

// A backup into a folder that cannot be made or written: every controller fails with the reason, before
// anything is sent to it.
class RefusedFolder final : public BatchWork
{
public:
    explicit RefusedFolder(std::wstring reason) : reason(std::move(reason)) {}
    bool MayWrite() const override { return false; }
    std::optional<std::wstring> Before(std::uint32_t) override { return reason; }

private:
    const std::wstring reason;
};

std::wstring NameOf(const std::vector<ControllerRow>& known, std::uint32_t address)
{
    for (const ControllerRow& row : known)
    {
        if (!row.range && row.address == address)
            return row.name;
    }
    return L"";
}

// The files of these controllers already in the folder, by name.
std::vector<std::wstring> FilesThere(const std::wstring& folder, const std::vector<BatchTarget>& controllers)
{
    std::vector<std::wstring> there;
    for (const BatchTarget& controller : controllers)
    {
        const std::wstring file = BackupFileName(folder, controller.address);
        if (::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES)
            there.push_back(AddressText(controller.address) + L".xml");
    }
    return there;
}

std::wstring FileList(const std::vector<std::wstring>& files)
{
    std::wstring list;
    for (std::size_t index = 0; index < files.size() && index < NamedFiles; ++index)
        list += (list.empty() ? L"" : L", ") + files[index];
    if (files.size() > NamedFiles)
        list += L", …";
    return list;
}

// Why a controller could not be read, on one line, as the batch window words it.
std::wstring ReadFailure(const BatchOutcome& outcome)
{
    std::vector<std::wstring> problems = ProblemWords(outcome);
    if (!outcome.failure.empty())
        problems.push_back(outcome.failure);
    return problems.empty() ? std::wstring(Words::ExchangeAborted) : OutcomeLine(problems);
}

} // namespace

void SiteFolders::Backup(HWND main, const std::vector<ControllerRow>& rows)
{
    BatchCommand controllers;
    AddTargets(controllers, rows);
    if (controllers.request.targets.empty())
        return;
    CSiteFolderDlg dialog(CSiteFolderDlg::Purpose::Backup, controllers.request.targets.size());
    if (dialog.Run(main))
        BackupTo(main, dialog.folder, rows);
}

bool SiteFolders::BackupTo(HWND main, const std::wstring& folder, const std::vector<ControllerRow>& rows)
{
    BatchCommand command;
    command.title = Words::BackupCommand;
    AddTargets(command, rows);
    const std::vector<BatchTarget>& controllers = command.request.targets;
    if (controllers.empty())
        return false;
    const auto fileOf = [folder](std::uint32_t address) { return BackupFileName(folder, address); };
    if (const DWORD error = ControllerSettings::PrepareBackupFolder(folder); error != ERROR_SUCCESS)
    {
        command.request.work = std::make_shared<RefusedFolder>(
            Words::Fill(Words::FolderNotWritten, folder, DescribeFileError(error)));
        return StartBatch(main, std::move(command));
    }
    bool replace = false;
    if (const std::vector<std::wstring> there = FilesThere(folder, controllers); !there.empty())
    {
        const std::wstring question =
            Words::Fill(Words::BackupFilesThere, folder, there.size(), controllers.size(), FileList(there));
        const int answer =
            ::MessageBoxW(main, question.c_str(), Words::BackupTitle, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer != IDYES && answer != IDNO)
            return false;
        replace = answer == IDYES;
    }
    command.request.work =
        std::make_shared<ControllerSettings::BackupSteps>(fileOf, replace, Words::FileKept);
    command.doneText = [fileOf](const BatchOutcome& outcome) {
        return Words::Fill(Words::SavedToFile, fileOf(outcome.address));
    };
    return StartBatch(main, std::move(command));
}

void SiteFolders::Restore(HWND main, const std::vector<ControllerRow>& known)
{
    CSiteFolderDlg dialog(CSiteFolderDlg::Purpose::Restore, 0);
    if (dialog.Run(main))
        RestoreFrom(main, dialog.folder, known);
}

bool SiteFolders::RestoreFrom(HWND main, const std::wstring& folder, const std::vector<ControllerRow>& known)
{
    const ControllerSettings::BackupFiles found = ControllerSettings::FindBackupFiles({folder});
    if (!found.refusal.empty())
    {
        ::MessageBoxW(main, found.refusal.c_str(), Words::RestoreTitle, MB_ICONERROR);
        return false;
    }
    auto restore = std::make_shared<PendingRestore>();
    restore->folder = folder;
    // Every file is read and checked before any controller is, as the console program's restore does.
    for (const std::wstring& file : found.files)
    {
        std::string bytes;
        if (const DWORD error = ControllerSettings::ReadDocumentFile(file, bytes); error != ERROR_SUCCESS)
            restore->preview.TakeUnreadableFile(file, error);
        else
            restore->preview.TakeFile(file, bytes, ThreadAnsiCodePage());
    }
    restore->preview.OrderByController();
    restore->rowOfTarget = restore->preview.Reading();
    if (restore->rowOfTarget.empty())
    {
        // Nothing to read: the preview says why each file is refused.
        pending = restore;
        ::PostMessageW(main, WM_RESTOREPREVIEW, 0, 0);
        return false;
    }
    BatchCommand command;
    command.title = Words::RestoreReadTitle;
    for (const std::size_t row : restore->rowOfTarget)
    {
        const RestorePreview::Row& file = restore->preview.Rows()[row];
        command.request.targets.push_back(BatchTarget{*file.address, std::nullopt, file.knownPort});
        command.names.push_back(NameOf(known, *file.address));
    }
    restore->names = command.names;
    restore->waiting = restore->rowOfTarget.size();
    command.onOutcome = [restore, main](const BatchOutcome& outcome) {
        if (outcome.index >= restore->rowOfTarget.size() || restore->waiting == 0)
            return;
        const std::size_t row = restore->rowOfTarget[outcome.index];
        if (outcome.result == BatchResult::Done && outcome.read)
            restore->preview.TakeRead(row, outcome.read->properties);
        else if (outcome.result == BatchResult::Cancelled)
            restore->cancelled = true;
        else
            restore->preview.TakeReadFailure(row, ReadFailure(outcome));
        if (--restore->waiting == 0 && !restore->cancelled)
            ::PostMessageW(main, WM_RESTOREPREVIEW, 0, 0);
    };
    pending = restore;
    return StartBatch(main, std::move(command));
}

void SiteFolders::ShowPreview(HWND main)
{
    if (!pending)
        return;
    // The read's last outcome comes just before its end: the writes wait for the batch to be over.
    if (BatchRunning())
    {
        ::SetTimer(main, PreviewRetryTimer, PreviewRetryMs, &RetryPreview);
        return;
    }
    const std::shared_ptr<PendingRestore> restore = std::move(pending);
    CRestorePreviewDlg dialog(restore->preview, restore->folder);
    if (!dialog.Run(main))
        return;
    BatchCommand command;
    command.title = Words::RestoreCommand;
    std::map<std::size_t, std::wstring> names;
    for (std::size_t target = 0; target < restore->rowOfTarget.size(); ++target)
        names[restore->rowOfTarget[target]] = restore->names[target];
    auto changes = std::make_shared<std::map<std::uint32_t, const RestorePreview::Row*>>();
    for (const std::size_t ticked : restore->preview.Ticked())
    {
        const RestorePreview::Row& row = restore->preview.Rows()[ticked];
        command.request.targets.push_back(BatchTarget{*row.address, std::nullopt, row.knownPort});
        command.names.push_back(names[ticked]);
        changes->emplace(*row.address, &row);
    }
    // The rows live as long as the steps: the steps hold the restore.
    command.request.work = std::make_shared<ControllerSettings::ChangeSteps>(
        [restore, changes](std::uint32_t address) -> const ControllerSettings::SettingChanges& {
            return changes->at(address)->changes;
        });
    command.doneText = [changes](const BatchOutcome& outcome) {
        const RestorePreview::Row& row = *changes->at(outcome.address);
        return Words::Fill(
            row.passwordsKept ? Words::RestoredKeepingPasswordsFromFile : Words::RestoredFromFile, row.file);
    };
    StartBatch(main, std::move(command));
}

} // namespace OM::Norvatessa
