// Any bytes as a settings file, beside the program or the user's copy, through the very functions the
// program reads and writes them with. Whatever is read must come back the same when the program writes it
// and reads it again: a save must never leave a file that the next start cannot read.
#include "engine/SettingsFile.h"

#include <cstdlib>

using namespace OM::Norvatessa;

namespace
{

bool SameValues(const ProgramSettings& one, const ProgramSettings& other)
{
    return one.udpSendPort == other.udpSendPort && one.udpRecvPort == other.udpRecvPort &&
           one.searchTimeout == other.searchTimeout && one.probeCount == other.probeCount &&
           one.adapter == other.adapter && one.knownControllers == other.knownControllers &&
           one.knownRanges == other.knownRanges;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::optional<SettingsFileContent> file =
        ReadSettingsFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!file)
        return 0;
    ProgramSettings settings;
    ApplySettingsFile(*file, settings);

    // The file beside the program as a save without changes writes it: the same values and addresses.
    const std::optional<SettingsFileContent> beside =
        ReadSettingsFile(BesideSettingsBytes(*file, settings, {}));
    if (!beside)
        std::abort();
    ProgramSettings again;
    ApplySettingsFile(*beside, again);
    if (!SameValues(again, settings))
        std::abort();

    // The user's copy after forgetting every address and range it knew and adding again every one it forgot.
    const KnownControllerChanges changes{file->forgottenControllers, file->knownControllers,
                                         file->forgottenRanges, file->knownRanges};
    const std::optional<SettingsFileContent> perUser = ReadSettingsFile(PerUserSettingsBytes(*file, changes));
    if (!perUser || perUser->knownControllers != file->forgottenControllers ||
        perUser->forgottenControllers != file->knownControllers ||
        perUser->knownRanges != file->forgottenRanges || perUser->forgottenRanges != file->knownRanges)
        std::abort();
    return 0;
}
