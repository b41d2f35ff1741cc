#pragma once
// OAiaExportModel: the export dialog "Export AIA Data" without its window -
// every field, where it comes from, the recomputations when the retention
// unit or the sampling rate changes, the profile section "AIA", and Save As
// (resampling and writing). The Analyzer's dialog shows and edits the fields;
// `tarvolin export-aia` sets them from its options.
//
// The fields the user types are declared once, in FieldTable(): profile key
// (also the command line's --field name), dialog label, kind and default.
// The profile is written back in the table's order after an export.

#include "AiaProfile.h"
#include "AiaValues.h"
#include "AiaWriter.h"
#include "Chromatogram.h"
#include "GateParameter.h"
#include "Peak.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ODVDocData;

struct OAiaExportFields {
    uint32_t numberOfPoints = 0;
    float delayTime = 0.0f;         // shown in the retention unit
    float actualRunTime = 0.0f;     // the chromatogram's span, shown in the retention unit
    std::string datasetTimeStamp;   // "%b %d, %Y at %H:%M"
    std::string injectionTimeStamp; // "" when the recording's start is unknown
    std::string detectorMode;       // "KLYN Mode:"
    std::string detectorMethod;     // "KLYN Method:" the recording's path
    std::string gateParameters;
    float amount = 0.0f;
    std::string acquisitionMethod;
    std::string gcMethodName;
    std::string datasetOrigin;
    std::string datasetOwner;
    std::string experimentTitle;
    float injectionVolume = 0.0f;
    std::string operatorName;
    std::string rawDataFileName;
    std::string comments;
    std::string sampleId;
    std::string sampleName;
    uint32_t maximumValue = 0;
    uint32_t minimumValue = 0;
    int units = 0;         // index into UnitChoices()
    int sampleType = 3;    // index into SampleTypeChoices(): "unknown"
    int samplingRate = 1;  // index into SamplingRateChoices(): 10 Hz
    int retentionUnit = 0; // index into RetentionUnitChoices(): "sec"
};

class OAiaExportModel {
public:
    enum class FieldKind { Text, Number, Choice };

    // One field the user sets.
    struct Field {
        const char* key;   // profile key and command-line name
        const char* label; // the dialog's label
        FieldKind kind;
        const char* defaultValue;
        bool stored; // kept in the profile
        std::string OAiaExportFields::*text = nullptr;
        float OAiaExportFields::*number = nullptr;
        int OAiaExportFields::*choice = nullptr;
        const std::vector<std::string>* choices = nullptr;
    };

    static constexpr const char* kWrongIntervalInit = "Wrong actual sample interval.";
    static constexpr const char* kWrongInterval = "Wrong Actual sample interval.";
    static constexpr const char* kNoGate =
        "No gate is selected. Select the gate to export in the gate list.";
    static constexpr const char* kUnknownStartNote =
        "The recording does not say when it started; the file is written without an injection "
        "time stamp.";
    static constexpr const char* kFileDirKey = "FileDir";

    static const std::vector<std::string>& UnitChoices();
    static const std::vector<std::string>& SampleTypeChoices();
    static const std::vector<std::string>& SamplingRateChoices();
    static const std::vector<std::string>& RetentionUnitChoices();
    // The user's fields, in the order the profile is written back.
    static const std::vector<Field>& FieldTable();

    // Where the dialog's values come from besides the profile.
    struct Inputs {
        std::string documentPath;
        // The recording's start as its header has it (hour -1, year 0: unknown).
        int year = 0, month = 0, day = 0, hour = -1, minute = -1;
        uint32_t highestSample = 0;
        uint32_t lowestSample = 65535;
        // The times (seconds) and index range of the chromatogram.
        std::vector<float> times;
        int first = 0;
        int last = -1;
        // From the gate dialog: its mode text and window controls.
        std::string detectorMode;
        std::string gateParameters;
        // Now, seconds since 1970; nothing when the clock cannot be read.
        std::optional<int64_t> now;
    };

