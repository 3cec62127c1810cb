#include <filesystem>
#include <string>
#include <vector>

#include "save/novel_file.h"
#include "save_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST(SaveMessages, AreTheExactGbkBytes) {
    EXPECT_EQ(save_text::Saving(),
              "\r\n\r\n\xD5\xFD \xD4\xDA \xB1\xA3 \xB4\xE6 \xCE\xC4 \xBC\xFE \xD6\xD0 . . .");
    EXPECT_EQ(save_text::SavedPrefix(),
              "\r\n\xB1\xA3 \xB4\xE6 \xB3\xC9 \xB9\xA6 , \xCE\xC4 \xBC\xFE \xB4\xE6 \xD3\xDA"
              "\r\n\r\n");
    EXPECT_EQ(save_text::Failed(),
              "\r\n\r\n\xB1\xA3 \xB4\xE6 \xCA\xA7 \xB0\xDC \r\n\r\n \xC7\xEB \xB3\xA2 \xCA\xD4 "
              "\xD2\xD4 \xB9\xDC \xC0\xED \xD4\xB1 \xC9\xED \xB7\xDD \xD4\xCB \xD0\xD0");
    EXPECT_EQ(save_text::SaveCaption(), "\xB1\xA3\xB4\xE6");
    EXPECT_EQ(save_text::SearchCaption(), "\xCB\xD1\xCB\xF7");
    EXPECT_EQ(save_text::DownloadCaption(), "\xCF\xC2\xD4\xD8");
}

TEST(SizeText, MegabytesWithTwoDecimals) {
    struct Case {
        const char* name;
        double bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"zero", 0, "0.00M"},
        {"half", 524288, "0.50M"},
        {"one", 1048576, "1.00M"},
        {"three million", 3000000, "2.86M"},
        {"rounds up to five", 5242879, "5.00M"},
        {"rounds up to a hundredth", 10480, "0.01M"},
        {"below half a hundredth", 5000, "0.00M"},
        {"thirteen million", 13400000, "12.78M"},
    };
    for (const Case& c : cases) EXPECT_EQ(save_file::SizeText(c.bytes), c.expected) << c.name;
}

TEST_F(SaveTest, WritesTheJoinedTextUnderAUtf8Name) {
    DownloadedNovel();

    EXPECT_EQ(SaveNovel(), SaveOutcome::Saved);

    // Only the novel, no temporary file beside it; the bytes are the GBK text exactly.
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{U8(u8"小说-作者.txt")});
    EXPECT_EQ(dir.Get(U8(u8"小说-作者.txt")), Joined());
    EXPECT_EQ(State().PartTexts[4], Joined());
    EXPECT_EQ(State().SavePath, dir.GbkFile(U8(u8"小说-作者.txt")));
    EXPECT_EQ(Tip(), SavedTip(U8(u8"小说-作者.txt")));
    EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
    // The progress display gives way to the download button again.
    EXPECT_FALSE(ui::IsVisible(ui::下载_图片框));
    EXPECT_FALSE(ui::IsVisible(ui::下载_标签));
    EXPECT_EQ(ui::GetText(ui::下载_超级按钮), save_text::DownloadCaption());
    EXPECT_FALSE(ui::IsVisible(ui::图片框1));
    // The caption is the caller's business.
    EXPECT_EQ(ui::GetText(ui::搜索_超级按钮), save_text::SaveCaption());
}

TEST_F(SaveTest, NamesTheFileAfterTheDownloadedSlotNotTheShownOne) {
    DownloadedNovel();
    // Another result shown after the download started.
    State().ResultNames[4] = "Other";
    State().ResultAuthors[4] = "Someone";
    State().SelectedSlot = 4;

    EXPECT_EQ(SaveNovel(), SaveOutcome::Saved);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{U8(u8"小说-作者.txt")});
}

TEST_F(SaveTest, ReplacesAnEarlierWholeNovel) {
    DownloadedNovel();
    State().PartTexts[4] = "left over from the last save";
    ASSERT_EQ(SaveNovel(), SaveOutcome::Saved);
    EXPECT_EQ(State().PartTexts[4], Joined());
}

TEST_F(SaveTest, AnEmptyNovelIsSavedAsAnEmptyFile) {
    Downloaded(4, "X", "Y", "", "", "");
    EXPECT_EQ(SaveNovel(), SaveOutcome::Saved);
    EXPECT_TRUE(dir.Has("X-Y.txt"));
    EXPECT_EQ(dir.Get("X-Y.txt"), "");
    EXPECT_EQ(Tip(), SavedTip("X-Y.txt"));
}

