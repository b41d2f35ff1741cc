// `tarvolin analyze`, `export-aia` and `report` on recordings written in the
// test: what they print and write is what the analysis library computes for
// the same recording, to the bit; usage errors are refused with status 2.
#include "AiaExportModel.h"
#include "ChildProcess.h"
#include "ChromatogramCsv.h"
#include "Commands.h"
#include "ConfigFile.h"
#include "ConfigReport.h"
#include "DVDocData.h"
#include "Recordings.h"
#include "ReportCommand.h"
#include "TerminalProgress.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <netcdf.h>
#include <regex>
#include <sstream>

namespace {

using recordings::Gate;

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result RunCli(std::vector<std::string> args)
{
    std::ostringstream out, err;
    int code = cli::Run(args, out, err);
    return {code, out.str(), err.str()};
}

std::string Nine(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::vector<std::string> SplitCsv(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ','))
        fields.push_back(field);
    return fields;
}

// A run of 40 pulses 0.14 s apart from 10.00 s, with two gates set: S over
// samples 10..20 less half of 30..40, and P over 50..60 "+" 0.25 x 100..120.
CDataFileHeader TwoGateHeader()
{
    CDataFileHeader header = recordings::SimpleHeader();
    header.config.gates[0] = Gate(GM_S, 1.0, 2.0, 3.0, 4.0, GO_MINUS, 0.5);
    header.config.gates[1] = Gate(GM_P, 5.0, 6.0, 10.0, 12.0, GO_PLUS, 0.25, true);
    return header;
}

std::vector<CPulseData> Pulses(int n, int firstTime = 1000)
{
    std::vector<CPulseData> pulses;
    for (int k = 0; k < n; ++k)
        pulses.push_back(
            recordings::Ramp(100 + 37 * k, 0.25 + 0.01 * k, 7 + k % 3, firstTime + 14 * k, k + 1));
    return pulses;
}

class AnalysisCommand : public testing::Test {
protected:
    std::string Record(const std::string& name, const std::vector<CPulseData>& pulses,
                       const CDataFileHeader& header = TwoGateHeader())
    {
        const std::string path = dir.File(name);
        recordings::Write(path, header, pulses);
        return path;
    }
    // The same recording opened by the library, as the Analyzer would.
    void OpenLibrary(ODVDocData& doc, const std::string& path, const std::string& cnfg = "")
    {
        std::string message;
        ASSERT_EQ(doc.Open(path, message), 1) << message;
        if (!cnfg.empty()) {
            ASSERT_EQ(doc.OpenCfgFile(cnfg, message), 1) << message;
        }
    }

public:
    // A set-up whose first gate looks elsewhere in the pulse.
    std::string OtherSetUp()
    {
        CConfigFile file;
        CGateParameters gates = TwoGateHeader().config.gates;
        gates[0] = Gate(GM_C, 20.0, 22.0, 0.0, 0.0, GO_MINUS, 0.0);
        file.SetGateParameters(gates);
        CChannelParameters channels;
        channels[0].SetGateIndex(1);
        channels[0].SetChannelZero(3);
        file.SetChannelParameters(channels);
        const std::string path = dir.File("other.cnfg");
        std::string message;
        EXPECT_EQ(file.Save(path, message), 1) << message;
        return path;
    }

    testsupport::CTempDir dir;
};

