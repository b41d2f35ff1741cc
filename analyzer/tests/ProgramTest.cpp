// The program's start: its command line and the recent-file list.

#include "ChildProcess.h"
#include "DVApp.h"
#include "RecentFileList.h"
#include "TempFolder.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, FileNamesAndUrlsAreDocuments)
{
    const ODVApp::CommandLine line =
        ODVApp::ParseCommandLine({"run1.KLYN", "file:///data/run%202.KLYN", "--", "-odd.KLYN", ""});
    EXPECT_TRUE(line.error.isEmpty());
    EXPECT_FALSE(line.help);
    EXPECT_EQ(line.files, (QStringList{"run1.KLYN", "/data/run 2.KLYN", "-odd.KLYN"}));
}

TEST(CommandLine, OptionsAndMistakes)
{
    EXPECT_TRUE(ODVApp::ParseCommandLine({"--help"}).help);
    EXPECT_TRUE(ODVApp::ParseCommandLine({"-h", "a.KLYN"}).help);
    EXPECT_TRUE(ODVApp::ParseCommandLine({"--version"}).version);
    EXPECT_EQ(ODVApp::ParseCommandLine({"--cnfg"}).error, "unknown option --cnfg");
    EXPECT_FALSE(ODVApp::ParseCommandLine({"file://server/share/run.KLYN"}).error.isEmpty());
    // A lone "-" is a file name, as for most programs.
    EXPECT_EQ(ODVApp::ParseCommandLine({"-"}).files, QStringList{"-"});
}

TEST(Program, HelpAndMistakesNeedNoDisplay)
{
    const std::vector<std::string> noDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
    const auto help = testsupport::RunProgram({TARVOLIN_ANALYZER_PATH, "--help"}, noDisplay);
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: tarvolin-analyzer [FILE.KLYN ...]"), std::string::npos);
    const auto wrong = testsupport::RunProgram({TARVOLIN_ANALYZER_PATH, "--cnfg", "a.cnfg"});
    EXPECT_EQ(wrong.code, ODVApp::kUsageExit);
    EXPECT_NE(wrong.err.find("unknown option --cnfg"), std::string::npos);
    const auto blind = testsupport::RunProgram({TARVOLIN_ANALYZER_PATH, "run.KLYN"}, noDisplay);
    EXPECT_EQ(blind.code, 1);
    EXPECT_NE(blind.err.find("no display"), std::string::npos);
}

TEST(RecentFileList, NewestFirstFourAtMostOneEntryPerFile)
{
    testsupport::CTempDir dir;
    const auto file = [&](const char* name) { return QString::fromStdString(dir.File(name)); };
    ORecentFileList list;
    for (const char* name : {"a.KLYN", "b.KLYN", "c.KLYN", "d.KLYN", "e.KLYN"})
        list.Add(file(name));
    EXPECT_EQ(list.Files(),
              (QStringList{file("e.KLYN"), file("d.KLYN"), file("c.KLYN"), file("b.KLYN")}));
    // Opened again: moves to the top (a spelling with "./" is the same file).
    list.Add(QString::fromStdString(dir.Path().string() + "/./c.KLYN"));
    EXPECT_EQ(list.Files().first(), file("c.KLYN"));
    EXPECT_EQ(list.Files().size(), 4);
    list.Remove(file("d.KLYN"));
    EXPECT_EQ(list.Files(), (QStringList{file("c.KLYN"), file("e.KLYN"), file("b.KLYN")}));
    EXPECT_EQ(list.MenuText(0), "&1 c.KLYN");
    EXPECT_EQ(list.MenuText(7), "");

    const QString ini = file("profile.ini");
    {
        QSettings settings(ini, QSettings::IniFormat);
        list.Save(settings);
    }
    ORecentFileList loaded;
    QSettings settings(ini, QSettings::IniFormat);
    loaded.Load(settings);
    EXPECT_EQ(loaded.Files(), list.Files());
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), file("c.KLYN"));
}

TEST(RecentFileList, SameNameInTwoFoldersShowsTheFolderAndAmpersandsStayText)
{
    ORecentFileList list;
    list.Add("/data/a/run.KLYN");
    list.Add("/data/b/run.KLYN");
    list.Add("/data/R&D.KLYN");
    EXPECT_EQ(list.MenuText(0), "&1 R&&D.KLYN");
    EXPECT_EQ(list.MenuText(1), "&2 /data/b/run.KLYN");
}

} // namespace
