#include "ControlServer.h"

#include "AddressText.h"
#include "ConfigDocument.h"
#include "ControllerOptions.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace Simulator
{

namespace
{

bool WriteAll(int descriptor, const std::string& text)
{
    for (std::size_t at = 0; at < text.size();)
    {
        const ssize_t written = ::send(descriptor, text.data() + at, text.size() - at, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

std::string ControlServer::Open(const sockaddr_in& at)
{
    listener.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener)
        return std::string("socket: ") + std::strerror(errno);
    const int on = 1;
    ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
        ::listen(listener.get(), 8) != 0)
        return std::string("control socket: ") + std::strerror(errno);
    loop.Watch(listener.get(), [this] { Accept(); });
    return {};
}

void ControlServer::Accept()
{
    FileDescriptor connection(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!connection && (errno == EMFILE || errno == ENFILE))
    {
        // Out of descriptors, say to controllers' connections: the waiting connection would wake the loop
        // again and again, so accepting pauses for a while instead.
        loop.Unwatch(listener.get());
        loop.At(EventLoop::Clock::now() + std::chrono::milliseconds(100),
                [this] { loop.Watch(listener.get(), [this] { Accept(); }); });
        return;
    }
    if (!connection)
        return;
    const int descriptor = connection.get();
    clients[descriptor].connection = std::move(connection);
    loop.Watch(descriptor, [this, descriptor] { OnReadable(descriptor); });
}

void ControlServer::OnReadable(int descriptor)
{
    Client& client = clients[descriptor];
    char buffer[4096];
    const ssize_t received = ::recv(descriptor, buffer, sizeof buffer, 0);
    if (received <= 0)
    {
        loop.Unwatch(descriptor);
        clients.erase(descriptor);
        return;
    }
    client.pending.append(buffer, static_cast<std::size_t>(received));
    for (std::size_t end = client.pending.find('\n'); end != std::string::npos;
         end = client.pending.find('\n'))
    {
        std::string line = client.pending.substr(0, end);
        client.pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string answer = Execute(line);
        if (!WriteAll(descriptor, answer + "\n"))
        {
            loop.Unwatch(descriptor);
            clients.erase(descriptor);
            return;
        }
        if (answer == "ok bye")
        {
            loop.Stop();
            return;
        }
    }
}

std::optional<std::size_t> ControlServer::ControllerAt(std::string_view endpoint) const
{
    // ADDRESS, or ADDRESS:PORT for when moves have put two controllers on one address.
    const std::size_t colon = endpoint.find(':');
    const std::optional<std::uint32_t> address = ParseAddress(endpoint.substr(0, colon));
    if (!address)
        return std::nullopt;
    if (colon == std::string_view::npos)
        return site.Find(*address);
    const std::string_view text = endpoint.substr(colon + 1);
    std::uint16_t port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return site.Find(*address, port);
}

std::string ControlServer::Execute(std::string_view line)
{
    const std::size_t space = line.find(' ');
    const std::string_view command = line.substr(0, space);
    const std::string_view arguments =
        space == std::string_view::npos ? std::string_view() : line.substr(space + 1);

    if (command == "reset")
    {
        // reset [SEED]: a new scenario with no controllers.
        unsigned seed = 1;
        if (!arguments.empty())
        {
            const auto [end, error] =
                std::from_chars(arguments.data(), arguments.data() + arguments.size(), seed);
            if (error != std::errc{} || end != arguments.data() + arguments.size())
                return "error bad seed";
        }
        http.Reset();
        site.Reset();
        journal.Clear();
        responder.Reseed(seed);
        journal.Write("scenario reset, seed " + std::to_string(seed));
        return "ok";
    }
    if (command == "add")
    {
        std::string added;
        const std::size_t first = site.controllers().size();
        const std::string error = site.Add(arguments, added);
        if (!error.empty())
            return "error " + error;
        journal.Write("added " + added + " (" + std::string(arguments) + ")");
        http.OpenAdded(first);
        return "ok " + added;
    }
    if (command == "set" || command == "show")
    {
        // set ADDRESS[:PORT] OPTIONS, show ADDRESS[:PORT].
        const std::size_t end = arguments.find(' ');
        const std::string_view address = arguments.substr(0, end);
        const std::string_view options =
            end == std::string_view::npos ? std::string_view() : arguments.substr(end + 1);
        const std::optional<std::size_t> index = ControllerAt(address);
        if (!index)
            return "error no controller at " + std::string(address);
        if (command == "show")
        {
            if (!options.empty())
                return "error show takes an address only";
            std::string answer = "ok";
            for (const auto& [name, value] : NetAttributesOf(site.controllers()[*index]))
                answer += " " + name + "=" + AsWordValue(value);
            return answer;
        }
        if (const std::string error = site.Set(*index, options); !error.empty())
            return "error " + error;
        journal.Write("set " + std::string(address) + " (" + std::string(options) + ")");
        http.Refresh(*index);
        return "ok";
    }
    if (command == "http")
    {
        const std::vector<std::string> lines = http.requests().Lines();
        std::string answer = "ok " + std::to_string(lines.size());
        for (const std::string& request : lines)
            answer += "\n" + request;
        return answer;
    }
    if (command == "stats")
    {
        const Journal::Counts& counts = journal.counts();
        return "ok controllers=" + std::to_string(site.controllers().size()) +
               " probes=" + std::to_string(counts.probes) + " ignored=" + std::to_string(counts.ignored) +
               " sent=" + std::to_string(counts.sent) + " lost=" + std::to_string(counts.lost) +
               " failed=" + std::to_string(counts.failed) + " http=" + std::to_string(counts.http);
    }
    if (command == "pace")
    {
        return "ok busiest-second=" + std::to_string(journal.counts().busiestSecond);
    }
    if (command == "journal")
    {
        const std::vector<std::string> lines = journal.Lines();
        std::string answer = "ok " + std::to_string(lines.size());
        for (const std::string& kept : lines)
            answer += "\n" + kept;
        return answer;
    }
    if (command == "quit")
    {
        journal.Write("quit");
        return "ok bye";
    }
    return "error unknown command: " + std::string(command);
}

} // namespace Simulator
