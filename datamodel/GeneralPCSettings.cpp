#include "GeneralPCSettings.h"

#include <algorithm>

namespace {

// A connection needs at least a two-byte tag and three one-byte lengths.
constexpr size_t kMinConnectionBytes = 5;

} // namespace

int CGeneralPCSettings::Find(const std::string& name) const
{
    for (size_t i = 0; i < m_connections.size(); ++i)
        if (m_connections[i].IsNamed(name))
            return static_cast<int>(i);
    return -1;
}

int CGeneralPCSettings::Replace(const std::string& name, const CDeviceConnection& connection)
{
    int replaced = 0;
    for (CDeviceConnection& c : m_connections) {
        if (c.IsNamed(name)) {
            c = connection;
            ++replaced;
        }
    }
    return replaced;
}

int CGeneralPCSettings::Remove(const std::string& name)
{
    const auto before = m_connections.size();
    std::erase_if(m_connections, [&](const CDeviceConnection& c) { return c.IsNamed(name); });
    return static_cast<int>(before - m_connections.size());
}

void CGeneralPCSettings::Serialize(CArchiveWriter& archive) const
{
    archive.WriteCount(static_cast<uint32_t>(m_connections.size()));
    for (const CDeviceConnection& c : m_connections) {
        archive.WriteObjectTag(CDeviceConnection::CLASS_NAME, CDeviceConnection::SCHEMA);
        c.Serialize(archive);
    }
}

int CGeneralPCSettings::Serialize(CArchiveReader& archive)
{
    uint32_t count = 0;
    if (!archive.ReadCount(count, kMinConnectionBytes))
        return 0;
    std::vector<CDeviceConnection> list;
    list.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        CDeviceConnection connection;
        if (!archive.ExpectObjectTag(CDeviceConnection::CLASS_NAME, CDeviceConnection::SCHEMA) ||
            !connection.Serialize(archive))
            return 0;
        list.push_back(std::move(connection));
    }
    m_connections = std::move(list);
    return 1;
}

std::vector<uint8_t> CGeneralPCSettings::ToBytes() const
{
    std::vector<uint8_t> bytes;
    CArchiveWriter archive(bytes);
    Serialize(archive);
    return bytes;
}

int CGeneralPCSettings::FromBytes(std::span<const uint8_t> bytes, std::string& msg)
{
    CGeneralPCSettings read;
    CArchiveReader archive(bytes);
    if (!read.Serialize(archive) || !archive.ExpectEnd()) {
        msg = "the instrument list is damaged: " + archive.GetError();
        return 0;
    }
    *this = std::move(read);
    return 1;
}

bool CGeneralPCSettings::LooksLike(std::span<const uint8_t> bytes)
{
    CArchiveReader archive(bytes);
    uint32_t count = 0;
    if (!archive.ReadCount(count))
        return false;
    if (count == 0)
        return archive.ExpectEnd() != 0;
    std::string className;
    uint16_t schema = 0;
    return archive.ReadObjectTag(&className, &schema) && className == CDeviceConnection::CLASS_NAME;
}

CGeneralPCSettings CGeneralPCSettings::Salvage(std::span<const uint8_t> bytes)
{
    CGeneralPCSettings salvaged;
    CArchiveReader archive(bytes);
    uint32_t count = 0;
    if (!archive.ReadCount(count))
        return salvaged;
    for (uint32_t i = 0; i < count; ++i) {
        CDeviceConnection connection;
        if (!archive.ExpectObjectTag(CDeviceConnection::CLASS_NAME, CDeviceConnection::SCHEMA) ||
            !connection.Serialize(archive))
            break;
        salvaged.Add(connection);
    }
    return salvaged;
}
