#pragma once
// One scratch file per fuzzing process, for readers that take a path. It is
// removed when the process ends.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzz {

struct CScratchFile {
    std::string path;
    CScratchFile()
    {
        char name[] = "/tmp/tarvolin-fuzz-XXXXXX";
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

inline const std::string& ScratchPath()
{
    static const CScratchFile scratch;
    return scratch.path;
}

// Replaces the scratch file's contents with data; false when it could not.
inline bool WriteScratch(const uint8_t* data, size_t size)
{
    if (ScratchPath().empty())
        return false;
    FILE* fp = std::fopen(ScratchPath().c_str(), "wb");
    if (!fp)
        return false;
    const bool ok = size == 0 || std::fwrite(data, size, 1, fp) == 1;
    return std::fclose(fp) == 0 && ok;
}

} // namespace fuzz
