#pragma once
// The workstation's list of instrument connections, as the Launcher keeps it
// in "GeneralSettings.cfg" (see CGeneralPCSettingsHandler for where). The
// file is the framework's object archive of the list, little-endian:
//
//   item                 encoding
//   count                uint16; 65535 or more: 0xFFFF, then uint32
//   first connection     class tag 0xFFFF, uint16 schema 1, uint16 17,
//                        "CDeviceConnection"; then its three strings
//   further connections  0x8001 (the class stored first); three strings
//   string               0xFF, uint16 0xFFFE, length, UTF-16LE code units
//                        (8-bit strings without the marker are read too)
//
// See Archive.h for lengths and tags. The file holds exactly the list: bytes
// left over after the last connection mean the file is damaged.

#include "DeviceConnection.h"

#include <span>
#include <string>
#include <vector>

class CGeneralPCSettings {
public:
    CGeneralPCSettings() = default;
    virtual ~CGeneralPCSettings() = default;
    CGeneralPCSettings(const CGeneralPCSettings&) = default;
    CGeneralPCSettings& operator=(const CGeneralPCSettings&) = default;

    int GetCount() const { return static_cast<int>(m_connections.size()); }
    // In file order. Callers pass 0 .. GetCount() - 1.
    const CDeviceConnection& GetAt(int index) const
    {
        return m_connections.at(static_cast<size_t>(index));
    }
    const std::vector<CDeviceConnection>& GetConnections() const { return m_connections; }
    void Add(const CDeviceConnection& connection) { m_connections.push_back(connection); }
    void RemoveAll() { m_connections.clear(); }

    // The first connection with that name (trimmed, any case), -1 when none.
    int Find(const std::string& name) const;
    // Replaces every connection with that name; returns how many.
    int Replace(const std::string& name, const CDeviceConnection& connection);
    // Removes every connection with that name; returns how many.
    int Remove(const std::string& name);

    void Serialize(CArchiveWriter& archive) const;
    // 1 with the list replaced, or 0 with it untouched (the reason in the archive).
    int Serialize(CArchiveReader& archive);

    std::vector<uint8_t> ToBytes() const;
    // 1, or 0 with the reason in msg and the list untouched.
    int FromBytes(std::span<const uint8_t> bytes, std::string& msg);
    // True when the bytes start the way a connection list does (a count and
    // then, unless it is 0, the class tag of a connection).
    static bool LooksLike(std::span<const uint8_t> bytes);
    // The connections a damaged file still holds: those read, in file order,
    // before the first byte that makes no sense (every one of a sound file).
    static CGeneralPCSettings Salvage(std::span<const uint8_t> bytes);

    bool operator==(const CGeneralPCSettings& other) const = default;

private:
    std::vector<CDeviceConnection> m_connections;
};
