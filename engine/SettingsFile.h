#pragma once

#include "common/AddressText.h"
#include "engine/ProgramSettings.h"
#include "xml/ConfigNode.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa
{

// The program's settings files, from their bytes and back to bytes, the same in both builds, so that the
// native build tests and fuzzes the very functions the program reads and writes them with.
//
// There are two of them. The file beside the program is the one it always had. The per-user copy takes
// what this user's copy of the program could not write there (a folder under Program Files, which only an
// administrator may change); it is applied over the file beside the program, so that a file that an
// administrator puts there still counts, and it lists the addresses that this user forgot, which the
// file beside the program may still hold.
//
// Several copies of the program may run at once, each with what it read at its start. None writes what
// it read back over the file: each starts from the file as it is on the disk and applies only what it
// changed itself, so that the addresses another copy added or forgot meanwhile stay as that copy left them.

// What one settings file says.
struct SettingsFileContent
{
    // The root's attributes as the file has them; a save keeps those that this version does not know.
    Xml::ConfigNode::Map attributes;
    std::vector<ControllerEndpoint> knownControllers;     // each once, in the file's order
    std::vector<AddressRange> knownRanges;                // the ranges among them, each once
    std::vector<ControllerEndpoint> forgottenControllers; // the per-user copy's, each once
    std::vector<AddressRange> forgottenRanges;            // the ranges among them, each once
    std::vector<std::wstring> skipped; // entries of either list that are no address (nor a known range)
};

// What a file's bytes say; nothing when they are no settings file: not UTF-16 with its byte-order mark, or
// without a root element.
std::optional<SettingsFileContent> ReadSettingsFile(std::string_view bytes);

// A file's bytes: the declaration and a root "config" with these attributes.
std::string SettingsFileBytes(const Xml::ConfigNode::Map& attributes);

// Applies a file over the settings in effect. A value that it gives, read as a decimal number, replaces
// theirs; one that is missing or empty leaves it. Its knownControllers and ranges join theirs, and the
// ones it forgot leave them. Skipped entries are added to theirs, for the log.
void ApplySettingsFile(const SettingsFileContent& file, ProgramSettings& settings);

// What this copy of the program changed in knownControllers since it last read or wrote them: the
// addresses, and the ranges the user added in the window program or forgot there.
struct KnownControllerChanges
{
    std::vector<ControllerEndpoint> added;
    std::vector<ControllerEndpoint> forgotten;
    std::vector<AddressRange> addedRanges;
    std::vector<AddressRange> forgottenRanges;

    bool empty() const
    {
        return added.empty() && forgotten.empty() && addedRanges.empty() && forgottenRanges.empty();
    }
};
KnownControllerChanges ChangesBetween(const std::vector<ControllerEndpoint>& before,
                                      const std::vector<ControllerEndpoint>& after,
                                      const std::vector<AddressRange>& rangesBefore = {},
                                      const std::vector<AddressRange>& rangesAfter = {});

// The file beside the program as this copy writes it over `onDisk`: every setting from `values`, and
// knownControllers as on the disk with this copy's changes, its ranges after them likewise.
std::string BesideSettingsBytes(const SettingsFileContent& onDisk, const ProgramSettings& values,
                                const KnownControllerChanges& changes);
// The per-user copy as this copy writes it over `onDisk`: the values it holds stay as they are (the user's
// own, written by hand); knownControllers and forgottenControllers take this copy's changes.
std::string PerUserSettingsBytes(const SettingsFileContent& onDisk, const KnownControllerChanges& changes);

} // namespace OM::Norvatessa
