#include "LogRotation.h"

#include "FileUtil.h"
#include "QuillonIniConfig.h"

#include <cstdio>
#include <filesystem>

CLogRotation::CLogRotation(uint64_t maxBytes, int files)
    : m_nMaxBytes(maxBytes > 0 ? maxBytes : 1), m_nFiles(files > 0 ? files : 1)
{
}

CLogRotation CLogRotation::FromSettings()
{
    return CLogRotation(static_cast<uint64_t>(CQuillonIniConfig::LogFileMaxSizeKB()) * 1024u,
                        CQuillonIniConfig::LogFileCount());
}

std::string CLogRotation::NumberedPath(const std::string& path, int n)
{
    const std::filesystem::path p(path);
    std::filesystem::path numbered = p.parent_path() / p.stem();
    numbered += "." + std::to_string(n) + p.extension().string();
    return numbered.string();
}

bool CLogRotation::RotateIfFull(const std::string& path, uint64_t currentSize,
                                uint64_t adding) const
{
    if (currentSize == 0 || currentSize + adding <= m_nMaxBytes)
        return false;
    Rotate(path);
    return true;
}

void CLogRotation::Rotate(const std::string& path) const
{
    std::error_code ignored;
    if (m_nFiles <= 1) {
        std::filesystem::remove(path, ignored);
        return;
    }
    std::filesystem::remove(NumberedPath(path, m_nFiles - 1), ignored);
    for (int n = m_nFiles - 2; n >= 1; --n)
        std::filesystem::rename(NumberedPath(path, n), NumberedPath(path, n + 1), ignored);
    std::filesystem::rename(path, NumberedPath(path, 1), ignored);
    // The new names on the disk too: after a power cut the log is found
    // under its numbered name, not lost between two names.
    int error = 0;
    CFileUtil::SyncFolderOf(path, error);
}
