#pragma once

#include "HttpRequest.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace Simulator
{

// The requests the controllers received since the scenario began, for a test to check what the
// configurator sent: one line each, fields separated by tabs (see README.md).
class HttpRequestLog
{
public:
    // `receivedOn` is the controller's "address:port", `status` the code answered or "-".
    void Add(const std::string& receivedOn, const HttpRequest& request, const std::string& status);
    void Clear() { kept.clear(); }
    std::vector<std::string> Lines() const { return {kept.begin(), kept.end()}; }

    // The oldest go first.
    static constexpr std::size_t MaxKept = 2000;

private:
    std::deque<std::string> kept;
};

// The headers as "Name: value", joined by " | ".
std::string JoinedHeaders(const HttpRequest& request);

} // namespace Simulator
