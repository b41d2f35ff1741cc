#include "FilePaths.h"

#include "ProgramKind.h"

#include <cstdlib>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

std::mutex g_idLock;
std::string g_instrumentId;

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string StripTrailingSlashes(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// Joins a folder that may end in "/" (the root, or a value typed by hand)
// with a tail starting with "/", so that no "//" appears in the path.
std::string Join(const std::string& folder, const std::string& tail)
{
    std::string base = StripTrailingSlashes(folder);
    if (base == "/")
        base.clear();
    return base + tail;
}

bool IsAnalyzer()
{
    return CProgramKind::Get() == ProgramKind::Analyzer;
}

} // namespace

std::string CFilePaths::GetCommonDataFolder()
{
    std::string folder = Env("TARVOLIN_COMMON_DATA");
    if (!folder.empty())
        return StripTrailingSlashes(folder);
    if (::access("/var/lib", W_OK) == 0)
        return "/var/lib";
    // Relative values of XDG_DATA_HOME are invalid by its own rules and are ignored.
    folder = Env("XDG_DATA_HOME");
    if (!folder.empty() && folder.front() == '/')
        return StripTrailingSlashes(folder);
    folder = Env("HOME");
    if (!folder.empty())
        return Join(folder, "/.local/share");
    return std::string();
}

std::string CFilePaths::GetAppPath()
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size()) {
            std::string program(buffer.data(), static_cast<size_t>(n));
            const size_t slash = program.find_last_of('/');
            return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
        }
        if (buffer.size() >= 65536)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string CFilePaths::GetDatabaseFolder()
{
    return Join(GetCommonDataFolder(), IsAnalyzer()
                                           ? "/Corvanth/Tarvolin/Tarvolin Analyzer/Database"
                                           : "/Corvanth/Tarvolin/Tarvolin Monitor/Database");
}

std::string CFilePaths::GetBitmapFolder()
{
    return Join(GetCommonDataFolder(), "/Corvanth/Merrow/Bitmaps");
}

std::string CFilePaths::GetCommonDBPath()
{
    return Join(GetCommonDataFolder(), "/Corvanth/Merrow/Common");
}

std::string CFilePaths::GetInstrumentFolder()
{
    if (IsAnalyzer())
        return GetDatabaseFolder();
    return GetDatabaseFolder() + "/" + GetInstrumentId();
}

std::string CFilePaths::GetConfigPath()
{
    return GetInstrumentFolder() + "/Config";
}

std::string CFilePaths::GetLogPath()
{
    return GetInstrumentFolder() + "/Logs";
}

std::string CFilePaths::GetDataPath()
{
    return GetInstrumentFolder() + "/Data";
}

std::string CFilePaths::GetPortsFolder()
{
    const std::string folder = Env("TARVOLIN_PORTS_DIR");
    if (!folder.empty())
        return StripTrailingSlashes(folder);
    return Join(GetCommonDataFolder(), "/Corvanth/Tarvolin/Ports");
}

std::string CFilePaths::GetInstrumentId()
{
    std::lock_guard guard(g_idLock);
    return g_instrumentId;
}

void CFilePaths::SetInstrumentId(const std::string& id)
{
    std::lock_guard guard(g_idLock);
    g_instrumentId = id;
}

bool CFilePaths::IsSinglePathComponent(const std::string& name, std::string& why)
{
    if (name.empty())
        why = "it is empty";
    else if (name.find('/') != std::string::npos)
        why = "\"" + name + "\" contains \"/\"; it must name no folder";
    else if (name == "." || name == "..")
        why = "\"" + name + "\" would name a folder above or at this one";
    else if (name.find('\0') != std::string::npos)
        why = "it contains a NUL character";
    else
        return true;
    return false;
}
