#pragma once
// The file operations on the workstation's connection list
// "<common data>/Corvanth/Tarvolin/Tarvolin Monitor/Database/Common/General
// Config/GeneralSettings.cfg": reading, writing and the three edits the
// Launcher makes. Every edit reads the file, changes the list and writes it
// back whole (through a temporary file, so a crash never leaves half a list).
//
// Reading: a missing file fails ("not found"; the Launcher creates an empty
// list on its first start, CreateIfMissing); a file that exists but cannot be
// opened gives an empty list to look at, but is never written over, since
// that would drop every connection it holds; a damaged file fails, changes
// nothing, and is only ever replaced after a copy of it has been kept
// (KeepCopyAndSalvage).

#include "GeneralPCSettings.h"

#include <string>

class CGeneralPCSettingsHandler {
public:
    // What reading the file found.
    enum class ListState {
        Read,    // the list, sound
        Missing, // no file there
        Damaged, // a file that is not a sound list (cut short, another format, too big)
        Failed,  // there, but it cannot be read (permissions, a folder, a FIFO)
    };

    // Where the list lives on this workstation.
    static std::string DefaultPath();

    explicit CGeneralPCSettingsHandler(std::string path = DefaultPath())
        : m_strPath(std::move(path))
    {
    }

    const std::string& GetPath() const { return m_strPath; }

    // Each returns 1, or 0 with the reason in msg.
    int Read(CGeneralPCSettings& list, std::string& msg) const;
    // Reads strictly: the list only in state Read; msg says why otherwise
    // and, for a damaged file, names it and says it is damaged.
    ListState ReadState(CGeneralPCSettings& list, std::string& msg) const;
    int Write(const CGeneralPCSettings& list, std::string& msg) const;

    // The connection with that name (trimmed, any case): 1 and out filled,
    // 0 when the file cannot be read or holds no such name (msg says which).
    int Find(const std::string& name, CDeviceConnection& out, std::string& msg) const;
    // Appends the connection as given (no check for a repeated name; see
    // CInstrumentConnections for the Launcher's checks).
    int Add(const CDeviceConnection& connection, std::string& msg) const;
    // Replaces every entry named oldName; 0 when none is.
    int Modify(const std::string& oldName, const CDeviceConnection& connection,
               std::string& msg) const;
    // Removes every entry named name (a list of 0 entries is a valid file).
    int Delete(const std::string& name, std::string& msg) const;

    // A missing file becomes a valid empty list, its folders created. A file
    // that is there, sound or not, is left alone (also when another program
    // creates it at the same moment). 1, or 0 with the reason.
    int CreateIfMissing(std::string& msg) const;
    // For a damaged file: keeps a copy of its bytes beside it (path +
    // ".damaged", or ".damaged-2", ... when taken), then writes the
    // connections it still holds (CGeneralPCSettings::Salvage) in its place.
    // 1 with the copy's path and the list now in the file; 0 with the reason
    // and nothing replaced (also when the file is not damaged after all).
    int KeepCopyAndSalvage(CGeneralPCSettings& kept, std::string& copyPath, std::string& msg) const;

private:
    std::string m_strPath;
};