TEST_F(AnalysisCommand, AnalyzePrintsTheSummaryAndWritesTheTracesBitForBit)
{
    const std::string path = Record("run.KLYN", Pulses(40));
    const std::string csv = dir.File("run.csv");
    Result r = RunCli({"analyze", path, "--csv", csv});
    ASSERT_EQ(r.code, 0) << r.err;

    ODVDocData doc;
    OpenLibrary(doc, path);
    const OChromatogram& c = doc.GetChromatogram();
    ASSERT_EQ(c.GetCount(), 40);
    EXPECT_NE(r.out.find("Recording: " + path + "\nPulses:    40\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Time span: 10.00 s to 15.46 s (5.46 s)\n"), std::string::npos) << r.out;
    for (int m = 0; m < 2; ++m) {
        const auto& trace = c.traces[static_cast<size_t>(m)];
        const auto [lo, hi] = std::minmax_element(trace.begin(), trace.end());
        char line[128];
        std::snprintf(line, sizeof line, "%4d  %-12s %12s %16s\n", m + 1,
                      m == 0 ? "Mode S" : "Mode P", Nine(*lo).c_str(), Nine(*hi).c_str());
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    }
    EXPECT_NE(r.out.find("CSV:       " + csv + " (40 rows and a header)\n"), std::string::npos);
    EXPECT_EQ(r.out.find("Note:"), std::string::npos) << r.out;

    std::ifstream in(csv);
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "Time (s),Mode S,Mode P,Gate 3,Gate 4,Gate 5");
    int rows = 0;
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = SplitCsv(line);
        ASSERT_EQ(fields.size(), 6u) << line;
        const auto k = static_cast<size_t>(rows);
        ASSERT_LT(k, c.times.size());
        const auto same = [](const std::string& text, float value) {
            char* end = nullptr;
            const float read = std::strtof(text.c_str(), &end);
            return *end == '\0' && std::memcmp(&read, &value, sizeof read) == 0;
        };
        EXPECT_TRUE(same(fields[0], c.times[k])) << "row " << k << ": " << fields[0];
        for (size_t m = 0; m < 5; ++m)
            EXPECT_TRUE(same(fields[m + 1], c.traces[m][k]))
                << "row " << k << " trace " << m << ": " << fields[m + 1] << " for "
                << Nine(c.traces[m][k]);
        ++rows;
    }
    EXPECT_EQ(rows, 40);
}

TEST_F(AnalysisCommand, AnalyzeWithASetUpFileComputesWithItsGates)
{
    const std::string path = Record("run.KLYN", Pulses(12));
    const std::string cnfg = OtherSetUp();
    const std::string csv = dir.File("other.csv");
    Result r = RunCli({"analyze", "--cnfg", cnfg, path, "--csv", csv});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Set-up:    " + cnfg + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("   1  Mode C "), std::string::npos) << r.out;

    ODVDocData plain, withSetUp;
    OpenLibrary(plain, path);
    OpenLibrary(withSetUp, path, cnfg);
    OChromatogramCsv::Names names{"Mode C", "Mode P", "Gate 3", "Gate 4", "Gate 5"};
    std::ifstream in(csv);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, OChromatogramCsv::Text(withSetUp.GetChromatogram(), names));
    EXPECT_NE(withSetUp.GetChromatogram().traces[0], plain.GetChromatogram().traces[0]);
}

struct NoteCase {
    const char* name;
    std::function<void(CDataFileHeader&, std::vector<CPulseData>&)> shape;
    bool unfinished; // the count was never written
    std::string note;
};

class AnalyzeNotes : public AnalysisCommand, public testing::WithParamInterface<NoteCase> {};

