#pragma once

#include "common/SearchReply.h"

namespace OM::Norvatessa
{

// Two replies from one address that disagree on the name, the HTTP port or the three digits: two
// controllers answer from that address (new controllers often share a factory address).
struct AddressConflict
{
    SearchReply first; // the first reply from the address in this search
    SearchReply other; // the first later one that disagrees with it

    static bool Between(const SearchReply& one, const SearchReply& another) noexcept
    {
        return one.name != another.name || one.port != another.port || one.first != another.first ||
               one.second != another.second || one.third != another.third;
    }
};

} // namespace OM::Norvatessa
