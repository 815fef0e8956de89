#include "engine/SupportNotifier.h"
#include "xml/Utf16File.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

using namespace OM::Norvatessa;
using ::testing::ElementsAre;

namespace
{

class Observer final : public Support
{
public:
    void OnExchangeAborted(const bool& value) override { Flag("aborted", value); }
    void OnAuthorizationRetry(const bool& value) override { Flag("retry", value); }
    void OnAuthorizationRequested(const bool& value) override { Flag("authorization", value); }
    void OnExchangeCompleted(const bool& value) override { Flag("completed", value); }
    void OnExchangeStarted(const std::wstring& label) override
    {
        log.push_back("started " + OM::Xml::utf8Text(label));
    }
    void OnExchangeFailed(const ExchangeFailure& failure) override
    {
        log.push_back("failed " + std::to_string(failure.systemError) + " " +
                      OM::Xml::utf8Text(failure.label));
    }

    std::vector<std::string> log;

private:
    void Flag(const char* name, bool value)
    {
        log.push_back(std::string(name) + (value ? " true" : " false"));
    }
};

// Overrides nothing: every notification must reach it without effect.
class Bystander final : public Support
{
};

} // namespace

TEST(SupportNotifier, TranslatesEachExchangeEventKindAndNothingElse)
{
    SupportNotifier notifier;
    Bystander bystander;
    Observer observer;
    notifier.Add(&bystander);
    notifier.Add(&observer);

    for (const std::int32_t kind : {1, 3, 4, 0, 2, 5, 6, -1, 42})
    {
        ConnectionEvent event;
        event.kind = kind;
        event.address = 0x7F000002;
        event.text = L"Запрос настроек контроллера";
        event.failure.label = event.text;
        event.failure.systemError = 12002;
        notifier.OnConnectionEvent(event);
    }
    EXPECT_THAT(observer.log,
                ElementsAre("started Запрос настроек контроллера", "authorization false", "retry false",
                            "completed false", "aborted false", "failed 12002 Запрос настроек контроллера"));
    notifier.Remove(&bystander);
    notifier.Remove(&observer);
}
