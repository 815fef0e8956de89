#include "HttpRequest.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace Simulator
{

namespace
{

// Far above anything the configurator sends; a client that sends more is broken.
constexpr std::size_t MaxHeadLength = 65536;
constexpr std::size_t MaxBodyLength = 1 << 20;

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The lines of the head, without their line ends; nothing when the blank line that ends it is not there
// yet. `length` is then the head's length with the blank line.
std::optional<std::vector<std::string_view>> HeadLines(std::string_view received, std::size_t& length)
{
    std::vector<std::string_view> lines;
    for (std::size_t at = 0;;)
    {
        const std::size_t end = received.find('\n', at);
        if (end == std::string_view::npos)
            return std::nullopt;
        std::string_view line = received.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        at = end + 1;
        if (line.empty() && !lines.empty())
        {
            length = at;
            return lines;
        }
        // Blank lines ahead of the request line are allowed, and passed over.
        if (!line.empty())
            lines.push_back(line);
    }
}

} // namespace

const std::string* HttpRequest::Header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
    {
        if (EqualsIgnoringCase(key, name))
            return &value;
    }
    return nullptr;
}

bool HttpRequest::WantsClose() const
{
    const std::string* connection = Header("Connection");
    const auto says = [&](std::string_view token) {
        if (connection == nullptr)
            return false;
        for (std::size_t at = 0; at <= connection->size();)
        {
            std::size_t comma = connection->find(',', at);
            if (comma == std::string::npos)
                comma = connection->size();
            if (EqualsIgnoringCase(Trimmed(std::string_view(*connection).substr(at, comma - at)), token))
                return true;
            at = comma + 1;
        }
        return false;
    };
    // HTTP/1.0 closes unless asked to keep alive; HTTP/1.1 keeps alive unless asked to close.
    return version == "HTTP/1.0" ? !says("keep-alive") : says("close");
}

std::string_view HttpRequest::Path() const
{
    return std::string_view(target).substr(0, target.find('?'));
}

HttpReading TakeRequest(std::string& received, HttpRequest& request, std::string& problem)
{
    request = HttpRequest{};
    std::size_t headLength = 0;
    const std::optional<std::vector<std::string_view>> lines = HeadLines(received, headLength);
    if (!lines)
    {
        if (received.size() <= MaxHeadLength)
            return HttpReading::Incomplete;
        problem = "no end of the headers in " + std::to_string(received.size()) + " bytes";
        return HttpReading::Malformed;
    }
    const auto malformed = [&](std::string why) {
        problem = std::move(why);
        received.erase(0, headLength);
        return HttpReading::Malformed;
    };

    const std::string_view requestLine = lines->front();
    const std::size_t firstSpace = requestLine.find(' ');
    const std::size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace)
        return malformed("bad request line");
    request.method = requestLine.substr(0, firstSpace);
    request.target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    request.version = requestLine.substr(lastSpace + 1);
    if (request.target.empty() || request.target.find(' ') != std::string::npos ||
        (request.version != "HTTP/1.1" && request.version != "HTTP/1.0"))
        return malformed("bad request line");

    for (std::size_t index = 1; index < lines->size(); ++index)
    {
        const std::string_view line = (*lines)[index];
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 || line.front() == ' ' || line.front() == '\t' ||
            line.substr(0, colon).find_first_of(" \t") != std::string_view::npos)
            return malformed("bad header line");
        request.headers.emplace_back(line.substr(0, colon), Trimmed(line.substr(colon + 1)));
    }
    if (request.Header("Transfer-Encoding") != nullptr)
        return malformed("a transfer coding, which the controller does not know");

    std::optional<std::size_t> bodyLength;
    for (const auto& [name, value] : request.headers)
    {
        if (!EqualsIgnoringCase(name, "Content-Length"))
            continue;
        std::size_t length = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
        if (error != std::errc{} || end != value.data() + value.size() || value.empty() ||
            (bodyLength && length != *bodyLength))
            return malformed("bad Content-Length");
        bodyLength = length;
    }
    const std::size_t length = bodyLength.value_or(0);
    if (length > MaxBodyLength)
        return malformed("a body of " + std::to_string(length) + " bytes");
    if (received.size() < headLength + length)
        return HttpReading::Incomplete;
    request.body = received.substr(headLength, length);
    received.erase(0, headLength + length);
    return HttpReading::Complete;
}

} // namespace Simulator
