#pragma once

#include "common/CodePage.h"
#include "settings/RestoreFiles.h"
#include "settings/SettingAssignments.h"
#include "xml/DeviceProperties.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

// The window program's restore of a site from a folder, before anything is written: every file of the
// folder read and checked as the console program's restore checks it, then the controllers the files name
// read, so that what would change on each is known; the user ticks the controllers to write. A refused
// file, and a controller that could not be read, cannot be ticked.
class RestorePreview
{
public:
    enum class State
    {
        Refused, // the file: `note` says why
        Reading, // the controller is being read
        Read,    // `differences` say what the file changes
        NotRead, // the controller: `note` says why
    };

    struct Row
    {
        std::wstring file;
        std::optional<std::uint32_t> address;   // of the controller the file names
        std::optional<std::uint16_t> knownPort; // the file's port, which reaches a controller no search hears
        SettingChanges changes;                 // the file's values less its address
        bool passwordsKept = false;             // the file holds no passwords
        State state = State::Refused;
        std::wstring note;
        std::vector<std::wstring> differences; // "sensor3: digital → analog", in the order of the keys
        bool ticked = false;
    };

    // A file of the folder, in the order of their names: its bytes, or the system's error code when it
    // could not be read. A file that names a controller an earlier file names refuses both.
    void TakeFile(const std::wstring& path, std::string_view bytes, const CodePage& codePage);
    void TakeUnreadableFile(const std::wstring& path, std::uint32_t error);
    // Once the files are taken: the rows in the order of their controllers' addresses (192.168.0.9 before
    // 192.168.0.10, which name order puts the other way), the files that name none last.
    void OrderByController();

    // The rows whose controllers are to be read, in order.
    std::vector<std::size_t> Reading() const;
    // A controller's settings as read: ticked when the file changes something.
    void TakeRead(std::size_t row, const Xml::DeviceProperties& current);
    void TakeReadFailure(std::size_t row, std::wstring why);

    const std::vector<Row>& Rows() const noexcept { return rows; }
    bool CanTick(std::size_t row) const { return row < rows.size() && rows[row].state == State::Read; }
    // Ticks or unticks a row that can be ticked; false for another.
    bool Tick(std::size_t row, bool ticked);
    std::vector<std::size_t> Ticked() const;
    // What the preview says of a row: why not, or what changes.
    std::wstring Note(std::size_t row) const;

private:
    std::vector<Row> rows;
    SiteRestore site; // the files taken, which a later file of the same controller is checked against
};

} // namespace OM::Norvatessa::ControllerSettings
