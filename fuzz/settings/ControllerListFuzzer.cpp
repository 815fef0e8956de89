// Any file given to --from: besides the sanitizers, every controller read names a usable port, and every
// record of the list, written again by the programs' one writer, reads back as it was.
#include "engine/CsvText.h"
#include "engine/FileText.h"
#include "settings/ControllerListFile.h"

#include <cstdlib>
#include <string_view>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::ControllerSettings;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ControllerList list = ReadControllerList(bytes, Windows1251());
    for (const ListedController& controller : list.controllers)
    {
        if ((controller.port && *controller.port == 0) ||
            (controller.knownPort && *controller.knownPort == 0))
            std::abort();
    }
    const std::wstring text = DecodeTextFile(bytes, Windows1251());
    const wchar_t separator = FindListSeparator(text);
    for (const CsvRecord& record : ReadCsvRecords(text, separator))
    {
        const std::vector<CsvRecord> again = ReadCsvRecords(CsvRow(record.fields, separator), separator);
        if (again.size() != 1 || again.front().fields != record.fields)
            std::abort();
    }
    return 0;
}
