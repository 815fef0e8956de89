#include "settings/AppPropSheet.h"

#include "settings/RecordComparison.h"

namespace OM::Norvatessa
{

CAppPropSheet::CAppPropSheet(UINT captionId, UINT startPage, HWND parent, bool many)
    : PropertySheet(captionId, startPage), many(many ? &fields : nullptr), network(data, refusal, this->many),
      access(data, refusal, this->many), sensors(data, this->many), parentWindow(parent)
{
    AddPage(network.Page());
    AddPage(access.Page());
    AddPage(sensors.Page());
}

INT_PTR CAppPropSheet::DoModal(HWND parent)
{
    original = data;
    if (PropertySheet::DoModal(parent != nullptr ? parent : parentWindow) <= 0)
        return IDCANCEL;
    if (many != nullptr)
        return IDOK;
    // The pages' applies have started the marks afresh and marked the passwords typed anew.
    data.changed |= ControllerSettings::ChangeMarks(data, original);
    return IDOK;
}

} // namespace OM::Norvatessa
