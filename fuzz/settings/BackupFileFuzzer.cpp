// Any file given to "restore" or "Загрузить настройки из файла...": besides the sanitizers, what the reader
// takes must be what the controller may be given.
#include "settings/BackupSettings.h"
#include "settings/SettingChecks.h"

#include <cstdlib>
#include <string_view>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::ControllerSettings;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::optional<BackupSettings> read =
        ReadBackupSettings(std::string_view(reinterpret_cast<const char*>(data), size), Windows1251());
    if (!read || read->refusal)
        return 0;
    const SettingChanges& changes = read->changes;
    const bool taken = (!changes.name || !NameRefusal(*changes.name, Windows1251())) &&
                       (!changes.adminLogin || !LoginRefusal(*changes.adminLogin, Windows1251())) &&
                       (!changes.adminPassword || !PasswordRefusal(*changes.adminPassword, Windows1251())) &&
                       (!changes.port || *changes.port != 0);
    // A listing without passwords never takes one.
    const bool kept = !read->passwordsKept || (!changes.adminPassword && !changes.userPassword);
    if (!taken || !kept)
        std::abort();
    return 0;
}
