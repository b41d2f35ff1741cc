#include "KLYNGenUtil.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

int CKLYNGenUtil::CheckFileExist(const std::string& path)
{
    return GetFileSize(path) != -1;
}

int64_t CKLYNGenUtil::GetFileSize(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

uint32_t CKLYNGenUtil::GetDiskFree(const std::string& path)
{
    return SaturateToU32(GetDiskFree64(path));
}

uint64_t CKLYNGenUtil::GetDiskFree64(const std::string& path)
{
    struct statvfs vfs {};
    if (statvfs(path.c_str(), &vfs) != 0)
        return 0;
    return static_cast<uint64_t>(vfs.f_bavail) * static_cast<uint64_t>(vfs.f_frsize);
}