TEST_P(AnalyzeNotes, SayWhatTheAnalyzerWouldNote)
{
    CDataFileHeader header = TwoGateHeader();
    std::vector<CPulseData> pulses = Pulses(15);
    GetParam().shape(header, pulses);
    const std::string path = Record("noted.KLYN", pulses, header);
    if (GetParam().unfinished) {
        // A recorder that was killed before its first checkpoint: count 0.
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(header.CountPosition()));
        const char zero[4] = {};
        file.write(zero, 4);
    }
    Result r = RunCli({"analyze", path});
    ASSERT_EQ(r.code, 0) << r.err;
    ODVDocData doc;
    OpenLibrary(doc, path);
    std::string expected = GetParam().note;
    if (expected == "salvage")
        expected = "Note: " + doc.GetSalvageNote() + "\n";
    else if (expected == "time axis")
        expected = "Note: " + doc.GetTimeAxisNote() + "\n";
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    EXPECT_NE(r.out.find("Pulses:    15\n"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Recordings, AnalyzeNotes,
    testing::Values(
        NoteCase{"Salvaged", [](CDataFileHeader&, std::vector<CPulseData>&) {}, true, "salvage"},
        NoteCase{"RebuiltTimeAxis",
                 [](CDataFileHeader&, std::vector<CPulseData>& pulses) {
                     for (CPulseData& p : pulses)
                         p.SetPulseTime(0);
                 },
                 false, "time axis"},
        NoteCase{"ClampedGate",
                 [](CDataFileHeader& header, std::vector<CPulseData>&) {
                     header.config.gates[1] = Gate(GM_P, 20.0, 30.0, 0.0, 0.0, GO_MINUS, 0.0);
                 },
                 false,
                 "Note: gate 2 (Mode P) reaches outside the pulse; its windows were clamped to "
                 "the pulse's samples.\n"}),
    [](const testing::TestParamInfo<NoteCase>& info) { return std::string(info.param.name); });

// A small reader of what the test asks of an AIA file.
class CdfFile {
public:
    explicit CdfFile(const std::string& path)
        : m_ok(nc_open(path.c_str(), NC_NOWRITE, &m_id) == NC_NOERR)
    {
    }
    ~CdfFile()
    {
        if (m_ok)
            nc_close(m_id);
    }
    bool Ok() const { return m_ok; }
    int Format() const
    {
        int format = -1;
        nc_inq_format(m_id, &format);
        return format;
    }
    std::string Text(const char* name) const
    {
        size_t length = 0;
        if (nc_inq_attlen(m_id, NC_GLOBAL, name, &length) != NC_NOERR)
            return "<missing>";
        std::string text(length, '\0');
        nc_get_att_text(m_id, NC_GLOBAL, name, text.data());
        return text;
    }
    float FloatAttribute(const char* name) const
    {
        float value = -1.0f;
        nc_get_att_float(m_id, NC_GLOBAL, name, &value);
        return value;
    }
    float Scalar(const char* name) const
    {
        int var = -1;
        float value = -1.0f;
        if (nc_inq_varid(m_id, name, &var) == NC_NOERR)
            nc_get_var_float(m_id, var, &value);
        return value;
    }
    std::vector<float> Ordinates() const
    {
        int dim = -1, var = -1;
        size_t points = 0;
        nc_inq_dimid(m_id, "point_number", &dim);
        nc_inq_dimlen(m_id, dim, &points);
        std::vector<float> values(points);
        if (nc_inq_varid(m_id, "ordinate_values", &var) == NC_NOERR && points > 0)
            nc_get_var_float(m_id, var, values.data());
        return values;
    }

private:
    int m_id = -1;
    bool m_ok = false;
};

TEST_F(AnalysisCommand, ExportAiaWritesAFileWithTheOptionsApplied)
{
    const std::string path = Record("run.KLYN", Pulses(40));
    const std::string out = dir.File("gate2.cdf");
    Result r = RunCli({"export-aia", path, "--gate", "2", "--rate", "20", "--unit", "min",
                       "--field", "ExpTitle=Calibration, day 2", "--field", "operator=J. Doe",
                       "--field=SampleType=blank", "--field", "InjectionVolume=1.5", "--field",
                       "Units=uV", out});
    ASSERT_EQ(r.code, 0) << r.err;

    CdfFile file(out);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.Format(), NC_FORMAT_CLASSIC);
    EXPECT_EQ(file.Text("experiment_title"), "Calibration, day 2");
    EXPECT_EQ(file.Text("operator_name"), "J. Doe");
    EXPECT_EQ(file.Text("sample_type"), "blank");
    EXPECT_EQ(file.Text("detector_unit"), "uV");
    EXPECT_EQ(file.Text("retention_unit"), "minutes");
    EXPECT_EQ(file.Text("detection_method_table_name"), "P");
    EXPECT_EQ(file.Text("detector_method_comments"), "<5.0,6.0><+><0.250><10.0,12.0><sqrt ON>");
    EXPECT_EQ(file.FloatAttribute("sample_injection_volume"), 1.5f);
    EXPECT_EQ(file.Scalar("actual_sampling_interval"), (1.0f / 20.0f) / 60.0f);
    EXPECT_EQ(file.Scalar("actual_delay_time"), 10.0f / 60.0f);
    // 10.00 s to 15.46 s at 20 Hz: 110 points.
    const std::vector<float> values = file.Ordinates();
    EXPECT_EQ(values.size(), 110u);
    EXPECT_NE(r.out.find("Exported gate 2 (Mode P) of " + path + " into " + out + "\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  110 points at 20 Hz, delay 0.1667 min, run time 0.091 min"),
              std::string::npos)
        << r.out;

    // The same export through the library: the same values.
    ODVDocData doc;
    OpenLibrary(doc, path);
    OAiaExportModel model;
    OAiaMapProfile profile;
    std::string message;
    model.Init(OAiaExportModel::InputsFrom(doc, 1), profile, message);
    ASSERT_EQ(model.SetSamplingRate(2, message), 1);
    model.SetRetentionUnit(1);
    const std::string reference = dir.File("reference.cdf");
    ASSERT_EQ(model.Export(reference, doc.GetChromatogram(), 1, nullptr, message), 1) << message;
    EXPECT_EQ(values, CdfFile(reference).Ordinates());

    const std::string dump = dir.File("dump.txt");
    const std::string command =
        std::string(TARVOLIN_NCDUMP) + " -h '" + out + "' > '" + dump + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream text(dump);
    const std::string header((std::istreambuf_iterator<char>(text)),
                             std::istreambuf_iterator<char>());
    EXPECT_NE(header.find("point_number = 110 ;"), std::string::npos) << header;
    EXPECT_NE(header.find(":experiment_title = \"Calibration, day 2\" ;"), std::string::npos);
}

