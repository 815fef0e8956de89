#pragma once

#include "engine/AddressText.h"

#include <cstdint>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// The program's own discovery settings, kept in an XML file beside the executable. An earlier version
// of the program reads a file of this one, and ignores what it does not know.
//
// One process-wide instance. It is loaded before the main window and the worker exist and written back
// after both are gone; in between nothing changes it, so the worker reads it without a lock. The values
// have no valid range and none is enforced.
struct ProgramSettings
{
    int32_t udpSendPort = 2860;   // destination port of the discovery probe (its low 16 bits)
    int32_t udpRecvPort = 30303;  // read and written back only: searches always receive on 30303
    int32_t searchTimeout = 5000; // milliseconds, taken as an unsigned count by every search
    // Probe rounds per search, spread over the first half of the search time; below 1 counts as 1. Where
    // each controller answers a probe with a chance of 0.7, five rounds find 99.8 % of them.
    int32_t probeCount = 5;
    // The address of the one adapter to search through, "A.B.C.D"; empty: every adapter.
    std::wstring adapter;
    // Controllers added by address ("A.B.C.D:PORT" entries, separated by blanks): every search probes them
    // by unicast, and one that does not answer keeps its row.
    std::vector<ControllerEndpoint> knownControllers;
    // Entries of the file's knownControllers that are no "A.B.C.D:PORT", skipped when it was loaded.
    std::vector<std::wstring> skippedKnownControllers;
};

ProgramSettings& Settings();

// The executable's full path with its extension replaced by ".config", of any length; empty when the
// executable's path cannot be read.
std::wstring SettingsFilePath();

// Start-up. Reads the settings file; a file that does not exist is created holding an empty root. A
// value that the file does not give keeps its default; a value it gives is read as a decimal number, so
// an explicit 0 is 0. False only when the executable's path cannot be read, and the program then ends.
bool LoadSettings();

// Exit. Writes the values in effect to the settings file; a failure to write is not reported. False only
// when the executable's path cannot be read.
bool SaveSettings();

} // namespace OM::Norvatessa
