#include "engine/Support.h"

#include "engine/DeviceEngine.h"

namespace OM::Norvatessa
{

Support::~Support()
{
    DeviceEngine::Instance().Remove(this);
}

} // namespace OM::Norvatessa
