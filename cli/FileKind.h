#pragma once
// Recognises a Tarvolin file by its content, not its name: from the first
// bytes and the size, the name's extension deciding only between text and
// binary where both could fit. Shared by `inspect` (which then prints the
// file) and `repair` (which says what a file that is no recording is).

#include <cstdint>
#include <span>
#include <string>

enum class FileKind {
    Empty,
    DataFile,            // ".KLYN" recording
    CompactDataFile,     // compact data file: tag, date, compact record, pulses
    ConfigFile,          // ".cnfg" board set-up
    CompactConfigRecord, // stand-alone compact configuration record
    IniFile,             // INI settings
    ConnectionList,      // the Launcher's instrument list
    LimitSettings,       // the Monitor's limit lines
    Other,               // none of the above by its start (perhaps data-file settings)
};

class CFileKind {
public:
    // How much of the start of a file recognition looks at.
    static constexpr size_t kHeadSize = 64 * 1024;

    // head: the first bytes (up to kHeadSize); size: the whole file's size.
    static FileKind Recognise(std::span<const uint8_t> head, uint64_t size,
                              const std::string& path);
    // "a data file", "a board set-up file", "a compact data file", ...
    static std::string Describe(FileKind kind);
    // Reads the head of the regular file at path and recognises it; a folder,
    // a FIFO or a device is refused by name before it is opened for reading.
    // 1 with kind and size; 0 with the reason in error.
    static int RecogniseFile(const std::string& path, FileKind& kind, uint64_t& size,
                             std::string& error);
};
