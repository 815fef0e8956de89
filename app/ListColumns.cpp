#include "app/ListColumns.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "engine/CsvText.h"

#include <algorithm>

namespace OM::Norvatessa
{

namespace
{

template <typename Number>
int CompareNumbers(Number first, Number second)
{
    return first < second ? -1 : first > second ? 1 : 0;
}

std::wstring YesNo(bool value)
{
    return value ? L"yes" : L"no";
}

std::wstring ShownName(const ControllerRow& row)
{
    return row.nameless ? Words::Nameless : row.name;
}

std::wstring Name(const ControllerRow& row)
{
    return row.name;
}

std::wstring Address(const ControllerRow& row)
{
    return row.range ? RangeText(*row.range) : AddressText(row.address);
}

std::wstring Port(const ControllerRow& row)
{
    return row.range ? std::wstring() : std::to_wstring(row.port);
}

std::wstring Note(const ControllerRow& row)
{
    if (row.conflict)
        return Words::ConflictNote;
    if (row.answered)
        return L"";
    // A probe that could not even be sent says why.
    if (!row.unprobed.empty())
        return Words::Fill(Words::UnprobedNote, row.unprobed);
    return row.range ? Words::SilentRangeNote : Words::SilentNote;
}

std::wstring Conflict(const ControllerRow& row)
{
    return YesNo(row.conflict);
}

std::wstring Answered(const ControllerRow& row)
{
    return YesNo(row.answered);
}

// Names and notes as the user reads them, in the collation handed in; addresses and ports by number, so
// that 192.168.0.9 goes before 192.168.0.10.
int ByShownName(const ControllerRow& first, const ControllerRow& second, TextOrder order)
{
    return order(ShownName(first), ShownName(second));
}

// A range goes by its first address, and after the controller at that address: by its last.
int ByAddress(const ControllerRow& first, const ControllerRow& second, TextOrder)
{
    const auto last = [](const ControllerRow& row) { return row.range ? row.range->last : row.address; };
    const int order = CompareNumbers(first.address, second.address);
    return order != 0 ? order : CompareNumbers(last(first), last(second));
}

int ByPort(const ControllerRow& first, const ControllerRow& second, TextOrder)
{
    return CompareNumbers(first.port, second.port);
}

int ByNote(const ControllerRow& first, const ControllerRow& second, TextOrder order)
{
    return order(Note(first), Note(second));
}

// The saved list, which the console program's discover writes too: its columns keep their places, and a
// new one takes the next.
constexpr ListColumn Columns[] = {
    {L"Имя сервера", 350, ShownName, ByShownName, L"name", 2, Name},
    {L"IP адрес", 100, Address, ByAddress, L"address", 0, Address},
    {L"Порт", 100, Port, ByPort, L"port", 1, Port},
    {L"Примечание", 260, Note, ByNote, nullptr, 0, nullptr},
    {nullptr, 0, nullptr, nullptr, L"conflict", 3, Conflict},
    {nullptr, 0, nullptr, nullptr, L"answered", 4, Answered},
};

std::vector<const ListColumn*> FileColumns()
{
    std::vector<const ListColumn*> file;
    for (const ListColumn& column : Columns)
    {
        if (column.fileKey != nullptr)
            file.push_back(&column);
    }
    std::sort(file.begin(), file.end(), [](const ListColumn* first, const ListColumn* second) {
        return first->filePlace < second->filePlace;
    });
    return file;
}

} // namespace

int OrdinalOrder(std::wstring_view first, std::wstring_view second)
{
    return first.compare(second);
}

std::wstring LatinLowerCase(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& character : lower)
    {
        if (character >= L'A' && character <= L'Z')
            character = static_cast<wchar_t>(character - L'A' + L'a');
    }
    return lower;
}

std::span<const ListColumn> ListColumns()
{
    return Columns;
}

const std::vector<const ListColumn*>& ScreenColumns()
{
    static const std::vector<const ListColumn*> screen = [] {
        std::vector<const ListColumn*> shown;
        for (const ListColumn& column : Columns)
        {
            if (column.title != nullptr)
                shown.push_back(&column);
        }
        return shown;
    }();
    return screen;
}

std::array<std::wstring, 2> FilteredTexts(const ControllerRow& row)
{
    return {ShownName(row), Address(row)};
}

int CompareAlike(const ControllerRow& first, const ControllerRow& second, TextOrder names)
{
    for (const auto compare : {ByAddress, ByPort, ByShownName})
    {
        if (const int order = compare(first, second, names); order != 0)
            return order;
    }
    return 0;
}

std::wstring SavedList(const std::vector<ControllerRow>& rows, wchar_t separator)
{
    const std::vector<const ListColumn*> columns = FileColumns();
    std::vector<std::wstring> fields;
    for (const ListColumn* column : columns)
        fields.emplace_back(column->fileKey);
    std::wstring list = CsvRow(fields, separator);
    for (const ControllerRow& row : rows)
    {
        fields.clear();
        for (const ListColumn* column : columns)
            fields.push_back(column->fileValue(row));
        list += CsvRow(fields, separator);
    }
    return list;
}

std::wstring CopiedText(const ControllerRow& row)
{
    return row.name + L"\t" + Address(row) + L"\t" + Port(row);
}

std::wstring CopiedText(const std::vector<ControllerRow>& rows)
{
    std::wstring text;
    for (std::size_t index = 0; index < rows.size(); ++index)
        text += (index == 0 ? L"" : L"\r\n") + CopiedText(rows[index]);
    return text;
}

std::wstring WebPageOf(const ControllerRow& row)
{
    return L"http://" + AddressText(row.address) + L":" + std::to_wstring(row.port) + L"/";
}

} // namespace OM::Norvatessa
