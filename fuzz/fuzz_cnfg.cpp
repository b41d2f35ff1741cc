// Fuzz target for the ".cnfg" reader. The same bytes are read from memory and
// from a file; both paths must agree, and a file that reads must write back
// an image that reads again.

#include "ScratchFile.h"
#include "ConfigFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);

    CConfigFile from_memory;
    std::string memory_message;
    const int memory_result = from_memory.Parse(bytes, memory_message);

    if (fuzz::WriteScratch(data, size)) {
        CConfigFile from_file;
        std::string file_message;
        const int file_result = from_file.Open(fuzz::ScratchPath(), file_message);
        // An empty file cannot be opened, so it fails without a message.
        if (size > 0 && (file_result != memory_result || file_message != memory_message))
            std::abort();
        if (file_result &&
            from_file.GetTimedEvent().GetCount() != from_memory.GetTimedEvent().GetCount())
            std::abort();
    }

    if (memory_result && from_memory.GetTag() == CConfigFile::kTag) {
        std::vector<uint8_t> image;
        from_memory.AppendImage(image);
        CConfigFile again;
        std::string message;
        if (!again.Parse(image, message) ||
            again.GetTimedEvent().GetCount() != from_memory.GetTimedEvent().GetCount())
            std::abort();
    }
    return 0;
}
