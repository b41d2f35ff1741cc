#include "Inspector.h"

#include "Archive.h"
#include "BaseConfigDataIo.h"
#include "ByteOrder.h"
#include "BaseDVPulseData.h"
#include "BaseKLYNData.h"
#include "ConfigFile.h"
#include "DataFile.h"
#include "FileKind.h"
#include "GenIniFileReader.h"
#include "MessageService.h"
#include "ProgramKind.h"
#include "QuillonIniConfig.h"
#include "RecordPrinter.h"
#include "SettingsInspector.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace cli {

namespace {

using printer::Number;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void PrintConfigFile(const CConfigFile& config, size_t size, std::ostream& out)
{
    out << "Configuration file (.cnfg), " << size << " bytes\n";
    printer::PrintGates(out, config.GetGateParameters());
    printer::PrintBoard(out, config.GetBoardParameters());
    printer::PrintChannels(out, config.GetChannelParameters());
    printer::PrintEvents(out, config.GetTimedEvent());
}

void PrintCompactRecord(const CBaseConfigDataIo& record, size_t size, std::ostream& out)
{
    out << "Compact configuration record, " << size << " bytes\n"
        << "Board\n"
        << "  PMT voltage:      " << record.GetPmtVoltage() << "\n"
        << "  Ignitor current:  " << Number(record.GetIgnitorCurrent()) << "\n"
        << "  Trigger level:    " << record.GetTriggerLevel() << "\n"
        << "  Range:            " << record.GetRange() << "\n"
        << "Gas flows and calibration coefficients A, B, C, D\n";
    struct Gas {
        const char* name;
        float flow, a, b, c, d;
    };
    const Gas gases[] = {
        {"H2", record.GetH2Flow(), record.GetH2CoefficientA(), record.GetH2CoefficientB(),
         record.GetH2CoefficientC(), record.GetH2CoefficientD()},
        {"Air 1", record.GetAir1Flow(), record.GetAir1CoefficientA(), record.GetAir1CoefficientB(),
         record.GetAir1CoefficientC(), record.GetAir1CoefficientD()},
        {"Air 2", record.GetAir2Flow(), record.GetAir2CoefficientA(), record.GetAir2CoefficientB(),
         record.GetAir2CoefficientC(), record.GetAir2CoefficientD()},
        {"Aux", record.GetAuxFlow(), record.GetAuxCoefficientA(), record.GetAuxCoefficientB(),
         record.GetAuxCoefficientC(), record.GetAuxCoefficientD()},
    };
    for (const Gas& g : gases)
        out << "  " << g.name << " flow: " << Number(g.flow) << "; coefficients " << Number(g.a)
            << ", " << Number(g.b) << ", " << Number(g.c) << ", " << Number(g.d) << "\n";

    out << "Channels\n";
    for (int i = 0; i < CBaseConfigDataIo::kChannels; ++i) {
        const CBaseChannelData& c = record.GetChannelData(i);
        out << "  Channel " << i + 1 << ": zero value " << c.GetZeroValue() << ", interpolation "
            << (c.GetInterpolation() == 1 ? "spline" : c.GetInterpolation() == 0 ? "linear" : "?")
            << " (" << c.GetInterpolation() << "), scalar channel " << c.GetScalarChannel()
            << ", gate index " << c.GetGateIndex() << "\n";
    }

    static const char* const kOperators[] = {"-", "+", "*", "/"};
    out << "Gate modes: " << record.GetNumGateModes() << "\n";
    for (int i = 0; i < record.GetNumGateModes(); ++i) {
        const CFileGateModeData& g = record.GetGateModeData(i);
        const short op = g.GetOperator();
        std::string mode = CGateParameter::ModeOptionText(static_cast<GateMode>(g.GetMode()));
        out << "  Gate mode " << i + 1 << ": " << (mode.empty() ? "?" : mode) << " (mode "
            << g.GetMode() << ", type number " << g.GetTypeNumber() << "), window A "
            << Number(g.GetStartA()) << " to " << Number(g.GetStopA()) << ", window B "
            << Number(g.GetStartB()) << " to " << Number(g.GetStopB()) << ", operator "
            << (op >= 0 && op < 4 ? std::string("\"") + kOperators[op] + "\""
                                  : "code " + std::to_string(op))
            << ", alpha " << Number(g.GetAlpha()) << ", square root "
            << (g.GetSquareRoot() ? "ON" : "OFF") << "\n";
    }

    out << "Events: " << record.GetEventCount() << "\n";
    for (int i = 0; i < record.GetEventCount(); ++i) {
        const CBaseEventData* e = record.GetEvent(i);
        std::string code = CTimedEventData::ToString(static_cast<EventCode>(e->GetEventCode()));
        out << "  Event " << i + 1 << ": time " << Number(e->GetEventTime()) << ", "
            << (code.empty() ? "unknown code " + std::to_string(e->GetEventCode()) : code)
            << ", channel " << e->GetEventChannel() << ", value " << Number(e->GetEventValue())
            << "\n";
    }
}

// Both formats open with the same tag; the sizes tell them apart.
int InspectTaggedFile(std::span<const uint8_t> bytes, std::ostream& out, std::string& error)
{
    CConfigFile config;
    std::string message;
    if (bytes.size() >= 404) {
        const int32_t events = le::GetI32(&bytes[400]);
        if (events >= 0 && bytes.size() == 404 + 32 * static_cast<uint64_t>(events) &&
            config.Parse(bytes, message)) {
            PrintConfigFile(config, bytes.size(), out);
            return 1;
        }
    }
    CBaseConfigDataIo record;
    size_t used = 0;
    if (record.Parse(bytes, used, message) && used == bytes.size()) {
        PrintCompactRecord(record, bytes.size(), out);
        return 1;
    }
    // Neither fits exactly: explain the damage in the terms of the likelier kind.
    message.clear();
    if (bytes.size() >= 400 && !config.Parse(bytes, message)) {
        error = "damaged configuration file: " + message;
    } else if (bytes.size() >= 400) {
        error = "damaged configuration file: " +
                std::to_string(bytes.size() - ConfigBlocks::SequenceSize(config.GetEventCount()) - 4) +
                " bytes follow the last event";
    } else {
        error = "damaged configuration file: " + std::to_string(bytes.size()) +
                " bytes is too short for a configuration (404 bytes at least) and does not hold a "
                "whole compact configuration record";
    }
    return 0;
}

std::string PulseLine(const CPulseData& p)
{
    int lo = 0, hi = 0;
    if (p.GetDataCount() > 0) {
        const auto [minIt, maxIt] = std::minmax_element(p.Samples().begin(), p.Samples().end());
        lo = *minIt;
        hi = *maxIt;
    }
    char text[200];
    std::snprintf(text, sizeof text,
                  "index %ld, time %.2f s, %d samples (%d to %d), dark current %u, offsets %u/%u, "
                  "T-delay %.4f, frequency %.2f /s",
                  p.GetPulseIndex(), p.GetPulseTime() / 100.0, p.GetDataCount(), lo, hi,
                  p.GetDarkCurrent(), p.GetCh1Offset(), p.GetCh2Offset(), p.GetTDelay(),
                  p.GetFrequencyPulse());
    return text;
}

int InspectDataFile(const std::string& path, std::ostream& out, std::string& error)
{
    CDataFileHeader header;
    CSalvageReport report;
    CPulseData first, last;
    const int ok = CDataFileReader::Read(
        path, header,
        [&](const CPulseData& pulse) {
            if (report.foundCount == 1)
                first = pulse;
            last = pulse;
            return true;
        },
        report, error);
    if (!ok && report.fileSize == 0)
        return 0;
    if (!ok && error.find("holds no pulses") == std::string::npos)
        return 0;
    char when[64];
    if (header.hour < 0 || header.year == 0)
        std::snprintf(when, sizeof when, "unknown");
    else
        std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d", header.year, header.month,
                      header.day, header.hour, header.minute);
    out << "Data file (.KLYN), " << report.fileSize << " bytes\n"
        << "Recording started: " << when << "\n";
    printer::PrintGates(out, header.config.gates);
    printer::PrintBoard(out, header.config.board);
    printer::PrintChannels(out, header.config.channels);
    printer::PrintEvents(out, header.config.events);
    out << "Pulses: " << report.foundCount;
    if (report.storedCount != report.foundCount)
        out << " (the header says " << report.storedCount << ")";
    out << "\n";
    if (report.foundCount > 0) {
        out << "  First pulse: " << PulseLine(first) << "\n"
            << "  Last pulse:  " << PulseLine(last) << "\n";
        const long span = last.GetPulseTime() - first.GetPulseTime();
        if (span > 0)
            out << "  Run time covered: " << Number(span / 100.0) << " s\n";
    } else {
        out << "  The recording holds no pulses.\n";
    }
    if (!report.Clean())
        out << "Salvage: " << report.Text() << "\n";
    error.clear();
    return 1;
}

