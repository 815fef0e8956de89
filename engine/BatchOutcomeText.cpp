#include "engine/BatchOutcomeText.h"

#include "common/Words.h"
#include "engine/FailureText.h"

#include <algorithm>
#include <utility>

namespace OM::Norvatessa
{

std::vector<std::wstring> ProblemWords(const BatchOutcome& outcome)
{
    std::vector<std::wstring> words;
    for (const BatchProblem& problem : outcome.problems)
    {
        switch (problem.kind)
        {
        case BatchProblem::Kind::ExchangeFailed:
            words.push_back(DescribeControllerFailure(problem.failure));
            break;
        case BatchProblem::Kind::ExchangeAborted:
            words.emplace_back(Words::ExchangeAborted);
            break;
        case BatchProblem::Kind::Refused:
            words.push_back(DescribeControllerRefusal(problem.refusal));
            break;
        }
    }
    if (!words.empty() && outcome.writeConfirmed)
        words.emplace_back(Words::ChangedButNotReadBack);
    return words;
}

std::wstring OutcomeLine(const std::vector<std::wstring>& problems)
{
    std::wstring line;
    for (const std::wstring& problem : problems)
    {
        if (!line.empty())
            line += L' ';
        line += problem;
    }
    std::replace(line.begin(), line.end(), L'\n', L' ');
    return line;
}

std::wstring SummaryLine(const OutcomeCounts& counts)
{
    std::wstring summary = Words::Fill(Words::SiteDone, counts.done, counts.total);
    for (const auto& [count, sentence] :
         {std::pair{counts.unanswered, Words::SiteUnanswered}, std::pair{counts.failed, Words::SiteFailed},
          std::pair{counts.skipped, Words::SiteSkipped}, std::pair{counts.cancelled, Words::SiteCancelled}})
    {
        if (count > 0)
            summary = Words::Fill(sentence, summary, count);
    }
    return summary;
}

} // namespace OM::Norvatessa
