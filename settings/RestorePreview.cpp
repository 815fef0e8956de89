#include "settings/RestorePreview.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "settings/BackupSettings.h"
#include "settings/RestoreFiles.h"
#include "settings/SettingListing.h"
#include "settings/SettingTable.h"

#include <algorithm>
#include <cstdint>

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

RestorePreview::Row Refused(const std::wstring& path, std::wstring why)
{
    RestorePreview::Row row;
    row.file = path;
    row.note = std::move(why);
    return row;
}

} // namespace

void RestorePreview::TakeFile(const std::wstring& path, std::string_view bytes, const CodePage& codePage)
{
    std::optional<BackupSettings> settings = ReadBackupSettings(bytes, codePage);
    if (!settings)
        return rows.push_back(Refused(path, Words::Fill(Words::NotADocument, path)));
    if (settings->refusal)
        return rows.push_back(Refused(path, Words::Fill(Words::RefusedFileValue, path, settings->refusal->key,
                                                        settings->refusal->reason)));
    // The checks of the console program's restore of a site, one file after the other.
    const std::optional<std::uint32_t> named = settings->changes.Named(&Xml::DeviceProperties::ip);
    const bool passwordsKept = settings->passwordsKept;
    if (const std::optional<std::wstring> refusal = site.Take(RestoreFile{path, std::move(*settings)}))
    {
        // Which of two files of one controller is right is the user's to say: neither is written.
        for (Row& earlier : rows)
        {
            if (named && earlier.address == named && earlier.state != State::Refused)
            {
                earlier.state = State::Refused;
                earlier.ticked = false;
                earlier.note = *refusal;
            }
        }
        return rows.push_back(Refused(path, *refusal));
    }
    const SiteFile& taken = site.Files().back();
    Row row;
    row.file = path;
    row.address = taken.address;
    row.knownPort = taken.knownPort;
    row.changes = taken.file.settings.changes;
    row.passwordsKept = passwordsKept;
    row.state = State::Reading;
    rows.push_back(std::move(row));
}

void RestorePreview::TakeUnreadableFile(const std::wstring& path, std::uint32_t error)
{
    rows.push_back(Refused(path, Words::Fill(Words::FileNotRead, path, error)));
}

void RestorePreview::OrderByController()
{
    std::stable_sort(rows.begin(), rows.end(), [](const Row& first, const Row& second) {
        return first.address.value_or(UINT32_MAX) < second.address.value_or(UINT32_MAX);
    });
}

std::vector<std::size_t> RestorePreview::Reading() const
{
    std::vector<std::size_t> reading;
    for (std::size_t row = 0; row < rows.size(); ++row)
    {
        if (rows[row].state == State::Reading)
            reading.push_back(row);
    }
    return reading;
}

void RestorePreview::TakeRead(std::size_t index, const Xml::DeviceProperties& current)
{
    if (index >= rows.size() || rows[index].state != State::Reading)
        return;
    Row& row = rows[index];
    const Xml::DeviceProperties restored = ApplySettingChanges(current, row.changes);
    row.differences.clear();
    for (const SettingKey& key : AllSettingKeys())
    {
        if (SameValue(key, current, restored))
            continue;
        row.differences.push_back(key.setting->secret
                                      ? Words::Fill(Words::SecretChanges, key.key)
                                      : Words::Fill(Words::ValueChanges, key.key, SettingWord(key, current),
                                                    SettingWord(key, restored)));
    }
    row.state = State::Read;
    row.ticked = !row.differences.empty();
}

void RestorePreview::TakeReadFailure(std::size_t index, std::wstring why)
{
    if (index >= rows.size() || rows[index].state != State::Reading)
        return;
    rows[index].state = State::NotRead;
    rows[index].note = Words::Fill(Words::ControllerNotRead, why);
}

bool RestorePreview::Tick(std::size_t row, bool ticked)
{
    if (!CanTick(row))
        return false;
    rows[row].ticked = ticked;
    return true;
}

std::vector<std::size_t> RestorePreview::Ticked() const
{
    std::vector<std::size_t> ticked;
    for (std::size_t row = 0; row < rows.size(); ++row)
    {
        if (rows[row].ticked)
            ticked.push_back(row);
    }
    return ticked;
}

std::wstring RestorePreview::Note(std::size_t index) const
{
    const Row& row = rows.at(index);
    if (row.state != State::Read)
        return row.note;
    std::wstring text;
    for (const std::wstring& difference : row.differences)
        text += (text.empty() ? L"" : L"; ") + difference;
    if (text.empty())
        text = Words::NothingChanges;
    if (row.passwordsKept)
        text += std::wstring(L"; ") + Words::PasswordsStay;
    return text;
}

} // namespace OM::Norvatessa::ControllerSettings