int InspectCompactDataFile(const std::string& path, std::ostream& out, std::string& error)
{
    CBaseKLYNData data;
    CBaseConfigDataIo config;
    int done = 0;
    if (!data.ReadHeader(config, path, error, done)) {
        if (error.empty())
            error = "the compact data file cannot be read";
        return 0;
    }
    char when[64];
    if (data.GetHour() < 0 || data.GetYear() == 0)
        std::snprintf(when, sizeof when, "unknown");
    else
        std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d", data.GetYear(), data.GetMonth(),
                      data.GetDay(), data.GetHour(), data.GetMinute());
    std::vector<uint8_t> image;
    config.Append(image);
    out << "Compact data file, recording started " << when << "\n";
    PrintCompactRecord(config, image.size(), out);
    const int count = data.GetPulseCount();
    out << "Pulses: " << count << (data.GetbUseDeltas() ? " (started by hand: times rebuilt from the pulse intervals)" : "")
        << "\n";
    CBaseDVPulseData reader;
    if (count > 0 && reader.SetFilePath(path)) {
        CBaseDVPulseData pulse;
        pulse.SetFilePath(path);
        pulse.SetHeaderOffset(static_cast<uint32_t>(data.GetFirstPulseOffset()));
        for (int index : {0, count - 1}) {
            int found = -1;
            if (reader.ToPulse(index, count, found, pulse, data))
                out << (index == 0 ? "  First pulse: " : "  Last pulse:  ") << "time "
                    << Number(pulse.GetTimeFromStart() / 100.0) << " s, " << pulse.GetNumberDataValues()
                    << " samples\n";
        }
    }
    out << "Run log: " << config.GetRunLog().size() << " lines\n";
    for (std::string line : config.GetRunLog()) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        out << "  " << line << "\n";
    }
    return 1;
}

