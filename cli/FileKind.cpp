#include "FileKind.h"

#include "ByteOrder.h"
#include "FileUtil.h"
#include "SettingsInspector.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int32_t kConfigTag = 30721;
constexpr int32_t kDataFileTag = 16897;
constexpr size_t kConfigEventCountAt = 400;
constexpr size_t kConfigFixedSize = 404;
constexpr size_t kLimitFileSize = 36;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool HasExtension(const std::string& path, const std::string& extension)
{
    return Lower(std::filesystem::path(path).extension().string()) == extension;
}

// Text a person could have typed: no NUL and few control characters.
bool LooksLikeText(std::span<const uint8_t> bytes)
{
    size_t control = 0;
    for (uint8_t b : bytes) {
        if (b == 0)
            return false;
        if (b < 32 && b != '\n' && b != '\r' && b != '\t')
            ++control;
    }
    return control * 100 <= bytes.size();
}

} // namespace

FileKind CFileKind::Recognise(std::span<const uint8_t> head, uint64_t size, const std::string& path)
{
    if (size == 0 || head.empty())
        return FileKind::Empty;
    if (HasExtension(path, ".ini") ||
        (LooksLikeText(head) && !HasExtension(path, ".cfg") && !HasExtension(path, ".cnfg")))
        return FileKind::IniFile;
    const int32_t tag = head.size() >= 4 ? le::GetI32(head.data()) : 0;
    if (tag == kConfigTag) {
        // A set-up file is exactly as long as its event count says; anything
        // else that opens with the tag is a compact record (or damaged).
        if (head.size() >= kConfigFixedSize) {
            const int32_t events = le::GetI32(&head[kConfigEventCountAt]);
            if (events >= 0 && size == kConfigFixedSize + 32 * static_cast<uint64_t>(events))
                return FileKind::ConfigFile;
        }
        if (head.size() >= 100) {
            const int16_t modes = le::GetI16(&head[4]);
            const int32_t events = le::GetI32(&head[96]);
            if (modes >= 0 && events >= 0 &&
                size ==
                    124 + 27 * static_cast<uint64_t>(modes) + 14 * static_cast<uint64_t>(events))
                return FileKind::CompactConfigRecord;
        }
        // Damaged: the likelier kind by its size.
        return size >= kConfigFixedSize ? FileKind::ConfigFile : FileKind::CompactConfigRecord;
    }
    if (tag == kDataFileTag) {
        // The compact file keeps a compact configuration record at byte 16.
        if (head.size() >= 20 && le::GetI32(&head[16]) == kConfigTag)
            return FileKind::CompactDataFile;
        return FileKind::DataFile;
    }
    if (inspect::LooksLikeConnectionList(head) && size == head.size())
        return FileKind::ConnectionList;
    if (size == kLimitFileSize && le::GetI32(head.data()) == 1)
        return FileKind::LimitSettings;
    return FileKind::Other;
}

std::string CFileKind::Describe(FileKind kind)
{
    switch (kind) {
    case FileKind::Empty:
        return "an empty file";
    case FileKind::DataFile:
        return "a data file";
    case FileKind::CompactDataFile:
        return "a compact data file";
    case FileKind::ConfigFile:
        return "a board set-up file";
    case FileKind::CompactConfigRecord:
        return "a compact configuration record";
    case FileKind::IniFile:
        return "a settings (INI) file";
    case FileKind::ConnectionList:
        return "an instrument list";
    case FileKind::LimitSettings:
        return "a limit-line settings file";
    case FileKind::Other:
        return "not a Tarvolin file";
    }
    return "not a Tarvolin file";
}

int CFileKind::RecogniseFile(const std::string& path, FileKind& kind, uint64_t& size,
                             std::string& error)
{
    CFileDescriptor fd = CFileUtil::OpenForReading(path, error);
    if (!fd.IsOpen())
        return 0;
    struct stat st {};
    ::fstat(fd.Get(), &st);
    size = static_cast<uint64_t>(st.st_size);
    std::vector<uint8_t> head(std::min<uint64_t>(size, kHeadSize));
    int code = 0;
    head.resize(CFileUtil::ReadFull(fd.Get(), head.data(), head.size(), code));
    if (code != 0) {
        error = "cannot read \"" + path + "\": " + CFileUtil::ErrnoText(code);
        return 0;
    }
    kind = Recognise(head, size, path);
    return 1;
}
