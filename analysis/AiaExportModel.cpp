#include "AiaExportModel.h"

#include "AiaPeakSection.h"
#include "DVDocData.h"
#include "Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <strings.h>

namespace {

using F = OAiaExportFields;
using Kind = OAiaExportModel::FieldKind;

OAiaExportModel::Field Text(const char* key, const char* label, std::string F::*member)
{
    OAiaExportModel::Field field{key, label, Kind::Text, "", true};
    field.text = member;
    return field;
}

OAiaExportModel::Field Number(const char* key, const char* label, float F::*member, bool stored)
{
    OAiaExportModel::Field field{key, label, Kind::Number, "0", stored};
    field.number = member;
    return field;
}

OAiaExportModel::Field Choice(const char* key, const char* label, int F::*member,
                              const char* defaultIndex, const std::vector<std::string>& choices,
                              bool stored)
{
    OAiaExportModel::Field field{key, label, Kind::Choice, defaultIndex, stored};
    field.choice = member;
    field.choices = &choices;
    return field;
}

std::string FormatNumber(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%8.3f", static_cast<double>(value));
    return text;
}

int ParseIndex(const std::string& text, int fallback)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str())
        return fallback;
    return static_cast<int>(std::clamp<long>(value, -1000000, 1000000));
}

int IndexIn(const std::vector<std::string>& choices, int index, int fallback)
{
    return index >= 0 && static_cast<size_t>(index) < choices.size() ? index : fallback;
}

} // namespace

const std::vector<std::string>& OAiaExportModel::UnitChoices()
{
    static const std::vector<std::string> choices{"nA", "uV"};
    return choices;
}

const std::vector<std::string>& OAiaExportModel::SampleTypeChoices()
{
    static const std::vector<std::string> choices{"standard", "blank", "control", "unknown",
                                                  "other"};
    return choices;
}

const std::vector<std::string>& OAiaExportModel::SamplingRateChoices()
{
    static const std::vector<std::string> choices{"5", "10", "20", "50"};
    return choices;
}

const std::vector<std::string>& OAiaExportModel::RetentionUnitChoices()
{
    static const std::vector<std::string> choices{"sec", "min"};
    return choices;
}

const std::vector<OAiaExportModel::Field>& OAiaExportModel::FieldTable()
{
    static const std::vector<Field> table{
        Text("ExpTitle", "Experiment Title:", &F::experimentTitle),
        Text("DatasetOrigin", "Dataset Origin:", &F::datasetOrigin),
        Text("DatasetOwner", "Dataset Owner:", &F::datasetOwner),
        Text("Operator", "Operator Name:", &F::operatorName),
        Text("CompMethodName", "GC Method Name:", &F::gcMethodName),
        Text("CompMethodID", "Acquisition Method:", &F::acquisitionMethod),
        Choice("ActualSplInterval", "Sampling Rate (Hz):", &F::samplingRate, "1",
               SamplingRateChoices(), true),
        Choice("RetentionUnit", "Retention Unit:", &F::retentionUnit, "0", RetentionUnitChoices(),
               true),
        Text("SampleID", "Bar Code", &F::sampleId),
        Text("SampleName", "Sample Name:", &F::sampleName),
        Number("InjectionVolume", "Injection Volume:", &F::injectionVolume, true),
        Text("RawDataTableName", "Raw Data Filename:", &F::rawDataFileName),
        Text("SampleComment", "Comments:", &F::comments),
        Choice("Units", "Units:", &F::units, "0", UnitChoices(), true),
        // Shown and settable, never kept.
        Number("Amount", "Amount:", &F::amount, false),
        Choice("SampleType", "Type:", &F::sampleType, "3", SampleTypeChoices(), false),
    };
    return table;
}

int OAiaExportModel::RateOfIndex(int index)
{
    static const int rates[] = {5, 10, 20, 50};
    return index >= 0 && index < 4 ? rates[index] : 0;
}

std::string OAiaExportModel::GateParametersText(const std::string& startA, const std::string& stopA,
                                                const std::string& op, const std::string& alpha,
                                                const std::string& startB, const std::string& stopB,
                                                bool squareRoot)
{
    return "<" + startA + "," + stopA + "><" + op + "><" + alpha + "><" + startB + "," + stopB +
           ">" + (squareRoot ? "<sqrt ON>" : "<sqrt OFF>");
}

