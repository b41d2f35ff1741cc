#include "SettingsInspector.h"

#include "Archive.h"
#include "ByteOrder.h"
#include "DataSettings.h"
#include "RecordPrinter.h"

#include <vector>

namespace inspect {

namespace {

constexpr const char* kConnectionClass = "CDeviceConnection";
constexpr size_t kLimitFileSize = 36;

struct Connection {
    std::string port, name, spare;
};

} // namespace

bool LooksLikeConnectionList(std::span<const uint8_t> bytes)
{
    CArchiveReader ar(bytes);
    uint32_t count = 0;
    std::string className;
    uint16_t schema = 0;
    if (!ar.ReadCount(count))
        return false;
    if (count == 0)
        return ar.ExpectEnd() != 0;
    return ar.ReadObjectTag(&className, &schema) && className == kConnectionClass;
}

int PrintConnectionList(std::span<const uint8_t> bytes, std::ostream& out, std::string& error)
{
    CArchiveReader ar(bytes);
    uint32_t count = 0;
    // A connection needs at least a two-byte tag and three one-byte lengths.
    ar.ReadCount(count, 5);
    std::vector<Connection> list;
    for (uint32_t i = 0; i < count && ar.Ok(); ++i) {
        if (!ar.ExpectObjectTag(kConnectionClass, 1))
            break;
        Connection c;
        ar.ReadString(c.port);
        ar.ReadString(c.name);
        ar.ReadString(c.spare);
        list.push_back(c);
    }
    if (ar.Ok())
        ar.ExpectEnd();
    if (!ar.Ok()) {
        error = "instrument list is damaged: " + ar.GetError();
        return 0;
    }
    out << "Instrument list (" << bytes.size() << " bytes)\n"
        << "Instruments: " << list.size() << "\n";
    for (size_t i = 0; i < list.size(); ++i) {
        out << "  Instrument " << i + 1 << "\n"
            << "    Name: " << list[i].name << "\n"
            << "    Port: COM" << list[i].port << "\n";
        if (!list[i].spare.empty())
            out << "    Third field: " << list[i].spare << "\n";
    }
    return 1;
}

int PrintLimitSettings(std::span<const uint8_t> bytes, std::ostream& out, std::string& error)
{
    if (bytes.size() != kLimitFileSize || le::GetI32(bytes.data()) != 1) {
        error = "not a limit-line file (36 bytes starting with the value 1)";
        return 0;
    }
    out << "Limit lines (" << bytes.size() << " bytes)\n";
    for (int i = 0; i < 4; ++i)
        out << "  Limit " << i + 1 << ": "
            << printer::Number(le::GetF64(bytes.data() + 4 + 8 * i)) << " ms\n";
    return 1;
}

int PrintDataSettings(std::span<const uint8_t> bytes, std::ostream& out, std::string& error)
{
    CDataSettings settings;
    if (!settings.LoadFromBytes(bytes, error))
        return 0;
    out << "Data-file settings (" << bytes.size() << " bytes)\n"
        << "  Folder:     " << settings.GetFilePathe() << "\n"
        << "  Prefix:     " << settings.GetLeftFilePathe() << "\n"
        << "  File index: " << settings.GetPosition() << "\n";
    return 1;
}

} // namespace inspect
