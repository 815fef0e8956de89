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
    using OM::Xml::DeviceProperties;
    const auto name = changes.Named(&DeviceProperties::name);
    const auto adminLogin = changes.Named(&DeviceProperties::adminName);
    const auto adminPassword = changes.Named(&DeviceProperties::adminPassword);
    const auto port = changes.Named(&DeviceProperties::tcpPort);
    const bool taken = (!name || !NameRefusal(*name, Windows1251())) &&
                       (!adminLogin || !LoginRefusal(*adminLogin, Windows1251())) &&
                       (!adminPassword || !PasswordRefusal(*adminPassword, Windows1251())) &&
                       (!port || *port != 0);
    // A listing without passwords never takes one.
    const bool kept =
        !read->passwordsKept || (!adminPassword && !changes.Names(&DeviceProperties::userPassword));
    if (!taken || !kept)
        std::abort();
    return 0;
}
