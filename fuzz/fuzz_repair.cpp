// The repair path on arbitrary bytes: it never invents pulses and never loses
// the original. After a repair the file reads with its count equal to what
// the reader believes, the same pulses as before; a count that went down
// left the untouched original beside it.

#include "DataFile.h"
#include "ScratchFile.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz::ScratchFile("run.KLYN");
    static const std::string copy = fuzz::ScratchFile("run-repaired.KLYN");
    std::remove(CDataFileReader::BackupPath(path).c_str());
    if (!fuzz::WriteFile(path, data, size))
        return 0;

    CDataFileHeader header;
    CSalvageReport before;
    std::string message;
    const int readable = CDataFileReader::Read(path, header, nullptr, before, message);
    if (readable && before.foundCount <= 0)
        std::abort();

    // Into a copy: the original stays byte for byte.
    CSalvageReport report;
    const int copied = CDataFileReader::Repair(path, copy, report, message);
    if (copied != readable || ReadBytes(path) != std::vector<uint8_t>(data, data + size))
        std::abort();

    // In place.
    const int repaired = CDataFileReader::Repair(path, "", report, message);
    if (repaired != readable)
        std::abort();
    if (!repaired)
        return 0;
    CSalvageReport after;
    if (!CDataFileReader::Read(path, header, nullptr, after, message) ||
        after.storedCount != after.foundCount || after.foundCount != before.foundCount)
        std::abort();
    const bool lowered = before.storedCount > before.foundCount;
    if (lowered != !report.originalKeptAs.empty())
        std::abort();
    if (lowered && ReadBytes(report.originalKeptAs) != std::vector<uint8_t>(data, data + size))
        std::abort();
    return 0;
}
