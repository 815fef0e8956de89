#pragma once

#include "common/CodePage.h"
#include "settings/SettingAssignments.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace OM::Norvatessa::ControllerSettings
{

// The fields of the settings sheet opened for several controllers at once. Each field has a state "не
// менять" of its own and is written once it has left that state, whatever its value, even the one it
// showed at first; a field left at "не менять" stays as each controller has it. The values each
// controller must have for itself (name, address, MAC) have no field here. Each call takes one field as
// it stands now, checked as the sheet checks it; the fields taken make the changes given to every
// controller.
class ManyFields
{
public:
    // A three-state check box, numbered as the system numbers its states.
    enum class Check
    {
        Off = 0,
        On = 1,
        Keep = 2, // indeterminate
    };

    // An edit: empty is "не менять". The reason when the text is refused.
    Refusal Edit(std::wstring_view key, const std::wstring& text, const CodePage& codePage);
    // An address with a "не менять" box beside it.
    void Address(std::wstring_view key, bool keep, std::uint32_t address);
    // The check box of a two-state choice, whose state 1 it shows checked.
    void Tick(std::wstring_view key, Check check);
    // A drop-down list: "не менять" first, then the choice's two states in the order of its words.
    void Pick(std::wstring_view key, int entry);
    // A new password: "не менять" unless "Изменить пароль:" is checked, then the typed one, even empty,
    // when the confirmation repeats it.
    Refusal Password(std::wstring_view key, bool change, const std::wstring& typed,
                     const std::wstring& confirmation, const CodePage& codePage);

    const SettingChanges& Changes() const noexcept { return changes; }

private:
    void Keep(std::wstring_view key);
    void Give(std::wstring_view key, std::uint8_t state);

    SettingChanges changes;
};

} // namespace OM::Norvatessa::ControllerSettings