TEST_F(AnalysisCommand, ExportAiaOfARecordingWithoutAStartTimeSaysSo)
{
    CDataFileHeader header = TwoGateHeader();
    header.year = 0;
    header.hour = -1;
    const std::string path = Record("clockless.KLYN", Pulses(12), header);
    const std::string out = dir.File("clockless.cdf");
    Result r = RunCli({"export-aia", path, "--gate", "1", out});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Note: " + std::string(OAiaExportModel::kUnknownStartNote)),
              std::string::npos)
        << r.out;
    CdfFile file(out);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.Text("injection_date_time_stamp"), "<missing>");
    EXPECT_EQ(file.Scalar("actual_sampling_interval"), 0.1f) << "10 Hz and seconds by default";
}

TEST_F(AnalysisCommand, ReportPrintsTheLibrarysLines)
{
    CDataFileHeader header = TwoGateHeader();
    CTimedEventData e;
    e.SetEventTime(1.5);
    e.SetEventCode(EC_IGNITOR_CURRENT);
    e.SetEventValue(1.5);
    header.config.events.AddTimedEvent(e);
    const std::string path = Record("run.KLYN", Pulses(12), header);
    Result r = RunCli({"report", path});
    ASSERT_EQ(r.code, 0) << r.err;
    ODVDocData doc;
    OpenLibrary(doc, path);
    EXPECT_EQ(r.out, OConfigReport::Text(OReportInputs::FromDocument(doc)));
    EXPECT_NE(r.out.find("1.50 AMPS"), std::string::npos) << r.out;

    const std::string cnfg = OtherSetUp();
    r = RunCli({"report", path, "--cnfg", cnfg});
    ASSERT_EQ(r.code, 0) << r.err;
    ODVDocData other;
    OpenLibrary(other, path, cnfg);
    EXPECT_EQ(r.out, OConfigReport::Text(OReportInputs::FromDocument(other)));
}

