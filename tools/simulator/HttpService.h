#pragma once

#include "Controller.h"
#include "EventLoop.h"
#include "FileDescriptor.h"
#include "HttpRequest.h"
#include "HttpRequestLog.h"
#include "Journal.h"
#include "Site.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Simulator
{

// The configuration service of every controller on the site: each listens for HTTP on its own address
// and port, serves its configuration document and takes changes to it, and misbehaves as its mode says.
// Connections persist across requests; every socket is non-blocking and answers wait in a queue until the
// connection can take them.
class HttpService
{
public:
    HttpService(EventLoop& loop, Site& site, Journal& journal) : loop(loop), site(site), journal(journal) {}

    // Opens the listeners of the controllers from `first` to the end of the site, just added.
    void OpenAdded(std::size_t first);
    // Brings the listener of one controller in line with its address, port and mode after a change.
    void Refresh(std::size_t index);
    // Closes every listener and connection and forgets the requests.
    void Reset();

    const HttpRequestLog& requests() const { return log; }

    // What a controller answers to one request.
    struct Answer
    {
        int status = 0; // none at all, for a stalling controller
        std::string contentType;
        std::string body;
        std::string extraHeader; // a whole line without its end, or empty
        bool close = false;
        bool move = false; // the controller moves to its new address and port once this is out
    };

private:
    struct Listener
    {
        FileDescriptor socket;
        FileDescriptor filler; // http=unaccepted: the one connection that fills the accept queue
        std::uint32_t address = 0;
        std::uint16_t port = 0;
        bool starved = false; // out of descriptors for new connections
    };

    struct Connection
    {
        FileDescriptor socket;
        std::size_t controller = 0;
        std::string receivedOn; // the listener's "address:port"
        std::string received;
        std::string unsent;
        std::size_t alreadySent = 0;       // of unsent, at its start
        std::chrono::milliseconds pace{0}; // between bytes while dripping
        bool dripScheduled = false;
        bool closeWhenSent = false;
        bool moveWhenSent = false; // the controller moves once this answer is out
        bool clientDone = false;   // the client sent all it will
    };

    std::string Listen(std::size_t index);
    void CloseListener(std::size_t index);
    void Accept(std::size_t index);
    void OnReadable(std::uint64_t id);
    void Serve(std::uint64_t id);
    Answer AnswerFor(std::size_t index, const HttpRequest& request);
    Answer AnswerPost(std::size_t index, const HttpRequest& request);
    void Send(std::uint64_t id, const HttpRequest& request, Answer answer, const std::string& problem);
    void Flush(std::uint64_t id);
    void Finish(std::uint64_t id);
    void Close(std::uint64_t id);
    void CloseConnectionsOf(std::size_t index);
    Connection* Find(std::uint64_t id);

    EventLoop& loop;
    Site& site;
    Journal& journal;
    HttpRequestLog log;
    std::map<std::size_t, Listener> listeners; // by the controller's place on the site
    std::map<std::uint64_t, Connection> connections;
    std::uint64_t lastConnection = 0; // never reused, unlike descriptors, so late timers find nothing
};

std::optional<HttpMode> HttpModeFromName(std::string_view name);
const char* NameOf(HttpMode mode);

} // namespace Simulator
