#pragma once
// The file operations on the workstation's connection list
// "<common data>/Corvanth/Tarvolin/Tarvolin Monitor/Database/Common/General
// Config/GeneralSettings.cfg": reading, writing and the three edits the
// Launcher makes. Every edit reads the file, changes the list and writes it
// back whole (through a temporary file, so a crash never leaves half a list).
//
// Reading: a missing file fails ("not found"; the installation provides the
// file); a file that exists but cannot be opened gives an empty list; a
// damaged file fails and changes nothing.

#include "GeneralPCSettings.h"

#include <string>

class CGeneralPCSettingsHandler {
public:
    // Where the list lives on this workstation.
    static std::string DefaultPath();

    explicit CGeneralPCSettingsHandler(std::string path = DefaultPath())
        : m_strPath(std::move(path))
    {
    }

    const std::string& GetPath() const { return m_strPath; }

    // Each returns 1, or 0 with the reason in msg.
    int Read(CGeneralPCSettings& list, std::string& msg) const;
    int Write(const CGeneralPCSettings& list, std::string& msg) const;

    // The connection with that name (trimmed, any case): 1 and out filled,
    // 0 when the file cannot be read or holds no such name (msg says which).
    int Find(const std::string& name, CDeviceConnection& out, std::string& msg) const;
    // Appends the connection as given (no check for a repeated name).
    int Add(const CDeviceConnection& connection, std::string& msg) const;
    // Replaces every entry named oldName; 0 when none is.
    int Modify(const std::string& oldName, const CDeviceConnection& connection,
               std::string& msg) const;
    // Removes every entry named name (a list of 0 entries is a valid file).
    int Delete(const std::string& name, std::string& msg) const;

private:
    std::string m_strPath;
};
