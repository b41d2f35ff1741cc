// The shared file utility: descriptors that close themselves, whole writes
// and reads, durable replacement and copies, and reads that never block on
// something that is not a file.
#include "FileUtil.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace {

using testsupport::CTempDir;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
using Bytes = std::vector<uint8_t>;

bool IsOpenDescriptor(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(FileDescriptor, ClosesOnceWhenItsOwnerGoes)
{
    int raw = -1;
    {
        CFileDescriptor fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        raw = fd.Get();
        ASSERT_TRUE(fd.IsOpen());
        CFileDescriptor moved(std::move(fd));
        EXPECT_FALSE(fd.IsOpen());
        EXPECT_EQ(moved.Get(), raw);
        EXPECT_TRUE(IsOpenDescriptor(raw));
    }
    EXPECT_FALSE(IsOpenDescriptor(raw));

    CFileDescriptor kept(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    raw = kept.Release();
    EXPECT_FALSE(kept.IsOpen());
    EXPECT_TRUE(IsOpenDescriptor(raw));
    CFileDescriptor again(raw);
    EXPECT_EQ(again.Close(), 0);
    EXPECT_FALSE(IsOpenDescriptor(raw));
    EXPECT_EQ(again.Close(), 0) << "closing twice closes nothing";
}

TEST(FileUtil, WholeWritesAndReadsAtAnOffsetOrToTheEnd)
{
    CTempDir dir;
    const std::string path = dir.File("f.bin");
    CFileDescriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    ASSERT_TRUE(fd.IsOpen());
    int error = -1;
    const Bytes data(100000, 0x5A);
    EXPECT_EQ(CFileUtil::WriteAll(fd.Get(), data.data(), data.size(), error), data.size());
    EXPECT_EQ(error, 0);
    const uint8_t patch[3] = {1, 2, 3};
    EXPECT_EQ(CFileUtil::WriteAllAt(fd.Get(), patch, 3, 10, error), 3u);
    EXPECT_EQ(::lseek(fd.Get(), 0, SEEK_CUR), 100000) << "the offset stays where it was";

    ::lseek(fd.Get(), 99990, SEEK_SET);
    uint8_t tail[64] = {};
    EXPECT_EQ(CFileUtil::ReadFull(fd.Get(), tail, sizeof tail, error), 10u) << "up to the end";
    EXPECT_EQ(error, 0);
    const Bytes back = ReadBytes(path);
    EXPECT_EQ(back[9], 0x5A);
    EXPECT_EQ(back[10], 1);
    EXPECT_EQ(back[12], 3);

    // A full pipe takes part of a write and then reports why it took no more.
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC), 0);
    CFileDescriptor reader(pipeFds[0]), writer(pipeFds[1]);
    const Bytes big(1 << 20, 1);
    const size_t written = CFileUtil::WriteAll(writer.Get(), big.data(), big.size(), error);
    EXPECT_LT(written, big.size());
    EXPECT_EQ(error, EAGAIN);
    EXPECT_EQ(CFileUtil::WriteAll(-1, big.data(), 1, error), 0u);
    EXPECT_EQ(error, EBADF);
}

struct NotAFile {
    const char* name;
    std::function<std::string(const CTempDir&)> make; // returns the path
    const char* kind;
};

class OpenForReading : public testing::TestWithParam<NotAFile> {};

// Each would block a plain open or read for ever, or never end.
TEST_P(OpenForReading, RefusesWhatIsNotAFileByNameWithoutBlocking)
{
    CTempDir dir;
    const std::string path = GetParam().make(dir);
    std::string error;
    CFileDescriptor fd = CFileUtil::OpenForReading(path, error);
    EXPECT_FALSE(fd.IsOpen());
    EXPECT_EQ(error, "\"" + path + "\" is " + GetParam().kind + ", not a file");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, OpenForReading,
    testing::Values(NotAFile{"Fifo",
                             [](const CTempDir& d) {
                                 const std::string p = d.File("pipe");
                                 ::mkfifo(p.c_str(), 0600);
                                 return p;
                             },
                             "a FIFO (named pipe)"},
                    NotAFile{"Folder", [](const CTempDir& d) { return d.Path().string(); },
                             "a folder"},
                    NotAFile{"EndlessDevice",
                             [](const CTempDir&) { return std::string("/dev/zero"); }, "a device"},
                    NotAFile{"Socket",
                             [](const CTempDir& d) {
                                 const std::string p = d.File("s");
                                 const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
                                 sockaddr_un addr{};
                                 addr.sun_family = AF_UNIX;
                                 p.copy(addr.sun_path, sizeof addr.sun_path - 1);
                                 ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
                                 ::close(s);
                                 return p;
                             },
                             "a socket"}),
    [](const testing::TestParamInfo<NotAFile>& info) { return std::string(info.param.name); });

TEST(FileUtil, OpensARegularFileAndNamesAMissingOne)
{
    CTempDir dir;
    const std::string path = dir.File("data.bin");
    WriteBytes(path, {1, 2, 3});
    std::string error = "old";
    CFileDescriptor fd = CFileUtil::OpenForReading(path, error);
    ASSERT_TRUE(fd.IsOpen()) << error;
    EXPECT_EQ(error, "");
    uint8_t bytes[3] = {};
    int code = 0;
    EXPECT_EQ(CFileUtil::ReadFull(fd.Get(), bytes, 3, code), 3u) << "the descriptor blocks again";
    EXPECT_EQ(::fcntl(fd.Get(), F_GETFL) & O_NONBLOCK, 0);

    fd = CFileUtil::OpenForReading(dir.File("missing"), error);
    EXPECT_FALSE(fd.IsOpen());
    EXPECT_EQ(error, "cannot open \"" + dir.File("missing") + "\": No such file or directory");
}

TEST(FileUtil, DurableCopyMakesANewFileOrReplacesWhole)
{
    CTempDir dir;
    const std::string from = dir.File("a.KLYN");
    const std::string to = dir.File("a.KLYN.bak");
    WriteBytes(from, Bytes(3000000, 7));
    ::chmod(from.c_str(), 0640);
    std::string error;
    ASSERT_EQ(CFileUtil::CopyFileDurably(from, to, error), 1) << error;
    EXPECT_EQ(ReadBytes(to), ReadBytes(from));
    struct stat st {};
    ::stat(to.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Never over an existing file unless told to, and then whole.
    WriteBytes(from, {9});
    EXPECT_EQ(CFileUtil::CopyFileDurably(from, to, error), 0);
    EXPECT_NE(error.find("File exists"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(to).size(), 3000000u);
    ASSERT_EQ(CFileUtil::CopyFileDurably(from, to, error, true), 1) << error;
    EXPECT_EQ(ReadBytes(to), Bytes{9});

    const std::string fifo = dir.File("pipe");
    ::mkfifo(fifo.c_str(), 0600);
    EXPECT_EQ(CFileUtil::CopyFileDurably(fifo, dir.File("x"), error), 0);
    EXPECT_NE(error.find("a FIFO"), std::string::npos) << error;
    EXPECT_EQ(CFileUtil::CopyFileDurably(from, dir.File("no/such/folder"), error), 0);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 3u) << "no temporary file left behind";
}

} // namespace
