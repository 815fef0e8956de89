#pragma once

#include "cli/ConsoleStream.h"
#include "helpers/Thread.h"

namespace OM::Norvatessa::Cli
{

// The line "Поиск контроллеров... 2 с" on a console's error stream while a search blocks the program's
// thread: a thread of its own redraws it each second and clears it when the search is over. On a stream
// that is no console it draws nothing, so that logs and pipes get no carriage returns.
//
// Threads: the constructor and destructor run on the program's thread, which writes nothing to the
// stream in between; Run draws on the progress thread. The destructor returns only once that thread has
// ended, however long the console holds its write.
class SearchProgress final : private Helpers::Thread
{
public:
    explicit SearchProgress(ConsoleStream& stream);
    ~SearchProgress() override;

private:
    void Run() override;

    ConsoleStream& stream;
    bool drawing = false; // program's thread
};

} // namespace OM::Norvatessa::Cli