TEST_F(AnalysisCommand, ReportOffersAPdfOnlyWhenItIsGivenAWriter)
{
    const std::string path = Record("run.KLYN", Pulses(12));
    CCommandSet plain("tarvolin");
    plain.Add("report", "print a report", [] { return std::make_unique<cli::CReportCommand>(); });
    std::ostringstream plainOut, plainErr;
    EXPECT_EQ(plain.Run({"report", path, "--pdf", dir.File("r.pdf")}, plainOut, plainErr), 2);

    std::string written;
    CCommandSet commands("tarvolin");
    commands.Add("report", "print a report", [&] {
        return std::make_unique<cli::CReportCommand>(
            [&](const ODVDocData& doc, const std::string& pdf, std::string&) {
                written = doc.GetFileName() + " -> " + pdf;
                return 1;
            });
    });
    std::ostringstream out, err;
    ASSERT_EQ(commands.Run({"report", path, "--pdf", dir.File("r.pdf")}, out, err), 0) << err.str();
    EXPECT_EQ(written, "run.KLYN -> " + dir.File("r.pdf"));
    EXPECT_EQ(out.str(), "Report of run.KLYN written to " + dir.File("r.pdf") + "\n")
        << "the PDF instead of the text";
}

// The tool as a user runs it, without a display: the report's two pages, and
// a target that cannot take the file refused with the reason.
TEST_F(AnalysisCommand, ReportPdfEndToEnd)
{
    const std::string path = Record("run.KLYN", Pulses(40), TwoGateHeader());
    const std::string pdf = dir.File("run.pdf");
    const std::vector<std::string> noDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
    testsupport::CProgramResult r =
        testsupport::RunProgram({TARVOLIN_CLI_PATH, "report", path, "--pdf", pdf}, noDisplay);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Report of run.KLYN written to " + pdf + "\n");
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    const std::regex page("/Type\\s*/Page[^s]");
    EXPECT_EQ(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), {}), 2);

    std::filesystem::create_directory(dir.File("folder.pdf"));
    r = testsupport::RunProgram(
        {TARVOLIN_CLI_PATH, "report", path, "--pdf", dir.File("folder.pdf")}, noDisplay);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("\"" + dir.File("folder.pdf") + "\" is not a regular file"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.pdf")));
    EXPECT_EQ(r.out, "");
}

struct Failure {
    const char* name;
    std::function<std::vector<std::string>(AnalysisCommand&)> args;
    std::string error;
};

class AnalysisFailure : public AnalysisCommand, public testing::WithParamInterface<Failure> {};

