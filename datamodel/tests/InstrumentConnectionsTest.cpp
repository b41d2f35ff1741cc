// The Launcher's commands on the instrument list, as `tarvolin instruments`
// shares them: first-start provisioning, the names that are refused and
// why, where an instrument's folder goes, what Modify, Delete and Repair do
// to the file, and that a damaged or unreadable list is never written over.

#include "InstrumentConnections.h"

#include "CaseName.h"
#include "QuillonIniConfig.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
using testsupport::WriteText;

namespace {

using Bytes = std::vector<uint8_t>;

class InstrumentConnectionsTest : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_database = (m_dir.Path() / "Database").string();
    CInstrumentConnections m_connections{m_database};
    std::string m_msg;

    CGeneralPCSettings ListNow()
    {
        CGeneralPCSettings list;
        std::string msg;
        EXPECT_EQ(m_connections.List(list, msg), 1) << msg;
        return list;
    }
    // Everything below the scratch folder, for "nothing else was touched".
    std::vector<std::string> Tree() const
    {
        std::vector<std::string> paths;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir.Path()))
            paths.push_back(fs::relative(entry.path(), m_dir.Path()).string());
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

} // namespace

TEST_F(InstrumentConnectionsTest, FirstStartCreatesAnEmptyListAndTheTemplate)
{
    ASSERT_EQ(m_connections.Provision(m_msg), 1) << m_msg;
    EXPECT_EQ(ReadBytes(m_connections.GetListPath()), (Bytes{0x00, 0x00}));
    EXPECT_EQ(m_connections.GetListPath(),
              m_database + "/Common/General Config/GeneralSettings.cfg");
    EXPECT_TRUE(fs::is_directory(m_database + "/Default/Logs"));

    // The template's INI file gives the Monitor the values it documents.
    const std::string ini = m_database + "/Default/Config/TarvolinMonitorIniSettings.ini";
    ASSERT_EQ(CQuillonIniConfig::Initialize(ini), 0);
    EXPECT_TRUE(CQuillonIniConfig::EnableDebugLog());
    EXPECT_EQ(CQuillonIniConfig::EnablePulseLog(), 0);
    EXPECT_EQ(CQuillonIniConfig::BaudRate(), 57600);
    EXPECT_TRUE(CQuillonIniConfig::IsOnline());
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMaxY(), 10000000);
    EXPECT_EQ(CQuillonIniConfig::ZoomOutShortCutKeyValue(), 4);
    EXPECT_FLOAT_EQ(CQuillonIniConfig::FrequencyCorrectionfactor(), 1.0f);
    EXPECT_EQ(CQuillonIniConfig::LogFileMaxSizeKB(), 4096);
    EXPECT_EQ(CQuillonIniConfig::LogFileCount(), 4);
    CQuillonIniConfig::Reset();
}

TEST_F(InstrumentConnectionsTest, ProvisioningLeavesWhatExistsAlone)
{
    ASSERT_EQ(m_connections.Add("GC1", 2, m_msg), 1) << m_msg;
    WriteText(m_database + "/Default/Config/TarvolinMonitorIniSettings.ini", "BaudRate=9600\n");
    const Bytes list = ReadBytes(m_connections.GetListPath());
    ASSERT_EQ(m_connections.Provision(m_msg), 1) << m_msg;
    EXPECT_EQ(ReadBytes(m_connections.GetListPath()), list);
    EXPECT_EQ(ReadBytes(m_database + "/Default/Config/TarvolinMonitorIniSettings.ini"),
              (Bytes{'B', 'a', 'u', 'd', 'R', 'a', 't', 'e', '=', '9', '6', '0', '0', '\n'}));
}

TEST_F(InstrumentConnectionsTest, AddWithoutAListCreatesItAndCopiesTheTemplate)
{
    // No provisioning: the first Add on a bare workstation still works.
    ASSERT_EQ(m_connections.Add("  GC Lab 1 ", 3, m_msg), 1) << m_msg;
    const CGeneralPCSettings list = ListNow();
    ASSERT_EQ(list.GetCount(), 1);
    // Stored as typed; the folder is named after the trimmed name.
    EXPECT_EQ(list.GetAt(0), CDeviceConnection("3", "  GC Lab 1 "));
    EXPECT_TRUE(
        fs::is_regular_file(m_database + "/GC Lab 1/Config/TarvolinMonitorIniSettings.ini"));
    EXPECT_TRUE(fs::is_directory(m_database + "/GC Lab 1/Logs"));
    EXPECT_TRUE(m_connections.GetWarning().empty()) << m_connections.GetWarning();
}

