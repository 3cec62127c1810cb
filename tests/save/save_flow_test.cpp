// The whole road against the fake sites: search, choose, download, save.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "download/download.h"
#include "save_fixture.h"
#include "search/search.h"
#include "search/sources.h"
#include "support/fake_site.h"
#include "support/wait.h"
#include "support/site_pages.h"

namespace {

// Two novels whose names share the searched title, by different authors: source A lists both
// (slots 5 and 4), source B leads straight to the exact match (slot 1).
const std::vector<fake::ShelvedNovel>& Shelf() {
    static const std::vector<fake::ShelvedNovel> shelf = {
        {fake::GeneratedNovel(U8(u8"雾港来信"), U8(u8"沈听雨"), 7, 400), "wg1"},
        {fake::GeneratedNovel(U8(u8"雾港来信续篇"), U8(u8"白石"), 5, 400), "wg2"},
        {fake::GeneratedNovel(U8(u8"星河夜话"), U8(u8"林"), 4, 400), "xh1"},
    };
    return shelf;
}
const fake::Novel& Novel() { return Shelf()[0].novel; }
const std::string kFile = U8(u8"雾港来信-沈听雨.txt");

const ui::Ctl kResultButtons[] = {ui::搜索_超级按钮1, ui::搜索_超级按钮2, ui::搜索_超级按钮3,
                                  ui::搜索_超级按钮4, ui::搜索_超级按钮5};

// Holds a site's handler until the test opens it, or the site shuts down.
class Gate {
public:
    void Wait(const fake::FakeSite& site) {
        {
            std::lock_guard lock(m_);
            ++waiting_;
        }
        while (!IsOpen())
            if (site.WaitStopping(std::chrono::milliseconds(5))) return;
    }
    void Open() {
        std::lock_guard lock(m_);
        open_ = true;
    }
    bool IsOpen() {
        std::lock_guard lock(m_);
        return open_;
    }
    int Waiting() {
        std::lock_guard lock(m_);
        return waiting_;
    }

private:
    std::mutex m_;
    bool open_ = false;
    int waiting_ = 0;
};

class SaveFlowTest : public SaveTest {
protected:
    void SetUp() override {
        rt::ResetStop();
        SaveTest::SetUp();
        SetSourceBases(a.Base(), b.Base(), c.Base());
        SetCooldownTickMs(1);
        fake::InstallShelf(a, b, c, Shelf());
    }

    void TearDown() override {
        rt::RequestStop();
        EXPECT_TRUE(rt::WaitForThreads(30000));
        rt::ResetStop();
        SetCooldownTickMs(1000);
        SaveTest::TearDown();
    }

    // Types the title, presses the search button and waits for the slots the test needs.
    void Search(std::u8string_view title, std::vector<int> slots) {
        ASSERT_TRUE(WaitFor([] { return State().SearchCooldown.load() == 0; }));
        ui::SetText(ui::搜索_编辑框, Gbk(title));
        PressSearchButton();
        for (int slot : slots)
            ASSERT_TRUE(WaitFor([&] { return !ui::GetText(kResultButtons[slot - 1]).empty(); }))
                << "slot " << slot;
    }

    void DownloadAndWait() {
        DownloadCommand();
        ASSERT_TRUE(WaitFor([] { return Caption() == save_text::SaveCaption(); }));
    }

    static Text Caption() { return ui::GetText(ui::搜索_超级按钮); }
    static Text WorkerTexts() {
        ProgramState& s = State();
        std::lock_guard lock(s.partsLock);
        return s.PartTexts[1] + s.PartTexts[2] + s.PartTexts[3];
    }

    // The saved file is the workers' text, in GBK, holding every chapter title in order.
    void ExpectSavedNovel(const std::string& file, const Text& workerTexts) {
        const std::string bytes = dir.Get(file);
        EXPECT_EQ(bytes, workerTexts);
        bool clean = false;
        const std::string utf8 = rt::ConvertEncoding(bytes, "GBK", "UTF-8", &clean);
        EXPECT_TRUE(clean);
        std::size_t at = 0;
        for (const fake::Chapter& chapter : Novel().chapters) {
            at = utf8.find(chapter.title, at);
            ASSERT_NE(at, std::string::npos) << chapter.title;
        }
    }

