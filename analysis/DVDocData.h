#pragma once
// ODVDocData: everything an Analyzer document holds except its windows - the
// opened recording, its working configuration, the gate descriptors, the
// current pulse, the intermediate file and the chromatogram computed through
// it. The Analyzer's document class wraps one; the command line (analyze,
// export-aia, report, batch) uses it as it is. Nothing here shows a window:
// operations return 1 or 0 and the text the caller shows.
//
// Opening a recording (Open):
//   1. the file must be a readable recording ("Could not open the document.");
//   2. its header's gates, board, channels and events become the document's,
//      and the working configuration and gate descriptors are derived from them;
//   3. the intermediate file is created beside the recording (run.KLYN ->
//      run.INTN), or in the user's cache folder under a name of its own when
//      that folder cannot take it or another document (of this program or
//      another) already computes through it;
//   4. the chromatogram is calculated into the intermediate file ("Problem
//      writing to disk." when it cannot be written) and loaded back from it
//      ("Problem reading document." when it cannot, or for fewer than 10 pulses);
//   5. the first pulse becomes the current one.
// Memory running out on the way gives "Not enough memory for a new document.".
// A failed open leaves no intermediate file behind.
//
// The recording is read through the salvaging reader: a recording whose count
// was never written opens with every complete pulse, and GetSalvageNote()
// says what was salvaged. Pulse times are the pulses' own; only a recording
// whose times do not rise gets an axis rebuilt from the pulse frequency, and
// GetTimeAxisNote() says so. The data file is open only while it is read.
//
// Peaks: each trace has a peak list of its own, found on request with the
// document's peak parameters (OPeakDetector) and changed by hand through
// OManualIntegration and SetPeaks. A trace whose list was asked for has it
// found again after every recalculation and every change of the parameters:
// the values its peaks were measured on are gone, and with them any change
// made by hand.

#include "BaseDVFileINT.h"
#include "CalculationLog.h"
#include "CfgData.h"
#include "Chromatogram.h"
#include "DVChannels.h"
#include "DataFile.h"
#include "GateCalculator.h"
#include "Peak.h"
#include "PeakIntegrator.h"
#include "PeakParameters.h"
#include "Progress.h"
#include "PulseShape.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class ODVDocData {
public:
    static constexpr int kMinimumPulses = 10;
    static constexpr const char* kCouldNotOpen = "Could not open the document.";
    static constexpr const char* kNotEnoughMemory = "Not enough memory for a new document.";
    static constexpr const char* kProblemWriting = "Problem writing to disk.";
    static constexpr const char* kProblemReading = "Problem reading document.";
    static constexpr const char* kCalculatingTask = "Calculating chromatogram: ";
    static constexpr const char* kLoadingTask = "Loading chromatogram: ";

    struct Options {
        // The calculation log, when the settings ask for one (shared by documents).
        OCalculationLog* log = nullptr;
        // Where intermediate files go when the recording's folder cannot take
        // them; empty: OIntermediateLocation::UserCacheFolder().
        std::string cacheFolder;
        // The peak parameters a newly opened document starts with.
        OPeakParameters peakParameters;
    };

    ODVDocData();
    explicit ODVDocData(Options options);
    ~ODVDocData();
    ODVDocData(const ODVDocData&) = delete;
    ODVDocData& operator=(const ODVDocData&) = delete;

    // The open sequence above. 1, or 0 with the message to show; GetLastError()
    // then holds the technical reason when there is one.
    int Open(const std::string& path, std::string& message, IProgress* progress = nullptr);
    // Closes and deletes the intermediate file and forgets the recording.
    void Close();
    bool IsOpen() const { return m_bOpen; }

    // Calculation and load again (after a change of the gates or the
    // configuration); the current pulse stays. 1, or 0 with the message.
    int Recalculate(std::string& message, IProgress* progress = nullptr);
    // A gate edit: the gates replace the document's, the working configuration
    // and descriptors are derived again, and the chromatogram recalculated.
    int SetGateParameters(const CGateParameters& gates, std::string& message,
                          IProgress* progress = nullptr);
    // A board/channel edit: the records replace the document's, the working
    // configuration is derived again, and the chromatogram recalculated (the
    // channels' zero values and gate assignment enter every value).
    int SetBoardAndChannelParameters(const CBoardParameters& board,
                                     const CChannelParameters& channels, std::string& message,
                                     IProgress* progress = nullptr);
    // A timed-events edit: the events replace the document's and the working
    // configuration's; no value depends on them, so nothing is recalculated.
    void SetTimedEvents(const CTimedEvent& events);
    // Save cfg File: the document's gates, board, channels and events as a
    // ".cnfg" file. 1, or 0 with the message.
    int SaveCfgFile(const std::string& path, std::string& message) const;
    // Open cfg File: a ".cnfg" file's records replace the document's, then
    // derivation and recalculation. A file that is not a configuration file
    // is refused and changes nothing.
    int OpenCfgFile(const std::string& path, std::string& message, IProgress* progress = nullptr);

    // The current pulse. 1 when the pulse could be read, else 0 and nothing changes.
    int GoToPulse(int index);
    int NextPulse();
    int PreviousPulse();
    bool HasNextPulse() const { return m_bOpen && m_nCurrent + 1 < GetPulseCount(); }
    bool HasPreviousPulse() const { return m_bOpen && m_nCurrent > 0; }
    int GetCurrentIndex() const { return m_nCurrent; }
    const CPulseData& GetCurrentPulse() const { return m_current; }
    OPulseShape GetCurrentPulseShape() const { return OPulseShape::FromPulse(m_current); }
    // Time of the current pulse on the chromatogram's axis (seconds); -1 when
    // it lies outside the chromatogram.
    double GetCurrentPulseTime() const;

    const std::string& GetPathName() const { return m_strPath; }
    const std::string& GetFileName() const { return m_strFileName; }
    double GetFileSizeMegabytes() const { return m_dFileSizeMegabytes; }
    // Recording start and the document's records: gates, board, channels, events.
    const CDataFileHeader& GetHeader() const { return m_header; }
    const CConfigBlockSet& GetRecords() const { return m_header.config; }
    const OCfgData& GetWorkingConfiguration() const { return m_cfg; }
    const ODVChannels& GetGateDescriptors() const { return m_descriptors; }
    int GetPulseCount() const { return static_cast<int>(m_offsets.size()); }
    const OChromatogram& GetChromatogram() const { return m_chromatogram; }
    // Extremes of every sample the calculations of this document met, as
    // unsigned 32-bit values (65535 and 0 before any). The intermediate file's
    // tail keeps them in 16 bits, 65535 standing for anything larger.
    uint32_t GetLowestSample() const { return m_nLowestSample; }
    uint32_t GetHighestSample() const { return m_nHighestSample; }

    // Peaks of trace 0..4.
    const OPeakParameters& GetPeakParameters() const { return m_peakParameters; }
    // New parameters for this document; 0 with message (and nothing changed)
    // when one lies outside its range. Lists already found are found again.
    int SetPeakParameters(const OPeakParameters& parameters, std::string& message);
    // Finds the peaks of trace afresh. 1, or 0 with message when no document
    // is open or there is no such trace.
    int DetectPeaks(int trace, std::string& message);
    // Finds the peaks of every trace.
    int DetectAllPeaks(std::string& message);
    // Whether trace's peaks were asked for (the list may still be empty).
    bool HasPeakList(int trace) const;
    // The peak list of trace, in time order; empty for none.
    const std::vector<OPeak>& GetPeaks(int trace) const;
    // A list changed by hand replaces trace's (and counts as asked for).
    int SetPeaks(int trace, std::vector<OPeak> peaks, std::string& message);
    // Measures on trace for the manual operations; valid until the next
    // recalculation. Over nothing for a trace that does not exist.
    OPeakIntegrator GetPeakIntegrator(int trace) const;

    // Status-bar notes; empty when there is nothing to say.
    const std::string& GetSalvageNote() const { return m_strSalvageNote; }
    const std::string& GetTimeAxisNote() const { return m_strTimeAxisNote; }
    const CSalvageReport& GetSalvageReport() const { return m_salvage; }

    const std::string& GetIntermediatePath() const { return m_strScratchPath; }
    bool IsIntermediateInCache() const { return m_bScratchInCache; }
    const std::string& GetLastError() const { return m_strError; }

