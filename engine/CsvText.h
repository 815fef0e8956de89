#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa
{

// Lists as spreadsheets and scripts read them (RFC 4180), with the separator of the reader's choice:
// "," as scripts expect it, ";" as a spreadsheet opens a file on a workstation whose decimal mark is the
// comma (a Russian one), or tab. Every list the programs write goes through CsvRow.

bool IsListSeparator(wchar_t character);

// The workstation's list separator as a list can take it: "," unless it is one of the three.
wchar_t ListSeparatorOf(std::wstring_view localeSeparator);

// One row, ending in a line feed. A field that holds the separator, a quote or a line break is put in
// quotes, its own quotes doubled.
std::wstring CsvRow(const std::vector<std::wstring>& fields, wchar_t separator);

// The separator of a list whose first column is a controller's address: the first of the three on the
// first line that is not blank, which follows the address or the header's "address"; "," when that line
// holds none of them (a plain list of addresses).
wchar_t FindListSeparator(std::wstring_view text);

// A record of a list: its fields, and the number of the line it begins on, from 1.
struct CsvRecord
{
    std::size_t line = 0;
    std::vector<std::wstring> fields;
};

// The records of a list. A field that begins with a quote runs to the closing quote, and may hold the
// separator, doubled quotes and line breaks; a blank line is a record of one empty field.
std::vector<CsvRecord> ReadCsvRecords(std::wstring_view text, wchar_t separator);

} // namespace OM::Norvatessa
