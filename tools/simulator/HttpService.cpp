#include "HttpService.h"

#include "AddressText.h"
#include "Base64.h"
#include "ConfigDocument.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <utility>

namespace Simulator
{

namespace
{

constexpr std::array<std::pair<HttpMode, const char*>, 15> ModeNames{{
    {HttpMode::Ok, "ok"},
    {HttpMode::Refuse, "refuse"},
    {HttpMode::Stall, "stall"},
    {HttpMode::Cut, "cut"},
    {HttpMode::Unauthorized, "unauthorized"},
    {HttpMode::NotFound, "404"},
    {HttpMode::ServerError, "500"},
    {HttpMode::Huge, "huge"},
    {HttpMode::OtherAddress, "other-address"},
    {HttpMode::ChangeOkUpper, "change-OK"},
    {HttpMode::Drip, "drip"},
    {HttpMode::Close, "close"},
    {HttpMode::Hangup, "hangup"},
    {HttpMode::Unaccepted, "unaccepted"},
    {HttpMode::Redirect, "redirect"},
}};

// A huge document is past what a client might read into a 16,000-byte buffer.
constexpr std::size_t HugeDocumentLength = 17000;

const char* StatusText(int status)
{
    switch (status)
    {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Unknown";
    }
}

std::string Endpoint(std::uint32_t address, std::uint16_t port)
{
    return FormatAddress(address) + ":" + std::to_string(port);
}

std::string Who(const Controller& controller)
{
    return "http " + Endpoint(controller.address, controller.httpPort);
}

bool WillListen(const Controller& controller)
{
    return controller.httpMode != HttpMode::Refuse && controller.httpPort != 0;
}

bool Authorized(const HttpRequest& request, const Credentials& admin)
{
    const std::string* authorization = request.Header("Authorization");
    if (authorization == nullptr || authorization->size() < 6 || (*authorization)[5] != ' ')
        return false;
    for (std::size_t at = 0; at < 5; ++at)
    {
        if (std::tolower(static_cast<unsigned char>((*authorization)[at])) != "basic"[at])
            return false;
    }
    std::string_view encoded = std::string_view(*authorization).substr(6);
    while (!encoded.empty() && encoded.front() == ' ')
        encoded.remove_prefix(1);
    const std::optional<std::string> credentials = Base64Decoded(encoded);
    return credentials && *credentials == admin.login + ":" + admin.password;
}

HttpService::Answer Page(int status)
{
    HttpService::Answer answer;
    answer.status = status;
    answer.contentType = "text/html";
    answer.body = "<html><body>" + std::to_string(status) + " " + StatusText(status) + "</body></html>";
    return answer;
}

HttpService::Answer Document(const Controller& controller, std::string_view change,
                             const NetAttributes& attributes)
{
    HttpService::Answer answer;
    answer.status = 200;
    answer.contentType = "text/xml";
    answer.body = BuildConfigDocument(attributes, change,
                                      controller.httpMode == HttpMode::Huge ? HugeDocumentLength : 0);
    return answer;
}

HttpService::Answer Document(const Controller& controller, std::string_view change = {})
{
    return Document(controller, change, NetAttributesOf(controller));
}

// Where a controller may move: an address of the site's network that is local here, which is neither the
// workstation's nor the network's own addresses.
std::string MoveProblem(std::uint32_t address, const SiteNetwork& network)
{
    if (!network.Contains(address))
        return "outside " + network.Describe() + ", where the simulator cannot listen";
    if (!network.Assignable(address))
        return "not a controller's address";
    return {};
}

} // namespace

std::optional<HttpMode> HttpModeFromName(std::string_view name)
{
    for (const auto& [mode, modeName] : ModeNames)
    {
        if (name == modeName)
            return mode;
    }
    return std::nullopt;
}

const char* NameOf(HttpMode mode)
{
    for (const auto& [known, name] : ModeNames)
    {
        if (known == mode)
            return name;
    }
    return "?";
}

void HttpService::OpenAdded(std::size_t first)
{
    const std::vector<Controller>& controllers = site.controllers();
    std::size_t listening = 0, refusing = 0, failing = 0;
    std::string firstFailure;
    for (std::size_t index = first; index < controllers.size(); ++index)
    {
        if (!WillListen(controllers[index]))
            ++refusing;
        else if (const std::string error = Listen(index); error.empty())
            ++listening;
        else if (++failing == 1)
            firstFailure = Endpoint(controllers[index].address, controllers[index].httpPort) + ": " + error;
    }
    // A line for each kind rather than for each controller: a site may have thousands.
    if (listening > 0)
        journal.Write("http: " + std::to_string(listening) + " of " +
                      std::to_string(controllers.size() - first) + " added controllers listening, " +
                      Endpoint(controllers[first].address, controllers[first].httpPort) + " to " +
                      Endpoint(controllers.back().address, controllers.back().httpPort));
    if (refusing > 0)
        journal.Write("http: " + std::to_string(refusing) +
                      " controllers without a listener (http=refuse or port=0): connecting is refused");
    if (failing > 0)
        journal.Write("http: " + std::to_string(failing) + " controllers cannot listen, the first " +
                      firstFailure);
}

void HttpService::Refresh(std::size_t index)
{
    const Controller& controller = site.controllers()[index];
    const auto listener = listeners.find(index);
    const bool listens = listener != listeners.end();
    if (listens == WillListen(controller) &&
        (!listens ||
         (listener->second.address == controller.address && listener->second.port == controller.httpPort &&
          static_cast<bool>(listener->second.filler) == (controller.httpMode == HttpMode::Unaccepted))))
        return;
    std::string before;
    if (listens)
    {
        before = " (before on " + Endpoint(listener->second.address, listener->second.port) + ")";
        CloseListener(index);
        CloseConnectionsOf(index);
    }
    if (!WillListen(controller))
        journal.Write(Who(controller) + " has no listener (http=" + NameOf(controller.httpMode) +
                      "): connecting is refused" + before);
    else if (const std::string error = Listen(index); !error.empty())
        journal.Write(Who(controller) + " cannot listen: " + error + before);
    else
        journal.Write(Who(controller) + " listening" + before);
}

void HttpService::Reset()
{
    while (!connections.empty())
        Close(connections.begin()->first);
    while (!listeners.empty())
        CloseListener(listeners.begin()->first);
    log.Clear();
}

std::string HttpService::Listen(std::size_t index)
{
    const Controller& controller = site.controllers()[index];
    FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket)
        return std::string("socket: ") + std::strerror(errno);
    // Connections the simulator closed first linger; they must not keep a controller from listening again.
    const int on = 1;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(controller.httpPort);
    at.sin_addr.s_addr = htonl(controller.address);
    const bool accepts = controller.httpMode != HttpMode::Unaccepted;
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
        ::listen(socket.get(), accepts ? 64 : 0) != 0)
        return std::strerror(errno);
    FileDescriptor filler;
    if (accepts)
        loop.Watch(socket.get(), [this, index] { Accept(index); });
    else
    {
        // With a backlog of 0 the accept queue holds one connection; once this one fills it, the kernel
        // drops every later connection request unanswered, as a controller that has hung would.
        filler = FileDescriptor(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!filler)
            return std::string("socket: ") + std::strerror(errno);
        if (::connect(filler.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 &&
            errno != EINPROGRESS)
            return std::string("connect: ") + std::strerror(errno);
    }
    listeners[index] =
        Listener{std::move(socket), std::move(filler), controller.address, controller.httpPort};
    return {};
}