TEST_P(AnalysisFailure, EndsWithStatusOneAndTheReason)
{
    Result r = RunCli(GetParam().args(*this));
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.err.find(GetParam().error), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnalysisFailure,
    testing::Values(
        Failure{"NotARecording",
                [](AnalysisCommand& t) {
                    std::ofstream(t.dir.File("x.KLYN")) << "not a recording";
                    return std::vector<std::string>{"analyze", t.dir.File("x.KLYN")};
                },
                "x.KLYN: Could not open the document."},
        Failure{"ASetUpFileForTheRecording",
                [](AnalysisCommand& t) {
                    return std::vector<std::string>{"analyze", t.OtherSetUp()};
                },
                "other.cnfg is not a recording (.KLYN): it is a board set-up file"},
        Failure{"NinePulses",
                [](AnalysisCommand& t) {
                    recordings::Write(t.dir.File("nine.KLYN"), TwoGateHeader(), Pulses(9));
                    return std::vector<std::string>{"report", t.dir.File("nine.KLYN")};
                },
                "nine.KLYN: Problem reading document."},
        Failure{"CsvIntoAMissingFolder",
                [](AnalysisCommand& t) {
                    recordings::Write(t.dir.File("run.KLYN"), TwoGateHeader(), Pulses(10));
                    return std::vector<std::string>{"analyze", t.dir.File("run.KLYN"), "--csv",
                                                    t.dir.File("none/run.csv")};
                },
                "cannot write "},
        Failure{"SetUpThatIsNoSetUp",
                [](AnalysisCommand& t) {
                    recordings::Write(t.dir.File("run.KLYN"), TwoGateHeader(), Pulses(10));
                    return std::vector<std::string>{
                        "export-aia", t.dir.File("run.KLYN"), "--gate",           "1",
                        "--cnfg",     t.dir.File("run.KLYN"), t.dir.File("o.cdf")};
                },
                "run.KLYN is not a configuration file."}),
    [](const testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

struct Usage {
    const char* name;
    std::vector<std::string> args;
    std::string error;
};

class AnalysisUsage : public testing::TestWithParam<Usage> {};

TEST_P(AnalysisUsage, IsRefusedBeforeAnythingIsRead)
{
    Result r = RunCli(GetParam().args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(GetParam().error), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: tarvolin " + GetParam().args[0]), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnalysisUsage,
    testing::Values(
        Usage{"GateMissing",
              {"export-aia", "r.KLYN", "o.cdf"},
              "the gate number is missing: give --gate N"},
        Usage{"GateZero",
              {"export-aia", "r.KLYN", "--gate", "0", "o.cdf"},
              "--gate: 0 is out of range (1 to 5)"},
        Usage{"GateSix",
              {"export-aia", "r.KLYN", "--gate", "6", "o.cdf"},
              "--gate: 6 is out of range (1 to 5)"},
        Usage{"BadRate",
              {"export-aia", "r.KLYN", "--gate", "1", "--rate", "15", "o.cdf"},
              "--rate: 15 is not one of 5, 10, 20, 50"},
        Usage{"BadUnit",
              {"export-aia", "r.KLYN", "--gate", "1", "--unit", "hours", "o.cdf"},
              "--unit: \"hours\" is not sec or min"},
        Usage{"UnknownField",
              {"export-aia", "r.KLYN", "--gate", "1", "--field", "Colour=red", "o.cdf"},
              "--field: there is no export field \"Colour\"; the fields are ExpTitle, "},
        Usage{"FieldWithoutValue",
              {"export-aia", "r.KLYN", "--gate", "1", "--field", "ExpTitle", "o.cdf"},
              "--field: \"ExpTitle\" is not NAME=VALUE"},
        Usage{"FieldNotANumber",
              {"export-aia", "r.KLYN", "--gate", "1", "--field", "InjectionVolume=lots", "o.cdf"},
              "--field: InjectionVolume takes a number, not \"lots\""},
        Usage{"FieldNotAChoice",
              {"export-aia", "r.KLYN", "--gate", "1", "--field", "Units=mA", "o.cdf"},
              "--field: Units takes one of nA, uV, not \"mA\""},
        Usage{"RateAsAField",
              {"export-aia", "r.KLYN", "--gate", "1", "--field", "ActualSplInterval=2", "o.cdf"},
              "the sampling rate is set with --rate"},
        Usage{"OutputMissing",
              {"export-aia", "r.KLYN", "--gate", "1"},
              "the AIA file to write is missing"},
        Usage{"AnalyzeTwoFiles", {"analyze", "a.KLYN", "b.KLYN"}, "unexpected argument \"b.KLYN\""},
        Usage{"ReportNoFile", {"report"}, "the recording is missing"}),
    [](const testing::TestParamInfo<Usage>& info) { return std::string(info.param.name); });

TEST(TerminalProgress, WritesOneLineOverAndWipesItAtTheEnd)
{
    std::ostringstream terminal;
    cli::CTerminalProgress progress(terminal);
    progress.Start("Calculating chromatogram: ");
    progress.Step("Calculating chromatogram:  5% done", 0.05);
    progress.Step("Loading: 10% done", 0.1);
    progress.End();
    EXPECT_EQ(terminal.str(), "\rCalculating chromatogram: "
                              "\rCalculating chromatogram:  5% done"
                              "\rLoading: 10% done                 "
                              "\r                 \r");
}

} // namespace
