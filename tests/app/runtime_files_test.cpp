// Files: GBK paths reach the disk as UTF-8 names; writes are atomic and honest.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "app/runtime.h"
#include "support/temp_dir.h"

namespace {

using Names = std::vector<std::string>;

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string CurrentDirectory() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? buf : "";
}

// Leaves the write seam off whatever a test does.
class RuntimeFiles : public ::testing::Test {
protected:
    void TearDown() override { rt::SetWriteFailAfterBytesForTests(-1); }
    TempDir dir;
};

TEST_F(RuntimeFiles, WriteReadBackAndDelete) {
    const Text path = dir.GbkFile("novel.txt");
    EXPECT_FALSE(rt::FileExists(path));
    EXPECT_EQ(rt::FileSize(path), -1);
    ASSERT_TRUE(rt::WriteFile(path, {"ab", std::string_view("\0c", 2), "", "\xD6\xD0"}));
    EXPECT_EQ(dir.Get("novel.txt"), std::string("ab\0c\xD6\xD0", 6));
    EXPECT_TRUE(rt::FileExists(path));
    EXPECT_EQ(rt::FileSize(path), 6);
    ASSERT_TRUE(rt::WriteFile(path, {"x"}));  // an existing file is replaced, not appended to
    EXPECT_EQ(dir.Get("novel.txt"), "x");
    ASSERT_TRUE(rt::WriteFile(path, {}));
    EXPECT_EQ(rt::FileSize(path), 0);
    EXPECT_TRUE(rt::DeleteFile(path));
    EXPECT_FALSE(rt::FileExists(path));
    EXPECT_FALSE(rt::DeleteFile(path));
    EXPECT_EQ(dir.Entries(), Names{});
}

TEST_F(RuntimeFiles, ChineseNamesAreUtf8OnDisk) {
    const std::string name = U8(u8"斗破-天蚕.txt");
    const Text gbkPath = dir.gbkPath() + rt::PathSeparator() + Gbk(u8"斗破-天蚕.txt");
    EXPECT_EQ(gbkPath, dir.GbkFile(name));
    ASSERT_TRUE(rt::WriteFile(gbkPath, {"text"}));
    EXPECT_EQ(dir.Entries(), Names{name});
    EXPECT_EQ(dir.Get(name), "text");
    EXPECT_TRUE(rt::FileExists(gbkPath));
    EXPECT_EQ(rt::FileSize(gbkPath), 4);
    EXPECT_TRUE(rt::DeleteFile(gbkPath));
    EXPECT_EQ(dir.Entries(), Names{});
}

