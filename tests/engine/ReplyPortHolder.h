#pragma once

#include "helpers/WinsockHandles.h"

#include <winsock2.h>

namespace OM::Norvatessa::Testing
{

// Plays another program that holds the reply port 30303, as a second copy of the program would: while the
// returned socket lives, no search can bind it. An invalid socket when the port could not be taken.
inline Helpers::UniqueSocket HoldReplyPort()
{
    Helpers::UniqueSocket holder(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in port{};
    port.sin_family = AF_INET;
    port.sin_port = ::htons(30303);
    if (!holder || ::bind(holder.get(), reinterpret_cast<const sockaddr*>(&port), sizeof port) != 0)
        holder.reset();
    return holder;
}

} // namespace OM::Norvatessa::Testing
