#pragma once

#include "app/ControllerRow.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa
{

// The order of two texts: negative when the first goes first, 0 when they are alike, positive otherwise.
// The window program hands in the workstation's collation, so that names sort as its other programs sort
// them; elsewhere the texts compare by their characters (OrdinalOrder).
using TextOrder = int (*)(std::wstring_view first, std::wstring_view second);
int OrdinalOrder(std::wstring_view first, std::wstring_view second);

// A text in lower case, for the list's filter, which ignores case. The window program hands in the
// workstation's own case rules; elsewhere only Latin letters change (LatinLowerCase).
using TextFold = std::wstring (*)(std::wstring_view text);
std::wstring LatinLowerCase(std::wstring_view text);

// A column of the device list, on screen, in the saved list or both. A new column is one more entry in
// ListColumns(): the list inserts, updates and sorts it, and the saved list writes it, from that entry.
struct ListColumn
{
    const wchar_t* title = nullptr; // on screen; nullptr for a column that only the saved list has
    int width = 0;                  // on screen, in pixels at 96 dots per inch
    std::wstring (*cell)(const ControllerRow&) = nullptr; // the text the list shows
    // The order the column sorts the rows in, by a click on its header.
    int (*compare)(const ControllerRow&, const ControllerRow&, TextOrder) = nullptr;
    const wchar_t* fileKey = nullptr; // its header in the saved list; nullptr for a column left out there
    // Its place among the saved list's columns, from 0. Scripts read those columns by position: a new
    // column takes the next place, whatever its place on screen.
    std::size_t filePlace = 0;
    std::wstring (*fileValue)(const ControllerRow&) = nullptr;
};

// Every column, those on screen in their order from left to right.
std::span<const ListColumn> ListColumns();

// The columns on screen, left to right: the list control's column `index` is ScreenColumns()[index].
const std::vector<const ListColumn*>& ScreenColumns();

// The texts the list's filter looks in: the name as the list shows it, and the address.
std::array<std::wstring, 2> FilteredTexts(const ControllerRow& row);

// The order of rows alike in the chosen column (or of all rows while none is chosen): by address, then
// port and name, so that the order is the same each time.
int CompareAlike(const ControllerRow& first, const ControllerRow& second, TextOrder names);

// The saved list: the header of its columns, then a row per controller in the order given, each line
// ending in a line feed, the fields split at `separator` and quoted as CsvRow quotes them.
std::wstring SavedList(const std::vector<ControllerRow>& rows, wchar_t separator);

// "name<Tab>address<Tab>port", as a row is copied, for a worksheet to take as three cells; a nameless
// controller's name is empty there, as in the saved list. Several rows go one to a line, the lines split
// by CR LF, without one after the last, as a single row has none.
std::wstring CopiedText(const ControllerRow& row);
std::wstring CopiedText(const std::vector<ControllerRow>& rows);

// The controller's own web page, "http://ADDRESS:PORT/".
std::wstring WebPageOf(const ControllerRow& row);

} // namespace OM::Norvatessa