    fake::FakeSite a, b, c;
};

TEST_F(SaveFlowTest, SourceANovelFromSearchToFile) {
    Search(u8"雾港来信", {5});
    ShowResult(5);
    DownloadAndWait();
    const Text texts = WorkerTexts();

    PressSearchButton();

    EXPECT_EQ(Caption(), save_text::SearchCaption());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{kFile});
    ExpectSavedNovel(kFile, texts);
    EXPECT_EQ(Tip(), SavedTip(kFile));
    EXPECT_FALSE(ui::IsVisible(ui::下载_图片框));
    EXPECT_EQ(ui::GetText(ui::下载_超级按钮), save_text::DownloadCaption());
}

TEST_F(SaveFlowTest, SourceBNovelFromSearchToFile) {
    Search(u8"雾港来信", {1});
    ShowResult(1);
    DownloadAndWait();
    const Text texts = WorkerTexts();

    PressSearchButton();

    EXPECT_EQ(Caption(), save_text::SearchCaption());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{kFile});
    ExpectSavedNovel(kFile, texts);
    EXPECT_EQ(Tip(), SavedTip(kFile));
}

TEST_F(SaveFlowTest, ShowingAnotherResultDuringTheDownloadKeepsTheFileName) {
    Search(u8"雾港来信", {4, 5});
    Gate gate;
    const fake::Novel& novel = Novel();
    a.Handle(fake::SourceAChapterPath("wg1", 1), [&](const httplib::Request&, httplib::Response& res) {
        gate.Wait(a);
        res.set_content(fake::SourceAChapterPage(novel, 1), "text/html; charset=utf-8");
    });
    ShowResult(5);
    DownloadCommand();
    ASSERT_TRUE(WaitFor([&] { return gate.Waiting() > 0; }));
    ShowResult(4);  // 雾港来信续篇 by 白石
    ASSERT_EQ(State().SelectedSlot, 4);
    gate.Open();
    ASSERT_TRUE(WaitFor([] { return Caption() == save_text::SaveCaption(); }));

    PressSearchButton();

    EXPECT_EQ(dir.Entries(), std::vector<std::string>{kFile});
    ExpectSavedNovel(kFile, WorkerTexts());
}

TEST_F(SaveFlowTest, AFailedSaveIsOfferedAgainAndSucceedsOnTheNextPress) {
    Search(u8"雾港来信", {5});
    ShowResult(5);
    DownloadAndWait();
    const Text texts = WorkerTexts();
    rt::SetWriteFailAfterBytesForTests(100);

    PressSearchButton();

    EXPECT_EQ(Tip(), save_text::Failed());
    EXPECT_EQ(Caption(), save_text::SaveCaption());
    EXPECT_TRUE(dir.Entries().empty());

    rt::SetWriteFailAfterBytesForTests(-1);
    PressSearchButton();

    EXPECT_EQ(Caption(), save_text::SearchCaption());
    EXPECT_EQ(Tip(), SavedTip(kFile));
    ExpectSavedNovel(kFile, texts);
}

// The panel is open and the user searches for something else before choosing: both buttons
// still save this novel under its own name.
TEST_F(SaveFlowTest, ThePanelSavesTheDownloadedNovelAfterANewSearch) {
    ASSERT_TRUE(dir.Put(kFile, "an older copy"));
    Search(u8"雾港来信", {5});
    ShowResult(5);
    DownloadAndWait();
    const Text texts = WorkerTexts();

    PressSearchButton();
    ASSERT_TRUE(ui::IsVisible(ui::图片框1));
    EXPECT_EQ(Caption(), save_text::SearchCaption());

    Search(u8"星河夜话", {5});
    // Every source of the new search has written its message before the panel's button is
    // pressed, so the tip label's last word is the save's.
    ASSERT_TRUE(rt::WaitForThreads(30000));
    {
        ProgramState& s = State();
        std::lock_guard lock(s.resultsLock);
        ASSERT_EQ(s.ResultNames[5], Gbk(u8"星河夜话"));
    }
    RenameSave();

    const std::vector<std::string> entries = dir.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(std::regex_match(entries[0], std::regex(U8(u8"雾港来信-沈听雨\\(\\d\\d\\)\\.txt"))))
        << entries[0];
    ExpectSavedNovel(entries[0], texts);
    EXPECT_EQ(dir.Get(kFile), "an older copy");
    EXPECT_EQ(Tip(), SavedTip(entries[0]));
}

}  // namespace
