// A site full of Norvatessa controllers on the loopback network, for testing the configurator without
// hardware. It is a native Linux program that runs inside the test network namespace; it never ships.
//
//   norvatessa-simulator [--control ADDRESS:PORT] [--first-address A.B.C.D/N] [--interface NAME]
//                        [--probe-port N] [--reply-port N] [--seed N] [--ready-file PATH]
//                        [--add "OPTIONS"]...
//
// One thread runs everything (EventLoop): the discovery responder, the controllers' configuration
// services and the control connection. Each controller answers from its own address, 127.0.0.2 upwards
// in 127.0.0.0/8 unless --first-address says otherwise. What the simulator does goes to standard output,
// one line per event. See README.md for the control commands and the
// controller options.
#include "AddressText.h"
#include "ControlServer.h"
#include "DiscoveryResponder.h"
#include "EventLoop.h"
#include "HttpService.h"
#include "Journal.h"
#include "Site.h"
#include "SiteNetwork.h"

#include <arpa/inet.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <iostream>
#include <string>
#include <vector>

namespace
{

int Usage(const std::string& problem)
{
    std::cerr << "norvatessa-simulator: " << problem << "\n"
              << "usage: norvatessa-simulator [--control ADDRESS:PORT] [--first-address A.B.C.D/N]"
                 " [--interface NAME] [--probe-port N] [--reply-port N] [--seed N] [--ready-file PATH]"
                 " [--add OPTIONS]...\n";
    return 2;
}

bool ParseEndpoint(const std::string& text, sockaddr_in& endpoint)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    endpoint = sockaddr_in{};
    endpoint.sin_family = AF_INET;
    const int port = std::atoi(text.c_str() + colon + 1);
    if (port <= 0 || port > 65535 ||
        ::inet_pton(AF_INET, text.substr(0, colon).c_str(), &endpoint.sin_addr) != 1)
        return false;
    endpoint.sin_port = htons(static_cast<uint16_t>(port));
    return true;
}

bool ParsePort(const std::string& text, uint16_t& port)
{
    const int value = std::atoi(text.c_str());
    if (value <= 0 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    // Every controller listens on a socket of its own, and a site may have thousands.
    if (rlimit files{}; ::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max)
    {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    sockaddr_in control{};
    ParseEndpoint("127.0.0.1:47380", control);
    uint16_t probePort = 2860;
    uint16_t replyPort = 30303;
    unsigned seed = 1;
    Simulator::SiteNetwork network;
    std::string readyFile;
    std::string probeInterface;
    std::vector<std::string> additions;

    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage("missing value after " + option);
        const std::string value = argv[++i];
        if (option == "--control" && ParseEndpoint(value, control))
            continue;
        if (option == "--probe-port" && ParsePort(value, probePort))
            continue;
        if (option == "--first-address")
        {
            const std::optional<Simulator::SiteNetwork> parsed = Simulator::SiteNetwork::Parse(value);
            if (!parsed)
                return Usage("bad first address " + value + " (A.B.C.D/N)");
            network = *parsed;
            continue;
        }
        if (option == "--reply-port" && ParsePort(value, replyPort))
            continue;
        if (option == "--seed")
            seed = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
        else if (option == "--ready-file")
            readyFile = value;
        else if (option == "--interface")
            probeInterface = value;
        else if (option == "--add")
            additions.push_back(value);
        else
            return Usage("bad option " + option + " " + value);
    }

    Simulator::EventLoop loop;
    Simulator::Site site(network);
    Simulator::Journal journal(std::cout);
    Simulator::DiscoveryResponder responder(loop, site, journal);
    Simulator::HttpService http(loop, site, journal);
    Simulator::ControlServer server(loop, site, responder, http, journal);
    responder.Reseed(seed);

    if (const std::string error = responder.Open(probePort, replyPort); !error.empty())
        return Usage(error);
    if (!probeInterface.empty())
    {
        if (const std::string error = responder.OnlyVia(probeInterface); !error.empty())
            return Usage(error);
    }
    if (const std::string error = server.Open(control); !error.empty())
        return Usage(error);
    for (const std::string& addition : additions)
    {
        if (const std::string answer = server.Execute("add " + addition); answer.rfind("ok", 0) != 0)
            return Usage(answer);
    }
    journal.Write("listening: probes on port " + std::to_string(probePort) + ", replies to port " +
                  std::to_string(replyPort) + ", control on " +
                  Simulator::FormatAddress(ntohl(control.sin_addr.s_addr)) + ":" +
                  std::to_string(ntohs(control.sin_port)) + ", controllers from " +
                  Simulator::FormatAddress(network.first) + " in " + network.Describe());

    // The ready file, holding the process id, appears whole and only once both sockets listen.
    if (!readyFile.empty())
    {
        const std::string partial = readyFile + ".new";
        std::ofstream(partial) << ::getpid() << "\n";
        if (std::rename(partial.c_str(), readyFile.c_str()) != 0)
            return Usage("cannot write " + readyFile);
    }
    return loop.Run() ? 0 : 1;
}
