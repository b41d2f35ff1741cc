// File-type recognition and the inspector on arbitrary bytes: every input is
// recognised as exactly one kind (from its head alone, as inspect does) and
// printed or refused with one line, never a crash or a hang. The first byte
// picks the name's extension, which decides between text and binary.

#include "FileKind.h"
#include "Inspector.h"
#include "MessageService.h"
#include "ScratchFile.h"

#include <cstdlib>
#include <sstream>

namespace {

class CSilentSink : public IMessageSink {
public:
    int Show(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        return IDOK;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSilentSink sink;
    CMessageService::SetSink(&sink);
    static const char* const kExtensions[] = {".KLYN", ".cnfg", ".cfg", ".ini", ".bin"};
    if (size == 0)
        return 0;
    const std::string path = fuzz::ScratchFile(std::string("input") + kExtensions[data[0] % 5]);
    ++data;
    --size;

    const std::span<const uint8_t> bytes(data, size);
    const std::span<const uint8_t> head = bytes.first(std::min(size, CFileKind::kHeadSize));
    const FileKind kind = CFileKind::Recognise(head, size, path);
    if (CFileKind::Describe(kind).empty())
        std::abort();

    if (!fuzz::WriteFile(path, data, size))
        return 0;
    FileKind fromFile = FileKind::Other;
    uint64_t fileSize = 0;
    std::string error;
    if (!CFileKind::RecogniseFile(path, fromFile, fileSize, error) || fromFile != kind ||
        fileSize != size)
        std::abort();

    std::ostringstream out;
    const int printed = cli::InspectFile(path, out, error);
    if (!printed && (error.empty() || error.find('\n') != std::string::npos))
        std::abort(); // a refusal is one line saying why
    std::remove(path.c_str());
    return 0;
}