int InspectIniFile(const std::string& path, std::ostream& out, std::string& error)
{
    CGenIniFileReader reader;
    if (reader.Load(path) != 0) {
        error = "cannot read settings file: " + reader.GetMessage();
        return 0;
    }
    const auto nodes = reader.GetNodes();
    out << "INI settings file, " << reader.GetFileSize() << " bytes\n"
        << "Entries: " << nodes.size() << "\n";
    for (const CNodeElement& node : nodes)
        out << "  " << node.GetKey() << " = " << node.GetValue() << "\n";

    // The values as the program reads them, defaults for what is missing.
    const bool analyzer = Lower(path).find("analyzer") != std::string::npos;
    const ProgramKind kind = CProgramKind::Get();
    CProgramKind::Set(analyzer ? ProgramKind::Analyzer : ProgramKind::Monitor);
    CQuillonIniConfig::Reset();
    class CQuiet : public IMessageSink {
        int Show(const std::string&, const std::string&, MessageIcon, MessageButtons) override
        {
            return IDOK;
        }
    } quiet;
    IMessageSink* previous = CMessageService::SetSink(&quiet); // warnings were shown above
    CQuillonIniConfig::Initialize(path);
    CMessageService::SetSink(previous);

    out << (analyzer ? "Settings as the Analyzer reads them\n" : "Settings as the Monitor reads them\n")
        << "  EnableDebugLog:            " << (CQuillonIniConfig::EnableDebugLog() ? 1 : 0) << "\n";
    if (!analyzer)
        out << "  BaudRate:                  " << CQuillonIniConfig::BaudRate() << "\n"
            << "  PulseGraphMinX:            " << CQuillonIniConfig::PulseGraphMinX() << "\n"
            << "  PulseGraphMaxX:            " << CQuillonIniConfig::PulseGraphMaxX() << "\n"
            << "  PulseGraphMinY:            " << CQuillonIniConfig::PulseGraphMinY() << "\n"
            << "  PulseGraphMaxY:            " << CQuillonIniConfig::PulseGraphMaxY() << "\n"
            << "  EnablePulseLog:            " << CQuillonIniConfig::EnablePulseLog() << "\n"
            << "  ZoomOutShortCutKey:        " << CQuillonIniConfig::ZoomOutShortCutKeyValue() << "\n"
            << "  IsOnline:                  " << (CQuillonIniConfig::IsOnline() ? 1 : 0) << "\n"
            << "  FrequencyCorrectionfactor: "
            << Number(CQuillonIniConfig::FrequencyCorrectionfactor()) << "\n";
    CProgramKind::Set(kind);
    CQuillonIniConfig::Reset();
    return 1;
}

} // namespace

int InspectFile(const std::string& path, std::ostream& out, std::string& error)
{
    FileKind kind = FileKind::Other;
    uint64_t size = 0;
    if (!CFileKind::RecogniseFile(path, kind, size, error))
        return 0;
    error.clear();
    int ok = 0;
    switch (kind) {
    case FileKind::Empty: error = "the file is empty"; break;
    case FileKind::DataFile:
        // Read record by record: a recording may be far larger than memory.
        if (!(ok = InspectDataFile(path, out, error)))
            error = "damaged data file: " + error;
        break;
    case FileKind::CompactDataFile:
        if (!(ok = InspectCompactDataFile(path, out, error)))
            error = "damaged compact data file: " + error;
        break;
    case FileKind::IniFile: ok = InspectIniFile(path, out, error); break;
    default: {
        std::vector<uint8_t> bytes;
        std::string reason;
        if (!ReadFileBytes(path, bytes, reason, 64u * 1024u * 1024u)) {
            error = "cannot read " + path + ": " + reason;
            return 0;
        }
        if (kind == FileKind::ConfigFile || kind == FileKind::CompactConfigRecord)
            ok = InspectTaggedFile(bytes, out, error);
        else if (kind == FileKind::ConnectionList)
            ok = inspect::PrintConnectionList(bytes, out, error);
        else if (kind == FileKind::LimitSettings)
            ok = inspect::PrintLimitSettings(bytes, out, error);
        else if (!(ok = inspect::PrintDataSettings(bytes, out, reason)))
            error = "not a Tarvolin file: no configuration tag, and not one of the settings files (" +
                    reason + ")";
        break;
    }
    }
    if (!ok)
        error = path + ": " + error;
    return ok;
}

} // namespace cli
