#pragma once

#include "app/BatchWindow.h"
#include "app/ControllerRow.h"
#include "engine/AddressPlan.h"
#include "ui/BalloonTip.h"
#include "ui/DialogImpl.h"

#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace OM::Norvatessa
{

// "Назначить адреса...": a first address, and a mask and a gateway for all, checked as the settings sheet
// checks them; "Проверить" probes the addresses the selected controllers would get (ProbeAndPlan, on a
// thread of its own, so the dialog stays responsive for its second) and the preview shows each
// controller's address now and the one it gets, what was passed over and why, and a warning where a new
// address leaves the subnet of the adapter the controller was found through. OK gives the addresses only
// of a preview made from the fields as they are; with fields changed since, it checks them as "Проверить"
// does, so that the user sees what OK would give before giving it.
//
// The probing thread touches nothing of the dialog but the shared result, and posts one message when done;
// the dialog waits for it as it closes.
class CGiveAddressesDlg : public Ui::DialogImpl<CGiveAddressesDlg>
{
public:
    // The selected controllers in list order, and every address the list holds.
    CGiveAddressesDlg(std::vector<ControllerRow> controllers, std::set<std::uint32_t> listed);
    ~CGiveAddressesDlg() override;

    bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Runs the dialog over `parent`; true when the user confirmed a complete plan.
    bool Run(HWND parent);

    const std::vector<ControllerRow>& Controllers() const noexcept { return controllers; }
    // What the user confirmed: the plan, and the mask and the gateway for all.
    const AddressRequest& Request() const noexcept { return request; }
    const AddressPlan& Plan() const noexcept { return plan; }

    // The refusal's balloon while it shows, for a test to read.
    HWND Balloon() const noexcept { return balloon.Handle(); }

private:
    struct Probing
    {
        std::mutex lock;
        std::optional<AddressPlan> plan; // set by the thread as it ends
    };

    void OnInitDialog();
    void OnCheck();
    void OnProbed();
    // The fields as a request; nothing once the refusal is shown.
    std::optional<AddressRequest> ReadFields();
    void ShowPreview();
    void MakeStale();
    void Refuse(int fieldId, const std::wstring& reason);
    void Join();

    std::vector<ControllerRow> controllers;
    std::set<std::uint32_t> listed;
    AddressRequest request;
    AddressPlan plan;
    bool current = false; // the plan is of the fields as they are
    std::shared_ptr<Probing> probing;
    std::thread prober;
    Ui::BalloonTip balloon;
};

// The batch that gives the addresses the user confirmed in the dialog: each controller of the plan read,
// written its own address (and the mask and the gateway for all) and read back there.
BatchCommand GiveAddressesBatch(const CGiveAddressesDlg& dialog);

} // namespace OM::Norvatessa
