#include "device/HttpRequest.h"

#include "common/AnsiText.h"

#include <optional>
#include <utility>

namespace OM::Norvatessa
{

HttpRequest::HttpRequest(std::wstring objectName, std::wstring label)
    : method(Get), objectName(std::move(objectName)), label(std::move(label))
{
}

HttpRequest::HttpRequest(std::wstring objectName, std::wstring label, std::wstring text)
    : method(Post), objectName(std::move(objectName)), body(std::move(text)), label(std::move(label))
{
    std::optional<std::string> bytes = ToThreadAnsi(body);
    bodyFits = bytes.has_value();
    if (bytes)
        bodyBytes = std::move(*bytes);
    bodyLength = static_cast<DWORD>(bodyBytes.size());
    headers = L"Content-Type:text/xml\r\nContent-Length:" + std::to_wstring(bodyLength) + L"\r\n";
}

} // namespace OM::Norvatessa