// Names come from web pages: whatever they hold, the file lands in the run directory under a
// name the file system takes.
TEST_F(SaveTest, FileNamesFromPageTextsAreMadeSafe) {
    struct Case {
        const char* name;
        Text novel;
        Text author;
        std::string onDisk;  // UTF-8
    };
    const Case cases[] = {
        {"plain", Gbk(u8"小说"), Gbk(u8"作者"), U8(u8"小说-作者.txt")},
        {"empty author", "X", "", "X-.txt"},
        {"empty both", "", "", "-.txt"},
        {"parent directories", "../../x", "a/b", ".._.._x-a_b.txt"},
        {"backslash", "a\\b", "c", "a_b-c.txt"},
        {"control characters", Text("t\tn\r\n\x01\x7f", 7), Text("z\0z", 3), "t_n____-z_z.txt"},
        {"trail byte 0x5C kept", Gbk(u8"淺/水"), Gbk(u8"乗"), U8(u8"淺_水-乗.txt")},
        {"bytes that are no character", "A\xFF" + Gbk(u8"长") + "\xB0", "y", U8(u8"A_长_-y.txt")},
    };
    for (const Case& c : cases) {
        TempDir run;
        ASSERT_TRUE(rt::SetRunDirectoryForTests(run.gbkPath()));
        Downloaded(1, c.novel, c.author, "a", "b", "c");

        EXPECT_EQ(SaveNovel(), SaveOutcome::Saved) << c.name;
        EXPECT_EQ(run.Entries(), std::vector<std::string>{c.onDisk}) << c.name;
        EXPECT_EQ(run.Get(c.onDisk), "abc") << c.name;
        EXPECT_EQ(Tip(), save_text::SavedPrefix() + run.GbkFile(c.onDisk)) << c.name;
    }
}

// A lead byte without its second byte is no character; the byte after it is still seen.
TEST(FileStem, ALeadByteDoesNotHideTheSlashAfterIt) {
    EXPECT_EQ(save_file::FileStem("\xB0/", "y"), "__-y");
    EXPECT_EQ(save_file::FileStem("\xB0\x01", "y"), "__-y");
}

TEST(FileStem, LongNamesAreCutAtCharacterBoundaries) {
    auto repeat = [](std::u8string_view utf8, int n) {
        Text out;
        const Text one = Gbk(utf8);
        for (int i = 0; i < n; ++i) out += one;
        return out;
    };
    const Text author = Gbk(u8"作者");  // 6 bytes of UTF-8
    struct Case {
        const char* name;
        Text novel;
        Text author;
        Text expected;
    };
    // Room for the stem: 255 - "(NN)" - ".txt" = 247 bytes of UTF-8; 长 takes 3, α takes 2.
    const Case cases[] = {
        {"just fits", repeat(u8"长", 80), author, repeat(u8"长", 80) + "-" + author},
        {"one character over", repeat(u8"长", 81), author, repeat(u8"长", 80) + "-" + author},
        {"far over", repeat(u8"长", 300), author, repeat(u8"长", 80) + "-" + author},
        {"two-byte characters", repeat(u8"α", 200), author, repeat(u8"α", 120) + "-" + author},
        {"long author", "N", repeat(u8"长", 100), "N-" + repeat(u8"长", 81)},
        {"both long", repeat(u8"长", 100), repeat(u8"长", 100),
         repeat(u8"长", 41) + "-" + repeat(u8"长", 41)},
    };
    for (const Case& c : cases) {
        const Text stem = save_file::FileStem(c.novel, c.author);
        EXPECT_EQ(stem, c.expected) << c.name;
        EXPECT_LE(GbkToUtf8(stem).size(), 247u) << c.name;
    }
}

