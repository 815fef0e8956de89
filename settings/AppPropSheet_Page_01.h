#pragma once

#include "common/AnsiText.h"
#include "common/Words.h"
#include "res/resource.h"
#include "settings/ManyFields.h"
#include "settings/SheetRefusal.h"
#include "settings/ValueChecks.h"
#include "ui/ControlText.h"
#include "ui/PropertyPageImpl.h"
#include "xml/DeviceProperties.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <optional>
#include <string>
#include <tuple>

namespace OM::Norvatessa
{

// The network page: the controller's name, address, port, mask, gateway and the last two bytes of its MAC
// address. Its apply runs first on every OK, so it starts the change marks afresh; once OK holds, the
// sheet marks what differs from the settings as they were read, however many OKs it took.
//
// For several controllers at once (`many`) the name, the address and the MAC cannot be edited, and the
// page says why; an empty port and the "не менять" boxes beside the mask and the gateway leave those as
// each controller has them.
template <typename CData>
class CAppPropSheet_Page_01 : public Ui::PropertyPageImpl<CAppPropSheet_Page_01<CData>>
{
    using Base = Ui::PropertyPageImpl<CAppPropSheet_Page_01<CData>>;

public:
    static constexpr int NameLimit = 16;
    static constexpr int NameReadLimit = 255;

    CAppPropSheet_Page_01(CData& data, SheetRefusal& refusal, ControllerSettings::ManyFields* many)
        : Base(IDD_NETWORK_PAGE, IDS_NETWORK_PAGE), data(data), refusal(refusal), many(many)
    {
    }

    bool ProcessPageMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
    {
        refusal.Notice(message, wParam, lParam);
        if (message == WM_COMMAND && many != nullptr && HIWORD(wParam) == BN_CLICKED &&
            (LOWORD(wParam) == IDC_NETMASK_KEEP || LOWORD(wParam) == IDC_GATEWAY_KEEP))
        {
            EnableKept(LOWORD(wParam) == IDC_NETMASK_KEEP ? IDC_NETMASK : IDC_GATEWAY, LOWORD(wParam));
            return true;
        }
        if (message != WM_INITDIALOG)
            return false;
        if (many != nullptr)
            OnInitMany();
        else
            OnInitDialog();
        result = TRUE;
        return true;
    }

    bool OnApply()
    {
        const HWND page = this->window;
        refusal.Clear();
        if (many != nullptr)
            return ApplyMany();
        data.changed = 0;

        std::wstring name = Ui::ControlText(page, IDC_SERVER_NAME);
        if (name.size() > NameReadLimit)
            name.resize(NameReadLimit);
        if (const auto reason = TextRefusal(Xml::PropertyText::Name, name, ThreadAnsiCodePage()))
            return refusal.Refuse(page, IDC_SERVER_NAME, *reason);
        const std::optional<std::uint32_t> ip = Address(IDC_IP_ADDRESS);
        if (!ip || !IsUsableControllerAddress(*ip))
            return refusal.Refuse(page, IDC_IP_ADDRESS, Words::AddressCutsOff);
        const std::optional<std::uint32_t> mask = Address(IDC_NETMASK);
        if (!mask)
            return refusal.Refuse(page, IDC_NETMASK, Words::PartialAddress);
        const std::optional<std::uint32_t> gateway = Address(IDC_GATEWAY);
        if (!gateway)
            return refusal.Refuse(page, IDC_GATEWAY, Words::PartialAddress);
        const std::optional<std::uint16_t> port = PortFromText(Ui::ControlText(page, IDC_PORT));
        if (!port)
            return refusal.Refuse(page, IDC_PORT, Words::PortRange);
        const std::optional<std::uint8_t> fifth = MacByteFromText(Ui::ControlText(page, IDC_MAC_BYTE5));
        if (!fifth)
            return refusal.Refuse(page, IDC_MAC_BYTE5, Words::MacByte);
        const std::optional<std::uint8_t> sixth = MacByteFromText(Ui::ControlText(page, IDC_MAC_BYTE6));
        if (!sixth)
            return refusal.Refuse(page, IDC_MAC_BYTE6, Words::MacByte);

        // Every value is accepted: only now is anything stored.
        data.name = name;
        data.ip = *ip;
        data.mask = *mask;
        data.gateway = *gateway;
        data.tcpPort = *port;
        data.mac[4] = *fifth;
        data.mac[5] = *sixth;
        return true;
    }

private:
    void OnInitMany()
    {
        const HWND page = this->window;
        for (const int id : {IDC_SERVER_NAME, IDC_IP_ADDRESS, IDC_MAC_BYTE5, IDC_MAC_BYTE6})
            ::EnableWindow(::GetDlgItem(page, id), FALSE);
        ::SetDlgItemTextW(page, IDC_MAC_PREFIX, L"");
        ::SendDlgItemMessageW(page, IDC_PORT, EM_LIMITTEXT, 5, 0);
        for (const int id : {IDC_OWN_VALUES_NOTE, IDC_NETMASK_KEEP, IDC_GATEWAY_KEEP})
            ::ShowWindow(::GetDlgItem(page, id), SW_SHOWNA);
        for (const int id : {IDC_NETMASK_KEEP, IDC_GATEWAY_KEEP})
        {
            ::CheckDlgButton(page, id, BST_CHECKED);
            EnableKept(id == IDC_NETMASK_KEEP ? IDC_NETMASK : IDC_GATEWAY, id);
        }
    }

