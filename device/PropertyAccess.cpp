#include "device/PropertyAccess.h"

#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "device/ExchangeLabels.h"
#include "xml/ConfigDocument.h"

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

bool PropertyAccess::Read(Device* device, DevicePropertiesResult& result)
{
    HttpRequest request(PropertiesObject, ReadPropertiesLabel);
    if (!exchange.ExecuteRequest(*device, request))
        return false;
    DeviceProperties& record = result.properties;
    if (!Xml::readDeviceProperties(request.answer, record))
    {
        Refuse(device->address, RefusedOperation::Read, RefusalReason::AnswerUnreadable,
               request.answerStatus);
        return false;
    }
    if (!ApplyProperties(*device, record))
    {
        Refuse(device->address, RefusedOperation::Read, RefusalReason::OtherAddress, request.answerStatus,
               AddressText(record.ip));
        return false;
    }
    result.address = device->address;
    result.answer = std::move(request.answerBytes);
    return true;
}

bool PropertyAccess::ReadProperties(Device* device, Support* requester, std::int32_t tag)
{
    DevicePropertiesResult result;
    result.tag = tag;
    if (device == nullptr || !Read(device, result))
        return false;
    observers.Notify(requester, &Support::OnDeviceProperties, result);
    return true;
}

void PropertyAccess::RefreshProperties(Device* device)
{
    DevicePropertiesResult result;
    if (device == nullptr || !Read(device, result))
        return;
    observers.Broadcast(&Support::OnDeviceProperties, result);
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
    if (!exchange.ExecuteRequest(*device, request))
        return;

    Xml::ConfigDocument answer(L"config");
    if (!answer.loadFromString(request.answer))
        return Refuse(address, RefusedOperation::Write, RefusalReason::AnswerUnreadable,
                      request.answerStatus);
    std::vector<const Xml::ConfigNode*> nets;
    if (answer.root.findChildren(L"net", nets) == 0)
        return Refuse(address, RefusedOperation::Write, RefusalReason::AnswerWithoutNet,
                      request.answerStatus);
    const std::wstring* change = nets.front()->getAttribute(L"change");
    if (change == nullptr || *change != L"ok")
        return Refuse(address, RefusedOperation::Write, RefusalReason::ChangeNotConfirmed,
                      request.answerStatus, change ? *change : std::wstring());

    if (properties.changed & Xml::PropIp)
    {
        // The controller now answers at its new address: it is a new device there.
        devices.RemoveDevice(address);
        const bool opened = devices.AddDevice(DiscoveredController{properties.ip, properties.tcpPort, {}});
        observers.Broadcast(&Support::OnDeviceAddressChanged, AddressChange{address, properties.ip});
        if (!opened)
            return Refuse(properties.ip, RefusedOperation::Write, RefusalReason::ReconnectFailed);
        return RefreshProperties(devices.FindDevice(properties.ip));
    }
    if (!ApplyProperties(*device, properties))
        return Refuse(address, RefusedOperation::Write, RefusalReason::OtherAddress, 0,
                      AddressText(properties.ip));
    if ((properties.changed & (Xml::PropTcpPort | Xml::PropMask)) && !exchange.OpenConnection(*device))
        return Refuse(address, RefusedOperation::Write, RefusalReason::ReconnectFailed);
    RefreshProperties(device);
}

void PropertyAccess::Refuse(std::uint32_t address, RefusedOperation operation, RefusalReason reason,
                            std::uint32_t httpStatus, std::wstring detail)
{
    observers.Broadcast(&Support::OnRequestRefused,
                        RequestRefusal{address, operation, reason, httpStatus, std::move(detail)});
}

} // namespace OM::Norvatessa
