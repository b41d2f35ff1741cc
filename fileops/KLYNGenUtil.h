#pragma once
// CKLYNGenUtil: the file-system questions the data files ask.

#include <cstdint>
#include <string>

class CKLYNGenUtil {
public:
    virtual ~CKLYNGenUtil() = default;

    // 1 when the status of path can be read, else 0.
    static int CheckFileExist(const std::string& path);
    // Size in bytes; -1 when the status of path cannot be read.
    static int64_t GetFileSize(const std::string& path);
    // Bytes an unprivileged writer may still use on the file system holding
    // path; 0 when that cannot be asked. The 32-bit form reports 4 GiB or
    // more as 0xFFFFFFFF rather than wrapping round to a small number.
    static uint32_t GetDiskFree(const std::string& path);
    static uint64_t GetDiskFree64(const std::string& path);
    static uint32_t SaturateToU32(uint64_t value)
    {
        return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
    }
};
