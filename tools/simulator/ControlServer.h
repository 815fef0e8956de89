#pragma once

#include "DiscoveryResponder.h"
#include "EventLoop.h"
#include "FileDescriptor.h"
#include "Journal.h"
#include "Site.h"

#include <netinet/in.h>

#include <map>
#include <string>
#include <string_view>

namespace Simulator
{

// The connection through which a test sets up its scenario and reads what happened: text lines over
// TCP, one command per line, one answer per command ("ok ..." or "error ..."; the journal answers
// "ok N" and N lines). See README.md for the commands.
class ControlServer
{
public:
    ControlServer(EventLoop& loop, Site& site, DiscoveryResponder& responder, Journal& journal)
        : loop(loop), site(site), responder(responder), journal(journal)
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

    EventLoop& loop;
    Site& site;
    DiscoveryResponder& responder;
    Journal& journal;
    FileDescriptor listener;
    std::map<int, Client> clients;
};

} // namespace Simulator
