#include "engine/SupportNotifier.h"

namespace OM::Norvatessa
{

void SupportNotifier::OnConnectionEvent(const ConnectionEvent& event)
{
    switch (event.kind)
    {
    case ExchangeCompleted:
        Broadcast(&Support::OnExchangeCompleted, false);
        break;
    case ExchangeStarted:
        Broadcast(&Support::OnExchangeStarted, event.text);
        break;
    case ExchangeAborted:
        Broadcast(&Support::OnExchangeAborted, false);
        break;
    case AuthorizationRequested:
        Broadcast(&Support::OnAuthorizationRequested, false);
        break;
    case AuthorizationRetried:
        Broadcast(&Support::OnAuthorizationRetry, false);
        break;
    case ExchangeFailedKind:
        Broadcast(&Support::OnExchangeFailed, event.failure);
        break;
    default:
        break; // no notification for an unknown kind
    }
}

void SupportNotifier::OnDeviceAddressChanged(const AddressChange& change)
{
    Broadcast(&Support::OnDeviceAddressChanged, change);
}

void SupportNotifier::OnDeviceProperties(const DevicePropertiesResult& result)
{
    Broadcast(&Support::OnDeviceProperties, result);
}

void SupportNotifier::OnRequestRefused(const RequestRefusal& refusal)
{
    Broadcast(&Support::OnRequestRefused, refusal);
}

} // namespace OM::Norvatessa