std::string OAiaExportModel::GateParametersText(const CGateParameter& gate)
{
    const auto number = [](const char* format, double value) {
        char text[64];
        std::snprintf(text, sizeof text, format, value);
        return std::string(text);
    };
    return GateParametersText(number("%0.1f", gate.GetStartA()), number("%0.1f", gate.GetStopA()),
                              gate.GetOperatorText(), number("%0.3f", gate.GetAlpha()),
                              number("%0.1f", gate.GetStartB()), number("%0.1f", gate.GetStopB()),
                              gate.GetSqroot() != 0);
}

OAiaExportModel::Inputs OAiaExportModel::InputsFrom(const ODVDocData& document, int gate)
{
    Inputs in;
    const CDataFileHeader& header = document.GetHeader();
    in.documentPath = document.GetPathName();
    in.year = header.year;
    in.month = header.month;
    in.day = header.day;
    in.hour = header.hour;
    in.minute = header.minute;
    in.highestSample = document.GetHighestSample();
    in.lowestSample = document.GetLowestSample();
    const OChromatogram& chromatogram = document.GetChromatogram();
    in.times = chromatogram.times;
    in.first = chromatogram.first;
    in.last = chromatogram.last;
    if (gate >= 0 && gate < CGateParameters::kGates) {
        const CGateParameter& g = document.GetRecords().gates[gate];
        in.detectorMode = g.GetModeText();
        in.gateParameters = GateParametersText(g);
    }
    const std::time_t now = std::time(nullptr);
    if (now != static_cast<std::time_t>(-1))
        in.now = static_cast<int64_t>(now);
    return in;
}

std::optional<int64_t> OAiaExportModel::RecordingStart(int year, int month, int day, int hour,
                                                       int minute)
{
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        return std::nullopt;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1))
        return std::nullopt;
    return static_cast<int64_t>(seconds);
}

std::string OAiaExportModel::DialogStamp(std::optional<int64_t> seconds)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!seconds)
        return std::string();
    const auto t = static_cast<std::time_t>(*seconds);
    std::tm local{};
    if (!localtime_r(&t, &local) || local.tm_mon < 0 || local.tm_mon > 11)
        return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "%s %02d, %d at %02d:%02d", months[local.tm_mon],
                  local.tm_mday, local.tm_year + 1900, local.tm_hour, local.tm_min);
    return text;
}

void OAiaExportModel::Init(const Inputs& inputs, const IAiaProfile& profile, std::string& message)
{
    message.clear();
    m_fields = OAiaExportFields();
    m_fields.detectorMethod = inputs.documentPath;
    for (const Field& field : FieldTable()) {
        const std::string value =
            field.stored ? profile.Get(field.key).value_or(field.defaultValue) : field.defaultValue;
        switch (field.kind) {
        case FieldKind::Text:
            m_fields.*field.text = value;
            break;
        case FieldKind::Number:
            m_fields.*field.number = static_cast<float>(std::atof(value.c_str()));
            break;
        case FieldKind::Choice:
            m_fields.*field.choice = ParseIndex(value, ParseIndex(field.defaultValue, 0));
            break;
        }
    }
    // Any unit other than 0 means minutes; a units index the list lacks, the first.
    m_fields.retentionUnit = m_fields.retentionUnit != 0 ? 1 : 0;
    m_fields.units = IndexIn(UnitChoices(), m_fields.units, 0);
    m_fields.gateParameters = inputs.gateParameters;
    m_fields.detectorMode = inputs.detectorMode;

    m_now = inputs.now;
    m_injection = RecordingStart(inputs.year, inputs.month, inputs.day, inputs.hour, inputs.minute);
    m_fields.injectionTimeStamp = DialogStamp(m_injection);
    m_strInjectionNote = m_injection ? std::string() : kUnknownStartNote;
    m_fields.datasetTimeStamp = DialogStamp(m_now);
    m_fields.maximumValue = inputs.highestSample;
    m_fields.minimumValue = inputs.lowestSample;

    const auto at = [&](int i) {
        return i >= 0 && static_cast<size_t>(i) < inputs.times.size()
                   ? inputs.times[static_cast<size_t>(i)]
                   : -1.0f;
    };
    m_fDelaySeconds = inputs.first <= 0 && inputs.last >= 0 ? at(0) : -1.0f;
    const float end = inputs.last >= inputs.first ? at(inputs.last) : -1.0f;
    m_fRunSeconds = end - m_fDelaySeconds;

    m_nRateHz = RateOfIndex(m_fields.samplingRate);
    if (m_nRateHz == 0)
        message = kWrongIntervalInit;
    CountPoints();
    ShowTimes();
}

