// `tarvolin instruments`: a script's session on the list, step by step, with
// what it prints and its exit codes; the Launcher's refusals word for word;
// a damaged list named and repaired. The list lives in a scratch common data
// folder, as on a fresh workstation.
#include "Commands.h"
#include "InstrumentConnections.h"
#include "ScopedEnv.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Step {
    std::vector<std::string> args;
    int code;
    std::string out; // the whole of standard output
    std::string err; // a part of standard error (empty: nothing at all)
};

class InstrumentsCommandTest : public testing::Test {
protected:
    testsupport::CTempDir m_dir;
    testsupport::CScopedEnv m_common{"TARVOLIN_COMMON_DATA", m_dir.Path().string()};
    std::string m_database = m_dir.Path().string() + "/Corvanth/Tarvolin/Tarvolin Monitor/Database";

    void Play(const std::vector<Step>& steps)
    {
        for (const Step& step : steps) {
            std::vector<std::string> args = {"instruments"};
            args.insert(args.end(), step.args.begin(), step.args.end());
            std::ostringstream out, err;
            const int code = cli::Run(args, out, err);
            std::string line;
            for (const std::string& a : args)
                line += " [" + a + "]";
            EXPECT_EQ(code, step.code) << line << "\n" << err.str();
            EXPECT_EQ(out.str(), step.out) << line;
            if (step.err.empty())
                EXPECT_EQ(err.str(), "") << line;
            else
                EXPECT_NE(err.str().find(step.err), std::string::npos) << line << "\n" << err.str();
        }
    }
};

} // namespace

TEST_F(InstrumentsCommandTest, AScriptSetsUpAWorkstation)
{
    const std::string lab = m_database + "/GC Lab 1";
    const std::string sued = m_database + "/Gerät \"Süd\"";
    Play({
        {{"list"}, 0, "", ""},
        {{"add", "GC Lab 1", "--port", "3"},
         0,
         "Tarvolin instrument has been created: \"GC Lab 1\" on COM3, settings in \"" + lab +
             "\"\n",
         ""},
        {{"add", "--port=8", " Gerät \"Süd\" "},
         0,
         "Tarvolin instrument has been created: \"Gerät \"Süd\"\" on COM8, settings in \"" + sued +
             "\"\n",
         ""},
        {{"list"}, 0, "COM3\tGC Lab 1\nCOM8\tGerät \"Süd\"\n", ""},
        // Messages name the instrument as the list holds it.
        {{"modify", "gc lab 1", "--port", "5"},
         0,
         "Tarvolin instrument has been modified: \"GC Lab 1\" on COM5\n",
         ""},
        // Only ASCII letters are compared without case.
        {{"remove", "GERäT \"SÜD\""},
         1,
         "",
         "No instrument named \"GERäT \"SÜD\"\" is in the list."},
        {{"remove", "GERäT \"Süd\""},
         0,
         "Tarvolin instrument has been deleted: \"Gerät \"Süd\"\" (its settings folder \"" + sued +
             "\" stays)\n",
         ""},
        {{"list"}, 0, "COM5\tGC Lab 1\n", ""},
    });
    EXPECT_TRUE(fs::is_regular_file(lab + "/Config/TarvolinMonitorIniSettings.ini"));
    EXPECT_TRUE(fs::is_directory(sued)) << "the settings folder stays";
}

TEST_F(InstrumentsCommandTest, RefusesWhatTheLauncherRefusesInItsWords)
{
    std::string msg;
    ASSERT_EQ(CInstrumentConnections().Add("GC1", 1, msg), 1) << msg;
    for (const std::string name : {"", "../x", "a/b", ".", "Default", "COMMON", "A\nB"}) {
        std::string why;
        ASSERT_EQ(CInstrumentConnections::CheckName(name, why), 0) << name;
        Play({{{"add", name, "--port", "2"}, 1, "", "tarvolin: " + why + "\n"}});
    }
    Play({
        {{"add", "gc1", "--port", "2"},
         1,
         "",
         "tarvolin: An instrument named \"gc1\" is already in the list (as \"GC1\"). Please "
         "choose another Instrument ID.\n"},
        {{"list"}, 0, "COM1\tGC1\n", ""},
    });
    EXPECT_FALSE(fs::exists(m_dir.Path() / "Corvanth/Tarvolin/Tarvolin Monitor/x"));
}

TEST_F(InstrumentsCommandTest, WrongCommandLinesSayWhatIsMissing)
{
    Play({
        {{}, 2, "", "ACTION"},
        {{"rename", "x"}, 2, "", "\"rename\" is none of list, add, modify, remove, repair"},
        {{"add", "GC1"}, 1, "", "give the port with --port N"},
        {{"add", "--port", "2"}, 1, "", "name the instrument"},
        {{"add", "GC1", "--port", "9"}, 2, "", "--port: 9 is out of range (1 to 8)"},
        {{"add", "GC1", "--port", "0x2"}, 2, "", "--port"},
        {{"remove", "GC1", "--port", "2"}, 1, "", "takes no --port"},
        {{"list", "GC1"}, 1, "", "takes no name"},
        {{"add", "GC1", "--port", "2", "extra"}, 2, "", "unexpected argument \"extra\""},
    });
    EXPECT_FALSE(fs::exists(m_database)) << "nothing was created by a wrong command line";
}

TEST_F(InstrumentsCommandTest, ADamagedListIsNamedAndRepairedOnRequest)
{
    CInstrumentConnections connections;
    std::string msg;
    ASSERT_EQ(connections.Add("GC1", 1, msg), 1) << msg;
    ASSERT_EQ(connections.Add("GC2", 2, msg), 1) << msg;
    const std::string list = connections.GetListPath();
    fs::resize_file(list, fs::file_size(list) - 1);

    Play({
        {{"list"}, 1, "", "is damaged"},
        {{"add", "GC3", "--port", "3"}, 1, "", "'tarvolin instruments repair' keeps a copy"},
        {{"repair"},
         0,
         "The damaged list is kept as \"" + list +
             ".damaged\"; the instrument list now holds 1 instrument.\n",
         ""},
        {{"list"}, 0, "COM1\tGC1\n", ""},
        {{"repair"}, 1, "", "is not damaged"},
    });
}
