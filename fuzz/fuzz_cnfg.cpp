// Fuzz target for the ".cnfg" reader. The same bytes are read as a whole
// image and through the file reader, over a stream on the bytes in memory;
// both paths must agree, and a file that reads must write back an image that
// reads again.

#include "ConfigFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);

    CConfigFile from_memory;
    std::string memory_message;
    const int memory_result = from_memory.Parse(bytes, memory_message);

    OFileIO stream;
    if (stream.OpenMemory(data, size)) {
        CConfigFile from_file;
        std::string file_message;
        const int file_result = from_file.Io(stream, file_message);
        if (file_result != memory_result || file_message != memory_message)
            std::abort();
        if (file_result &&
            from_file.GetTimedEvent().GetCount() != from_memory.GetTimedEvent().GetCount())
            std::abort();
    } else if (size > 0) {
        std::abort(); // only empty input cannot be opened
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
