// The intermediate file on arbitrary bytes: reading records and the tail
// never reads past what is there, fails cleanly on a short record, and a
// record written from any values reads back bit for bit.

#include "BaseDVFileINT.h"
#include "ScratchFile.h"

#include <array>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string dataPath = fuzz::ScratchFile("run001.KLYN");
    const std::string path = CBaseDVFileINT::GetIntermediatePath(dataPath);
    CBaseDVFileINT file;
    if (!file.Open(dataPath))
        return 0;
    // The file the Analyzer would have written, replaced by the input.
    if (!fuzz::WriteFile(path, data, size) || !file.MoveToPulse(0))
        return 0;
    const size_t records = size / CBaseDVFileINT::kRecordSize;
    size_t read = 0;
    int32_t time = 0;
    std::array<float, CBaseDVFileINT::kGateResults> values{};
    while (file.ReadPulse(time, values))
        ++read;
    if (read != records)
        std::abort();
    uint16_t lowest = 0, highest = 0;
    file.MoveToPulse(static_cast<int>(records));
    const int tail = file.ReadTail(lowest, highest);
    if (tail != (size % CBaseDVFileINT::kRecordSize >= CBaseDVFileINT::kTailSize ? 1 : 0))
        std::abort();

    // Any 24 bytes as a record's values come back unchanged.
    if (size >= CBaseDVFileINT::kRecordSize) {
        int32_t t = 0;
        std::array<float, CBaseDVFileINT::kGateResults> in{};
        std::memcpy(&t, data, 4);
        std::memcpy(in.data(), data + 4, 20);
        CBaseDVFileINT again;
        if (!again.Open(dataPath) || !again.WritePulse(t, in) || !again.MoveToPulse(0))
            std::abort();
        std::array<float, CBaseDVFileINT::kGateResults> out{};
        int32_t back = 0;
        if (!again.ReadPulse(back, out) || back != t || std::memcmp(in.data(), out.data(), 20) != 0)
            std::abort();
    }
    file.Close(dataPath);
    return 0;
}