TEST_F(InstrumentConnectionsTest, AnInstrumentAddedAgainKeepsItsSettings)
{
    ASSERT_EQ(m_connections.Add("GC1", 1, m_msg), 1) << m_msg;
    const std::string ini = m_database + "/GC1/Config/TarvolinMonitorIniSettings.ini";
    WriteText(ini, "EnablePulseLog=1\n");
    WriteText(m_database + "/GC1/Logs/TarvolinDebug.log", "kept\n");
    ASSERT_EQ(m_connections.Delete("gc1", m_msg), 1) << m_msg;
    EXPECT_TRUE(fs::exists(ini)) << "delete leaves the settings folder in place";
    ASSERT_EQ(m_connections.Add("GC1", 4, m_msg), 1) << m_msg;
    EXPECT_EQ(ReadBytes(ini), (Bytes{'E', 'n', 'a', 'b', 'l', 'e', 'P', 'u', 'l', 's', 'e', 'L',
                                     'o', 'g', '=', '1', '\n'}));
    EXPECT_TRUE(fs::exists(m_database + "/GC1/Logs/TarvolinDebug.log"));
}

struct RefusedName {
    const char* name;
    std::string text;
    const char* reason; // a word the message must hold
};

class RefusedNames : public InstrumentConnectionsTest,
                     public testing::WithParamInterface<RefusedName> {};

TEST_P(RefusedNames, AreRefusedWithAReasonAndChangeNothing)
{
    ASSERT_EQ(m_connections.Add("GC Lab 1", 1, m_msg), 1) << m_msg;
    const Bytes list = ReadBytes(m_connections.GetListPath());
    const std::vector<std::string> tree = Tree();

    EXPECT_EQ(m_connections.Add(GetParam().text, 2, m_msg), 0);
    EXPECT_EQ(m_connections.GetLastProblem(), ConnectionProblem::Refused);
    EXPECT_NE(m_msg.find(GetParam().reason), std::string::npos) << m_msg;
    EXPECT_EQ(ReadBytes(m_connections.GetListPath()), list);
    EXPECT_EQ(Tree(), tree) << "no folder was made, inside the database or out of it";
}

INSTANTIATE_TEST_SUITE_P(
    Names, RefusedNames,
    testing::Values(
        RefusedName{"Empty", "", "enter"}, RefusedName{"Blanks", "   \t", "enter"},
        RefusedName{"Slash", "a/b", "\"/\""}, RefusedName{"Parent", "../escaped", "\"/\""},
        RefusedName{"Backslash", "a\\b", "\"\\\""}, RefusedName{"Dot", ".", "database"},
        RefusedName{"DotDot", " .. ", "database"}, RefusedName{"Template", "Default", "reserved"},
        RefusedName{"TemplateInAnotherCase", "dEFAULT", "reserved"},
        RefusedName{"ListFolder", "common", "reserved"},
        RefusedName{"SameName", "GC Lab 1", "already"},
        RefusedName{"SameNameOtherCase", " gc LAB 1", "as \"GC Lab 1\""},
        RefusedName{"LineBreak", "GC\nLab", "control"}, RefusedName{"Tab", "GC\tLab", "control"},
        RefusedName{"NotUtf8", "Ger\xE4t", "UTF-8"},
        RefusedName{"TooLong", std::string(256, 'x'), "255"}),
    [](const testing::TestParamInfo<RefusedName>& info) { return std::string(info.param.name); });

struct AcceptedName {
    const char* name;
    std::string text;
    std::string folder;
};

class AcceptedNames : public InstrumentConnectionsTest,
                      public testing::WithParamInterface<AcceptedName> {};

TEST_P(AcceptedNames, NameTheirOwnFolder)
{
    ASSERT_EQ(m_connections.Add(GetParam().text, 8, m_msg), 1) << m_msg;
    EXPECT_TRUE(fs::is_directory(fs::path(m_database) / GetParam().folder / "Config"));
    CDeviceConnection found;
    ASSERT_EQ(m_connections.Find(GetParam().folder, found, m_msg), 1) << m_msg;
    EXPECT_EQ(found.GetName(), GetParam().text);
    EXPECT_EQ(found.GetPort(), "8");
}

