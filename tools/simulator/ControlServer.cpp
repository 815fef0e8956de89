#include "ControlServer.h"

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
        site.Reset();
        journal.Clear();
        responder.Reseed(seed);
        journal.Write("scenario reset, seed " + std::to_string(seed));
        return "ok";
    }
    if (command == "add")
    {
        std::string added;
        const std::string error = site.Add(arguments, added);
        if (!error.empty())
            return "error " + error;
        journal.Write("added " + added + " (" + std::string(arguments) + ")");
        return "ok " + added;
    }
    if (command == "stats")
    {
        const Journal::Counts& counts = journal.counts();
        return "ok controllers=" + std::to_string(site.controllers().size()) +
               " probes=" + std::to_string(counts.probes) + " ignored=" + std::to_string(counts.ignored) +
               " sent=" + std::to_string(counts.sent) + " lost=" + std::to_string(counts.lost) +
               " failed=" + std::to_string(counts.failed);
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
