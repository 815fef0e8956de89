#pragma once

#include "res/resource.h"
#include "ui/Module.h"
#include "ui/PropertyPageImpl.h"
#include "xml/DeviceProperties.h"

#include <windows.h>

#include <string>

namespace OM::Norvatessa
{

// The sensors page: each input's type and contact, and the buzzer. The sensor values carry no change
// mark; they are sent all the same, as every value is.
template <typename CData>
class CAppPropSheet_Page_03 : public Ui::PropertyPageImpl<CAppPropSheet_Page_03<CData>>
{
    using Base = Ui::PropertyPageImpl<CAppPropSheet_Page_03<CData>>;

public:
    static constexpr int Sensors = 8;

    explicit CAppPropSheet_Page_03(CData& data) : Base(IDD_SENSORS_PAGE, IDS_SENSORS_PAGE), data(data) {}

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
        ::CheckDlgButton(this->window, IDC_BEEP, data.buzzer ? BST_CHECKED : BST_UNCHECKED);
    }

    void Fill(int id, const std::wstring (&choices)[2], int selected)
    {
        for (const std::wstring& choice : choices)
            ::SendDlgItemMessageW(this->window, id, CB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(choice.c_str()));
        ::SendDlgItemMessageW(this->window, id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    }

    int Selected(int id) const
    {
        return static_cast<int>(::SendDlgItemMessageW(this->window, id, CB_GETCURSEL, 0, 0));
    }

    CData& data;
};

} // namespace OM::Norvatessa
