#pragma once

#include "common/DiscoveredController.h"
#include "engine/BatchRequest.h"
#include "engine/DeviceRequests.h"
#include "engine/Support.h"

#include <windows.h>

#include <cstddef>
#include <vector>

namespace OM::Norvatessa
{

class AuthorizationPrompt;
class CredentialStore;

// The engine as the window program sees it: it starts and stops the worker, takes requests, tells its
// observers what happens, cancels an exchange and lists the controllers it knows. The device manager
// (engine/DeviceManager.h) is the one engine; the windows include this header alone, so that neither the
// HTTP exchange, nor discovery, nor the system headers they need reach them.
//
// Who runs what is as the device manager says: Start, Stop, SetAuthorizationPrompt, CancelExchange and
// ClearDevices on the user-interface thread; Post, CancelBatch, Add and Remove on any thread; GetDevices
// on the worker, from inside a notification.
class DeviceEngine
{
public:
    // The one engine, made on first use.
    static DeviceEngine& Instance();

    // Begins the worker, which starts with a search; false when it cannot be begun.
    virtual bool Start() = 0;
    // Ends a running search, exchange and credentials prompt, and waits a bounded time for the worker:
    // WAIT_OBJECT_0 once it has ended.
    virtual DWORD Stop() = 0;
    // Before Start: what answers a controller's demand for credentials. It must live to the end of the
    // process, since a worker that outlived Stop may still ask it.
    virtual void SetAuthorizationPrompt(AuthorizationPrompt* prompt) noexcept = 0;
    // Before Start: the store of credentials the user asked to remember, tried first with a controller
    // that accepted nothing in this run, the worker's exchange and every lane alike. It must live to the
    // end of the process, as the prompt must.
    virtual void RememberCredentials(const CredentialStore* store) noexcept = 0;

    // The poster may let its value go as soon as Post returns.
    virtual void Post(const NewSearchRequest& request) = 0;
    virtual void Post(const GetDevicePropertiesRequest& request) = 0;
    virtual void Post(const SetDevicePropertiesRequest& request) = 0;
    virtual void Post(const AddControllerRequest& request) = 0;
    virtual void Post(const ForgetControllerRequest& request) = 0;
    // A batch runs after the requests posted before it; the number tells its notifications from those
    // of other batches, and names it to CancelBatch.
    virtual BatchId Post(const BatchRequest& request) = 0;

    // Remove waits for a notification in progress on the worker.
    virtual void Add(Support* observer) = 0;
    virtual void Remove(Support* observer) = 0;

    // Ends the exchange in progress without an answer: the single exchange, never one of a batch.
    virtual void CancelExchange() noexcept = 0;
    // Ends one batch: its controllers not started yet are told as cancelled, those in progress are
    // cancelled as CancelExchange cancels an exchange. Other batches go on.
    virtual void CancelBatch(BatchId batch) noexcept = 0;

    // The controllers known: when there are none, 0, with `controllers` left as it is; otherwise those
    // whose address or port is known, in address order, and their count.
    virtual std::size_t GetDevices(std::vector<DiscoveredController>& controllers) const = 0;
    // Once the worker has stopped: forgets every controller, whose connections go to the closer.
    virtual void ClearDevices() = 0;

protected:
    ~DeviceEngine() = default;
};

} // namespace OM::Norvatessa