void OAiaExportModel::CountPoints()
{
    // A run time read from float pulse times may fall a hair short of the
    // whole number of steps it stands for (97.99999 for 98); such a shortfall
    // does not cost a point, as the resampling does not drop one either.
    const double product = static_cast<double>(static_cast<float>(m_nRateHz) * m_fRunSeconds);
    const double whole = product >= 0.0 && product < 4e9 ? std::trunc(product * (1.0 + 1e-6)) : 0.0;
    m_fields.numberOfPoints = static_cast<uint32_t>(whole) + 1;
}

void OAiaExportModel::ShowTimes()
{
    const bool minutes = m_fields.retentionUnit != 0;
    m_fields.delayTime = minutes ? m_fDelaySeconds / 60.0f : m_fDelaySeconds;
    m_fields.actualRunTime = minutes ? m_fRunSeconds / 60.0f : m_fRunSeconds;
}

void OAiaExportModel::SetRetentionUnit(int index)
{
    m_fields.retentionUnit = index != 0 ? 1 : 0;
    ShowTimes();
}

int OAiaExportModel::SetSamplingRate(int index, std::string& message)
{
    m_fields.samplingRate = index;
    m_nRateHz = RateOfIndex(index);
    CountPoints();
    if (m_nRateHz == 0) {
        message = kWrongInterval;
        return 0;
    }
    return 1;
}

int OAiaExportModel::SetField(const std::string& key, const std::string& value,
                              std::string& message)
{
    for (const Field& field : FieldTable()) {
        if (strcasecmp(field.key, key.c_str()) != 0)
            continue;
        switch (field.kind) {
        case FieldKind::Text:
            m_fields.*field.text = value;
            return 1;
        case FieldKind::Number: {
            char* end = nullptr;
            const double number = std::strtod(value.c_str(), &end);
            if (end == value.c_str() || *end != '\0' || !std::isfinite(number)) {
                message = std::string(field.key) + " takes a number, not \"" + value + "\".";
                return 0;
            }
            m_fields.*field.number = static_cast<float>(number);
            return 1;
        }
        case FieldKind::Choice: {
            const auto& choices = *field.choices;
            auto it = std::find(choices.begin(), choices.end(), value);
            int index = it != choices.end() ? static_cast<int>(it - choices.begin()) : -1;
            if (index < 0) {
                std::string names;
                for (const std::string& c : choices)
                    names += (names.empty() ? "" : ", ") + c;
                message =
                    std::string(field.key) + " takes one of " + names + ", not \"" + value + "\".";
                return 0;
            }
            if (field.choice == &F::samplingRate)
                return SetSamplingRate(index, message);
            if (field.choice == &F::retentionUnit) {
                SetRetentionUnit(index);
                return 1;
            }
            m_fields.*field.choice = index;
            return 1;
        }
        }
    }
    message = "There is no export field \"" + key + "\".";
    return 0;
}

std::string OAiaExportModel::GetField(const std::string& key) const
{
    for (const Field& field : FieldTable()) {
        if (strcasecmp(field.key, key.c_str()) != 0)
            continue;
        switch (field.kind) {
        case FieldKind::Text:
            return m_fields.*field.text;
        case FieldKind::Number:
            return FormatNumber(m_fields.*field.number);
        case FieldKind::Choice: {
            const int index = m_fields.*field.choice;
            const auto& choices = *field.choices;
            return index >= 0 && static_cast<size_t>(index) < choices.size()
                       ? choices[static_cast<size_t>(index)]
                       : std::string();
        }
        }
    }
    return std::string();
}

