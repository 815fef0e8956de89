#pragma once

#include "res/resource.h"
#include "settings/ManyFields.h"
#include "ui/Module.h"
#include "ui/PropertyPageImpl.h"
#include "xml/DeviceProperties.h"

#include <windows.h>

#include <string>

namespace OM::Norvatessa
{

// The sensors page: each input's type and contact, and the buzzer. The sensor values carry no change
// mark; they are sent all the same, as every value is. For several controllers at once (`many`) each list
// begins with "не менять" and the buzzer's box is indeterminate: what is left so stays as each controller
// has it.
template <typename CData>
class CAppPropSheet_Page_03 : public Ui::PropertyPageImpl<CAppPropSheet_Page_03<CData>>
{
    using Base = Ui::PropertyPageImpl<CAppPropSheet_Page_03<CData>>;

public:
    static constexpr int Sensors = 8;

    CAppPropSheet_Page_03(CData& data, ControllerSettings::ManyFields* many)
        : Base(IDD_SENSORS_PAGE, IDS_SENSORS_PAGE), data(data), many(many)
    {
    }

    bool ProcessPageMessage(UINT message, WPARAM, LPARAM, INT_PTR& result)
    {
        if (message != WM_INITDIALOG)
            return false;
        OnInitDialog();
        result = TRUE;
        return true;
    }

    HWND OnQueryInitialFocus() { return ::GetDlgItem(this->window, IDC_SENSOR_TYPE_FIRST); }

    bool OnApply()
    {
        if (many != nullptr)
        {
            for (int sensor = 0; sensor < Sensors; ++sensor)
            {
                const std::wstring input = std::to_wstring(sensor + 1);
                many->Pick(L"sensor" + input, Selected(IDC_SENSOR_TYPE_FIRST + sensor));
                many->Pick(L"contact" + input, Selected(IDC_SENSOR_INVERSION_FIRST + sensor));
            }
            many->Tick(L"buzzer", static_cast<ControllerSettings::ManyFields::Check>(
                                      ::IsDlgButtonChecked(this->window, IDC_BEEP)));
            return true;
        }
        for (int sensor = 0; sensor < Sensors; ++sensor)
        {
            const auto index = static_cast<std::size_t>(sensor);
            data.sensorType[index] = Selected(IDC_SENSOR_TYPE_FIRST + sensor) == 1 ? 1 : 0;
            data.sensorInverted[index] = Selected(IDC_SENSOR_INVERSION_FIRST + sensor) == 0 ? 1 : 0;
        }
        data.buzzer = ::IsDlgButtonChecked(this->window, IDC_BEEP) == BST_CHECKED;
        return true;
    }

private:
    void OnInitDialog()
    {
        const std::wstring types[] = {Ui::LoadResourceString(IDS_SENSOR_DIGITAL),
                                      Ui::LoadResourceString(IDS_SENSOR_ANALOG)};
        const std::wstring contacts[] = {Ui::LoadResourceString(IDS_NORMALLY_OPEN),
                                         Ui::LoadResourceString(IDS_NORMALLY_CLOSED)};
        for (int sensor = 0; sensor < Sensors; ++sensor)
        {
            const auto index = static_cast<std::size_t>(sensor);
            Fill(IDC_SENSOR_TYPE_FIRST + sensor, types, data.sensorType[index]);
            Fill(IDC_SENSOR_INVERSION_FIRST + sensor, contacts, data.sensorInverted[index] != 0 ? 0 : 1);
        }
        if (many != nullptr)
        {
            ::SendDlgItemMessageW(this->window, IDC_BEEP, BM_SETSTYLE, BS_AUTO3STATE, FALSE);
            ::CheckDlgButton(this->window, IDC_BEEP, BST_INDETERMINATE);
            return;
        }
        ::CheckDlgButton(this->window, IDC_BEEP, data.buzzer ? BST_CHECKED : BST_UNCHECKED);
    }

    // The choices in the order of the setting's words; for several controllers after "не менять", which
    // is chosen.
    void Fill(int id, const std::wstring (&choices)[2], int selected)
    {
        if (many != nullptr)
        {
            const std::wstring keep = Ui::LoadResourceString(IDS_KEEP_VALUE);
            ::SendDlgItemMessageW(this->window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(keep.c_str()));
        }
        for (const std::wstring& choice : choices)
            ::SendDlgItemMessageW(this->window, id, CB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(choice.c_str()));
        ::SendDlgItemMessageW(this->window, id, CB_SETCURSEL, static_cast<WPARAM>(many ? 0 : selected), 0);
    }

    int Selected(int id) const
    {
        return static_cast<int>(::SendDlgItemMessageW(this->window, id, CB_GETCURSEL, 0, 0));
    }

    CData& data;
    ControllerSettings::ManyFields* const many; // null: one controller
};

} // namespace OM::Norvatessa
