// How a program finds the other programs and the user's manual: in the build
// tree, in an installation, and in the common data folder, in that order.

#include "Installation.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using testsupport::WriteText;

namespace {

void Touch(const fs::path& path, mode_t mode = 0644)
{
    fs::create_directories(path.parent_path());
    WriteText(path.string(), "x");
    ::chmod(path.c_str(), mode);
}

} // namespace

TEST(InstallationTest, TheManualIsLookedForBesideTheProgramsFirst)
{
    TempDir dir;
    const fs::path root = dir.Path();
    const std::string build = (root / "build/launcher").string() + "/";
    const std::string installed = (root / "prefix/lib/tarvolin").string();
    const std::string common = (root / "common").string();
    const fs::path fromBuild = root / "build/share/tarvolin/Tarvolin_Users_Manual.pdf";
    const fs::path fromPrefix = root / "prefix/share/tarvolin/Tarvolin_Users_Manual.pdf";
    const fs::path fromCommon = root / "common/Corvanth/Tarvolin/Tarvolin_Users_Manual.pdf";

    EXPECT_EQ(CInstallation::ManualCandidates(installed, common),
              (std::vector<std::string>{
                  (root / "prefix/lib/share/tarvolin/Tarvolin_Users_Manual.pdf").string(),
                  fromPrefix.string(), fromCommon.string()}));
    EXPECT_EQ(CInstallation::FindManual(installed, common), "");

    Touch(fromCommon);
    EXPECT_EQ(CInstallation::FindManual(installed, common), fromCommon.string());
    Touch(fromPrefix);
    EXPECT_EQ(CInstallation::FindManual(installed, common), fromPrefix.string());
    Touch(fromBuild);
    EXPECT_EQ(CInstallation::FindManual(build, common), fromBuild.string());
    // A folder of that name is no manual.
    fs::create_directories(root / "other/share/tarvolin/Tarvolin_Users_Manual.pdf");
    EXPECT_EQ(CInstallation::FindManual((root / "other/bin").string(), ""), "");
    EXPECT_EQ(CInstallation::FindManual("", ""), "");
}

TEST(InstallationTest, ProgramsAreExecutableFilesInTheFolder)
{
    TempDir dir;
    const fs::path folder = dir.Path() / "lib/tarvolin";
    Touch(folder / "tarvolin-monitor", 0755);
    Touch(folder / "tarvolin-analyzer", 0644);
    fs::create_directories(folder / "tarvolin-launcher");
    fs::create_symlink(folder / "tarvolin-monitor", dir.Path() / "linked-monitor");

    EXPECT_EQ(CInstallation::FindProgram(folder.string(), CInstallation::kMonitorProgram),
              (folder / "tarvolin-monitor").string());
    EXPECT_EQ(CInstallation::FindProgram(folder.string() + "/", "tarvolin-monitor"),
              (folder / "tarvolin-monitor").string());
    // Root, too, runs only files with an execute bit.
    EXPECT_EQ(CInstallation::FindProgram(folder.string(), "tarvolin-analyzer"), "");
    EXPECT_EQ(CInstallation::FindProgram(folder.string(), "tarvolin-launcher"), "")
        << "a folder is no program";
    EXPECT_EQ(CInstallation::FindProgram(dir.Path().string(), "linked-monitor"),
              (dir.Path() / "linked-monitor").string());
    EXPECT_EQ(CInstallation::FindProgram(folder.string(), "missing"), "");
}