    void EnableKept(int address, int keep)
    {
        ::EnableWindow(::GetDlgItem(this->window, address),
                       ::IsDlgButtonChecked(this->window, keep) != BST_CHECKED);
    }

    bool ApplyMany()
    {
        const HWND page = this->window;
        if (const auto reason = many->Edit(L"port", Ui::ControlText(page, IDC_PORT), ThreadAnsiCodePage()))
            return refusal.Refuse(page, IDC_PORT, *reason);
        for (const auto& [key, address, keep] : {std::tuple(L"mask", IDC_NETMASK, IDC_NETMASK_KEEP),
                                                 std::tuple(L"gateway", IDC_GATEWAY, IDC_GATEWAY_KEEP)})
        {
            const bool kept = ::IsDlgButtonChecked(page, keep) == BST_CHECKED;
            const std::optional<std::uint32_t> value = Address(address);
            if (!kept && !value)
                return refusal.Refuse(page, address, Words::PartialAddress);
            many->Address(key, kept, value.value_or(0));
        }
        return true;
    }

    void OnInitDialog()
    {
        const HWND page = this->window;
        SetAddress(IDC_IP_ADDRESS, data.ip);
        SetAddress(IDC_NETMASK, data.mask);
        SetAddress(IDC_GATEWAY, data.gateway);
        ::SendDlgItemMessageW(page, IDC_SERVER_NAME, EM_LIMITTEXT, NameLimit, 0);
        ::SetDlgItemTextW(page, IDC_SERVER_NAME, data.name.c_str());
        ::SendDlgItemMessageW(page, IDC_PORT, EM_LIMITTEXT, 5, 0);
        ::SetDlgItemInt(page, IDC_PORT, data.tcpPort, FALSE);
        std::wstring prefix;
        for (int index = 0; index < 4; ++index)
            prefix += Hex(data.mac[static_cast<std::size_t>(index)]) + L" - ";
        ::SetDlgItemTextW(page, IDC_MAC_PREFIX, prefix.c_str());
        ::SendDlgItemMessageW(page, IDC_MAC_BYTE5, EM_LIMITTEXT, 2, 0);
        ::SetDlgItemTextW(page, IDC_MAC_BYTE5, Hex(data.mac[4]).c_str());
        ::SendDlgItemMessageW(page, IDC_MAC_BYTE6, EM_LIMITTEXT, 2, 0);
        ::SetDlgItemTextW(page, IDC_MAC_BYTE6, Hex(data.mac[5]).c_str());
    }

    static std::wstring Hex(std::uint8_t byte)
    {
        wchar_t text[3];
        std::swprintf(text, 3, L"%.2X", byte);
        return text;
    }

    void SetAddress(int id, std::uint32_t address)
    {
        ::SendDlgItemMessageW(this->window, id, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
    }

    // An empty address control reads as 0; one with a part left empty as nothing, since the control would
    // read that part as 0 ("255.255.255." is no 255.255.255.0 the user chose).
    std::optional<std::uint32_t> Address(int id) const
    {
        DWORD address = 0;
        if (::SendDlgItemMessageW(this->window, id, IPM_ISBLANK, 0, 0))
            return 0;
        if (::SendDlgItemMessageW(this->window, id, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)) !=
            4)
            return std::nullopt;
        return address;
    }

    CData& data;
    SheetRefusal& refusal;
    ControllerSettings::ManyFields* const many; // null: one controller
};

} // namespace OM::Norvatessa
