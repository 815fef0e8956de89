#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace OM::Norvatessa
{

// One exchange with a controller: a GET without a body, or a POST of an XML text.
class HttpRequest
{
public:
    enum Method : std::int32_t
    {
        Post = 0,
        Get = 1,
    };

    // A GET.
    HttpRequest(std::wstring objectName, std::wstring label);
    // A POST of `body`, sent in the thread's ANSI code page.
    HttpRequest(std::wstring objectName, std::wstring label, std::wstring body);

    // False when the body has a character that the thread's ANSI code page lacks: such a request must not
    // be sent, because the controller would receive something else than the text.
    bool BodyFits() const noexcept { return bodyFits; }

    std::int32_t method;
    std::wstring objectName; // "config.xml" or "config"
    std::wstring headers;    // for a POST the content type and the content length in bytes
    std::wstring body;
    std::wstring label; // shown to the user while the exchange runs
    std::wstring answer;
    std::string answerBytes; // the answer exactly as it arrived, in the controller's own code page
    std::string bodyBytes;   // the body in the thread's ANSI code page
    DWORD bodyLength = 0;    // bytes of bodyBytes: a multi-byte code page sends more bytes than characters
    DWORD answerStatus = 0;  // the HTTP status of the answer, once there is one

private:
    bool bodyFits = true;
};

} // namespace OM::Norvatessa
