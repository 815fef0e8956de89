#pragma once

#include "DiscoveryResponder.h"
#include "EventLoop.h"
#include "FileDescriptor.h"
#include "HttpService.h"
#include "Journal.h"
#include "Site.h"

#include <netinet/in.h>

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Simulator
{

// The connection through which a test sets up its scenario and reads what happened: text lines over
// TCP, one command per line, one answer per command ("ok ..." or "error ..."; the journal and the
// request list answer "ok N" and N lines). See README.md for the commands.
class ControlServer
{
public:
    ControlServer(EventLoop& loop, Site& site, DiscoveryResponder& responder, HttpService& http,
                  Journal& journal)
        : loop(loop), site(site), responder(responder), http(http), journal(journal)
    {
    }

    // Listens on the given address; returns an error text, empty on success.
    std::string Open(const sockaddr_in& at);

    // One command; also what --add on the command line runs.
    std::string Execute(std::string_view line);

private:
    struct Client
    {
        FileDescriptor connection;
        std::string pending;
    };

    void Accept();
    void OnReadable(int descriptor);
    // The controller a command names by its address.
    std::optional<std::size_t> ControllerAt(std::string_view endpoint) const;

    EventLoop& loop;
    Site& site;
    DiscoveryResponder& responder;
    HttpService& http;
    Journal& journal;
    FileDescriptor listener;
    std::map<int, Client> clients;
};

} // namespace Simulator
