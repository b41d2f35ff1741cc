// The data-file reader on arbitrary bytes: it must never crash, hang or size
// memory from the stored count, and whatever it reads must write back.
#include "DataFile.h"
#include "ScratchFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!fuzz::WriteScratch(data, size))
        return 0;
    const std::string& path = fuzz::ScratchPath();

    CDataFileHeader header;
    CSalvageReport report;
    std::string message;
    int pulses = 0;
    const int ok = CDataFileReader::Read(
        path, header,
        [&](const CPulseData& p) {
            ++pulses;
            if (p.GetDataCount() > CDataFileReader::kMaxSamples)
                std::abort();
            return true;
        },
        report, message);
    if (ok && (pulses != report.foundCount || pulses == 0))
        std::abort();
    if (ok && report.tornBytes < 0)
        std::abort();
    return 0;
}
