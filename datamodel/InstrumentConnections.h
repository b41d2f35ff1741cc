#pragma once
// The Launcher's commands on the workstation's instrument list, kept free of
// windows so that `tarvolin instruments` makes exactly the same checks and
// changes. Below the Monitor's database folder:
//
//   Common/General Config/GeneralSettings.cfg     the list (CGeneralPCSettingsHandler)
//   Default/Config/TarvolinMonitorIniSettings.ini the template of a new instrument
//   Default/Logs/
//   <name>/...                                    one instrument, copied from Default
//
// - Provision (first start): an empty list and the template folder, each only
//   when missing; nothing that exists is touched.
// - Add: the name must be able to name the instrument's own folder (see
//   CheckName) and must not be in the list yet in any case; the port is one
//   of COM1 to COM8. The name is stored as typed; the folder is named after
//   the trimmed name, which is also what the list shows and the Monitor gets.
//   The template is copied into that folder without replacing files it
//   already has (an instrument deleted and added again keeps its settings).
//   A missing list is created first.
// - Modify: the port of the connection with that name (trimmed, any case).
// - Delete: every entry of that name in any case; its folder stays.
// - Repair: a damaged list is kept as a copy and replaced by what it still holds.
//
// Every operation returns 1, or 0 with a sentence for the operator in msg;
// GetLastProblem() says which kind of failure it was, so that a window can
// pick its message and offer the repair of a damaged list.

#include "GeneralPCSettingsHandler.h"

#include <string>

enum class ConnectionProblem {
    None,
    Refused,  // the name or port cannot be used; nothing was changed
    NotFound, // no connection of that name
    Damaged,  // the list file is damaged; it was left as it is
    Failed,   // a file or folder could not be read or written
};

class CInstrumentConnections {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 8;
    // Longest name in bytes: it names a folder.
    static constexpr size_t kMaxNameBytes = 255;
    static constexpr const char* kTemplateFolder = "Default";
    // The database folder holds the list below this one.
    static constexpr const char* kCommonFolder = "Common";
    static constexpr const char* kIniFileName = "TarvolinMonitorIniSettings.ini";

    // <common data>/Corvanth/Tarvolin/Tarvolin Monitor/Database
    static std::string DefaultDatabaseFolder();

    // The list and the folders of this workstation.
    CInstrumentConnections();
    // Another database folder (tests, a second installation); the list is the
    // one below it.
    explicit CInstrumentConnections(std::string databaseFolder);

    const std::string& GetDatabaseFolder() const { return m_strDatabaseFolder; }
    std::string GetListPath() const { return m_handler.GetPath(); }
    std::string GetTemplateFolder() const;
    // The settings folder of the instrument of that name (trimmed).
    std::string GetInstrumentFolder(const std::string& name) const;

    // 1 when the name may be added: trimmed, it is not empty, is one path
    // component without "/" or "\", not "." or "..", not the template's or
    // the list's folder ("Default", "Common", in any case), valid UTF-8
    // without control characters, at most kMaxNameBytes. 0 with why.
    static int CheckName(const std::string& name, std::string& why);
    static int CheckPort(int port, std::string& why);

    // The list file and the template folder, each when missing.
    int Provision(std::string& msg);
    // The template folder "Default" with its INI file and an empty Logs
    // folder, when missing; an existing template is left as it is.
    int ProvisionTemplate(std::string& msg);

    // The list; a missing file is an empty list.
    int List(CGeneralPCSettings& list, std::string& msg);
    // The connection with that name (trimmed, any case).
    int Find(const std::string& name, CDeviceConnection& out, std::string& msg);
    // See above. On success GetWarning() may hold a sentence about the
    // settings folder, which could not be made complete.
    int Add(const std::string& name, int port, std::string& msg);
    // The connections with that name get the port (and the stored name
    // trimmed, as the modify dialog shows it).
    int Modify(const std::string& name, int port, std::string& msg);
    int Delete(const std::string& name, std::string& msg);
    // For a damaged list: keeps a copy (copyPath) and writes what it still
    // holds (kept) in its place.
    int Repair(CGeneralPCSettings& kept, std::string& copyPath, std::string& msg);

    ConnectionProblem GetLastProblem() const { return m_eLastProblem; }
    const std::string& GetWarning() const { return m_strWarning; }

    // The template's INI file: every key the Monitor reads, with its value
    // and what it does.
    static std::string TemplateIniText();

private:
    int Fail(ConnectionProblem problem, std::string& msg, std::string text);
    // Reads the list for an edit; a missing list is created when create is set.
    int ReadForEdit(CGeneralPCSettings& list, bool create, std::string& msg);
    // Copies the template into the instrument's folder, keeping what is there.
    int CopyTemplate(const std::string& folder, std::string& msg);

    std::string m_strDatabaseFolder;
    CGeneralPCSettingsHandler m_handler;
    ConnectionProblem m_eLastProblem = ConnectionProblem::None;
    std::string m_strWarning;
};
