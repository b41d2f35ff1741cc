// Fuzz target for the compact data file reader: the header, configuration,
// pulse count and run log, then every pulse the reader accepted. A file that
// reads must hold every pulse it counts.

#include "ScratchFile.h"
#include "BaseDVPulseData.h"
#include "BaseKLYNData.h"
#include "MessageService.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Messages meant for the user are dropped: nobody is there to read them.
class CSilentSink : public IMessageSink {
public:
    int Show(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        return IDOK;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSilentSink sink;
    CMessageService::SetSink(&sink);
    if (!fuzz::WriteScratch(data, size))
        return 0;

    CBaseKLYNData file;
    // Never the program's own default.cfg: the outcome depends on the input alone.
    file.SetDefaultConfigPath(fuzz::ScratchPath() + ".absent");
    CBaseConfigDataIo config;
    std::string message;
    int done = 0;
    if (!file.ReadHeader(config, fuzz::ScratchPath(), message, done))
        return 0;

    const int count = file.GetPulseCount();
    if (count <= 0 || static_cast<uint64_t>(count) * CPulseDataBase::kRecordSize > size)
        std::abort();
    if (file.GetbUseDeltas() && file.GetRebuiltTimes().size() != static_cast<size_t>(count))
        std::abort();

    CBaseDVPulseData pulse;
    if (!pulse.SetFilePath(fuzz::ScratchPath()))
        return 0;
    pulse.SetHeaderOffset(static_cast<uint32_t>(file.GetFirstPulseOffset()));
    for (int i = 0; i < count; ++i) {
        int found = -1;
        if (pulse.ToPulse(i, count, found, pulse, file) != 1 || found != i ||
            pulse.GetCurrentSize() != CPulseDataBase::kRecordSize)
            std::abort();
    }
    int found = -1;
    if (pulse.ToPulse(count, count, found, pulse, file) != 0)
        std::abort();
    return 0;
}
