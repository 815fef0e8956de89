#pragma once

#include "common/AddressConflict.h"
#include "common/ExchangeFailure.h"
#include "common/RequestRefusal.h"
#include "engine/NetworkAdapters.h"
#include "engine/ProgramSettings.h"

#include <string>

namespace OM::Norvatessa
{

// What the user reads when an exchange fails or a request is refused, in the program's language. The
// window program shows it in a message box, the console program on its error stream; both say the same.

// One sentence that says what went wrong, without the controller's address.
std::wstring DescribeFailure(const ExchangeFailure& failure);
std::wstring DescribeRefusal(const RequestRefusal& refusal);
// The same under the controller's address and the step of the exchange (or what was not done), as the
// message box and the console's error stream show it: "Контроллер 192.168.0.17, Авторизация:\n...".
std::wstring DescribeControllerFailure(const ExchangeFailure& failure);
std::wstring DescribeControllerRefusal(const RequestRefusal& refusal);
// Why a search could not begin, from its Windows Sockets error.
std::wstring DescribeSearchFailure(std::int32_t socketError);
// Why the probe to a controller given by address could not be sent, from its Windows Sockets error, in a
// few words for its row: "нет маршрута".
std::wstring DescribeUnsentProbe(std::int32_t socketError);

// The course of a search, for the log: an adapter probed ("Поиск через 192.168.0.5 (Ethernet)"), and two
// controllers heard on one address, with what differs.
std::wstring DescribeProbedAdapter(const ProbedAdapter& adapter);
std::wstring DescribeConflict(const AddressConflict& conflict);
// A search that ran to its end and that no controller answered: what was probed, and what to check.
// `adaptersProbed` counts the adapters the probe went out through besides the system's own choice.
std::wstring DescribeNothingFound(std::size_t adaptersProbed);

// Why a file or a folder could not be read or written, from the system's error code: the reasons a user
// can act on in words ("нет доступа к файлу или к папке"), the others by their code.
std::wstring DescribeFileError(std::uint32_t error);

// For the log, a save of the settings that could not go beside the program: where it went instead, or
// that it went nowhere. Empty for a save beside the program.
std::wstring DescribeSettingsSave(const SettingsSave& save);

} // namespace OM::Norvatessa
