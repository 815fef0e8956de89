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

#include <string>
#include <tuple>

namespace OM::Norvatessa
{

// The access page: the administrator's and the user's login, a new password for each when "Изменить
// пароль:" is checked, and whether the controller asks for a password. For several controllers at once
// (`many`) an empty login and an indeterminate "Запрашивать пароль" leave those as each controller has
// them, as an unchecked "Изменить пароль:" does the password.
template <typename CData>
class CAppPropSheet_Page_02 : public Ui::PropertyPageImpl<CAppPropSheet_Page_02<CData>>
{
    using Base = Ui::PropertyPageImpl<CAppPropSheet_Page_02<CData>>;

public:
    static constexpr int TextLimit = 15;

    CAppPropSheet_Page_02(CData& data, SheetRefusal& refusal, ControllerSettings::ManyFields* many)
        : Base(IDD_ACCESS_PAGE, IDS_ACCESS_PAGE), data(data), refusal(refusal), many(many)
    {
    }

    bool ProcessPageMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
    {
        refusal.Notice(message, wParam, lParam);
        switch (message)
        {
        case WM_INITDIALOG:
            OnInitDialog();
            result = TRUE;
            return true;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED)
                return false;
            if (LOWORD(wParam) == IDC_ADMIN_CHANGE_PASSWORD)
                EnablePasswords(Admin);
            else if (LOWORD(wParam) == IDC_USER_CHANGE_PASSWORD)
                EnablePasswords(User);
            else
                return false;
            return true;
        default:
            return false;
        }
    }

    bool OnApply()
    {
        refusal.Clear();
        if (many != nullptr)
            return ApplyMany();
        std::wstring adminPassword = data.adminPassword;
        std::wstring userPassword = data.userPassword;
        bool adminChanged = false;
        bool userChanged = false;
        const std::wstring adminName = Ui::ControlText(this->window, IDC_ADMIN_NAME);
        const std::wstring userName = Ui::ControlText(this->window, IDC_USER_NAME);
        if (!Check(Admin, adminName, adminPassword, adminChanged) ||
            !Check(User, userName, userPassword, userChanged))
            return false;
        const bool askPassword = ::IsDlgButtonChecked(this->window, IDC_ASK_PASSWORD) == BST_CHECKED;

        data.adminName = adminName;
        data.adminPassword = adminPassword;
        data.userName = userName;
        data.userPassword = userPassword;
        data.askPassword = askPassword;
        // A password typed anew counts as a change even when it is the old one, or empty; what differs
        // from the settings as read, the sheet marks.
        if (adminChanged)
            data.changed |= Xml::PropAdmin;
        if (userChanged)
            data.changed |= Xml::PropUser;
        return true;
    }

private:
    struct Account
    {
        int name;
        int change;
        int password;
        int confirmation;
        int confirmationLabel;
    };
    static constexpr Account Admin{IDC_ADMIN_NAME, IDC_ADMIN_CHANGE_PASSWORD, IDC_ADMIN_PASSWORD,
                                   IDC_ADMIN_CONFIRM, IDC_ADMIN_CONFIRM_LABEL};
    static constexpr Account User{IDC_USER_NAME, IDC_USER_CHANGE_PASSWORD, IDC_USER_PASSWORD,
                                  IDC_USER_CONFIRM, IDC_USER_CONFIRM_LABEL};

    void OnInitDialog()
    {
        for (const int id : {IDC_ADMIN_NAME, IDC_ADMIN_PASSWORD, IDC_ADMIN_CONFIRM, IDC_USER_NAME,
                             IDC_USER_PASSWORD, IDC_USER_CONFIRM})
            ::SendDlgItemMessageW(this->window, id, EM_LIMITTEXT, TextLimit, 0);
        if (many != nullptr)
        {
            ::SendDlgItemMessageW(this->window, IDC_ASK_PASSWORD, BM_SETSTYLE, BS_AUTO3STATE, FALSE);
            ::CheckDlgButton(this->window, IDC_ASK_PASSWORD, BST_INDETERMINATE);
            return;
        }
        ::SetDlgItemTextW(this->window, IDC_ADMIN_NAME, data.adminName.c_str());
        ::SetDlgItemTextW(this->window, IDC_USER_NAME, data.userName.c_str());
        ::CheckDlgButton(this->window, IDC_ASK_PASSWORD, data.askPassword ? BST_CHECKED : BST_UNCHECKED);
    }

    bool ApplyMany()
    {
        const HWND page = this->window;
        for (const auto& [account, login, password] : {std::tuple(Admin, L"admin-login", L"admin-password"),
                                                       std::tuple(User, L"user-login", L"user-password")})
        {
            if (const auto reason =
                    many->Edit(login, Ui::ControlText(page, account.name), ThreadAnsiCodePage()))
                return refusal.Refuse(page, account.name, *reason);
            if (const auto reason =
                    many->Password(password, ::IsDlgButtonChecked(page, account.change) == BST_CHECKED,
                                   Ui::ControlText(page, account.password),
                                   Ui::ControlText(page, account.confirmation), ThreadAnsiCodePage()))
                return refusal.Refuse(
                    page, *reason == Words::PasswordMismatch ? account.confirmation : account.password,
                    *reason);
        }
        many->Tick(L"ask-password", static_cast<ControllerSettings::ManyFields::Check>(
                                        ::IsDlgButtonChecked(page, IDC_ASK_PASSWORD)));
        return true;
    }

    void EnablePasswords(const Account& account)
    {
        const BOOL enabled = ::IsDlgButtonChecked(this->window, account.change) == BST_CHECKED;
        for (const int id : {account.password, account.confirmation, account.confirmationLabel})
            ::EnableWindow(::GetDlgItem(this->window, id), enabled);
    }

    // Checks one account's texts; with "Изменить пароль:" checked the typed password replaces `password`.
    bool Check(const Account& account, const std::wstring& name, std::wstring& password, bool& changed)
    {
        if (const auto reason = TextRefusal(Xml::PropertyText::Login, name, ThreadAnsiCodePage()))
            return refusal.Refuse(this->window, account.name, *reason);
        if (::IsDlgButtonChecked(this->window, account.change) != BST_CHECKED)
            return true;
        const std::wstring typed = Ui::ControlText(this->window, account.password);
        if (typed != Ui::ControlText(this->window, account.confirmation))
            return refusal.Refuse(this->window, account.confirmation, Words::PasswordMismatch);
        if (const auto reason = TextRefusal(Xml::PropertyText::Password, typed, ThreadAnsiCodePage()))
            return refusal.Refuse(this->window, account.password, *reason);
        password = typed;
        changed = true;
        return true;
    }

    CData& data;
    SheetRefusal& refusal;
    ControllerSettings::ManyFields* const many; // null: one controller
};

} // namespace OM::Norvatessa
