#include "Base64.h"

namespace Simulator
{

namespace
{

int SextetOf(char digit)
{
    if (digit >= 'A' && digit <= 'Z')
        return digit - 'A';
    if (digit >= 'a' && digit <= 'z')
        return digit - 'a' + 26;
    if (digit >= '0' && digit <= '9')
        return digit - '0' + 52;
    if (digit == '+')
        return 62;
    if (digit == '/')
        return 63;
    return -1;
}

} // namespace

std::optional<std::string> Base64Decoded(std::string_view text)
{
    if (text.size() % 4 == 0 && text.ends_with("=="))
        text.remove_suffix(2);
    else if (text.size() % 4 == 0 && text.ends_with("="))
        text.remove_suffix(1);
    // A lone digit after the last group of four carries fewer than eight bits.
    if (text.size() % 4 == 1)
        return std::nullopt;
    std::string bytes;
    unsigned bits = 0;
    int held = 0;
    for (const char digit : text)
    {
        const int sextet = SextetOf(digit);
        if (sextet < 0)
            return std::nullopt;
        bits = bits << 6 | static_cast<unsigned>(sextet);
        held += 6;
        if (held >= 8)
        {
            held -= 8;
            bytes.push_back(static_cast<char>(bits >> held & 0xFF));
        }
    }
    return bytes;
}

} // namespace Simulator
