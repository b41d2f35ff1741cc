#pragma once
// The small set of file operations every writer and reader of the system
// shares, so that each gets them right once:
//   - whole transfers: a signal or a short transfer is not a failure;
//   - durable writes: the data, and the folder entry that names it, reach
//     the disk before the caller reports success, so a power cut cannot take
//     back a file that was said to be saved;
//   - reads of outside files that never block: a FIFO, a device or a folder
//     is refused by name before anything reads from it.

#include "FileDescriptor.h"

#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>

class CFileUtil {
public:
    // Writes size bytes at the current offset. Returns the bytes written; when
    // fewer than size, error holds the reason (ENOSPC for a write that moved
    // nothing without saying why).
    static size_t WriteAll(int fd, const void* data, size_t size, int& error);
    // The same at offset (the descriptor's own offset does not move).
    static size_t WriteAllAt(int fd, const void* data, size_t size, int64_t offset, int& error);
    // Reads until size bytes have arrived or the file ends. Returns the bytes
    // read; error is 0 at the end of the file, else the reason.
    static size_t ReadFull(int fd, void* data, size_t size, int& error);

    // Flushes the folder that holds path, so that a name just created or
    // renamed there survives a power cut. 1, or 0 with the reason in error.
    static int SyncFolderOf(const std::string& path, int& error);

    // What a file of this mode is, for messages: "a folder", "a FIFO (named
    // pipe)", "a device", "a socket"; empty for a regular file.
    static std::string KindText(mode_t mode);
    // Opens path read-only. Anything but a regular file is refused before it
    // is opened for reading (a FIFO would block, a device never end); the
    // check is repeated on the open descriptor, so a name swapped in between
    // is caught too. An invalid descriptor with the reason in error otherwise.
    static CFileDescriptor OpenForReading(const std::string& path, std::string& error);

    // Replaces path with bytes through a temporary file beside it that is
    // flushed and renamed over it, then flushes the folder: a crash leaves the
    // old file or the new one, never half of one. A replaced file keeps its
    // permissions; a new one is readable by every user. 1, or 0 with a reason.
    static int WriteFileDurably(const std::string& path, std::span<const uint8_t> bytes,
                                std::string& error);
    // Copies the regular file from into to, flushes the copy and its folder.
    // Without replace, to must not exist yet; with it, an existing file is
    // replaced whole (through a temporary file renamed over it). 1, or 0 with
    // a reason; a failed copy leaves nothing behind.
    static int CopyFileDurably(const std::string& from, const std::string& to, std::string& error,
                               bool replace = false);

    // The system's text for an errno value.
    static std::string ErrnoText(int error);
};
