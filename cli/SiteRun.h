#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleStream.h"
#include "cli/ControllerSession.h"
#include "cli/CredentialsBook.h"
#include "cli/ExitCode.h"
#include "cli/SearchOptions.h"
#include "cli/SiteTargets.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa::Cli
{

// What became of one controller of a site.
struct ControllerOutcome
{
    enum class Result
    {
        Done,
        Unanswered, // it did not answer the search, the connection or the request
        Failed,     // it answered with a refusal, or its check failed
        Skipped,    // not tried: --stop-on-error stopped at an earlier controller
    };

    ControllerOutcome() = default;
    ControllerOutcome(std::uint32_t address, Result result, std::wstring text = {}, std::wstring file = {})
        : address(address), result(result), text(std::move(text)), file(std::move(file))
    {
    }

    std::uint32_t address = 0;
    Result result = Result::Done;
    std::wstring text;    // the outcome line: what was done, or why not, in the window program's words
    std::wstring file;    // of a backup or a restore
    bool changed = false; // the controller took a write (also when its check failed afterwards)
};

// Whether the command line asks for the outcomes as a list a script reads (--format json). A command on
// one controller then gives the list of its one outcome, as a site's run does.
bool ListsOutcomes(const CommandLine& line);

// One command run on every controller of a site, after one search, several controllers at once:
//
//   - the search runs once, unless every target gives its port; with --all its controllers are the targets;
//     a search that cannot run leaves out only the targets whose port nothing tells;
//   - the controllers go to the device manager as one batch, which works on --parallel of them at once
//     (engine/BatchRequest.h), each with its own credentials; on a console the progress line
//     "Готово 37 из 300, в работе 16" stands on standard error meanwhile;
//   - each gets its outcome line as it finishes, and the run ends with the summary ("Готово: 297 из 300;
//     не ответили: 3"); with --format json standard output is the list of outcomes instead, in the order of
//     the targets, and the lines go to the error stream, as they always do for "get", whose standard
//     output is the inventory;
//   - every target is tried, unless --stop-on-error: then no controller starts after the first that fails,
//     and those running finish. With --parallel 1 they go one after the other in their order, as they
//     always did.
class SiteRun
{
public:
    // What a command does on each controller.
    struct Work
    {
        // Its steps on the lanes besides reading the controller; null: it only reads it.
        std::shared_ptr<BatchWork> steps;
        // The program's thread, as each controller is done: the outcome of one that succeeded.
        std::function<ControllerOutcome(const SiteTarget&, const BatchOutcome&)> done;
        // The file that the command names for the controller, told with its outcome; none when empty.
        std::function<std::wstring(std::uint32_t address)> file;
    };

    // Nothing, once the user has been told why, when the search options or the credentials are refused.
    static std::optional<SiteRun> Prepare(const CommandLine& line, Console& console, SiteTargets targets);
    // The same for the one controller of a command's first operand.
    static std::optional<SiteRun> PrepareOne(const CommandLine& line, Console& console);

    // Standard output is the command's listing: the outcome lines go to the error stream, and --format
    // names the listing's format, not the outcomes'.
    void KeepOutputForListing()
    {
        linesToError = true;
        json = false;
    }

    // Done when every controller succeeded, Failed otherwise or when the search found none.
    ExitCode Run(const Work& work);
    const std::vector<ControllerOutcome>& Outcomes() const noexcept { return outcomes; }
    std::int32_t SearchMs() const noexcept { return search.timeMs; }

    // The outcome of a controller that did not answer the read or the write: the problems on one line.
    static ControllerOutcome Failure(std::uint32_t address, const std::vector<std::wstring>& problems,
                                     bool unanswered);

private:
    SiteRun(Console& console, SiteTargets targets, SearchOptions search, CredentialsBook credentials)
        : console(console), targets(std::move(targets)), search(std::move(search)),
          credentials(std::move(credentials))
    {
    }

    bool NeedsSearch() const;
    // Whether a target can be reached without the search.
    bool KnowsAnyPort() const;
    // Ends a run that tried no controller: the search failed or found none.
    ExitCode Ended();
    // Runs the batch and tells each outcome as it comes.
    void Watch(ControllerSession& session, const Work& work);
    ControllerOutcome OutcomeOf(const BatchOutcome& outcome, const Work& work, bool searchFailed) const;
    void Tell(const ControllerOutcome& outcome);
    void TellSummary();

    Console& console;
    SiteTargets targets;
    SearchOptions search;
    CredentialsBook credentials;
    bool stopOnError = false;
    bool json = false;
    bool linesToError = false;
    std::vector<ControllerOutcome> outcomes;
};

} // namespace OM::Norvatessa::Cli
