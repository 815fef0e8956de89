#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Simulator
{

// One request to a controller's configuration service, as received.
struct HttpRequest
{
    std::string method;
    std::string target;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers; // in arrival order, names as sent
    std::string body;

    // The value of the first header of this name, whatever its case; nothing when there is none.
    const std::string* Header(std::string_view name) const;
    // The client wants the connection closed after the answer.
    bool WantsClose() const;
    // The path of the target, without its query.
    std::string_view Path() const;
};

enum class HttpReading
{
    Incomplete, // not all of the request is there yet
    Complete,
    Malformed,
};

// Takes the first request off the front of what a connection received: the request line, the headers up to
// the blank line, and Content-Length bytes of body. When the request is malformed, `problem` says why and
// `request` holds what could be read.
HttpReading TakeRequest(std::string& received, HttpRequest& request, std::string& problem);

} // namespace Simulator
