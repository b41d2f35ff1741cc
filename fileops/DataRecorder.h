#pragma once
// The recorder: names the data files (prefix + three-digit index + ".KLYN"),
// keeps the naming settings from one program run to the next, and writes one
// recording at a time through the crash-safe data-file writer.

#include "DataFile.h"
#include "PulseSequence.h"

#include <functional>
#include <string>

// The question before a start replaces an existing file, as a value: the
// caller decides how to ask it (a message box, or nobody: a headless
// recorder never replaces a file and takes the next free name).
struct CRecordingQuestion {
    std::string caption;
    std::string text;
};

enum class OverwriteAnswer {
    Replace,      // the operator said Yes
    Refuse,       // No: the index moves to the next free one and nothing starts
    NextFreeName, // nobody to ask: the next free name is used and the start goes on
};

using OverwriteAsker = std::function<OverwriteAnswer(const CRecordingQuestion&)>;

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

    // Where files go while no folder has been chosen (the instrument's Data
    // folder); created when a recording is prepared there. Without one, the
    // current folder.
    void SetDefaultFolder(const std::string& folder) { m_strDefaultFolder = folder; }
    const std::string& GetDefaultFolder() const { return m_strDefaultFolder; }

    // Before a start: fills in a folder and prefix when none is set, and asks
    // before replacing an existing file; on Refuse the index moves to the
    // next free one. A name held by something other than a file (a folder, a
    // FIFO) is never replaced: the next free name is taken without a
    // question. Writes the settings file. True when recording may start.
    // Without an asker the question goes through the message service (Yes /
    // No).
    bool PrepareRecording(const std::string& settingsPath, const OverwriteAsker& ask = {});
    // The question for the current name.
    CRecordingQuestion OverwriteQuestion() const;
    // The first start of a program run moves past files of an earlier run.
    void StepIndexOncePerRun();

    // The records the header is written from.
    void SetHeaderRecords(const CGateParameters& gates, const CBoardParameters& board,
                          const CChannelParameters& channels, const CTimedEvent& events);

    // Opens the full path and writes the header. 1, or 0 with the reason
    // (also when the name is held by something other than a regular file).
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
    // Bytes of the file being written (header and records so far).
    int64_t GetBytesWritten() const { return m_writer.GetBytesWritten(); }
    const CDataFileHeader& GetHeader() const { return m_header; }
    // Checkpoint period of the writer (tests shorten it).
    void SetCheckpointInterval(std::chrono::milliseconds interval) { m_writer.SetCheckpointInterval(interval); }

private:
    static std::string IndexText(int index);
    static bool IsRegularFile(const std::string& path);
    bool FileExists() const;
    void StopAfterFailure();

    std::string m_strFolder;
    std::string m_strPrefix;
    int m_nIndex = 1;
    std::string m_strIndexText = "001";
    std::string m_strFileName;
    std::string m_strFullPath;
    std::string m_strDefaultFolder;
    bool m_bSteppedThisRun = false;

    CDataFileHeader m_header;
    CDataFileWriter m_writer;
    CPulseData m_lastPulse;
    CPulseSequence m_sequence;
    bool m_bRecording = false;
};
