#include "FilePaths.h"

#include "SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

using settings_test::CScopedEnv;
using settings_test::CScopedProgramKind;

class FilePathsTest : public ::testing::Test {
protected:
    void SetUp() override { m_oldId = CFilePaths::GetInstrumentId(); }
    void TearDown() override { CFilePaths::SetInstrumentId(m_oldId); }

    CScopedEnv m_common{"TARVOLIN_COMMON_DATA", "/srv/tarvolin/"};
    CScopedEnv m_ports{"TARVOLIN_PORTS_DIR", std::nullopt};
    CScopedProgramKind m_kind{ProgramKind::Monitor};
    std::string m_oldId;
};

TEST_F(FilePathsTest, MonitorFoldersHangOffTheInstrument)
{
    CFilePaths::SetInstrumentId("GC1");
    EXPECT_EQ(CFilePaths::GetCommonDataFolder(), "/srv/tarvolin");
    EXPECT_EQ(CFilePaths::GetDatabaseFolder(),
              "/srv/tarvolin/Corvanth/Tarvolin/Tarvolin Monitor/Database");
    EXPECT_EQ(CFilePaths::GetInstrumentFolder(),
              "/srv/tarvolin/Corvanth/Tarvolin/Tarvolin Monitor/Database/GC1");
    EXPECT_TRUE(CFilePaths::GetConfigPath().ends_with("/Tarvolin Monitor/Database/GC1/Config"))
        << CFilePaths::GetConfigPath();
    EXPECT_EQ(CFilePaths::GetLogPath(), CFilePaths::GetInstrumentFolder() + "/Logs");
    EXPECT_EQ(CFilePaths::GetDataPath(),
              "/srv/tarvolin/Corvanth/Tarvolin/Tarvolin Monitor/Database/GC1/Data");
    EXPECT_EQ(CFilePaths::GetBitmapFolder(), "/srv/tarvolin/Corvanth/Merrow/Bitmaps");
    EXPECT_EQ(CFilePaths::GetCommonDBPath(), "/srv/tarvolin/Corvanth/Merrow/Common");
    EXPECT_EQ(CFilePaths::GetPortsFolder(), "/srv/tarvolin/Corvanth/Tarvolin/Ports");
}

TEST_F(FilePathsTest, AnalyzerHasNoInstrumentLevel)
{
    CScopedProgramKind analyzer(ProgramKind::Analyzer);
    CFilePaths::SetInstrumentId("GC1");
    const std::string database = "/srv/tarvolin/Corvanth/Tarvolin/Tarvolin Analyzer/Database";
    EXPECT_EQ(CFilePaths::GetDatabaseFolder(), database);
    EXPECT_EQ(CFilePaths::GetInstrumentFolder(), database);
    EXPECT_EQ(CFilePaths::GetConfigPath(), database + "/Config");
    EXPECT_EQ(CFilePaths::GetLogPath(), database + "/Logs");
    EXPECT_EQ(CFilePaths::GetBitmapFolder(), "/srv/tarvolin/Corvanth/Merrow/Bitmaps");
    EXPECT_EQ(CFilePaths::GetInstrumentId(), "GC1");
}

TEST_F(FilePathsTest, RootAsCommonFolderGivesNoDoubleSlash)
{
    CScopedEnv root("TARVOLIN_COMMON_DATA", "/");
    EXPECT_EQ(CFilePaths::GetBitmapFolder(), "/Corvanth/Merrow/Bitmaps");
}

TEST_F(FilePathsTest, PortsFolderCanBeMovedOnItsOwn)
{
    CScopedEnv ports("TARVOLIN_PORTS_DIR", "/run/sim-ports/");
    EXPECT_EQ(CFilePaths::GetPortsFolder(), "/run/sim-ports");
}

TEST_F(FilePathsTest, WithoutOverrideFallsBackToUserFolders)
{
    CScopedEnv unset("TARVOLIN_COMMON_DATA", std::nullopt);
    CScopedEnv xdg("XDG_DATA_HOME", "/home/op/xdg");
    CScopedEnv home("HOME", "/home/op");
    if (::access("/var/lib", W_OK) == 0) {
        EXPECT_EQ(CFilePaths::GetCommonDataFolder(), "/var/lib");
        GTEST_SKIP() << "/var/lib is writable here, so the user folders are never reached";
    }
    EXPECT_EQ(CFilePaths::GetCommonDataFolder(), "/home/op/xdg");
    CScopedEnv relativeXdg("XDG_DATA_HOME", "relative/xdg");
    EXPECT_EQ(CFilePaths::GetCommonDataFolder(), "/home/op/.local/share");
    CScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(CFilePaths::GetCommonDataFolder(), "");
    EXPECT_EQ(CFilePaths::GetBitmapFolder(), "/Corvanth/Merrow/Bitmaps");
}

TEST_F(FilePathsTest, AppPathIsTheFolderOfTheRunningProgram)
{
    const std::string expected =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
    EXPECT_EQ(CFilePaths::GetAppPath(), expected);
}

} // namespace
