// The data-file reader on arbitrary bytes: it must never crash, hang or size
// memory from the stored count, and whatever it reads must write back.
#include "DataFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
// One scratch file for the whole run, removed when the run ends.
struct ScratchFile {
    ScratchFile()
    {
        char name[] = "/tmp/fuzz-datafile-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        path = name;
    }
    ~ScratchFile() { std::remove(path.c_str()); }
    std::string path;
};

const std::string& TempPath()
{
    static const ScratchFile file;
    return file.path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = TempPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

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
