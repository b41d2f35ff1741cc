#pragma once
// The process-wide settings: read once from the program's INI file, plus the
// COM port and instrument id that the program sets itself. The Monitor reads
// "TarvolinMonitorIniSettings.ini" from its instrument's Config folder; the
// Analyzer reads "TarvolinAnalyzerIniSettings.ini" and uses only EnableDebugLog.
//
// Keys of the Monitor's file and the values used when a key is missing or empty:
//
//   EnableDebugLog            true      (present: value != 0)
//   ComPort                   -         looked up, never used: the port comes from the command line
//   BaudRate                  57600
//   PulseGraphMaxY            10000000
//   PulseGraphMinY            0
//   PulseGraphMaxX            10000000
//   PulseGraphMinX            0
//   EnablePulseLog            0
//   ZoomOutShortCutKey        4         (present: 1, 2 or 4, else 4)
//   IsOnline                  false     (present: value == 1)
//   FrequencyCorrectionfactor 0.0
//   LogFileMaxSizeKB          4096      size at which the debug log and the pulse log are
//                                       rotated (X.log -> X.1.log ...); 16 .. 1048576
//   LogFileCount              4         files kept per log, the live one included; 1 .. 20
//
// Before any file is read the members hold slightly different values (plot
// maxima 1000000, pulse log 1, online true); both sets are deliberate. The
// two log keys are read by both programs, and have the same defaults before
// and without a file: each log takes at most 16 MB by default.
//
// All members are guarded by one lock: the poller thread reads EnableDebugLog
// while the user-interface thread may be loading the file.

#include <cstdint>
#include <mutex>
#include <string>

class CQuillonIniConfig {
public:
    CQuillonIniConfig() = delete;

    // Stores path, reads the file and fills the settings. -1 when the file
    // cannot be opened (every setting keeps its value), else 0.
    static int Initialize(const std::string& path);
    static void Cleanup() {}
    static constexpr int kDefaultLogFileMaxSizeKB = 4096;
    static constexpr int kDefaultLogFileCount = 4;

    // Back to the values before any file, for the current program kind. The
    // Analyzer calls it once after setting its kind, so that its own file name
    // replaces the Monitor's.
    static void Reset();

    static bool EnableDebugLog();
    static int ComPort();
    static int BaudRate();
    static int PulseGraphMaxY();
    static int PulseGraphMinY();
    static int PulseGraphMaxX();
    static int PulseGraphMinX();
    static int EnablePulseLog();
    static int ZoomOutShortCutKeyValue();
    static bool IsOnline();
    static float FrequencyCorrectionfactor();
    static int LogFileMaxSizeKB();
    static int LogFileCount();
    static std::string GetInstrumentID();
    static std::string GetFilePath();

    static void ComPort(int port);
    static void SetInstrumentID(const std::string& id);

    // A 16-bit mask from binary digits: the last character is bit 0, the one
    // before it bit 1 and so on; "1" sets its bit, anything else leaves it
    // clear, and characters before the last sixteen do not count.
    static uint16_t GetBitMaskValue(const std::string& text);

private:
    static void FilePath(const std::string& path);
    static void PopulateMemberVariables();

    static std::mutex m_lock;
    static std::string m_strFilePath;
    static bool m_bEnableDebugLog;
    static int m_nComPort;
    static int m_nBaudRate;
    static int m_nPulseGraphMaxY;
    static int m_nPulseGraphMinY;
    static int m_nPulseGraphMaxX;
    static int m_nPulseGraphMinX;
    static int m_nEnablePulseLog;
    static int m_nZoomOutShortCutKeyValue;
    static bool m_nIsOnlineValue;
    static float m_fFrequencyCorrectionfactor;
    static int m_nLogFileMaxSizeKB;
    static int m_nLogFileCount;
    static std::string m_strInstrumentID;
};
