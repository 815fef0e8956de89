#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Fuzz input as program text: every two bytes are one UTF-16 code unit, low byte first, as the program's
// files and the controllers' documents hold them.
inline std::wstring fuzzText(const uint8_t* data, size_t size)
{
    std::wstring text;
    text.reserve(size / 2);
    for (size_t offset = 0; offset + 1 < size; offset += 2)
        text += static_cast<wchar_t>(data[offset] | data[offset + 1] << 8);
    return text;
}
