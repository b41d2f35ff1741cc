#include "IntermediateLocation.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr size_t kMaxStem = 100;

} // namespace

std::string OIntermediateLocation::UserCacheFolder()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/')
        return std::string(cache) + "/Tarvolin";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0')
        return std::string(home) + "/.cache/Tarvolin";
    return std::string();
}

std::string OIntermediateLocation::CreateUnique(const std::string& folder,
                                                const std::string& dataPath)
{
    if (folder.empty())
        return std::string();
    std::error_code ec;
    if (std::filesystem::create_directories(folder, ec))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
    std::string stem = std::filesystem::path(dataPath).stem().string();
    if (stem.empty())
        stem = "data";
    if (stem.size() > kMaxStem)
        stem.resize(kMaxStem);
    std::string path = folder + "/" + stem + "-XXXXXX.INTN";
    const int fd = ::mkstemps(path.data(), 5);
    if (fd < 0)
        return std::string();
    ::close(fd);
    return path;
}
