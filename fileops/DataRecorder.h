#pragma once
// The recorder: names the data files (prefix + three-digit index + ".KLYN"),
// keeps the naming settings from one program run to the next, and writes one
// recording at a time through the crash-safe data-file writer.

#include "DataFile.h"
#include "PulseSequence.h"

#include <string>

class CDataRecorder {
public:
    static constexpr const char* kExtension = ".KLYN";
    static constexpr const char* kSettingsFileName = "TarvolinMonitorDataSettings.cfg";

    CDataRecorder() = default;
    CDataRecorder(const CDataRecorder&) = delete;
    CDataRecorder& operator=(const CDataRecorder&) = delete;

    // Naming. The folder always ends in "/" once set.
    void SetFolder(const std::string& folder);
    const std::string& GetFolder() const { return m_strFolder; }
    void SetPrefix(const std::string& prefix) { m_strPrefix = prefix; }
    const std::string& GetPrefix() const { return m_strPrefix; }
    // Sets the numeric index and its three-digit text.
    void SetIndex(int index);
    int GetIndex() const { return m_nIndex; }
    // The index text as typed; used in the name as it stands. A number typed
    // there also becomes the numeric index the searches start from.
    void SetIndexText(const std::string& text);
    const std::string& GetIndexText() const { return m_strIndexText; }
    const std::string& GetFileName() const { return m_strFileName; }
    const std::string& GetFullPath() const { return m_strFullPath; }
    void ComposeFileName();
    // Steps the index to the next name that no file in the folder has yet.
    void NextFreeIndexUp();
    // Steps down while a file of that name exists and the index is above 1.
    void NextFreeIndexDown();

    // The settings file (folder, prefix, index): 1 when read; missing or
    // damaged files leave the defaults.
    int LoadSettings(const std::string& path);
    int SaveSettings(const std::string& path, std::string& message) const;

    // Before a start: fills in a folder and prefix when none is set, and asks
    // (Yes/No, through the message service) before replacing an existing
    // file; on No the index moves to the next free one. Writes the settings
    // file. True when recording may start.
    bool PrepareRecording(const std::string& settingsPath);
    // The first start of a program run moves past files of an earlier run.
    void StepIndexOncePerRun();

    // The records the header is written from.
    void SetHeaderRecords(const CGateParameters& gates, const CBoardParameters& board,
                          const CChannelParameters& channels, const CTimedEvent& events);

    // Opens the full path and writes the header. 1, or 0 with the reason.
    int Start(std::string& message);
    // Writes a pulse while recording. A pulse whose index equals the last
    // one's is the same pulse fetched again: it is counted (GetSequence) and
    // not written, and written (when given) says which it was. 0 with the
    // reason when the write failed: the recording has then been stopped
    // cleanly.
    int Append(const CPulseData& pulse, std::string& message, bool* written = nullptr);
    // Writes the count, closes, and moves the index to the next free name.
    // 1, or 0 with the reason when the final writes failed.
    int Stop(std::string& message);

    bool IsRecording() const { return m_bRecording; }
    int GetPulseCount() const { return m_writer.GetPulseCount(); }
    const CPulseData& GetLastPulse() const { return m_lastPulse; }
    // The pulse indexes of this recording: repeats refused, indexes skipped.
    const CPulseSequence& GetSequence() const { return m_sequence; }
    double GetFileSizeMegabytes() const { return m_writer.GetSizeMegabytes(); }
    const CDataFileHeader& GetHeader() const { return m_header; }
    // Checkpoint period of the writer (tests shorten it).
    void SetCheckpointInterval(std::chrono::milliseconds interval) { m_writer.SetCheckpointInterval(interval); }

private:
    static std::string IndexText(int index);
    bool FileExists() const;
    void StopAfterFailure();

    std::string m_strFolder;
    std::string m_strPrefix;
    int m_nIndex = 1;
    std::string m_strIndexText = "001";
    std::string m_strFileName;
    std::string m_strFullPath;
    bool m_bSteppedThisRun = false;

    CDataFileHeader m_header;
    CDataFileWriter m_writer;
    CPulseData m_lastPulse;
    CPulseSequence m_sequence;
    bool m_bRecording = false;
};