TEST_F(RuntimeFiles, PathsThatNameNoFile) {
    ASSERT_TRUE(dir.Put("a.txt", "a"));
    struct Case {
        const char* name;
        Text path;
    } cases[] = {
        {"empty path", ""},
        {"not GBK", dir.gbkPath() + "/\xFF.txt"},
        {"zero byte inside", dir.gbkPath() + std::string("/a.txt\0x", 8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(rt::FileExists(c.path));
        EXPECT_EQ(rt::FileSize(c.path), -1);
        EXPECT_FALSE(rt::WriteFile(c.path, {"x"}));
        EXPECT_FALSE(rt::DeleteFile(c.path));
    }
    EXPECT_EQ(dir.Entries(), Names{"a.txt"});
    EXPECT_EQ(dir.Get("a.txt"), "a");
    EXPECT_TRUE(rt::FileExists(dir.gbkPath()));  // a directory counts
}

// Every failure returns false, leaves no temporary file and keeps an existing target whole.
// Tests run as root, which ignores directory permissions, so the failures used here are ones
// root cannot bypass: a parent that is a regular file, a directory of /proc (no files can be
// created there), a target that is a directory, and a device that fills up after N bytes.
TEST_F(RuntimeFiles, FailedWritesLeaveNothingBehind) {
    ASSERT_TRUE(dir.Put("old.txt", "old novel"));
    ASSERT_TRUE(dir.Put("file", "plain"));
    ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0755), 0);
    ASSERT_TRUE(dir.Put("sub/inside", "x"));
    struct Case {
        const char* name;
        Text path;
        long long failAfter;
    } cases[] = {
        {"parent is a regular file", dir.GbkFile("file/novel.txt"), -1},
        {"target is a directory", dir.GbkFile("sub"), -1},
        {"path ends with a separator", dir.GbkFile("new/"), -1},
        {"missing parent", dir.GbkFile("missing/novel.txt"), -1},
        {"device full at once, new file", dir.GbkFile("new.txt"), 0},
        {"device full at once, old file", dir.GbkFile("old.txt"), 0},
        {"device full inside the first part", dir.GbkFile("old.txt"), 3},
        {"device full at the second part", dir.GbkFile("old.txt"), 5},
        {"device full one byte short", dir.GbkFile("old.txt"), 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rt::SetWriteFailAfterBytesForTests(c.failAfter);
        EXPECT_FALSE(rt::WriteFile(c.path, {"hello", "world"}));
        rt::SetWriteFailAfterBytesForTests(-1);
        EXPECT_EQ(dir.Entries(), (Names{"file", "old.txt", "sub"}));
        EXPECT_EQ(dir.Get("old.txt"), "old novel");
        EXPECT_EQ(dir.Get("file"), "plain");
        EXPECT_EQ(dir.Get("sub/inside"), "x");
    }
    // A budget that covers every byte is no failure.
    rt::SetWriteFailAfterBytesForTests(10);
    EXPECT_TRUE(rt::WriteFile(dir.GbkFile("old.txt"), {"hello", "world"}));
    EXPECT_EQ(dir.Get("old.txt"), "helloworld");
}

TEST_F(RuntimeFiles, ReadOnlyDirectoryRefusesEvenRoot) {
    // procfs lets nobody create files, root included.
    EXPECT_FALSE(rt::WriteFile("/proc/self/sorvane-novel.txt", {"text"}));
    EXPECT_FALSE(rt::FileExists("/proc/self/sorvane-novel.txt"));
}

TEST_F(RuntimeFiles, OverwriteKeepsPermissions) {
    ASSERT_TRUE(dir.Put("novel.txt", "old"));
    ASSERT_EQ(chmod(dir.File("novel.txt").c_str(), 0640), 0);
    ASSERT_TRUE(rt::WriteFile(dir.GbkFile("novel.txt"), {"new"}));
    struct stat st {};
    ASSERT_EQ(stat(dir.File("novel.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // A new file is readable like any other new file, not private like a temporary one.
    ASSERT_TRUE(rt::WriteFile(dir.GbkFile("fresh.txt"), {"new"}));
    ASSERT_EQ(stat(dir.File("fresh.txt").c_str(), &st), 0);
    const mode_t mask = umask(022);
    umask(mask);
    EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);
}

TEST_F(RuntimeFiles, RunDirectory) {
    EXPECT_EQ(rt::PathSeparator(), "/");
    const Text original = rt::RunDirectory();
    char exe[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const std::string exePath = exe;
    EXPECT_EQ(original, exePath.substr(0, exePath.rfind('/')));
    ASSERT_TRUE(rt::InitRunTime());
    EXPECT_EQ(CurrentDirectory(), original);

    ASSERT_EQ(mkdir(dir.File(U8(u8"书库")).c_str(), 0755), 0);
    const Text books = dir.GbkFile(U8(u8"书库"));
    ASSERT_TRUE(rt::SetRunDirectoryForTests(books));
    EXPECT_EQ(rt::RunDirectory(), books);
    EXPECT_EQ(CurrentDirectory(), dir.File(U8(u8"书库")));
    EXPECT_FALSE(rt::SetRunDirectoryForTests(dir.GbkFile("missing")));
    EXPECT_EQ(rt::RunDirectory(), books);

    ASSERT_TRUE(rt::SetRunDirectoryForTests(original));  // leave the process as it was
    EXPECT_EQ(CurrentDirectory(), original);
}

}  // namespace
