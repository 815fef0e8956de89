#include "tests/engine/ControllerSite.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <iostream>
#include <sstream>

namespace OM::Norvatessa::Testing
{

namespace
{

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(separator, start)) != std::string::npos;
         start = found + separator.size())
        parts.push_back(text.substr(start, found - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::string Unescaped(const std::string& text)
{
    std::string result;
    for (std::size_t at = 0; at < text.size(); ++at)
    {
        if (text[at] == '%' && at + 2 < text.size())
        {
            result += static_cast<char>(std::stoi(text.substr(at + 1, 2), nullptr, 16));
            at += 2;
        }
        else
        {
            result += text[at];
        }
    }
    return result;
}

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t at = 0; at + 1 < hex.size(); at += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16));
    return bytes;
}

} // namespace

bool HttpRecord::HasHeader(const std::string& line) const
{
    for (const std::string& header : headers)
    {
        if (header == line)
            return true;
    }
    return false;
}

void ControllerSiteTest::SetUp()
{
    ASSERT_TRUE(winsock.ok());
    ASSERT_EQ(simulator.Connect(), "");
    ASSERT_EQ(simulator.Command("reset"), "ok");
}

void ControllerSiteTest::TearDown()
{
    if (HasFailure())
        std::cout << "The simulator's journal of this test:\n" << simulator.Journal() << "\n";
}

std::uint32_t ControllerSiteTest::Add(const std::string& options)
{
    const std::string answer = simulator.Command("add " + options);
    EXPECT_EQ(answer.rfind("ok ", 0), 0u) << answer;
    std::istringstream words(answer);
    std::string ok, count, first;
    words >> ok >> count >> first;
    in_addr address{};
    if (::inet_pton(AF_INET, first.c_str(), &address) != 1)
        ADD_FAILURE() << "no address in " << answer;
    return ::ntohl(address.s_addr);
}

void ControllerSiteTest::Set(std::uint32_t address, const std::string& options)
{
    EXPECT_EQ(simulator.Command("set " + Text(address) + " " + options), "ok");
}

std::map<std::string, std::string> ControllerSiteTest::Show(std::uint32_t address)
{
    const std::string answer = simulator.Command("show " + Text(address));
    std::map<std::string, std::string> values;
    if (answer.rfind("ok ", 0) != 0)
    {
        ADD_FAILURE() << answer;
        return values;
    }
    std::istringstream words(answer.substr(3));
    for (std::string word; words >> word;)
    {
        const std::size_t equals = word.find('=');
        if (equals != std::string::npos)
            values[word.substr(0, equals)] = Unescaped(word.substr(equals + 1));
    }
    return values;
}

std::vector<HttpRecord> ControllerSiteTest::Requests()
{
    std::vector<HttpRecord> records;
    for (const std::string& line : simulator.Listing("http"))
    {
        const std::vector<std::string> fields = Split(line, "\t");
        if (fields.size() < 7)
        {
            ADD_FAILURE() << "unexpected http line: " << line;
            continue;
        }
        HttpRecord record;
        record.controller = fields[0];
        record.method = fields[1];
        record.target = fields[2];
        record.status = fields[3];
        if (!fields[4].empty())
            record.headers = Split(fields[4], " | ");
        record.bodyLength = std::stoul(fields[5]);
        record.body = FromHex(fields[6]);
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<HttpRecord> ControllerSiteTest::Requests(const std::string& method)
{
    std::vector<HttpRecord> matching;
    for (HttpRecord& record : Requests())
    {
        if (record.method == method)
            matching.push_back(std::move(record));
    }
    return matching;
}

std::vector<HttpRecord> ControllerSiteTest::RequestsSince(std::size_t count)
{
    std::vector<HttpRecord> all = Requests();
    all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(count, all.size())));
    return all;
}

std::string ControllerSiteTest::Text(std::uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

} // namespace OM::Norvatessa::Testing
