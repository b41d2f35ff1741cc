#include "FileUtil.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

} // namespace

std::string CFileUtil::ErrnoText(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

size_t CFileUtil::WriteAll(int fd, const void* data, size_t size, int& error)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    error = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t CFileUtil::WriteAllAt(int fd, const void* data, size_t size, int64_t offset, int& error)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    error = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, bytes + done, size - done,
                                   static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t CFileUtil::ReadFull(int fd, void* data, size_t size, int& error)
{
    auto* bytes = static_cast<uint8_t*>(data);
    size_t done = 0;
    error = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

int CFileUtil::SyncFolderOf(const std::string& path, int& error)
{
    CFileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen() || ::fsync(folder.Get()) != 0) {
        error = errno;
        return 0;
    }
    error = 0;
    return 1;
}

std::string CFileUtil::KindText(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

CFileDescriptor CFileUtil::OpenForReading(const std::string& path, std::string& error)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = "cannot open " + Quoted(path) + ": " + ErrnoText(errno);
        return {};
    }
    if (const std::string kind = KindText(st.st_mode); !kind.empty()) {
        error = Quoted(path) + " is " + kind + ", not a file";
        return {};
    }
    // Non-blocking, so that a FIFO put in its place since the check cannot
    // stall the open; the descriptor is checked again below.
    CFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.IsOpen()) {
        error = "cannot open " + Quoted(path) + ": " + ErrnoText(errno);
        return {};
    }
    if (::fstat(fd.Get(), &st) != 0) {
        error = "cannot read " + Quoted(path) + ": " + ErrnoText(errno);
        return {};
    }
    if (const std::string kind = KindText(st.st_mode); !kind.empty()) {
        error = Quoted(path) + " is " + kind + ", not a file";
        return {};
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    error.clear();
    return fd;
}

int CFileUtil::WriteFileDurably(const std::string& path, std::span<const uint8_t> bytes,
                                std::string& error)
{
    std::string temp = path + ".~XXXXXX";
    CFileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.IsOpen()) {
        error = "cannot create a file beside " + Quoted(path) + ": " + ErrnoText(errno);
        return 0;
    }
    // Keep the permissions of the file we replace; a new settings file is
    // readable by every user of the workstation, as the shared folders expect.
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    int saved = 0;
    bool ok = ::fchmod(fd.Get(), mode) == 0;
    if (!ok)
        saved = errno;
    if (ok && WriteAll(fd.Get(), bytes.data(), bytes.size(), saved) != bytes.size())
        ok = false;
    if (ok && ::fsync(fd.Get()) != 0) {
        ok = false;
        saved = errno;
    }
    if (const int closed = fd.Close(); closed != 0 && ok) {
        ok = false;
        saved = closed;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = "cannot write " + Quoted(path) + ": " + ErrnoText(saved);
        return 0;
    }
    // The rename itself must reach the disk too, or a crash could bring back the old file.
    int ignored = 0;
    SyncFolderOf(path, ignored);
    return 1;
}

int CFileUtil::CopyFileDurably(const std::string& from, const std::string& to, std::string& error,
                               bool replace)
{
    CFileDescriptor in = OpenForReading(from, error);
    if (!in.IsOpen())
        return 0;
    struct stat st {};
    ::fstat(in.Get(), &st);
    std::string written = to;
    CFileDescriptor out;
    if (replace) {
        written = to + ".~XXXXXX";
        out.Reset(::mkostemp(written.data(), O_CLOEXEC));
        if (out.IsOpen())
            ::fchmod(out.Get(), st.st_mode & 0666);
    } else {
        out.Reset(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0666));
    }
    if (!out.IsOpen()) {
        error = "cannot create " + Quoted(to) + ": " + ErrnoText(errno);
        return 0;
    }
    std::vector<uint8_t> block(1u << 20);
    int saved = 0;
    bool ok = true;
    for (;;) {
        const size_t got = ReadFull(in.Get(), block.data(), block.size(), saved);
        if (saved != 0) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (WriteAll(out.Get(), block.data(), got, saved) != got) {
            ok = false;
            break;
        }
    }
    if (ok && ::fsync(out.Get()) != 0) {
        ok = false;
        saved = errno;
    }
    if (const int closed = out.Close(); closed != 0 && ok) {
        ok = false;
        saved = closed;
    }
    if (ok && replace && ::rename(written.c_str(), to.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(written.c_str());
        error = "cannot copy " + Quoted(from) + " to " + Quoted(to) + ": " + ErrnoText(saved);
        return 0;
    }
    int ignored = 0;
    SyncFolderOf(to, ignored);
    return 1;
}
