#include "GeneralPCSettingsHandler.h"

#include "FileDescriptor.h"
#include "FilePaths.h"
#include "FileUtil.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string NoSuchName(const std::string& name)
{
    return "no instrument named " + Quoted(CDeviceConnection::Trim(name)) +
           " in the instrument list";
}

} // namespace

std::string CGeneralPCSettingsHandler::DefaultPath()
{
    return CFilePaths::GetCommonDataFolder() +
           "/Corvanth/Tarvolin/Tarvolin Monitor/Database/Common/General Config/GeneralSettings.cfg";
}

CGeneralPCSettingsHandler::ListState CGeneralPCSettingsHandler::ReadState(CGeneralPCSettings& list,
                                                                          std::string& msg) const
{
    struct stat st {};
    if (::lstat(m_strPath.c_str(), &st) != 0 && errno == ENOENT) {
        msg = "the instrument list " + Quoted(m_strPath) + " was not found";
        return ListState::Missing;
    }
    std::string error;
    CFileDescriptor fd = CFileUtil::OpenForReading(m_strPath, error);
    if (!fd.IsOpen()) {
        msg = "the instrument list cannot be read: " + error;
        return ListState::Failed;
    }
    fd.Reset();
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(m_strPath, bytes, error)) {
        // Too big to be a list, or a read error half way.
        msg = "the instrument list " + Quoted(m_strPath) + " is damaged: " + error;
        return ListState::Damaged;
    }
    CGeneralPCSettings read;
    if (!read.FromBytes(bytes, error)) {
        msg = "the instrument list " + Quoted(m_strPath) + " is damaged (" + error + ")";
        return ListState::Damaged;
    }
    list = std::move(read);
    return ListState::Read;
}

int CGeneralPCSettingsHandler::Read(CGeneralPCSettings& list, std::string& msg) const
{
    switch (ReadState(list, msg)) {
    case ListState::Read:
        return 1;
    case ListState::Failed:
        // There, but not for us: the list is taken as empty (to look at only;
        // the edits below refuse such a file).
        list.RemoveAll();
        return 1;
    case ListState::Missing:
    case ListState::Damaged:
        break;
    }
    return 0;
}

int CGeneralPCSettingsHandler::Write(const CGeneralPCSettings& list, std::string& msg) const
{
    return WriteFileBytes(m_strPath, list.ToBytes(), msg);
}

int CGeneralPCSettingsHandler::Find(const std::string& name, CDeviceConnection& out,
                                    std::string& msg) const
{
    CGeneralPCSettings list;
    if (!Read(list, msg))
        return 0;
    const int index = list.Find(name);
    if (index < 0) {
        msg = NoSuchName(name);
        return 0;
    }
    out = list.GetAt(index);
    return 1;
}

int CGeneralPCSettingsHandler::Add(const CDeviceConnection& connection, std::string& msg) const
{
    CGeneralPCSettings list;
    if (ReadState(list, msg) != ListState::Read)
        return 0;
    list.Add(connection);
    return Write(list, msg);
}

int CGeneralPCSettingsHandler::Modify(const std::string& oldName,
                                      const CDeviceConnection& connection, std::string& msg) const
{
    CGeneralPCSettings list;
    if (ReadState(list, msg) != ListState::Read)
        return 0;
    if (list.Replace(oldName, connection) == 0) {
        msg = NoSuchName(oldName);
        return 0;
    }
    return Write(list, msg);
}

int CGeneralPCSettingsHandler::Delete(const std::string& name, std::string& msg) const
{
    CGeneralPCSettings list;
    if (ReadState(list, msg) != ListState::Read)
        return 0;
    list.Remove(name);
    return Write(list, msg);
}

int CGeneralPCSettingsHandler::CreateIfMissing(std::string& msg) const
{
    struct stat st {};
    if (::lstat(m_strPath.c_str(), &st) == 0)
        return 1;
    const std::filesystem::path folder = std::filesystem::path(m_strPath).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        msg = "cannot create the folder " + Quoted(folder.string()) + ": " + ec.message();
        return 0;
    }
    // Written whole under a name of its own, then linked into place: link()
    // never replaces, so a list another program made meanwhile survives.
    const std::string temp = m_strPath + ".~new-" + std::to_string(::getpid());
    CFileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.IsOpen()) {
        msg = "cannot create the instrument list " + Quoted(m_strPath) + ": " +
              CFileUtil::ErrnoText(errno);
        return 0;
    }
    const std::vector<uint8_t> bytes = CGeneralPCSettings().ToBytes();
    int error = 0;
    bool ok = CFileUtil::WriteAll(fd.Get(), bytes.data(), bytes.size(), error) == bytes.size();
    if (ok && ::fsync(fd.Get()) != 0) {
        ok = false;
        error = errno;
    }
    if (const int closed = fd.Close(); closed != 0 && ok) {
        ok = false;
        error = closed;
    }
    if (ok && ::link(temp.c_str(), m_strPath.c_str()) != 0 && errno != EEXIST) {
        ok = false;
        error = errno;
    }
    ::unlink(temp.c_str());
    if (!ok) {
        msg = "cannot create the instrument list " + Quoted(m_strPath) + ": " +
              CFileUtil::ErrnoText(error);
        return 0;
    }
    int ignored = 0;
    CFileUtil::SyncFolderOf(m_strPath, ignored);
    return 1;
}

int CGeneralPCSettingsHandler::KeepCopyAndSalvage(CGeneralPCSettings& kept, std::string& copyPath,
                                                  std::string& msg) const
{
    CGeneralPCSettings sound;
    msg.clear();
    if (ReadState(sound, msg) != ListState::Damaged) {
        if (msg.empty())
            msg = "the instrument list " + Quoted(m_strPath) + " is not damaged";
        return 0;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    // A file too big to be a list is kept as it is but salvaged from nothing.
    if (!ReadFileBytes(m_strPath, bytes, error))
        bytes.clear();
    // The copy is made first and must succeed: only then may the damaged
    // file be replaced by the (shorter) list it still holds.
    for (int n = 1;; ++n) {
        copyPath = m_strPath + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
        if (CFileUtil::CopyFileDurably(m_strPath, copyPath, error, false))
            break;
        struct stat st {};
        if (::lstat(copyPath.c_str(), &st) != 0 || n >= 1000) {
            msg = "the damaged instrument list cannot be kept: " + error;
            copyPath.clear();
            return 0;
        }
    }
    const CGeneralPCSettings salvaged = CGeneralPCSettings::Salvage(bytes);
    if (!Write(salvaged, msg))
        return 0;
    kept = salvaged;
    return 1;
}
