// The search button: refusals, the cooldown, the stop and save roles, the reset before any
// result arrives, and a whole search of the three sites.

#include <cstdlib>

#include "save/save.h"
#include "search/search_shared.h"
#include "search_fixture.h"
#include "support/temp_dir.h"

namespace srchtest {
namespace {

class SearchCommandTest : public SearchTest {
protected:
    // Captions and boxes as an earlier search left them.
    void ShowEarlierResults() {
        const Text captions[] = {kOne, kTwo, kThree, kTwo, kOne};
        for (int n = 1; n <= 5; ++n) ui::SetText(Button(n), captions[n - 1]);
        ui::SetText(ui::小说名称_编辑框, "earlier name");
        ui::SetText(ui::小说作者_编辑框, "earlier author");
        ui::SetText(ui::小说最新_编辑框, "earlier latest");
        ui::SetText(ui::小说简介_编辑框, "earlier intro");
    }
    static std::vector<Text> Boxes() {
        return {ui::GetText(ui::小说名称_编辑框), ui::GetText(ui::小说作者_编辑框),
                ui::GetText(ui::小说最新_编辑框), ui::GetText(ui::小说简介_编辑框)};
    }
    static std::vector<Text> StartBoxes() {
        return {ui::TableEntry(ui::小说名称_编辑框).startText, ui::TableEntry(ui::小说作者_编辑框).startText,
                ui::TableEntry(ui::小说最新_编辑框).startText, ui::TableEntry(ui::小说简介_编辑框).startText};
    }
    size_t AllRequests() const { return a.Targets().size() + b.Targets().size() + c.Targets().size(); }
};

TEST_F(SearchCommandTest, EmptyHintOrOneBlankIsRefusedAndChangesNothing) {
    const Text hint = ToGbk(U8(u8"点此输入小说名称"));
    ASSERT_EQ(ui::TableEntry(ui::搜索_编辑框).startText, hint);
    for (const Text& title : {Text(), hint, Text(" ")}) {
        SCOPED_TRACE("title '" + title + "'");
        ShowEarlierResults();
        ui::SetText(ui::提示_标签, "");
        ui::SetVisible(ui::提示_标签, false);
        ui::SetText(ui::搜索_编辑框, title);
        const int before = srch::CurrentSearch();

        PressSearchButton();

        EXPECT_EQ(Tip(), kEmptyTitle);
        EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
        EXPECT_EQ(Captions(), (std::vector<Text>{kOne, kTwo, kThree, kTwo, kOne}));
        EXPECT_EQ(Boxes()[0], "earlier name");
        EXPECT_EQ(State().SearchCooldown.load(), 0);
        EXPECT_EQ(srch::CurrentSearch(), before);
        EXPECT_EQ(rt::RunningThreads(), 0);
    }
    EXPECT_EQ(AllRequests(), 0u);
}

TEST_F(SearchCommandTest, TwoBlanksAreSearched) {
    ui::SetText(ui::搜索_编辑框, "  ");
    PressSearchButton();
    ASSERT_TRUE(a.WaitForRequests(1, std::chrono::seconds(20)));
    ASSERT_TRUE(b.WaitForRequests(1, std::chrono::seconds(20)));
    ASSERT_TRUE(c.WaitForRequests(1, std::chrono::seconds(20)));
    EXPECT_EQ(a.Targets()[0], "/search.html?searchkey=%20%20");
    EXPECT_EQ(b.Targets()[0], "/modules/article/search.php?searchtype=keywords&searchkey=%20%20");
    EXPECT_EQ(c.Targets()[0], "/index.php?keyword=%20%20");
}

TEST_F(SearchCommandTest, AcceptedPressResetsResultsBeforeAnySourceAnswers) {
    // Every search page waits at a gate, so nothing a source does can hide the reset.
    const std::string title = "abc";
    for (fake::FakeSite* site : {&a, &b, &c}) {
        const std::string target = site == &a   ? fake::SourceASearchTarget(title)
                                   : site == &b ? fake::SourceBSearchTarget(title)
                                                : fake::SourceCSearchTarget(title);
        site->Handle(target, [this, site](const httplib::Request&, httplib::Response& res) {
            gate.Wait(*site);
            res.set_content("", "text/html");
        });
    }
    ShowEarlierResults();
    Type(title);
    SetCooldownTickMs(60000);  // a slow thread start must not let a second tick pass

    PressSearchButton();

    // Checked at once, on the pressing thread: the reset is part of the press.
    EXPECT_EQ(Captions(), std::vector<Text>(5));
    EXPECT_EQ(Boxes(), StartBoxes());
    EXPECT_EQ(Tip(), kSearching);
    EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
    const int cooldown = State().SearchCooldown.load();
    EXPECT_TRUE(cooldown == 8 || cooldown == 7) << cooldown;
    ASSERT_TRUE(gate.WaitUntilWaiting(3));
    gate.Open();
}

TEST_F(SearchCommandTest, CooldownMessageNamesTheSecondsLeft) {
    for (int left = 1; left <= 8; ++left) {
        SCOPED_TRACE(left);
        ShowEarlierResults();
        Type("abc");
        State().SearchCooldown.store(left);
        const int before = srch::CurrentSearch();

        PressSearchButton();

        EXPECT_EQ(Tip(), kCooldownHead + std::to_string(left) + kCooldownTail);
        EXPECT_EQ(State().SearchCooldown.load(), left);
        EXPECT_EQ(Captions(), (std::vector<Text>{kOne, kTwo, kThree, kTwo, kOne}));
        EXPECT_EQ(srch::CurrentSearch(), before);
    }
    EXPECT_EQ(AllRequests(), 0u);
}

TEST_F(SearchCommandTest, SecondPressRightAfterASearchIsRefused) {
    SetCooldownTickMs(60000);  // the first decrement comes at once, the next not in this test
    Type("abc");
    PressSearchButton();
    const int first = srch::CurrentSearch();

    PressSearchButton();
    const Text tip = Tip();
    EXPECT_TRUE(tip == kCooldownHead + "8" + kCooldownTail || tip == kCooldownHead + "7" + kCooldownTail);

    ASSERT_TRUE(WaitFor([] { return State().SearchCooldown.load() == 7; }));
    PressSearchButton();
    EXPECT_EQ(Tip(), kCooldownHead + "7" + kCooldownTail);
    EXPECT_EQ(srch::CurrentSearch(), first);
}

TEST_F(SearchCommandTest, CooldownCountsDownAndTheNextSearchIsAccepted) {
    SetCooldownTickMs(15);
    Type("abc");
    PressSearchButton();
    const int first = srch::CurrentSearch();

    std::vector<int> seen;
    ASSERT_TRUE(WaitFor([&] {
        PressSearchButton();
        if (srch::CurrentSearch() != first) return true;
        const Text tip = Tip();
        if (tip.rfind(kCooldownHead, 0) == 0) seen.push_back(std::atoi(tip.c_str() + kCooldownHead.size()));
        return false;
    }));
    EXPECT_EQ(srch::CurrentSearch(), first + 1);
    // How many refusals come before the acceptance depends on the machine's pace; their
    // numbers must only count down.
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_GE(seen[i], 1);
        EXPECT_LE(seen[i], 8);
        if (i > 0) {
            EXPECT_LE(seen[i], seen[i - 1]);
        }
    }
}

TEST_F(SearchCommandTest, CooldownReachesZeroAfterEightTicks) {
    SetCooldownTickMs(1);
    State().SearchCooldown.store(8);
    RunSearchCooldown();
    EXPECT_EQ(State().SearchCooldown.load(), 0);
    // A stray run never takes the counter below zero.
    RunSearchCooldown();
    EXPECT_EQ(State().SearchCooldown.load(), 0);
}

TEST_F(SearchCommandTest, ShutdownEndsTheCooldownAtOnceAndAtZero) {
    SetCooldownTickMs(60000);
    State().SearchCooldown.store(8);
    ASSERT_TRUE(rt::StartThread(RunSearchCooldown));
    ASSERT_TRUE(WaitFor([] { return State().SearchCooldown.load() == 7; }));
    rt::RequestStop();
    ASSERT_TRUE(rt::WaitForThreads(20000));
    EXPECT_EQ(State().SearchCooldown.load(), 0);
}

TEST_F(SearchCommandTest, StopRoleEndsTheDownloadDisplayAndSearchesNothing) {
    ui::SetText(ui::搜索_超级按钮, kModeStop);
    ui::SetText(ui::下载_超级按钮, "");
    ui::SetVisible(ui::下载_图片框, true);
    ui::SetVisible(ui::下载_标签, true);
    ShowEarlierResults();
    Type("abc");
    const int before = srch::CurrentSearch();

    PressSearchButton();

    EXPECT_EQ(ui::GetText(ui::搜索_超级按钮), kModeSearch);
    EXPECT_EQ(ui::GetText(ui::下载_超级按钮), kDownload);
    EXPECT_FALSE(ui::IsVisible(ui::下载_图片框));
    EXPECT_FALSE(ui::IsVisible(ui::下载_标签));
    EXPECT_EQ(srch::CurrentSearch(), before);
    EXPECT_EQ(Captions(), (std::vector<Text>{kOne, kTwo, kThree, kTwo, kOne}));
    EXPECT_EQ(State().SearchCooldown.load(), 0);
    EXPECT_EQ(rt::RunningThreads(), 0);
}

TEST_F(SearchCommandTest, SaveRoleKeepsSaveCaptionOnlyWhenTheSaveFailed) {
    TempDir dir;
    ASSERT_TRUE(rt::SetRunDirectoryForTests(dir.gbkPath()));
    struct Case {
        const char* name;
        int slot;  // the downloaded slot; 0 gives no file name, so the save fails
        Text caption;
    };
    const Case cases[] = {{"saved", 1, kModeSearch}, {"failed", 0, kModeSave}};
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        WriteSlot(1, {"name", "author", "l", "x", ""});
        State().DownloadPlan[5] = tc.slot;
        {
            std::lock_guard lock(State().partsLock);
            State().PartTexts[1] = "text";
        }
        ui::SetText(ui::搜索_超级按钮, kModeSave);
        Type("abc");

        PressSearchButton();

        EXPECT_EQ(ui::GetText(ui::搜索_超级按钮), tc.caption);
        EXPECT_EQ(State().SearchCooldown.load(), 0) << "a save is no search";
    }
    EXPECT_TRUE(dir.Has("name-author.txt"));
    EXPECT_EQ(AllRequests(), 0u);
}