TEST_F(SaveTest, ATooLongNameIsShortenedAndStillSavedAndRenamed) {
    Text name;
    for (int i = 0; i < 120; ++i) name += Gbk(u8"长");
    Downloaded(5, name, Gbk(u8"作者"), "a", "b", "c");
    ASSERT_EQ(SaveNovel(), SaveOutcome::Saved);
    ASSERT_EQ(dir.Entries().size(), 1u);
    const std::string written = dir.Entries()[0];
    EXPECT_LE(written.size(), 251u);
    EXPECT_EQ(Tip(), save_text::SavedPrefix() + dir.GbkFile(written));
    EXPECT_EQ(State().SavePath, dir.GbkFile(written));

    // The renamed copy, four bytes longer, still fits.
    ASSERT_EQ(SaveNovel(), SaveOutcome::PanelOpened);
    RenameSave();
    EXPECT_EQ(dir.Entries().size(), 2u);
    EXPECT_EQ(Tip(), save_text::SavedPrefix() + State().SavePath);
}

TEST_F(SaveTest, AnExistingFileOpensThePanelWithBothSizesAndWritesNothing) {
    const std::string old(1048576, 'o');
    ASSERT_TRUE(dir.Put(U8(u8"小说-作者.txt"), old));
    Downloaded(2, Gbk(u8"小说"), Gbk(u8"作者"), Text(1000000, 'a'), Text(1000000, 'b'),
               Text(1000000, 'c'));

    EXPECT_EQ(SaveNovel(), SaveOutcome::PanelOpened);

    EXPECT_TRUE(ui::IsVisible(ui::图片框1));
    EXPECT_EQ(ui::GetText(ui::原尺寸_标签), "1.00M");
    EXPECT_EQ(ui::GetText(ui::现尺寸_标签), "2.86M");
    EXPECT_EQ(dir.Get(U8(u8"小说-作者.txt")), old);
    EXPECT_EQ(dir.Entries().size(), 1u);
    EXPECT_EQ(Tip(), save_text::Saving());
    EXPECT_EQ(State().SavePath, dir.GbkFile(U8(u8"小说-作者.txt")));
    EXPECT_EQ(State().PartTexts[4].size(), 3000000u);
}

TEST_F(SaveTest, ADirectoryOfThatNameCountsAsAnExistingFile) {
    fs::create_directory(dir.File("X-Y.txt"));
    Downloaded(4, "X", "Y", "a", "b", "c");
    EXPECT_EQ(SaveNovel(), SaveOutcome::PanelOpened);
    EXPECT_EQ(ui::GetText(ui::原尺寸_标签), "0.00M");
    EXPECT_EQ(ui::GetText(ui::现尺寸_标签), "0.00M");
}

// A write that fails halfway is a failure, leaves nothing behind and keeps the texts, so that
// the next press succeeds once the cause is gone.
TEST_F(SaveTest, AWriteThatFailsHalfwayLeavesNothingAndCanBeRetried) {
    DownloadedNovel();
    rt::SetWriteFailAfterBytesForTests(5);

    EXPECT_EQ(SaveNovel(), SaveOutcome::Failed);
    EXPECT_EQ(Tip(), save_text::Failed());
    EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
    EXPECT_TRUE(dir.Entries().empty());
    EXPECT_EQ(State().PartTexts[1], part1);
    EXPECT_EQ(State().PartTexts[4], Joined());

    rt::SetWriteFailAfterBytesForTests(-1);
    EXPECT_EQ(SaveNovel(), SaveOutcome::Saved);
    EXPECT_EQ(dir.Get(U8(u8"小说-作者.txt")), Joined());
    EXPECT_EQ(Tip(), SavedTip(U8(u8"小说-作者.txt")));
}

TEST_F(SaveTest, AMissingRunDirectoryFailsUntilItIsBack) {
    const std::string run = dir.File("run");
    ASSERT_TRUE(fs::create_directory(run));
    ASSERT_TRUE(rt::SetRunDirectoryForTests(dir.GbkFile("run")));
    ASSERT_TRUE(fs::remove(run));
    DownloadedNovel();

    EXPECT_EQ(SaveNovel(), SaveOutcome::Failed);
    EXPECT_EQ(Tip(), save_text::Failed());

    ASSERT_TRUE(fs::create_directory(run));
    EXPECT_EQ(SaveNovel(), SaveOutcome::Saved);
    EXPECT_EQ(dir.Get(U8(u8"run/小说-作者.txt")), Joined());
}

TEST_F(SaveTest, WithoutADownloadedSlotNothingIsWritten) {
    DownloadedNovel();
    State().DownloadPlan[5] = 0;
    EXPECT_EQ(SaveNovel(), SaveOutcome::Failed);
    EXPECT_EQ(Tip(), save_text::Failed());
    EXPECT_TRUE(dir.Entries().empty());
}

}  // namespace
