// Fuzz target for the compact configuration record. The same bytes are read
// from memory and from a file; both paths must agree, and a record that reads
// must write back exactly the bytes it was read from.

#include "ScratchFile.h"
#include "BaseConfigDataIo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);

    CBaseConfigDataIo from_memory;
    size_t used = 0;
    std::string memory_message;
    const int memory_result = from_memory.Parse(bytes, used, memory_message);

    if (fuzz::WriteScratch(data, size)) {
        CBaseConfigDataIo from_file;
        std::string file_message;
        const int file_result = from_file.ReadConfig(fuzz::ScratchPath(), file_message);
        // An empty file cannot be opened, so it fails without a message.
        if (size > 0 && (file_result != memory_result || file_message != memory_message))
            std::abort();
        if (file_result && from_file.GetEventCount() != from_memory.GetEventCount())
            std::abort();
    }

    if (memory_result) {
        std::vector<uint8_t> image;
        from_memory.Append(image);
        if (image.size() != used || std::memcmp(image.data(), data, used) != 0)
            std::abort();
    }
    return 0;
}
