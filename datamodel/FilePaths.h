#pragma once
// Where the programs keep their files. Every folder hangs off the machine's
// common data folder:
//
//   <common>/Corvanth/Tarvolin/Tarvolin Monitor/Database          database folder (Monitor)
//   <common>/Corvanth/Tarvolin/Tarvolin Analyzer/Database         database folder (Analyzer)
//   <database>/<instrument id>/Config, .../Logs, .../Data         one instrument (Monitor)
//   <database>/Config, <database>/Logs                            the Analyzer's own
//   <common>/Corvanth/Merrow/Bitmaps, <common>/Corvanth/Merrow/Common
//   <common>/Corvanth/Tarvolin/Ports                              serial port links
//
// The functions only build names; they never create a folder and never fail:
// when the common folder is unknown the paths start with the remaining parts.

#include <string>

class CFilePaths {
public:
    virtual ~CFilePaths() = default;

    // $TARVOLIN_COMMON_DATA when set, else /var/lib when this user may write
    // there, else $XDG_DATA_HOME, else $HOME/.local/share; empty when none is known.
    static std::string GetCommonDataFolder();
    // Folder of the running program, ending in "/"; empty when it cannot be read.
    static std::string GetAppPath();
    static std::string GetDatabaseFolder();
    static std::string GetBitmapFolder();
    static std::string GetCommonDBPath();
    // Monitor: database folder + "/" + instrument id. The Analyzer has no
    // instrument level, so there it is the database folder itself.
    static std::string GetInstrumentFolder();
    static std::string GetConfigPath();
    static std::string GetLogPath();
    // Where recordings go while no folder has been chosen: instrument folder + "/Data".
    static std::string GetDataPath();
    // Where the serial adapter looks for COMn links: $TARVOLIN_PORTS_DIR when set.
    static std::string GetPortsFolder();

    static std::string GetInstrumentId();
    static void SetInstrumentId(const std::string& id);

    // True when name stays inside the folder it is put in (an instrument name,
    // a file-name prefix): one non-empty path component, without "/", and not
    // "." or "..". Otherwise false with the reason in why.
    static bool IsSinglePathComponent(const std::string& name, std::string& why);
};