void HttpService::CloseListener(std::size_t index)
{
    const auto listener = listeners.find(index);
    if (listener == listeners.end())
        return;
    loop.Unwatch(listener->second.socket.get());
    listeners.erase(listener);
}

void HttpService::Accept(std::size_t index)
{
    const auto listener = listeners.find(index);
    if (listener == listeners.end())
        return;
    // A client may open many connections at once; take what is waiting, within reason.
    for (int taken = 0; taken < 64; ++taken)
    {
        FileDescriptor socket(
            ::accept4(listener->second.socket.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!socket && (errno == EMFILE || errno == ENFILE))
        {
            // The connection waits in the queue, which would wake the loop at once, again and again; the
            // controller stops accepting for a while instead.
            if (!std::exchange(listener->second.starved, true))
                journal.Write(Who(site.controllers()[index]) +
                              " cannot accept for now: " + std::strerror(errno));
            loop.Unwatch(listener->second.socket.get());
            loop.At(EventLoop::Clock::now() + std::chrono::milliseconds(100), [this, index] {
                if (const auto waiting = listeners.find(index); waiting != listeners.end())
                    loop.Watch(waiting->second.socket.get(), [this, index] { Accept(index); });
            });
            return;
        }
        if (!socket)
            return;
        listener->second.starved = false;
        // A dripping answer goes out byte by byte, not gathered into fewer segments.
        const int on = 1;
        ::setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        const std::uint64_t id = ++lastConnection;
        const int descriptor = socket.get();
        Connection& connection = connections[id];
        connection.socket = std::move(socket);
        connection.controller = index;
        connection.receivedOn = Endpoint(listener->second.address, listener->second.port);
        loop.Watch(descriptor, [this, id] { OnReadable(id); });
    }
}

void HttpService::OnReadable(std::uint64_t id)
{
    Connection* connection = Find(id);
    if (connection == nullptr)
        return;
    char buffer[65536];
    for (;;)
    {
        const ssize_t received = ::recv(connection->socket.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (received > 0)
        {
            connection->received.append(buffer, static_cast<std::size_t>(received));
            continue;
        }
        if (received < 0 && errno == EINTR)
            continue;
        if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (received < 0)
        {
            Close(id);
            return;
        }
        // The client will send no more, but may still wait for the answers to what it sent.
        connection->clientDone = true;
        loop.Unwatch(connection->socket.get(), EventLoop::Readiness::Readable);
        break;
    }
    Serve(id);
}

void HttpService::Serve(std::uint64_t id)
{
    for (Connection* connection = Find(id); connection != nullptr && !connection->closeWhenSent;
         connection = Find(id))
    {
        HttpRequest request;
        std::string problem;
        const HttpReading reading = TakeRequest(connection->received, request, problem);
        if (reading == HttpReading::Incomplete)
        {
            if (connection->clientDone && connection->unsent.empty() && !connection->dripScheduled)
                Close(id);
            else if (connection->clientDone)
                connection->closeWhenSent = true;
            return;
        }
        ++journal.counts().http;
        if (reading == HttpReading::Complete &&
            site.controllers()[connection->controller].httpMode == HttpMode::Hangup)
        {
            journal.Write("http " + connection->receivedOn + " " + request.method + " " + request.target +
                          ": hangs up without answering (http=hangup)");
            log.Add(connection->receivedOn, request, "-");
            Close(id);
            return;
        }
        if (reading == HttpReading::Complete)
        {
            Send(id, request, AnswerFor(connection->controller, request), {});
            continue;
        }
        Answer answer =
            site.controllers()[connection->controller].httpMode == HttpMode::Stall ? Answer{} : Page(400);
        answer.close = true;
        connection->received.clear();
        Send(id, request, std::move(answer), problem);
    }
}

HttpService::Answer HttpService::AnswerFor(std::size_t index, const HttpRequest& request)
{
    const Controller& controller = site.controllers()[index];
    switch (controller.httpMode)
    {
    case HttpMode::Stall:
        return {};
    case HttpMode::NotFound:
        return Page(404);
    case HttpMode::ServerError:
        return Page(500);
    case HttpMode::Redirect: {
        // Elsewhere on the site: the next address, where the next controller listens.
        Answer answer = Page(302);
        answer.extraHeader =
            "Location: http://" + Endpoint(controller.address + 1, controller.httpPort) + request.target;
        return answer;
    }
    default:
        break;
    }
    // The controller answers 401 before it looks at what is asked.
    if (controller.httpMode == HttpMode::Unauthorized ||
        ((controller.flags & Controller::AskPasswordFlag) && !Authorized(request, controller.admin)))
    {
        Answer answer = Page(401);
        answer.extraHeader = "WWW-Authenticate: Basic realm=\"Norvatessa\"";
        return answer;
    }
    const std::string_view path = request.Path();
    if (request.method == "GET" && (path == "/config" || path == "/config.xml"))
    {
        if (controller.httpMode != HttpMode::OtherAddress)
            return Document(controller);
        // Another address in the same /16, as though a different controller had answered.
        NetAttributes attributes = NetAttributesOf(controller);
        for (auto& [name, value] : attributes)
        {
            if (name == "ip")
                value =
                    FormatAddress((controller.address & 0xFFFF0000) | ((controller.address + 1000) & 0xFFFF));
        }
        return Document(controller, {}, attributes);
    }
    if (request.method == "POST" && path == "/config.xml")
        return AnswerPost(index, request);
    return Page(404);
}

HttpService::Answer HttpService::AnswerPost(std::size_t index, const HttpRequest& request)
{
    Controller& controller = site.controller(index);
    const std::optional<std::map<std::string, std::string>> attributes = ReadNetAttributes(request.body);
    const std::optional<Controller> changed =
        attributes ? WithNetAttributes(controller, *attributes) : std::nullopt;
    if (!changed)
    {
        journal.Write(Who(controller) + " takes no change: the body is no configuration document");
        return Document(controller, "error");
    }
    if (controller.httpMode == HttpMode::ChangeOkUpper)
    {
        journal.Write(Who(controller) + " applies nothing and answers change=\"OK\" (http=change-OK)");
        return Document(controller, "OK");
    }
    std::string taken;
    for (const auto& [name, value] : NetAttributesOf(*changed))
    {
        if (attributes->contains(name))
            taken += (taken.empty() ? "" : ", ") + name;
    }
    journal.Write(Who(controller) + " takes " + (taken.empty() ? std::string("no setting") : taken));

    const bool moves = changed->address != controller.address || changed->httpPort != controller.httpPort;
    if (moves)
    {
        const std::string to = Endpoint(changed->address, changed->httpPort);
        std::string problem = MoveProblem(changed->address, site.network());
        if (site.Holder(changed->address, changed->httpPort, index))
            problem = "another controller is there";
        if (!problem.empty())
        {
            journal.Write(Who(controller) + " refuses to move to " + to + ": " + problem);
            return Document(controller, "error");
        }
        journal.Write(Who(controller) + " moves to " + to + " once it has answered");
    }
    controller = *changed;
    Answer answer = Document(controller, "ok");
    answer.close = moves;
    answer.move = moves;
    return answer;
}

void HttpService::Send(std::uint64_t id, const HttpRequest& request, Answer answer,
                       const std::string& problem)
{
    Connection& connection = *Find(id);
    const Controller& controller = site.controllers()[connection.controller];
    std::string outcome;
    if (answer.status == 0)
        outcome = "no answer";
    else
    {
        answer.close = answer.close || request.WantsClose() || controller.httpMode == HttpMode::Close;
        std::string head =
            "HTTP/1.1 " + std::to_string(answer.status) + " " + StatusText(answer.status) + "\r\n";
        if (!answer.extraHeader.empty())
            head += answer.extraHeader + "\r\n";
        head += "Content-Type: " + answer.contentType +
                "\r\nContent-Length: " + std::to_string(answer.body.size()) +
                "\r\nConnection: " + (answer.close ? "close" : "keep-alive") + "\r\n\r\n";
        outcome = std::to_string(answer.status) + " " + StatusText(answer.status);
        if (controller.httpMode == HttpMode::Cut)
        {
            // The head promises the whole body; half of it comes, and then the end of the connection.
            outcome += ", cut after " + std::to_string(answer.body.size() / 2) + " of " +
                       std::to_string(answer.body.size()) + " body bytes";
            answer.body.resize(answer.body.size() / 2);
            answer.close = true;
        }
        connection.unsent += head + answer.body;
        connection.pace =
            std::chrono::milliseconds(controller.httpMode == HttpMode::Drip ? controller.dripMs : 0);
        connection.closeWhenSent = connection.closeWhenSent || answer.close;
        connection.moveWhenSent = connection.moveWhenSent || answer.move;
    }
    journal.Write("http " + connection.receivedOn + " " +
                  (problem.empty() ? std::string() : "malformed request (" + problem + ") ") +
                  request.method + " " + request.target + " [" + JoinedHeaders(request) + "] body " +
                  std::to_string(request.body.size()) + " bytes: " + outcome);
    log.Add(connection.receivedOn, request, answer.status == 0 ? "-" : std::to_string(answer.status));
    if (answer.status == 0)
        return;
    if (controller.answerMs > 0 && !connection.dripScheduled)
    {
        // A slow controller: the answer waits, held back like a drip, and then goes out as it would.
        connection.dripScheduled = true;
        loop.At(EventLoop::Clock::now() + std::chrono::milliseconds(controller.answerMs), [this, id] {
            if (Connection* waiting = Find(id))
            {
                waiting->dripScheduled = false;
                Flush(id);
            }
        });
        return;
    }
    Flush(id);
}

void HttpService::Flush(std::uint64_t id)
{
    Connection* connection = Find(id);
    if (connection == nullptr || connection->dripScheduled)
        return;
    const int descriptor = connection->socket.get();
    while (!connection->unsent.empty())
    {
        const std::size_t portion =
            connection->pace.count() > 0 ? 1 : connection->unsent.size() - connection->alreadySent;
        const ssize_t sent = ::send(descriptor, connection->unsent.data() + connection->alreadySent, portion,
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        {
            const auto whenWritable = [this, id] { Flush(id); };
            loop.Watch(descriptor, whenWritable, EventLoop::Readiness::Writable);
            return;
        }
        if (sent < 0)
        {
            // The client has gone; whatever it was owed is dropped, and a move still happens.
            journal.Write("http " + connection->receivedOn + ": the client left with " +
                          std::to_string(connection->unsent.size() - connection->alreadySent) +
                          " bytes unsent (" + std::strerror(errno) + ")");
            connection->unsent.clear();
            connection->alreadySent = 0;
            Finish(id);
            return;
        }
        // What went out leaves the queue in large pieces: a long queue drains in many small sends.
        connection->alreadySent += static_cast<std::size_t>(sent);
        if (connection->alreadySent == connection->unsent.size())
        {
            connection->unsent.clear();
            connection->alreadySent = 0;
        }
        else if (connection->alreadySent >= 65536 && connection->alreadySent * 2 >= connection->unsent.size())
        {
            connection->unsent.erase(0, connection->alreadySent);
            connection->alreadySent = 0;
        }
        if (connection->pace.count() > 0 && !connection->unsent.empty())
        {
            connection->dripScheduled = true;
            loop.At(EventLoop::Clock::now() + connection->pace, [this, id] {
                if (Connection* dripping = Find(id))
                {
                    dripping->dripScheduled = false;
                    Flush(id);
                }
            });
            break;
        }
    }
    loop.Unwatch(descriptor, EventLoop::Readiness::Writable);
    if (!connection->unsent.empty())
        return;
    if (!connection->closeWhenSent)
        return;
    if (site.controllers()[connection->controller].httpMode != HttpMode::Close || connection->moveWhenSent)
    {
        Finish(id);
        return;
    }
    // Like a small embedded server, the controller closes a moment after its answer, without reading what
    // came meanwhile: a request sent on the connection in that moment is answered by a reset.
    loop.Unwatch(descriptor);
    loop.At(EventLoop::Clock::now() + std::chrono::milliseconds(15), [this, id] { Close(id); });
}

void HttpService::Finish(std::uint64_t id)
{
    Connection& connection = *Find(id);
    const std::size_t index = connection.controller;
    const bool moves = connection.moveWhenSent;
    // Unread bytes would turn the close into a reset, which could cost the client the answer's end.
    char buffer[4096];
    while (::recv(connection.socket.get(), buffer, sizeof buffer, MSG_DONTWAIT) > 0)
    {
    }
    ::shutdown(connection.socket.get(), SHUT_WR);
    Close(id);
    if (moves)
        Refresh(index);
}

void HttpService::Close(std::uint64_t id)
{
    const auto connection = connections.find(id);
    if (connection == connections.end())
        return;
    loop.Unwatch(connection->second.socket.get());
    connections.erase(connection);
}

void HttpService::CloseConnectionsOf(std::size_t index)
{
    for (auto connection = connections.begin(); connection != connections.end();)
    {
        const auto next = std::next(connection);
        if (connection->second.controller == index)
            Close(connection->first);
        connection = next;
    }
}

HttpService::Connection* HttpService::Find(std::uint64_t id)
{
    const auto connection = connections.find(id);
    return connection == connections.end() ? nullptr : &connection->second;
}

} // namespace Simulator
