#pragma once

#include "settings/AppPropSheet_Page_01.h"
#include "settings/AppPropSheet_Page_02.h"
#include "settings/AppPropSheet_Page_03.h"
#include "settings/ManyFields.h"
#include "settings/SheetRefusal.h"
#include "ui/PropertySheet.h"
#include "xml/DeviceProperties.h"

namespace OM::Norvatessa
{

// The modal sheet in which the user edits one controller's settings: network, access and sensors. The
// caller fills `data` with the settings read from the controller, runs the sheet, and after OK sends
// `data`, whose change marks say what the user altered. User-interface thread only.
//
// Opened for several controllers (`many`), every field starts at "не менять" and `data` plays no part:
// after OK ManyChanges() holds what to give each controller.
class CAppPropSheet : public Ui::PropertySheet
{
public:
    using CData = Xml::DeviceProperties;

    CAppPropSheet(UINT captionId, UINT startPage, HWND parent, bool many = false);

    // Runs the sheet: IDOK after OK, IDCANCEL after Cancel.
    INT_PTR DoModal(HWND parent);

    // The reason the last refusal gave, for whoever wants to see it (tests).
    const SheetRefusal& Refusal() const noexcept { return refusal; }

    // After OK for several controllers: the fields that left "не менять".
    const ControllerSettings::SettingChanges& ManyChanges() const noexcept { return fields.Changes(); }

    CData data;

    CAppPropSheet_Page_01<CData>& NetworkPage() noexcept { return network; }
    CAppPropSheet_Page_02<CData>& AccessPage() noexcept { return access; }
    CAppPropSheet_Page_03<CData>& SensorsPage() noexcept { return sensors; }

private:
    CData original; // `data` as it was when the sheet began, which the marks compare with
    SheetRefusal refusal;
    ControllerSettings::ManyFields fields;
    ControllerSettings::ManyFields* const many; // null: one controller
    CAppPropSheet_Page_01<CData> network;
    CAppPropSheet_Page_02<CData> access;
    CAppPropSheet_Page_03<CData> sensors;
    HWND parentWindow;
};

} // namespace OM::Norvatessa
