// Feeds arbitrary bytes to the archive reader: the first byte picks the order
// in which items are read, the rest is the archive. Also loads the bytes as a
// data-settings record, plain and behind a class tag, as the instrument list
// and as the limit-line file.

#include "Archive.h"
#include "DataSettings.h"
#include "GeneralPCSettings.h"
#include "LimitSettings.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace {

// Reads items in a pattern chosen by the selector until the reader fails or
// the data ends.
void ReadItems(std::span<const uint8_t> bytes, uint8_t selector)
{
    CArchiveReader reader(bytes);
    for (unsigned step = 0; reader.Ok() && reader.GetRemaining() > 0; ++step) {
        std::string text;
        uint16_t schema = 0;
        bool isNull = false;
        uint32_t count = 0;
        double real = 0.0;
        int32_t integer = 0;
        switch ((selector >> (2 * (step % 4))) & 3u) {
        case 0:
            reader.ReadString(text);
            break;
        case 1:
            reader.ReadCount(count, 2);
            break;
        case 2:
            reader.ReadObjectTag(&text, &schema, step % 2 ? &isNull : nullptr);
            break;
        default:
            if (step % 2)
                reader.ReadDouble(real);
            else
                reader.ReadInt32(integer);
            break;
        }
    }
    reader.ExpectEnd();
    (void)reader.GetError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const uint8_t> archive(data + 1, size - 1);
    ReadItems(archive, data[0]);

    CDataSettings settings;
    std::string msg;
    if (settings.LoadFromBytes(archive, msg)) {
        // Whatever loads must write back and load again to the same record.
        std::vector<uint8_t> written;
        CArchiveWriter writer(written);
        settings.Serialize(writer);
        CDataSettings again;
        if (!again.LoadFromBytes(written, msg) || again.GetFilePathe() != settings.GetFilePathe() ||
            again.GetLeftFilePathe() != settings.GetLeftFilePathe() ||
            again.GetPosition() != settings.GetPosition())
            __builtin_trap();
    }

    CGeneralPCSettings list;
    if (list.FromBytes(archive, msg)) {
        // A list that loads writes back to the same list.
        CGeneralPCSettings again;
        if (!again.FromBytes(list.ToBytes(), msg) || !(again == list))
            __builtin_trap();
    }
    CLimitSettings limits;
    if (limits.FromBytes(archive, msg) && limits.ToBytes().size() != CLimitSettings::kFileSize)
        __builtin_trap();
    return 0;
}
