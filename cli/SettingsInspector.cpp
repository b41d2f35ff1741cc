#include "SettingsInspector.h"

#include "Archive.h"
#include "ByteOrder.h"
#include "DataSettings.h"
#include "GeneralPCSettings.h"
#include "LimitSettings.h"
#include "RecordPrinter.h"

namespace inspect {

bool LooksLikeConnectionList(std::span<const uint8_t> bytes)
{
    return CGeneralPCSettings::LooksLike(bytes);
}

int PrintConnectionList(std::span<const uint8_t> bytes, std::ostream& out, std::string& error)
{
    CGeneralPCSettings list;
    if (!list.FromBytes(bytes, error))
        return 0;
    out << "Instrument list (" << bytes.size() << " bytes)\n"
        << "Instruments: " << list.GetCount() << "\n";
    for (int i = 0; i < list.GetCount(); ++i) {
        const CDeviceConnection& c = list.GetAt(i);
        out << "  Instrument " << i + 1 << "\n"
            << "    Name: " << c.GetName() << "\n"
            << "    Port: COM" << c.GetPort() << "\n";
        if (!c.GetThird().empty())
            out << "    Third field: " << c.GetThird() << "\n";
    }
    return 1;
}

int PrintLimitSettings(std::span<const uint8_t> bytes, std::ostream& out, std::string& error)
{
    CLimitSettings limits;
    if (bytes.size() != CLimitSettings::kFileSize || le::GetI32(bytes.data()) != 1) {
        error = "not a limit-line file (36 bytes starting with the value 1)";
        return 0;
    }
    std::string why;
    if (!limits.FromBytes(bytes, why)) {
        error = "limit-line file is damaged: " + why;
        return 0;
    }
    out << "Limit lines (" << bytes.size() << " bytes)\n";
    for (int i = 0; i < CLimitSettings::kLimitCount; ++i)
        out << "  Limit " << i + 1 << ": " << printer::Number(limits.GetPosition(i)) << " ms\n";
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
