// The file-dialog service: how the system's filter texts are read, the
// default extension, and the recorder tests answer with.

#include "FileDialogService.h"

#include <gtest/gtest.h>

using Pairs = std::vector<std::pair<std::string, std::vector<std::string>>>;

struct FilterCase {
    const char* name;
    std::string filter;
    Pairs expected;
};

class FileDialogFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(FileDialogFilter, IsReadAsDescriptionAndPatterns)
{
    EXPECT_EQ(CFileDialogService::ParseFilter(GetParam().filter), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FileDialogFilter,
    testing::Values(FilterCase{"Configuration",
                               "Tarvolin Monitor (*.cnfg)|*.cnfg*|All Files (*.*)|*.*||",
                               {{"Tarvolin Monitor (*.cnfg)", {"*.cnfg*"}},
                                {"All Files (*.*)", {"*.*"}}}},
                    FilterCase{"RunLogWithBlanks",
                               "Text Files (*.txt) | *.txt | All Files (*.*) | *.* ||",
                               {{"Text Files (*.txt)", {"*.txt"}}, {"All Files (*.*)", {"*.*"}}}},
                    FilterCase{"SeveralPatterns",
                               "Data (*.KLYN;*.klyn)|*.KLYN;*.klyn||",
                               {{"Data (*.KLYN;*.klyn)", {"*.KLYN", "*.klyn"}}}},
                    FilterCase{"Empty", "", {}},
                    FilterCase{"NoClosingBars", "Text|*.txt", {{"Text", {"*.txt"}}}}),
    [](const testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST(FileDialogServiceTest, DefaultExtensionOnlyForANameWithoutOne)
{
    EXPECT_EQ(CFileDialogService::WithDefaultExtension("/a/setup", "cnfg"), "/a/setup.cnfg");
    EXPECT_EQ(CFileDialogService::WithDefaultExtension("/a/setup", ".cnfg"), "/a/setup.cnfg");
    EXPECT_EQ(CFileDialogService::WithDefaultExtension("/a/setup.txt", "cnfg"), "/a/setup.txt");
    EXPECT_EQ(CFileDialogService::WithDefaultExtension("/a.b/setup", "cnfg"), "/a.b/setup.cnfg");
    EXPECT_EQ(CFileDialogService::WithDefaultExtension("/a/", "cnfg"), "/a/");
    EXPECT_EQ(CFileDialogService::WithDefaultExtension("/a/setup", ""), "/a/setup");
}

TEST(FileDialogServiceTest, RecorderAnswersInOrderThenCancels)
{
    CFileDialogRecorder recorder;
    recorder.QueueAnswer("/tmp/one");
    recorder.QueueCancel();
    recorder.QueueAnswer("/tmp/three.cnfg");

    CFileDialogRequest save;
    save.kind = FileDialogKind::Save;
    save.defaultExtension = "cnfg";
    std::string path;
    EXPECT_EQ(CFileDialogService::Ask(save, path), 1);
    EXPECT_EQ(path, "/tmp/one.cnfg");
    EXPECT_EQ(CFileDialogService::Ask(save, path), 0);
    EXPECT_EQ(CFileDialogService::Ask(CFileDialogRequest{}, path), 1);
    EXPECT_EQ(path, "/tmp/three.cnfg");
    EXPECT_EQ(CFileDialogService::Ask(save, path), 0);
    EXPECT_EQ(recorder.Count(), 4u);
    EXPECT_EQ(recorder.Requests()[0].defaultExtension, "cnfg");
}

TEST(FileDialogServiceTest, WithoutASinkEveryRequestIsCancelled)
{
    std::string path = "unchanged";
    EXPECT_EQ(CFileDialogService::Ask(CFileDialogRequest{}, path), 0);
    EXPECT_EQ(path, "unchanged");
}
