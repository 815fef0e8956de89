#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Simulator
{

// The bytes of base64 text, as in a Basic Authorization header; the padding may be left out. Nothing when
// the text is no base64.
std::optional<std::string> Base64Decoded(std::string_view text);

} // namespace Simulator
