#include "helpers/Notifier.h"
#include "helpers/UniqueHandle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace OM::Helpers;

namespace
{

// An observer interface shaped like the device manager's: one argument by reference, empty defaults.
class Listener
{
public:
    virtual ~Listener() = default;
    virtual void OnCount(const int&) {}
    virtual void OnText(const std::wstring&) {}
};

class Recording : public Listener
{
public:
    Recording(std::vector<std::wstring>& log, std::wstring name) : log(log), name(std::move(name)) {}
    void OnCount(const int& value) override { log.push_back(name + std::to_wstring(value)); }
    void OnText(const std::wstring& text) override { log.push_back(name + text); }

private:
    std::vector<std::wstring>& log;
    std::wstring name;
};

} // namespace

TEST(Notifier, BroadcastReachesObserversInRegistrationOrder)
{
    std::vector<std::wstring> log;
    Recording a(log, L"a"), b(log, L"b"), c(log, L"c");
    Notifier<Listener> notifier;
    notifier.Add(&b);
    notifier.Add(&a);
    notifier.Add(&c);

    notifier.Broadcast(&Listener::OnCount, 1);
    notifier.Broadcast(&Listener::OnText, std::wstring(L"-т"));
    EXPECT_EQ(log, (std::vector<std::wstring>{L"b1", L"a1", L"c1", L"b-т", L"a-т", L"c-т"}));
}

TEST(Notifier, AddingTwiceKeepsOneEntryAndRemovingAnAbsentObserverChangesNothing)
{
    std::vector<std::wstring> log;
    Recording a(log, L"a"), b(log, L"b"), stranger(log, L"s");
    Notifier<Listener> notifier;
    notifier.Add(&a);
    notifier.Add(&b);
    notifier.Add(&a);
    notifier.Remove(&stranger);

    notifier.Broadcast(&Listener::OnCount, 1);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"a1", L"b1"}));

    notifier.Remove(&a);
    notifier.Broadcast(&Listener::OnCount, 2);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"a1", L"b1", L"b2"}));
}

namespace
{

// Changes the list from inside a notification, on the broadcasting thread.
class Meddler : public Listener
{
public:
    Meddler(Notifier<Listener>& notifier, std::vector<std::wstring>& log) : notifier(notifier), log(log) {}
    void OnCount(const int&) override
    {
        log.push_back(L"m");
        notifier.Remove(this);
        notifier.Remove(victim);
        notifier.Add(newcomer);
    }
    Listener* victim = nullptr;
    Listener* newcomer = nullptr;

private:
    Notifier<Listener>& notifier;
    std::vector<std::wstring>& log;
};

} // namespace

TEST(Notifier, ObserverMayChangeTheListDuringABroadcast)
{
    std::vector<std::wstring> log;
    Notifier<Listener> notifier;
    Recording first(log, L"f"), victim(log, L"v"), newcomer(log, L"n");
    Meddler meddler(notifier, log);
    meddler.victim = &victim;
    meddler.newcomer = &newcomer;
    notifier.Add(&first);
    notifier.Add(&meddler);
    notifier.Add(&victim);

    notifier.Broadcast(&Listener::OnCount, 1);
    // The removed observer is not called after its removal; the new one waits for the next broadcast.
    EXPECT_EQ(log, (std::vector<std::wstring>{L"f1", L"m"}));

    notifier.Broadcast(&Listener::OnCount, 2);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"f1", L"m", L"f2", L"n2"}));
}

namespace
{

// Inside a notification, removes an observer, destroys it and registers a new one built in its place.
class Replacer : public Listener
{
public:
    Replacer(Notifier<Listener>& notifier, std::optional<Recording>& slot, std::vector<std::wstring>& log)
        : notifier(notifier), slot(slot), log(log)
    {
    }
    void OnCount(const int&) override
    {
        Listener* const old = &*slot;
        notifier.Remove(old);
        slot.reset();
        slot.emplace(log, L"new");
        ASSERT_EQ(static_cast<Listener*>(&*slot), old) << "the test needs the same address";
        notifier.Add(&*slot);
        notifier.Remove(this);
    }

private:
    Notifier<Listener>& notifier;
    std::optional<Recording>& slot;
    std::vector<std::wstring>& log;
};

} // namespace

TEST(Notifier, ObserverReplacedAtTheSameAddressDuringABroadcastWaitsForTheNextOne)
{
    std::vector<std::wstring> log;
    Notifier<Listener> notifier;
    std::optional<Recording> slot(std::in_place, log, L"old");
    Replacer replacer(notifier, slot, log);
    notifier.Add(&replacer);
    notifier.Add(&*slot);

    notifier.Broadcast(&Listener::OnCount, 1);
    EXPECT_TRUE(log.empty()) << "the new observer was called by the walk that began before it was added";

    notifier.Broadcast(&Listener::OnCount, 2);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"new2"}));
}

namespace
{

// Takes its time inside a notification, as an observer on the worker may while the user-interface
// thread closes the window that owns it.
class Slow : public Listener
{
public:
    explicit Slow(HANDLE entered) : entered(entered) {}
    void OnCount(const int&) override
    {
        ++calls;
        ::SetEvent(entered);
        ::Sleep(300);
        finished = true;
    }
    std::atomic<bool> finished{false};
    std::atomic<int> calls{0};

private:
    HANDLE entered;
};

} // namespace

// The main frame removes its observer while the worker may still be broadcasting to it. Once Remove has
// returned the observer may be destroyed, so Remove must wait for the call in progress to end.
TEST(Notifier, RemoveWaitsForABroadcastRunningOnAnotherThread)
{
    UniqueHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Slow slow(entered.get());
    Notifier<Listener> notifier;
    notifier.Add(&slow);

    std::thread worker([&] { notifier.Broadcast(&Listener::OnCount, 1); });
    ASSERT_EQ(::WaitForSingleObject(entered.get(), 5000), WAIT_OBJECT_0);
    notifier.Remove(&slow);
    EXPECT_TRUE(slow.finished) << "Remove returned while the observer was still being called";
    worker.join();

    notifier.Broadcast(&Listener::OnCount, 2);
    EXPECT_EQ(slow.calls, 1);
}
