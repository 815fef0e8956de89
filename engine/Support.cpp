#include "engine/Support.h"

#include "engine/DeviceManager.h"

namespace OM::Norvatessa
{

Support::~Support()
{
    DeviceManager::Instance().Remove(this);
}

} // namespace OM::Norvatessa