    // The inputs of gate (0..4) of an open document, with the gate texts as
    // the gate dialog shows them and now from the clock - what the command
    // line exports with; the dialog replaces the gate texts with its controls'.
    static Inputs InputsFrom(const ODVDocData& document, int gate);

    // The dialog's initialisation. message: a text to show (stop icon), or "".
    void Init(const Inputs& inputs, const IAiaProfile& profile, std::string& message);

    const OAiaExportFields& Fields() const { return m_fields; }
    OAiaExportFields& Fields() { return m_fields; }

    // Retention unit 0 "sec" / 1 "min": delay and run time are shown in it.
    void SetRetentionUnit(int index);
    // Sampling rate 0..3 (5, 10, 20, 50 Hz); any other index gives rate 0
    // and message "Wrong Actual sample interval." (result 0).
    int SetSamplingRate(int index, std::string& message);
    int GetSamplingRateHz() const { return m_nRateHz; }
    float GetDelaySeconds() const { return m_fDelaySeconds; }
    float GetRunTimeSeconds() const { return m_fRunSeconds; }
    std::optional<int64_t> GetInjectionTime() const { return m_injection; }
    // Shown in the dialog when the injection time stamp is empty.
    const std::string& GetInjectionNote() const { return m_strInjectionNote; }

    // A field by its key (case-insensitive): numbers as text, choices by their
    // text or index. 1, or 0 with message.
    int SetField(const std::string& key, const std::string& value, std::string& message);
    std::string GetField(const std::string& key) const;

    // Save As: the trace of gate (0..4) of the chromatogram resampled onto
    // the rate's grid and written to path; then FileDir and the fields go to
    // the profile (when one is given). 1, or 0 with message and nothing written.
    int Export(const std::string& path, const OChromatogram& chromatogram, int gate,
               IAiaProfile* profile, std::string& message);
    // Values the last successful Export wrote (0 before one).
    int GetExportedCount() const { return m_nExportedCount; }
    // The thirty values for path and a resampled trace.
    OAiaValues BuildValues(const std::string& path, std::vector<float> resampled) const;
    void SaveToProfile(IAiaProfile& profile) const;

    // "<startA,stopA><op><alpha><startB,stopB><sqrt ON|OFF>", each value as
    // the text of its control.
    static std::string GateParametersText(const std::string& startA, const std::string& stopA,
                                          const std::string& op, const std::string& alpha,
                                          const std::string& startB, const std::string& stopB,
                                          bool squareRoot);
    // The same from a gate, in the gate dialog's formats ("%0.1lf" for the
    // windows, "%0.3lf" for alpha).
    static std::string GateParametersText(const CGateParameter& gate);
    // The recording's start as seconds since 1970 (local time, seconds 0);
    // nothing when a field is out of range (year below 1900, hour -1 ...).
    static std::optional<int64_t> RecordingStart(int year, int month, int day, int hour,
                                                 int minute);
    // "%b %d, %Y at %H:%M" in local time with English month names; "" for nothing.
    static std::string DialogStamp(std::optional<int64_t> seconds);
    // 5, 10, 20, 50 for 0..3; 0 otherwise.
    static int RateOfIndex(int index);

    // The exported trace's peak table, written with it ("C1+C2") when it
    // holds peaks; comments (the detection's settings, say) go with it.
    // Times are converted to the retention unit chosen at export.
    void SetPeaks(std::vector<OPeak> peaks, std::string comments = std::string());
    const std::vector<OPeak>& GetPeaks() const { return m_peaks; }

    // Writer used by Export; tests and later sections reach it here.
    OAiaWriter& Writer() { return m_writer; }

private:
    void ShowTimes();
    void CountPoints();
    std::optional<int64_t> m_now;

    OAiaExportFields m_fields;
    float m_fDelaySeconds = 0.0f;
    float m_fRunSeconds = 0.0f;
    int m_nRateHz = 10;
    std::optional<int64_t> m_injection;
    std::string m_strInjectionNote;
    OAiaWriter m_writer;
    std::vector<OPeak> m_peaks;
    std::string m_strPeakComments;
    int m_nExportedCount = 0;
};