void OAiaExportModel::SaveToProfile(IAiaProfile& profile) const
{
    for (const Field& field : FieldTable()) {
        if (!field.stored)
            continue;
        switch (field.kind) {
        case FieldKind::Text:
            profile.Set(field.key, m_fields.*field.text);
            break;
        case FieldKind::Number:
            profile.Set(field.key, FormatNumber(m_fields.*field.number));
            break;
        case FieldKind::Choice:
            profile.Set(field.key, std::to_string(m_fields.*field.choice));
            break;
        }
    }
}

OAiaValues OAiaExportModel::BuildValues(const std::string& path, std::vector<float> resampled) const
{
    const auto choice = [](const std::vector<std::string>& choices, int index) {
        return index >= 0 && static_cast<size_t>(index) < choices.size()
                   ? choices[static_cast<size_t>(index)]
                   : std::string();
    };
    OAiaValues v;
    v.path = path;
    v.datasetOrigin = m_fields.datasetOrigin;
    v.datasetOwner = m_fields.datasetOwner;
    v.datasetTimeStamp = m_now;
    v.injectionTimeStamp = m_injection;
    v.experimentTitle = m_fields.experimentTitle;
    v.operatorName = m_fields.operatorName;
    v.gcMethodName = m_fields.gcMethodName;
    v.acquisitionMethod = m_fields.acquisitionMethod;
    v.comments = m_fields.comments;
    v.sampleId = m_fields.sampleId;
    v.sampleName = m_fields.sampleName;
    v.sampleType = choice(SampleTypeChoices(), m_fields.sampleType);
    v.injectionVolume = FormatNumber(m_fields.injectionVolume);
    v.amount = FormatNumber(m_fields.amount);
    v.detectorMode = m_fields.detectorMode;
    v.gateParameters = m_fields.gateParameters;
    v.detectorMethod = m_fields.detectorMethod;
    v.maximumValue = static_cast<float>(m_fields.maximumValue);
    v.minimumValue = static_cast<float>(m_fields.minimumValue);
    v.units = choice(UnitChoices(), m_fields.units);
    v.rawDataFileName = m_fields.rawDataFileName;
    v.retentionUnit = choice(RetentionUnitChoices(), m_fields.retentionUnit);
    v.samplingInterval = m_nRateHz > 0 ? 1.0f / static_cast<float>(m_nRateHz) : 0.0f;
    v.delayTime = m_fields.delayTime;
    v.count = static_cast<int32_t>(resampled.size());
    v.values = std::move(resampled);
    return v;
}

int OAiaExportModel::Export(const std::string& path, const OChromatogram& chromatogram, int gate,
                            IAiaProfile* profile, std::string& message)
{
    if (profile) {
        const std::string folder = std::filesystem::path(path).parent_path().string();
        profile->Set(kFileDirKey, folder.empty() ? std::string() : folder + "/");
    }
    if (gate < 0 || gate >= OChromatogram::kTraces) {
        message = kNoGate;
        return 0;
    }
    if (m_nRateHz == 0) {
        message = kWrongInterval;
        return 0;
    }
    CountPoints();

    const int first = std::max(chromatogram.first, 0);
    const int last = std::min(chromatogram.last, chromatogram.GetCount() - 1);
    const auto& trace = chromatogram.traces[static_cast<size_t>(gate)];
    if (last - first + 1 < 4 || trace.size() < chromatogram.times.size()) {
        message = OResampler::kTooFewPoints;
        return 0;
    }
    const std::span<const float> x(chromatogram.times.data() + first,
                                   static_cast<size_t>(last - first + 1));
    const std::span<const float> y(trace.data() + first, x.size());
    std::vector<float> resampled;
    if (!OResampler::Resample(x, y, 1.0 / m_nRateHz, resampled, message))
        return 0;
    OAiaValues values = BuildValues(path, std::move(resampled));
    // The grid starts at the first point of the trace exported.
    values.delayTime = m_fields.retentionUnit != 0 ? x.front() / 60.0f : x.front();
    OAiaPeakSection peaks(m_peaks, values.retentionUnit, m_strPeakComments);
    if (!m_writer.Write(values, {&peaks}, message))
        return 0;
    m_nExportedCount = values.count;
    if (profile)
        SaveToProfile(*profile);
    return 1;
}

void OAiaExportModel::SetPeaks(std::vector<OPeak> peaks, std::string comments)
{
    m_peaks = std::move(peaks);
    m_strPeakComments = std::move(comments);
}
