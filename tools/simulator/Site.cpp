#include "Site.h"

#include "ReplyFormat.h"

#include <charconv>
#include <optional>
#include <sstream>

namespace Simulator
{

namespace
{

std::optional<long> Number(std::string_view text, long low, long high)
{
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::string> PercentDecoded(std::string_view text)
{
    std::string result;
    for (std::size_t at = 0; at < text.size(); ++at)
    {
        if (text[at] != '%')
        {
            result.push_back(text[at]);
            continue;
        }
        if (at + 2 >= text.size())
            return std::nullopt;
        unsigned value = 0;
        const char* first = text.data() + at + 1;
        const auto [end, error] = std::from_chars(first, first + 2, value, 16);
        if (error != std::errc{} || end != first + 2)
            return std::nullopt;
        result.push_back(static_cast<char>(value));
        at += 2;
    }
    return result;
}

std::optional<std::string> HexDecoded(std::string_view text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::string result;
    for (std::size_t at = 0; at < text.size(); at += 2)
    {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 2, value, 16);
        if (error != std::errc{} || end != text.data() + at + 2)
            return std::nullopt;
        result.push_back(static_cast<char>(value));
    }
    return result;
}

std::string WithOrdinal(std::string_view pattern, std::size_t ordinal)
{
    std::string result(pattern);
    for (std::size_t at = result.find("{n}"); at != std::string::npos; at = result.find("{n}", at))
    {
        const std::string number = std::to_string(ordinal);
        result.replace(at, 3, number);
        at += number.size();
    }
    return result;
}

} // namespace

std::string Site::Add(std::string_view options, std::string& added)
{
    Controller model;
    long count = 1;
    std::string namePattern = "Controller {n}";
    bool nameIsRaw = false;

    std::istringstream tokens{std::string(options)};
    std::string token;
    while (tokens >> token)
    {
        const std::size_t equals = token.find('=');
        if (equals == std::string::npos)
            return "option without a value: " + token;
        const std::string key = token.substr(0, equals);
        const std::string_view value = std::string_view(token).substr(equals + 1);
        const auto number = [&](long low, long high) { return Number(value, low, high); };
        std::optional<long> parsed;

        if (key == "count" && (parsed = number(1, 100000)))
            count = *parsed;
        else if (key == "port" && (parsed = number(0, 65535)))
            model.httpPort = static_cast<std::uint16_t>(*parsed);
        else if (key == "delay" && (parsed = number(0, 3600000)))
            model.delayMs = static_cast<int>(*parsed);
        else if (key == "spread" && (parsed = number(0, 3600000)))
            model.spreadMs = static_cast<int>(*parsed);
        else if (key == "loss" && (parsed = number(0, 100)))
            model.lossPercent = static_cast<int>(*parsed);
        else if (key == "copies" && (parsed = number(1, 1000)))
            model.copies = static_cast<int>(*parsed);
        else if (key == "gap" && (parsed = number(0, 3600000)))
            model.gapMs = static_cast<int>(*parsed);
        else if (key == "size" && (parsed = number(23, 65507)))
            model.oversizedLength = static_cast<std::size_t>(*parsed);
        else if (key == "digits" && value.size() == 3)
            model.digits = {value[0], value[1], value[2]};
        else if (key == "kind" && ReplyKindFromName(value))
            model.kind = *ReplyKindFromName(value);
        else if (key == "name" && PercentDecoded(value))
        {
            namePattern = *PercentDecoded(value);
            nameIsRaw = false;
        }
        else if (key == "name-hex" && HexDecoded(value))
        {
            namePattern = *HexDecoded(value);
            nameIsRaw = true;
        }
        else
            return "bad option: " + token;
    }

    // A failed addition takes no addresses.
    const std::uint32_t firstUnused = lastAddress;
    const auto refuse = [&](std::string reason) {
        lastAddress = firstUnused;
        return reason;
    };
    std::vector<Controller> batch;
    for (long i = 0; i < count; ++i)
    {
        Controller controller = model;
        controller.address = NextAddress();
        if (controller.address > 0x7FFFFFFE)
            return refuse("no addresses left in 127.0.0.0/8");
        const std::size_t ordinal = all.size() + batch.size() + 1;
        if (nameIsRaw)
            controller.name = namePattern;
        else if (const std::optional<std::string> name = Utf8ToWindows1251(WithOrdinal(namePattern, ordinal)))
            controller.name = *name;
        else
            return refuse("the name has a character that Windows-1251 lacks");
        batch.push_back(std::move(controller));
    }

    added = std::to_string(count) + " " + FormatAddress(batch.front().address) + " " +
            FormatAddress(batch.back().address);
    all.insert(all.end(), batch.begin(), batch.end());
    return {};
}

void Site::Reset()
{
    all.clear();
    lastAddress = 0x7F000001;
    ++resets;
}

std::uint32_t Site::NextAddress()
{
    // Addresses ending in 0 or 255 look like network and broadcast addresses to people; skip them.
    do
        ++lastAddress;
    while ((lastAddress & 0xFF) == 0 || (lastAddress & 0xFF) == 0xFF);
    return lastAddress;
}

std::string Site::FormatAddress(std::uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

} // namespace Simulator
