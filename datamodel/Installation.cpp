#include "Installation.h"

#include "FilePaths.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Under(const std::string& folder, const std::string& tail)
{
    if (folder.empty())
        return std::string();
    return (fs::path(folder) / tail).lexically_normal().string();
}

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

std::string CInstallation::FindProgram(const std::string& folder, const std::string& program)
{
    const std::string path = Under(folder, program);
    if (IsRegularFile(path) && ::access(path.c_str(), X_OK) == 0)
        return path;
    return std::string();
}

std::vector<std::string> CInstallation::ManualCandidates(const std::string& programFolder,
                                                         const std::string& commonDataFolder)
{
    std::vector<std::string> candidates;
    for (const char* tail : {"../share/tarvolin/", "../../share/tarvolin/"}) {
        const std::string path = Under(programFolder, std::string(tail) + kManualFileName);
        if (!path.empty())
            candidates.push_back(path);
    }
    const std::string common =
        Under(commonDataFolder, std::string("Corvanth/Tarvolin/") + kManualFileName);
    if (!common.empty())
        candidates.push_back(common);
    return candidates;
}

std::string CInstallation::FindManual(const std::string& programFolder,
                                      const std::string& commonDataFolder)
{
    for (const std::string& path : ManualCandidates(programFolder, commonDataFolder))
        if (IsRegularFile(path) && ::access(path.c_str(), R_OK) == 0)
            return path;
    return std::string();
}

std::string CInstallation::FindManual()
{
    return FindManual(CFilePaths::GetAppPath(), CFilePaths::GetCommonDataFolder());
}
