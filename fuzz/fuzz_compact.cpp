// Fuzz target for the compact configuration record. The same bytes are read
// from memory and from a file; both paths must agree, and a record that reads
// must write back exactly the bytes it was read from.

#include "BaseConfigDataIo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// One scratch file per process, removed when the process ends.
struct CScratchFile {
    std::string path;
    CScratchFile()
    {
        char name[] = "/tmp/fuzz_compact_XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) {
            close(fd);
            path = name;
        }
    }
    ~CScratchFile()
    {
        if (!path.empty())
            std::remove(path.c_str());
    }
};

const std::string& ScratchPath()
{
    static const CScratchFile scratch;
    return scratch.path;
}

bool WriteScratch(const uint8_t* data, size_t size)
{
    if (ScratchPath().empty())
        return false;
    FILE* fp = std::fopen(ScratchPath().c_str(), "wb");
    if (!fp)
        return false;
    const bool ok = size == 0 || std::fwrite(data, size, 1, fp) == 1;
    return std::fclose(fp) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);

    CBaseConfigDataIo from_memory;
    size_t used = 0;
    std::string memory_message;
    const int memory_result = from_memory.Parse(bytes, used, memory_message);

    if (WriteScratch(data, size)) {
        CBaseConfigDataIo from_file;
        std::string file_message;
        const int file_result = from_file.ReadConfig(ScratchPath(), file_message);
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