INSTANTIATE_TEST_SUITE_P(
    Names, AcceptedNames,
    testing::Values(AcceptedName{"Blanks", "Line B 2", "Line B 2"},
                    AcceptedName{"Padded", "  GC1  ", "GC1"},
                    AcceptedName{"Quotes", "Lab \"North\" 'A'", "Lab \"North\" 'A'"},
                    AcceptedName{"NonAscii", "Gerät Süd µ", "Gerät Süd µ"},
                    AcceptedName{"Dots", "...", "..."},
                    AcceptedName{"LeadingDash", "-MCP:COM9", "-MCP:COM9"},
                    AcceptedName{"ShellCharacters", "$(touch x); `y` | z", "$(touch x); `y` | z"},
                    AcceptedName{"Longest", std::string(255, 'n'), std::string(255, 'n')},
                    AcceptedName{"DefaultWithMore", "Default 2", "Default 2"}),
    [](const testing::TestParamInfo<AcceptedName>& info) { return std::string(info.param.name); });

TEST_F(InstrumentConnectionsTest, PortsAreComOneToEight)
{
    for (int port : {0, -1, 9, 255}) {
        EXPECT_EQ(m_connections.Add("GC1", port, m_msg), 0) << port;
        EXPECT_EQ(m_connections.GetLastProblem(), ConnectionProblem::Refused);
        EXPECT_EQ(m_msg, "The port must be COM1 to COM8.");
    }
    ASSERT_EQ(m_connections.Add("GC1", 8, m_msg), 1) << m_msg;
    EXPECT_EQ(m_connections.Modify("GC1", 9, m_msg), 0);
    EXPECT_EQ(ListNow().GetAt(0).GetPort(), "8");
}

TEST_F(InstrumentConnectionsTest, ModifyChangesThePortOfEveryEntryOfTheName)
{
    // An older list may hold a name twice, in two spellings.
    CGeneralPCSettings list;
    list.Add({"1", " Line B "});
    list.Add({"2", "GC1"});
    list.Add({"3", "LINE b"});
    std::string msg;
    ASSERT_EQ(CGeneralPCSettingsHandler(m_connections.GetListPath()).CreateIfMissing(msg), 1);
    ASSERT_EQ(CGeneralPCSettingsHandler(m_connections.GetListPath()).Write(list, msg), 1);

    ASSERT_EQ(m_connections.Modify("line b", 5, m_msg), 1) << m_msg;
    const CGeneralPCSettings read = ListNow();
    ASSERT_EQ(read.GetCount(), 3);
    // The modify dialog shows the stored name trimmed and saves what it shows.
    EXPECT_EQ(read.GetAt(0), CDeviceConnection("5", "Line B"));
    EXPECT_EQ(read.GetAt(1), CDeviceConnection("2", "GC1"));
    EXPECT_EQ(read.GetAt(2), CDeviceConnection("5", "Line B"));

    EXPECT_EQ(m_connections.Modify("Nowhere", 1, m_msg), 0);
    EXPECT_EQ(m_connections.GetLastProblem(), ConnectionProblem::NotFound);
}

TEST_F(InstrumentConnectionsTest, DeletingTheLastInstrumentLeavesAValidEmptyList)
{
    ASSERT_EQ(m_connections.Add("GC1", 1, m_msg), 1) << m_msg;
    ASSERT_EQ(m_connections.Delete(" gc1 ", m_msg), 1) << m_msg;
    EXPECT_EQ(ReadBytes(m_connections.GetListPath()), (Bytes{0x00, 0x00}));
    EXPECT_EQ(m_connections.Delete("GC1", m_msg), 0);
    EXPECT_EQ(m_connections.GetLastProblem(), ConnectionProblem::NotFound);
    EXPECT_TRUE(fs::is_directory(m_database + "/GC1"));
}