private:
    int ReadHeader(const std::string& path);
    int CreateIntermediate();
    // Takes path as this document's intermediate file, locked against every
    // other document; 0 when it cannot be made or another document has it.
    int ClaimScratch(const std::string& path);
    void ReleaseScratch();
    void Derive();
    // What one calculation found besides the gate values.
    struct Pass {
        std::vector<int64_t> offsets;
        std::array<bool, OChromatogram::kTraces> clamped{};
        CSalvageReport salvage;
        std::string timeAxisNote;
    };
    // Reads every pulse, computes their gate values and writes the intermediate file.
    int Calculate(Pass& pass, std::string& message, IProgress* progress);
    // Reads count records of the intermediate file back into a chromatogram.
    int Load(int count, OChromatogram& chromatogram, std::string& message, IProgress* progress);
    // Calculation and load, committed together only when both succeed.
    int CalculateAndLoad(std::string& message, IProgress* progress);
    void LogCalculation(const std::vector<CBaseDVFileINT::Record>& records);
    // Finds again the lists that were asked for.
    void RedetectPeaks();
    void NoteExtremes(const OGateCalculator& calculator);
    int ReadPulseAt(int index, CPulseData& pulse);
    void Reset();

    Options m_options;
    bool m_bOpen = false;
    std::string m_strPath;
    std::string m_strFileName;
    double m_dFileSizeMegabytes = 0.0;
    CDataFileHeader m_header;
    OCfgData m_cfg;
    ODVChannels m_descriptors;

    std::vector<int64_t> m_offsets; // of every pulse record in the recording
    int m_nCurrent = 0;
    CPulseData m_current;
    OChromatogram m_chromatogram;
    uint32_t m_nLowestSample = 65535;
    uint32_t m_nHighestSample = 0;
    bool m_bSamplesSeen = false;

    OPeakParameters m_peakParameters;
    std::array<std::vector<OPeak>, OChromatogram::kTraces> m_peaks;
    std::array<bool, OChromatogram::kTraces> m_hasPeaks{};

    CSalvageReport m_salvage;
    std::string m_strSalvageNote;
    std::string m_strTimeAxisNote;

    CBaseDVFileINT m_scratch;
    std::string m_strScratchPath;
    int m_nScratchLock = -1;
    bool m_bScratchInCache = false;
    std::string m_strError;
};
