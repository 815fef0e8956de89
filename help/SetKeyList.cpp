// Writes the key list of the console program's "set", as its usage shows it, in UTF-8 to the file named:
// the help file's page of the console program takes it from here, so that the two cannot differ. Built
// and run on the build machine, with its own compiler, from the table of settings alone.
#include "settings/SettingTable.h"

#include <fstream>
#include <iostream>
#include <string>

namespace
{

std::string Utf8(std::wstring_view text)
{
    std::string bytes;
    for (const wchar_t character : text)
    {
        const auto code = static_cast<std::uint32_t>(character);
        if (code < 0x80)
        {
            bytes += static_cast<char>(code);
        }
        else if (code < 0x800)
        {
            bytes += static_cast<char>(0xC0 | code >> 6);
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
        else
        {
            bytes += static_cast<char>(0xE0 | code >> 12);
            bytes += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: set-key-list OUTPUT\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << Utf8(OM::Norvatessa::ControllerSettings::KeyListText());
    out.close();
    if (!out)
    {
        std::cerr << "set-key-list: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
