#include "Site.h"

#include "AddressText.h"
#include "ControllerOptions.h"

namespace Simulator
{

std::string Site::Add(std::string_view options, std::string& added)
{
    ControllerOptions settings;
    if (std::string error = settings.Read(options, true); !error.empty())
        return error;

    // A failed addition takes no addresses.
    const std::uint32_t firstUnused = lastAddress;
    const auto refuse = [&](std::string reason) {
        lastAddress = firstUnused;
        return reason;
    };
    std::vector<Controller> batch;
    for (long i = 0; i < settings.count(); ++i)
    {
        const std::uint32_t address = NextAddress();
        if (!where.Assignable(address))
            return refuse("no addresses left in " + where.Describe());
        const std::size_t ordinal = all.size() + batch.size() + 1;
        Controller controller(address);
        controller.mask = where.mask();
        controller.gateway = where.gateway();
        controller.name = "Controller " + std::to_string(ordinal);
        if (std::string error = settings.ApplyTo(controller, ordinal); !error.empty())
            return refuse(error);
        batch.push_back(std::move(controller));
    }

    added = std::to_string(batch.size()) + " " + FormatAddress(batch.front().address) + " " +
            FormatAddress(batch.back().address);
    all.insert(all.end(), batch.begin(), batch.end());
    return {};
}

std::string Site::Set(std::size_t index, std::string_view options)
{
    ControllerOptions settings;
    if (std::string error = settings.Read(options, false); !error.empty())
        return error;
    Controller changed = all[index];
    if (std::string error = settings.ApplyTo(changed, index + 1); !error.empty())
        return error;
    if (Holder(changed.address, changed.httpPort, index))
        return FormatAddress(changed.address) + ":" + std::to_string(changed.httpPort) +
               " is another controller's";
    all[index] = std::move(changed);
    return {};
}

void Site::Reset()
{
    all.clear();
    lastAddress = where.first - 1;
    ++resets;
}

std::optional<std::size_t> Site::Find(std::uint32_t address, std::optional<std::uint16_t> port) const
{
    for (std::size_t index = 0; index < all.size(); ++index)
    {
        if (all[index].address == address && (!port || all[index].httpPort == *port))
            return index;
    }
    return std::nullopt;
}

std::optional<std::size_t> Site::Holder(std::uint32_t address, std::uint16_t port, std::size_t except) const
{
    for (std::size_t index = 0; index < all.size(); ++index)
    {
        if (index != except && all[index].address == address && all[index].httpPort == port)
            return index;
    }
    return std::nullopt;
}

std::uint32_t Site::NextAddress()
{
    // Addresses ending in 0 or 255 look like network and broadcast addresses to people; skip them.
    do
        ++lastAddress;
    while ((lastAddress & 0xFF) == 0 || (lastAddress & 0xFF) == 0xFF);
    return lastAddress;
}

} // namespace Simulator
