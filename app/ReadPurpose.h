#pragma once

#include <cstdint>

namespace OM::Norvatessa
{

// Why the device list asked for a controller's settings. The purpose travels in the read's tag, which the
// result brings back: its low byte. Above it a read for a file carries its own number, by which the file it
// is for is found again (ControllerFiles). A result with tag 0 was asked for by nobody: the settings
// broadcast after a write, which update a row.
enum class ReadPurpose : std::uint8_t
{
    OpenSheet = 1,  // "Настройка...": show the settings sheet
    AddRow = 2,     // "Добавить по адресу...": list the controller
    SaveToFile = 3, // "Сохранить настройки в файл...": write its document to a file
    LoadFromFile = 4, // "Загрузить настройки из файла...": show the sheet with the file's values
};

constexpr std::int32_t ReadTag(ReadPurpose purpose, std::int32_t number = 0)
{
    return number * 0x100 + static_cast<std::int32_t>(purpose);
}

constexpr ReadPurpose PurposeOf(std::int32_t tag)
{
    return static_cast<ReadPurpose>(tag & 0xFF);
}

} // namespace OM::Norvatessa
