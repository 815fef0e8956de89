#pragma once

#include "engine/BatchOutcome.h"

#include <cstddef>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// How both programs word the outcome of one controller of a batch and the line that sums a batch up, so
// that the window program's batch window and the console program's site commands say the same.

// What went wrong with a controller of a batch, each problem worded as on the road of one controller.
std::vector<std::wstring> ProblemWords(const BatchOutcome& outcome);
// The problems on one line, as an outcome line shows them.
std::wstring OutcomeLine(const std::vector<std::wstring>& problems);

// The controllers of a batch by how each ended.
struct OutcomeCounts
{
    std::size_t total = 0;
    std::size_t done = 0;
    std::size_t unanswered = 0; // failed without an answer
    std::size_t failed = 0;     // failed otherwise
    std::size_t skipped = 0;    // never started after an earlier failure
    std::size_t cancelled = 0;  // the batch was cancelled before they were done
};
// "Готово: 297 из 300; не ответили: 3", with the other counts that are not zero.
std::wstring SummaryLine(const OutcomeCounts& counts);

} // namespace OM::Norvatessa
