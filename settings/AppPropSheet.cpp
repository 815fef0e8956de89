#include "settings/AppPropSheet.h"

namespace OM::Norvatessa
{

CAppPropSheet::CAppPropSheet(UINT captionId, UINT startPage, HWND parent)
    : PropertySheet(captionId, startPage), network(data, original, refusal), access(data, original, refusal),
      sensors(data, original), parentWindow(parent)
{
    AddPage(network.Page());
    AddPage(access.Page());
    AddPage(sensors.Page());
}

INT_PTR CAppPropSheet::DoModal(HWND parent)
{
    original = data;
    const INT_PTR result = PropertySheet::DoModal(parent != nullptr ? parent : parentWindow);
    return result > 0 ? IDOK : IDCANCEL;
}

} // namespace OM::Norvatessa
