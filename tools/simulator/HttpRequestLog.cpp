#include "HttpRequestLog.h"

namespace Simulator
{

void HttpRequestLog::Add(const std::string& receivedOn, const HttpRequest& request, const std::string& status)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string body;
    body.reserve(request.body.size() * 2);
    for (const char c : request.body)
    {
        const auto byte = static_cast<unsigned char>(c);
        body += {Digits[byte >> 4], Digits[byte & 0xF]};
    }
    kept.push_back(receivedOn + "\t" + request.method + "\t" + request.target + "\t" + status + "\t" +
                   JoinedHeaders(request) + "\t" + std::to_string(request.body.size()) + "\t" + body);
    if (kept.size() > MaxKept)
        kept.pop_front();
}

std::string JoinedHeaders(const HttpRequest& request)
{
    std::string joined;
    for (const auto& [name, value] : request.headers)
        joined += (joined.empty() ? "" : " | ") + name + ": " + value;
    return joined;
}

} // namespace Simulator
