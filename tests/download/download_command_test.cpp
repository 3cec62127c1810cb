// The download button before any worker runs: refusals, the chapter error and source C.

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "download_fixture.h"
#include "support/temp_dir.h"

namespace dltest {
namespace {

const Text kNoResult =
    "\r\n\r\n\xd5\xa6\x20\xb5\xc4\x20\x3f\x20\xca\xed\x20\xc6\xac\x20\xb3\xd4\x20\xb6\xe0\x20\xc1"
    "\xcb\x2c\x20\xd0\xa1\x20\xcb\xb5\x20\xd2\xb2\x20\xcf\xc2\x20\xbf\xd5\x20\xc6\xf8\x20\x3f";
const Text kChapterError =
    "\r\n\r\n\xd5\xc2\x20\xbd\xda\x20\xb3\xf6\x20\xb4\xed\x20\x2c\x20\xce\xb4\x20\xc4\xdc\x20\xbb"
    "\xf1\x20\xc8\xa1\x20\xb5\xbd\x20\xd5\xc2\x20\xbd\xda\x20";
const Text kAddressLead = "\r\n\r\n\xcf\xc2\xd4\xd8\xb5\xd8\xd6\xb7\xa3\xba\r\n\r\n";
const Text kSearchCaption = "\xcb\xd1\xcb\xf7";

// Controls a refused or a source C download must leave as they were.
struct Untouched {
    Text caption = ui::GetText(ui::搜索_超级按钮);
    Text downloadCaption = ui::GetText(ui::下载_超级按钮);
    bool barShown = ui::IsVisible(ui::下载_图片框);
    bool labelShown = ui::IsVisible(ui::下载_标签);
    int width = ui::GetWidth(ui::下载_图片框);

    void Check() const {
        EXPECT_EQ(ui::GetText(ui::搜索_超级按钮), caption);
        EXPECT_EQ(ui::GetText(ui::下载_超级按钮), downloadCaption);
        EXPECT_EQ(ui::IsVisible(ui::下载_图片框), barShown);
        EXPECT_EQ(ui::IsVisible(ui::下载_标签), labelShown);
        EXPECT_EQ(ui::GetWidth(ui::下载_图片框), width);
    }
};

class DownloadCommandTest : public DownloadTest {};

TEST_F(DownloadCommandTest, RefusesWhileTheNameBoxShowsTheProductName) {
    for (int slot : {0, 1, 3, 5}) {
        SCOPED_TRACE(slot);
        ChooseSourceA(5, "k", "10");
        State().SelectedSlot = slot;
        ui::SetText(ui::小说名称_编辑框, "Sorvane");
        ui::SetText(ui::提示_标签, {});
        ui::SetVisible(ui::提示_标签, false);
        const Untouched before;

        DownloadCommand();

        EXPECT_EQ(ui::GetText(ui::提示_标签), kNoResult);
        EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
        before.Check();
        EXPECT_EQ(State().DownloadPlan[1], 0);
    }
    EXPECT_TRUE(a.Targets().empty());
}

TEST_F(DownloadCommandTest, NoSlotChosenDoesNothing) {
    ui::SetText(ui::小说名称_编辑框, "Some novel");
    State().SelectedSlot = 0;
    const Text tip = ui::GetText(ui::提示_标签);
    const Untouched before;

    DownloadCommand();

    before.Check();
    EXPECT_EQ(ui::GetText(ui::提示_标签), tip);
}

TEST_F(DownloadCommandTest, SourceBWithFewerThanThreeChaptersIsAChapterError) {
    struct Case {
        const char* name;
        int chapters;  // < 0: the table of contents is not there at all
    };
    int row = 0;
    for (const Case& tc : {Case{"two links", 2}, Case{"no links", 0}, Case{"no page", -1}}) {
        SCOPED_TRACE(tc.name);
        const std::string toc = "/toc" + std::to_string(++row) + "/";
        if (tc.chapters >= 0)
            fake::InstallSourceBChapters(b, fake::GeneratedNovel("short", "x", tc.chapters, 50), toc);
        ChooseSourceB(2, b.Base() + toc);
        ui::SetText(ui::提示_标签, {});
        const Untouched before;

        DownloadCommand();

        EXPECT_EQ(ui::GetText(ui::提示_标签), kChapterError);
        EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
        EXPECT_EQ(State().DownloadPlan[1], std::max(tc.chapters, 0));
        EXPECT_EQ(State().ChapterLinks.size(), static_cast<std::size_t>(std::max(tc.chapters, 0)));
        EXPECT_EQ(State().TocPage.empty(), tc.chapters < 0);
        before.Check();
    }
    // Only the tables of contents were asked for, never a chapter.
    for (const std::string& t : b.Targets()) EXPECT_EQ(t.back(), '/') << t;
}

TEST_F(DownloadCommandTest, SourceBWithThreeChaptersStarts) {
    const fake::Novel novel = fake::GeneratedNovel("three", "x", 3, 50);
    fake::InstallSourceBChapters(b, novel, "/b3/");
    ChooseSourceB(1, b.Base() + "/b3/");
    DownloadCommand();
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(State().DownloadPlan[1], 3);
    EXPECT_EQ(State().DownloadPlan[5], 1);
}

TEST_F(DownloadCommandTest, SourceACountBelowThreeIsAChapterError) {
    struct Case {
        const char* name;
        const char* count;
        int n;
    };
    const Case cases[] = {
        {"empty", "", 0},          {"not a number", "abc", 0}, {"two", "2", 2},
        {"zero", "0", 0},          {"negative", "-7", -7},     {"blanks then two", "  2x", 2},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        ChooseSourceA(4, std::string("key-") + tc.name, tc.count);
        {
            std::lock_guard lock(State().resultsLock);
            State().SourceAKeys[1] = "other-key";
        }
        ui::SetText(ui::提示_标签, {});
        const Untouched before;

        DownloadCommand();

        EXPECT_EQ(ui::GetText(ui::提示_标签), kChapterError);
        EXPECT_EQ(State().DownloadPlan[1], tc.n);
        // The key of the chosen slot has been taken all the same.
        EXPECT_EQ(State().SourceAKeys[3], std::string("key-") + tc.name);
        before.Check();
    }
    EXPECT_TRUE(a.Targets().empty());
}

TEST_F(DownloadCommandTest, SourceCShowsTheAddressAndOpensIt) {
    TempDir dir;
    const std::string record = dir.File("opened");
    ASSERT_TRUE(dir.Put("xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + record +
                                        ".tmp' && mv '" + record + ".tmp' '" + record + "'\n"));
    ASSERT_EQ(std::system(("chmod +x '" + dir.File("xdg-open") + "'").c_str()), 0);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (dir.path() + ":" + oldPath).c_str(), 1);

    const std::string address = c.Base() + "/down/7.txt?name=a b&x=1";
    {
        std::lock_guard lock(State().resultsLock);
        State().ResultLinks[3] = address;
    }
    State().SelectedSlot = 3;
    ui::SetText(ui::小说名称_编辑框, "C novel");
    const Untouched before;

    DownloadCommand();

    EXPECT_EQ(ui::GetText(ui::小说简介_编辑框), kAddressLead + address);
    before.Check();
    EXPECT_EQ(State().DownloadPlan[1], 0);
    EXPECT_TRUE(WaitFor([&] { return dir.Has("opened"); }));
    EXPECT_EQ(dir.Get("opened"), address);
    setenv("PATH", oldPath.c_str(), 1);
}

}  // namespace
}  // namespace dltest
