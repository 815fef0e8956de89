#include "cli/SiteRun.h"

#include "cli/CommandSupport.h"
#include "common/AddressText.h"
#include "common/Words.h"
#include "engine/BatchOutcomeText.h"
#include "engine/JsonText.h"

#include <algorithm>
#include <set>

namespace OM::Norvatessa::Cli
{

namespace
{

using Result = ControllerOutcome::Result;

// The line "Готово 37 из 300, в работе 16" on a console, drawn over itself; cleared before any other line
// is written, so that the outcome lines never run into it. Logs and pipes get none of it.
class ProgressLine
{
public:
    explicit ProgressLine(ConsoleStream& stream) : stream(stream) {}
    ~ProgressLine() { Clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(const std::wstring& text)
    {
        if (!stream.IsConsole() || (drawn != 0 && text == shown))
            return;
        shown = text;
        std::wstring line = L"\r" + text;
        if (text.size() < drawn)
            line.append(drawn - text.size(), L' ');
        stream.Write(line);
        drawn = text.size();
    }

    void Clear()
    {
        if (drawn == 0)
            return;
        stream.Write(L"\r" + std::wstring(drawn, L' ') + L"\r");
        drawn = 0;
    }

private:
    ConsoleStream& stream;
    std::size_t drawn = 0;
    std::wstring shown;
};

const wchar_t* ResultWord(Result result)
{
    switch (result)
    {
    case Result::Done:
        return L"done";
    case Result::Unanswered:
        return L"unanswered";
    case Result::Failed:
        return L"failed";
    case Result::Skipped:
        return L"skipped";
    }
    return L"";
}

std::wstring JsonOutcomes(const std::vector<ControllerOutcome>& outcomes)
{
    std::vector<std::wstring> objects;
    for (const ControllerOutcome& outcome : outcomes)
    {
        std::wstring json = L"{\"address\": " + JsonString(AddressText(outcome.address));
        json += L", \"result\": \"";
        json += ResultWord(outcome.result);
        json += L"\", \"changed\": ";
        json += JsonBool(outcome.changed);
        if (!outcome.file.empty())
            json += L", \"file\": " + JsonString(outcome.file);
        json += L", \"message\": " + JsonString(outcome.text) + L'}';
        objects.push_back(std::move(json));
    }
    return JsonArray(objects);
}

} // namespace

bool ListsOutcomes(const CommandLine& line)
{
    return line.Value(L"--format") == L"json";
}

std::optional<SiteRun> SiteRun::Prepare(const CommandLine& line, Console& console, SiteTargets targets)
{
    SearchChoice search = ChooseSearch(line);
    if (search.error)
        return TellUsage(console, *search.error, line.command), std::nullopt;
    std::optional<CredentialsBook> credentials = CredentialsBook::Read(line, console);
    if (!credentials)
        return std::nullopt;
    SiteRun run(console, std::move(targets), std::move(search.options), std::move(*credentials));
    run.stopOnError = line.Has(L"--stop-on-error");
    run.json = ListsOutcomes(line);
    return run;
}

std::optional<SiteRun> SiteRun::PrepareOne(const CommandLine& line, Console& console)
{
    std::optional<SiteTargets> targets = ReadSiteTargets(line, console, {line.operands.front()});
    if (!targets)
        return std::nullopt;
    return Prepare(line, console, std::move(*targets));
}

ControllerOutcome SiteRun::Failure(std::uint32_t address, const std::vector<std::wstring>& problems,
                                   bool unanswered)
{
    return ControllerOutcome{address, unanswered ? Result::Unanswered : Result::Failed,
                             OutcomeLine(problems)};
}

bool SiteRun::NeedsSearch() const
{
    return targets.all || std::any_of(targets.targets.begin(), targets.targets.end(),
                                      [](const SiteTarget& target) { return !target.port; });
}

bool SiteRun::KnowsAnyPort() const
{
    return std::any_of(targets.targets.begin(), targets.targets.end(),
                       [](const SiteTarget& target) { return target.port || target.knownPort; });
}

ExitCode SiteRun::Run(const Work& work)
{
    ApplySearchOptions(search);
    ControllerSession session(DeviceManager::Instance());
    if (NeedsSearch())
    {
        search.goal = SearchGoalOf(targets);
        const std::vector<DiscoveredController> found = SearchSite(session, console, search);
        // The targets whose port is known go on without the search; the others fail one by one.
        if (session.SearchFailure() && !KnowsAnyPort())
            return Ended();
        for (const std::wstring& conflict : session.Conflicts())
            console.err.WriteLine(conflict);
        if (targets.all)
        {
            for (const DiscoveredController& controller : found)
            {
                if (controller.answered)
                    targets.targets.push_back(SiteTarget{controller.address, std::nullopt, std::nullopt});
            }
            if (targets.targets.empty())
            {
                console.err.WriteLine(Words::Fill(Words::NoneAnswered, search.timeMs));
                return Ended();
            }
        }
    }
    Watch(session, work);
    TellSummary();
    if (json)
        console.out.Write(JsonOutcomes(outcomes));
    const bool allDone = std::all_of(outcomes.begin(), outcomes.end(), [](const ControllerOutcome& outcome) {
        return outcome.result == Result::Done;
    });
    return allDone ? ExitCode::Done : ExitCode::Failed;
}

void SiteRun::Watch(ControllerSession& session, const Work& work)
{
    BatchRequest request;
    for (const SiteTarget& target : targets.targets)
        request.targets.push_back(BatchTarget{target.address, target.port, target.knownPort});
    request.work = work.steps;
    request.prompts = std::make_shared<CredentialsBook>(credentials);
    request.stopOnFailure = stopOnError;
    const std::size_t count = targets.targets.size();
    outcomes.assign(count, ControllerOutcome{});
    const bool searchFailed = session.SearchFailure().has_value();
    const BatchId batch = session.Post(request);
    if (batch == 0)
    {
        // No worker to run the batch: each controller ends as an exchange that could not run.
        for (std::size_t index = 0; index < count; ++index)
        {
            outcomes[index] = Failure(targets.targets[index].address, {Words::ExchangeAborted}, false);
            Tell(outcomes[index]);
        }
        return;
    }

    ProgressLine progress(console.err);
    std::set<std::size_t> running;
    std::size_t done = 0;
    for (;;)
    {
        const ControllerSession::BatchNews news = session.NextNews();
        if (news.kind == ControllerSession::BatchNews::Kind::Finished && news.end.batch == batch)
            break;
        if (news.kind == ControllerSession::BatchNews::Kind::Exchange && news.exchange.batch == batch &&
            news.exchange.event.kind == ExchangeStarted && news.exchange.index < count)
            running.insert(news.exchange.index);
        if (news.kind == ControllerSession::BatchNews::Kind::Outcome && news.outcome.batch == batch &&
            news.outcome.index < count)
        {
            running.erase(news.outcome.index);
            ControllerOutcome outcome = OutcomeOf(news.outcome, work, searchFailed);
            progress.Clear();
            if (outcome.result != Result::Skipped)
                Tell(outcome);
            outcomes[news.outcome.index] = std::move(outcome);
            ++done;
        }
        progress.Show(Words::Fill(Words::SiteProgress, done, count, running.size()));
    }
}

ControllerOutcome SiteRun::OutcomeOf(const BatchOutcome& outcome, const Work& work, bool searchFailed) const
{
    const SiteTarget& target = targets.targets[outcome.index];
    if (outcome.result == BatchResult::Done)
    {
        ControllerOutcome done = work.done(target, outcome);
        done.address = target.address;
        return done;
    }
    if (outcome.result == BatchResult::Skipped)
        return ControllerOutcome{target.address, Result::Skipped};
    std::vector<std::wstring> problems = ProblemWords(outcome);
    bool unanswered = outcome.unanswered;
    // Only a search could have told where the controller is, and it did not.
    const bool missed = outcome.problems.size() == 1 &&
                        outcome.problems.front().kind == BatchProblem::Kind::Refused &&
                        outcome.problems.front().refusal.reason == RefusalReason::UnknownController &&
                        !target.port && !target.knownPort;
    if (missed)
    {
        problems = {searchFailed ? Words::Fill(Words::NotSearched, AddressText(target.address))
                                 : Words::Fill(Words::NotFound, AddressText(target.address), search.timeMs)};
        unanswered = !searchFailed;
    }
    if (!outcome.failure.empty())
        problems.push_back(outcome.failure);
    if (problems.empty())
        problems.emplace_back(Words::ExchangeAborted);
    ControllerOutcome failed = Failure(target.address, problems, unanswered);
    failed.changed = outcome.writeConfirmed;
    if (work.file)
        failed.file = work.file(target.address);
    return failed;
}

ExitCode SiteRun::Ended()
{
    // A script reading the outcomes gets a list even when no controller was tried.
    if (json)
        console.out.Write(JsonOutcomes(outcomes));
    return ExitCode::Failed;
}

void SiteRun::Tell(const ControllerOutcome& outcome)
{
    ConsoleStream& stream = linesToError || json ? console.err : console.out;
    stream.WriteLine(outcome.text);
}

void SiteRun::TellSummary()
{
    const auto counted = [this](Result result) {
        return static_cast<std::size_t>(
            std::count_if(outcomes.begin(), outcomes.end(),
                          [result](const ControllerOutcome& outcome) { return outcome.result == result; }));
    };
    ConsoleStream& stream = linesToError || json ? console.err : console.out;
    OutcomeCounts counts;
    counts.total = outcomes.size();
    counts.done = counted(Result::Done);
    counts.unanswered = counted(Result::Unanswered);
    counts.failed = counted(Result::Failed);
    counts.skipped = counted(Result::Skipped);
    stream.WriteLine(SummaryLine(counts));
}

} // namespace OM::Norvatessa::Cli
