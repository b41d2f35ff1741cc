#pragma once
// One scratch folder per fuzzing process, for readers that take a path: in
// memory (/dev/shm) where the machine has it, so that inputs do not wear the
// disk or slow the run. It is removed when the process ends.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

struct CScratchFolder {
    std::string path;
    CScratchFolder()
    {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/tarvolin-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()))
            path = pattern;
    }
    ~CScratchFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
};

inline const std::string& ScratchFolder()
{
    static const CScratchFolder folder;
    return folder.path;
}

// A path in the scratch folder.
inline std::string ScratchFile(const std::string& name)
{
    return ScratchFolder() + "/" + name;
}

inline const std::string& ScratchPath()
{
    static const std::string path = ScratchFile("input");
    return path;
}

// Replaces the file's contents with data; false when it could not.
inline bool WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    if (ScratchFolder().empty())
        return false;
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    const bool ok = size == 0 || std::fwrite(data, size, 1, fp) == 1;
    return std::fclose(fp) == 0 && ok;
}

inline bool WriteScratch(const uint8_t* data, size_t size)
{
    return WriteFile(ScratchPath(), data, size);
}

} // namespace fuzz