TEST_F(InstrumentConnectionsTest, ADamagedListIsNamedAndNeverWrittenOver)
{
    ASSERT_EQ(m_connections.Add("GC1", 1, m_msg), 1) << m_msg;
    ASSERT_EQ(m_connections.Add("GC2", 2, m_msg), 1) << m_msg;
    Bytes damaged = ReadBytes(m_connections.GetListPath());
    damaged.resize(damaged.size() - 3); // the last string cut short
    WriteBytes(m_connections.GetListPath(), damaged);

    const struct {
        const char* what;
        std::function<int()> run;
    } edits[] = {{"add", [&] { return m_connections.Add("GC3", 3, m_msg); }},
                 {"modify", [&] { return m_connections.Modify("GC1", 4, m_msg); }},
                 {"delete", [&] { return m_connections.Delete("GC1", m_msg); }}};
    for (const auto& edit : edits) {
        EXPECT_EQ(edit.run(), 0) << edit.what;
        EXPECT_EQ(m_connections.GetLastProblem(), ConnectionProblem::Damaged) << edit.what;
        EXPECT_NE(m_msg.find("damaged"), std::string::npos) << m_msg;
        EXPECT_NE(m_msg.find(m_connections.GetListPath()), std::string::npos) << m_msg;
        EXPECT_EQ(ReadBytes(m_connections.GetListPath()), damaged) << edit.what;
    }
    CGeneralPCSettings list;
    EXPECT_EQ(m_connections.List(list, m_msg), 0);
    EXPECT_EQ(m_connections.GetLastProblem(), ConnectionProblem::Damaged);
    EXPECT_EQ(m_connections.Provision(m_msg), 1)
        << "a damaged list is not replaced by an empty one";
    EXPECT_EQ(ReadBytes(m_connections.GetListPath()), damaged);

    // Repair keeps the damaged bytes and goes on with the one whole entry.
    CGeneralPCSettings kept;
    std::string copy;
    ASSERT_EQ(m_connections.Repair(kept, copy, m_msg), 1) << m_msg;
    EXPECT_EQ(copy, m_connections.GetListPath() + ".damaged");
    EXPECT_EQ(ReadBytes(copy), damaged);
    ASSERT_EQ(kept.GetCount(), 1);
    EXPECT_EQ(kept.GetAt(0), CDeviceConnection("1", "GC1"));
    EXPECT_EQ(ListNow(), kept);
    EXPECT_EQ(m_connections.Repair(kept, copy, m_msg), 0) << "a sound list needs no repair";

    // A second damaged file does not replace the first copy.
    WriteBytes(m_connections.GetListPath(), Bytes{0x01});
    ASSERT_EQ(m_connections.Repair(kept, copy, m_msg), 1) << m_msg;
    EXPECT_EQ(copy, m_connections.GetListPath() + ".damaged-2");
    EXPECT_EQ(ReadBytes(m_connections.GetListPath() + ".damaged"), damaged);
    EXPECT_EQ(kept.GetCount(), 0);
}

TEST_F(InstrumentConnectionsTest, AListThatCannotBeReadIsNeitherReadNorReplaced)
{
    // Taken as an empty list and written back, it would lose what it holds.
    ASSERT_EQ(m_connections.Provision(m_msg), 1) << m_msg;
    const std::string path = m_connections.GetListPath();
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(m_connections.Add("GC2", 2, m_msg), 0);
        EXPECT_EQ(m_connections.GetLastProblem(), ConnectionProblem::Failed);
        EXPECT_NE(m_msg.find("FIFO"), std::string::npos) << m_msg;
        EXPECT_EQ(m_connections.Delete("GC2", m_msg), 0);
        EXPECT_EQ(m_connections.GetLastProblem(), ConnectionProblem::Failed);
    }
    EXPECT_TRUE(fs::is_fifo(path));
    EXPECT_FALSE(fs::exists(m_database + "/GC2"));
}

TEST_F(InstrumentConnectionsTest, AFolderInPlaceOfTheListIsAFailureNotAnEmptyList)
{
    fs::create_directories(m_connections.GetListPath());
    EXPECT_EQ(m_connections.Add("GC1", 1, m_msg), 0);
    EXPECT_EQ(m_connections.GetLastProblem(), ConnectionProblem::Failed);
    EXPECT_NE(m_msg.find("folder"), std::string::npos) << m_msg;
    EXPECT_TRUE(fs::is_directory(m_connections.GetListPath()));
}

TEST_F(InstrumentConnectionsTest, ASettingsFolderThatCannotBeMadeIsAWarning)
{
    // A file where the instrument's folder would go.
    ASSERT_EQ(m_connections.Provision(m_msg), 1) << m_msg;
    WriteText(m_database + "/GC1", "in the way");
    ASSERT_EQ(m_connections.Add("GC1", 1, m_msg), 1) << m_msg;
    EXPECT_EQ(ListNow().GetCount(), 1);
    EXPECT_NE(m_connections.GetWarning().find(m_database + "/GC1"), std::string::npos)
        << m_connections.GetWarning();
}
