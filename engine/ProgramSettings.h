#pragma once

#include "common/AddressRange.h"
#include "common/AddressText.h"
#include "engine/DiscoveryReply.h"

#include <cstdint>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// The program's own discovery settings, kept in an XML file beside the executable, and, where that file
// cannot be written, in a per-user copy applied over it (see SettingsFile.h). An earlier version of the
// program reads a file of this one, and ignores what it does not know.
//
// One process-wide instance. It is loaded before the main window and the worker exist, and saved after
// both are gone. In between only the worker changes it (knownControllers, when a controller is added by
// address or forgotten, and knownRanges likewise, each change saved at once), so the worker reads it without
// a lock.

// The exchanges with controllers that a batch runs at once: the device manager's exchange lanes.
inline constexpr int32_t DefaultParallelExchanges = 16;
inline constexpr int32_t MostParallelExchanges = 64;

struct ProgramSettings
{
    int32_t udpSendPort = 2860;               // destination port of the discovery probe (its low 16 bits)
    int32_t udpRecvPort = DiscoveryReplyPort; // read and written back only: searches always receive there
    int32_t searchTimeout = 5000;             // milliseconds, taken as an unsigned count by every search
    // Probe rounds per search, spread over the first half of the search time; below 1 counts as 1. Where
    // each controller answers a probe with a chance of 0.7, five rounds find 99.8 % of them.
    int32_t probeCount = 5;
    // Exchanges with controllers that a batch runs at once, 1 to MostParallelExchanges; a file's value
    // outside that range gives the default.
    int32_t parallelExchanges = DefaultParallelExchanges;
    // The address of the one adapter to search through, "A.B.C.D"; empty: every adapter.
    std::wstring adapter;
    // Controllers added by address ("A.B.C.D:PORT" entries, separated by blanks): every search probes them
    // by unicast, and one that does not answer keeps its row.
    std::vector<ControllerEndpoint> knownControllers;
    // Ranges among the same entries ("A.B.C.D-A.B.C.E", "A.B.C.D/NN"): every search probes each of their
    // addresses by unicast, and those that answer are controllers like any other. The window program adds
    // and forgets them as it does addresses; a save writes the others back as they are.
    std::vector<AddressRange> knownRanges;
    // Entries of the file's knownControllers that are neither, skipped when it was loaded.
    std::vector<std::wstring> skippedKnownControllers;
};

ProgramSettings& Settings();

// The executable's full path with its extension replaced by ".config", of any length; empty when the
// executable's path cannot be read.
std::wstring SettingsFilePath();
// The per-user copy, "%LOCALAPPDATA%\Norvatessa\norvatessa.config"; empty when the user has no such folder.
std::wstring PerUserSettingsPath();

// Start-up. Reads the settings file beside the program, then applies the per-user copy over it. A file
// beside the program that does not exist is created holding an empty root. A value that the files do not
// give keeps its default; a value they give is read as a decimal number, so an explicit 0 is 0. False only
// when the executable's path cannot be read, and the program then ends.
bool LoadSettings();

// Where a save went.
enum class SettingsStore
{
    Beside,  // the file beside the program
    PerUser, // the per-user copy, since the file beside the program could not be written
    Nowhere, // neither could be written: this copy's changes are lost at its exit
    NoPath,  // the executable's path cannot be read, and nothing was tried
};
struct SettingsSave
{
    SettingsStore store = SettingsStore::NoPath;
    bool besideUnreadable = false; // the file beside the program is there but cannot be read, and stays
    std::wstring besidePath;
    std::wstring perUserPath;

    // False only when the executable's path cannot be read.
    explicit operator bool() const { return store != SettingsStore::NoPath; }
};

// Exit, and each change of knownControllers. Writes the settings beside the program, whole or not at all,
// over the file as it is on the disk (another copy of the program may have changed it meanwhile), with
// knownControllers changed only as this copy changed them. Where that cannot be written, or where a file
// that cannot be read is kept, the change goes to the per-user copy; the per-user copy, once it exists,
// takes every change, so that an address forgotten here stays forgotten whichever file holds it.
SettingsSave SaveSettings();

} // namespace OM::Norvatessa