TEST_F(SearchCommandTest, WholeSearchFillsTheFiveButtons) {
    static const std::vector<fake::ShelvedNovel> shelf = [] {
        auto make = [](std::string name, std::string author, int chapters) {
            fake::Novel n;
            n.name = std::move(name);
            n.author = std::move(author);
            n.intro = U8(u8"简介<br/>第二行");
            for (int i = 1; i <= chapters; ++i) n.chapters.push_back({"c" + std::to_string(i), {"p"}});
            n.latest = n.chapters.back().title;
            return n;
        };
        return std::vector<fake::ShelvedNovel>{{make(U8(u8"星河旅人"), U8(u8"林"), 5), "k1"},
                                               {make(U8(u8"星河旅人前传"), U8(u8"林"), 4), "k2"}};
    }();
    fake::InstallShelf(a, b, c, shelf);
    SetCooldownTickMs(1);
    Type(U8(u8"星河旅人"));

    PressSearchButton();
    ASSERT_TRUE(rt::WaitForThreads(20000));

    // Source B leads straight to the book; sources A and C list both.
    EXPECT_EQ(Captions(), (std::vector<Text>{kOne, "", kThree, kTwo, kOne}));
    const Text tip = Tip();
    EXPECT_TRUE(tip == kSuccessA || tip == kSuccessB || tip == kSuccessC);
    EXPECT_EQ(ReadSlot(1).link, b.Url("/k1/"));
    EXPECT_EQ(ReadSlot(3).link, c.Url("/files/k1.txt"));
    EXPECT_EQ(ReadSlot(4).name, ToGbk(U8(u8"星河旅人前传")));
    EXPECT_EQ(ReadSlot(5).link, "5");
    EXPECT_EQ(State().SearchCooldown.load(), 0);

    ShowResult(4);
    EXPECT_EQ(Boxes(), (std::vector<Text>{ToGbk(U8(u8"星河旅人前传")), ToGbk(U8(u8"林")), "c4",
                                          ToGbk(U8(u8"简介\r\n第二行"))}));
    EXPECT_EQ(State().SelectedSlot, 4);
}

}  // namespace
}  // namespace srchtest
