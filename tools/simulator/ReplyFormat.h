#pragma once

#include "Controller.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Simulator
{

// The controller's side of the discovery protocol, written here independently of the program's own
// parser so that the two check each other.
inline constexpr std::string_view Probe = "norvatessa???";
inline constexpr std::uint16_t ReplyPort = 30303;

// The datagram a controller sends for a probe.
std::vector<unsigned char> BuildReply(const Controller& controller);

std::optional<ReplyKind> ReplyKindFromName(std::string_view name);
const char* NameOf(ReplyKind kind);

} // namespace Simulator
