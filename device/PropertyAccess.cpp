#include "device/PropertyAccess.h"

#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "device/ExchangeLabels.h"
#include "xml/ConfigDocument.h"

#include <utility>
#include <vector>

namespace OM::Norvatessa
{

using Xml::DeviceProperties;

namespace
{

bool AllTextsFitThreadAnsi(const DeviceProperties& properties)
{
    for (const std::wstring* text : {&properties.name, &properties.adminName, &properties.adminPassword,
                                     &properties.userName, &properties.userPassword})
    {
        if (!FitsThreadAnsi(*text))
            return false;
    }
    return true;
}

} // namespace

bool PropertyAccess::ApplyProperties(Device& device, const DeviceProperties& record)
{
    if (record.ip != device.address)
        return false;
    device.propertiesValid = true;
    DeviceProperties& properties = device.properties;
    if (record.tcpPort != properties.tcpPort)
    {
        properties.tcpPort = record.tcpPort;
        device.port = record.tcpPort;
    }
    properties.name = record.name;
    properties.mask = record.mask;
    properties.ip = record.ip;
    properties.gateway = record.gateway;
    properties.mac = record.mac;
    properties.adminName = record.adminName;
    properties.adminPassword = record.adminPassword;
    properties.userName = record.userName;
    properties.userPassword = record.userPassword;
    properties.sensorType = record.sensorType;
    properties.sensorInverted = record.sensorInverted;
    properties.askPassword = record.askPassword;
    properties.buzzer = record.buzzer;
    return true;
}

std::optional<DevicePropertiesResult> PropertyAccess::ReadProperties(Device* device)
{
    if (device == nullptr)
        return std::nullopt;
    HttpRequest request(PropertiesObject, ReadPropertiesLabel);
    if (!exchange.ExecuteRequest(*device, request))
        return std::nullopt;
    DevicePropertiesResult result;
    if (!Xml::readDeviceProperties(request.answer, result.properties))
    {
        Refuse(device->address, RefusedOperation::Read, RefusalReason::AnswerUnreadable,
               request.answerStatus);
        return std::nullopt;
    }
    if (!ApplyProperties(*device, result.properties))
    {
        Refuse(device->address, RefusedOperation::Read, RefusalReason::OtherAddress, request.answerStatus,
               AddressText(result.properties.ip));
        return std::nullopt;
    }
    result.address = device->address;
    result.answer = std::move(request.answerBytes);
    return result;
}

void PropertyAccess::RefreshProperties(Device* device)
{
    if (const std::optional<DevicePropertiesResult> result = ReadProperties(device))
        sink.OnDeviceProperties(*result);
}

void PropertyAccess::WriteProperties(Device* device, const DeviceProperties& properties)
{
    if (device == nullptr)
        return;
    const std::uint32_t address = device->address;
    // Nothing leaves the workstation that the controller would read otherwise than the user wrote it.
    if (!Xml::canCarryTexts(properties))
        return Refuse(address, RefusedOperation::Write, RefusalReason::TextNotCarried);
    if (!AllTextsFitThreadAnsi(properties))
        return Refuse(address, RefusedOperation::Write, RefusalReason::TextNotInCodePage);

    HttpRequest request(PropertiesObject, WritePropertiesLabel, Xml::writeDeviceProperties(properties));
    if (!request.BodyFits())
        return Refuse(address, RefusedOperation::Write, RefusalReason::TextNotInCodePage);
    if (!exchange.ExecuteRequest(*device, request) || !Confirmed(address, request))
        return;
    // The write changed the account whose credentials the exchanges carry: the read back carries the new
    // ones, instead of meeting a demand that the old ones no longer answer.
    if (device->propertiesValid)
    {
        const DeviceProperties& before = device->properties;
        exchange.Accepted().Changed(address, Credentials{before.adminName, before.adminPassword},
                                    Credentials{properties.adminName, properties.adminPassword});
        exchange.Accepted().Changed(address, Credentials{before.userName, before.userPassword},
                                    Credentials{properties.userName, properties.userPassword});
    }

    if (properties.changed & Xml::PropIp)
        return Move(address, properties);
    if (!ApplyProperties(*device, properties))
        return Refuse(address, RefusedOperation::Write, RefusalReason::OtherAddress, 0,
                      AddressText(properties.ip));
    if ((properties.changed & (Xml::PropTcpPort | Xml::PropMask)) && !HttpExchange::OpenConnection(*device))
        return Refuse(address, RefusedOperation::Write, RefusalReason::ReconnectFailed);
    RefreshProperties(device);
}

bool PropertyAccess::Confirmed(std::uint32_t address, const HttpRequest& write)
{
    Xml::ConfigDocument answer(L"config");
    if (!answer.loadFromString(write.answer))
    {
        Refuse(address, RefusedOperation::Write, RefusalReason::AnswerUnreadable, write.answerStatus);
        return false;
    }
    std::vector<const Xml::ConfigNode*> nets;
    if (answer.root.findChildren(L"net", nets) == 0)
    {
        Refuse(address, RefusedOperation::Write, RefusalReason::AnswerWithoutNet, write.answerStatus);
        return false;
    }
    const std::wstring* change = nets.front()->getAttribute(L"change");
    if (change == nullptr || *change != L"ok")
    {
        Refuse(address, RefusedOperation::Write, RefusalReason::ChangeNotConfirmed, write.answerStatus,
               change ? *change : std::wstring());
        return false;
    }
    return true;
}

void PropertyAccess::Move(std::uint32_t address, const DeviceProperties& properties)
{
    devices.RemoveDevice(address);
    const bool opened = devices.AddDevice(DiscoveredController{properties.ip, properties.tcpPort, {}});
    sink.OnDeviceAddressChanged(AddressChange{address, properties.ip});
    if (!opened)
        return Refuse(properties.ip, RefusedOperation::Write, RefusalReason::ReconnectFailed);
    RefreshProperties(devices.FindDevice(properties.ip));
}

void PropertyAccess::Refuse(std::uint32_t address, RefusedOperation operation, RefusalReason reason,
                            std::uint32_t httpStatus, std::wstring detail)
{
    sink.OnRequestRefused(RequestRefusal{address, operation, reason, httpStatus, std::move(detail)});
}

} // namespace OM::Norvatessa
