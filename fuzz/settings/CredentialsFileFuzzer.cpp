// Any file given to --credentials: besides the sanitizers, every login and password read is one the
// controller may be given.
#include "settings/CredentialsFile.h"
#include "settings/SettingChecks.h"

#include <cstdlib>
#include <string_view>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::ControllerSettings;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const CredentialsFile file =
        ReadCredentialsFile(std::string_view(reinterpret_cast<const char*>(data), size), Windows1251());
    for (const auto& [address, credentials] : file.credentials)
    {
        if (credentials.login.empty() || LoginRefusal(credentials.login, Windows1251()) ||
            PasswordRefusal(credentials.password, Windows1251()))
            std::abort();
    }
    return 0;
}
