#include "engine/CsvText.h"

namespace OM::Norvatessa
{

namespace
{

constexpr wchar_t Quote = L'"';
constexpr wchar_t DefaultSeparator = L',';
constexpr std::wstring_view Separators = L",;\t";

std::wstring Field(const std::wstring& text, wchar_t separator)
{
    if (text.find_first_of(std::wstring{separator, Quote, L'\r', L'\n'}) == std::wstring::npos)
        return text;
    std::wstring field(1, Quote);
    for (const wchar_t character : text)
    {
        if (character == Quote)
            field += Quote;
        field += character;
    }
    field += Quote;
    return field;
}

} // namespace

bool IsListSeparator(wchar_t character)
{
    return Separators.find(character) != std::wstring_view::npos;
}

wchar_t ListSeparatorOf(std::wstring_view localeSeparator)
{
    return localeSeparator.size() == 1 && IsListSeparator(localeSeparator.front()) ? localeSeparator.front()
                                                                                   : DefaultSeparator;
}

std::wstring CsvRow(const std::vector<std::wstring>& fields, wchar_t separator)
{
    std::wstring row;
    for (std::size_t index = 0; index < fields.size(); ++index)
    {
        if (index > 0)
            row += separator;
        row += Field(fields[index], separator);
    }
    row += L'\n';
    return row;
}

wchar_t FindListSeparator(std::wstring_view text)
{
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos)
            end = text.size();
        const std::wstring_view line = text.substr(start, end - start);
        if (line.find_first_not_of(L" \t\r") != std::wstring_view::npos)
        {
            const std::size_t separator = line.find_first_of(Separators);
            return separator == std::wstring_view::npos ? DefaultSeparator : line[separator];
        }
        start = end + 1;
    }
    return DefaultSeparator;
}

std::vector<CsvRecord> ReadCsvRecords(std::wstring_view text, wchar_t separator)
{
    std::vector<CsvRecord> records;
    std::size_t line = 1;
    CsvRecord record{line, {}};
    std::wstring field;
    bool quoted = false;    // inside quotes
    bool wasQuoted = false; // the field began with a quote: a later one is its own character
    for (std::size_t at = 0; at < text.size(); ++at)
    {
        const wchar_t character = text[at];
        if (character == L'\n')
            ++line;
        if (quoted)
        {
            if (character != Quote)
                field += character;
            else if (at + 1 < text.size() && text[at + 1] == Quote)
                field += Quote, ++at;
            else
                quoted = false;
            continue;
        }
        if (character == Quote && field.empty() && !wasQuoted)
        {
            quoted = wasQuoted = true;
        }
        else if (character == separator || character == L'\n')
        {
            record.fields.push_back(std::move(field));
            field.clear();
            wasQuoted = false;
            if (character == L'\n')
            {
                records.push_back(std::move(record));
                record = CsvRecord{line, {}};
            }
        }
        else if (character != L'\r' || at + 1 >= text.size() || text[at + 1] != L'\n')
        {
            field += character;
        }
    }
    if (!field.empty() || wasQuoted || !record.fields.empty())
    {
        record.fields.push_back(std::move(field));
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace OM::Norvatessa
