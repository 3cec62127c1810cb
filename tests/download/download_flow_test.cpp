// Whole downloads against the fake sites: shares and order, the joined text, stop, and one
// download following another.

#include "download_fixture.h"

namespace dltest {
namespace {

const Text kStop = "\xcd\xa3\xd6\xb9";
const Text kSearch = "\xcb\xd1\xcb\xf7";
const Text kSave = "\xb1\xa3\xb4\xe6";
const Text kDownload = "\xcf\xc2\xd4\xd8";

class DownloadFlowTest : public DownloadTest {};

struct ShareCase {
    int n, w1, w2, w3;
};
const ShareCase kShares[] = {{3, 1, 1, 1}, {4, 1, 1, 2}, {10, 3, 3, 4}, {11, 3, 3, 5}};

TEST_F(DownloadFlowTest, SourceASharesAndPageOrder) {
    for (const ShareCase& tc : kShares) {
        SCOPED_TRACE(tc.n);
        const std::string key = "a" + std::to_string(tc.n);
        // Every request must see a running download: the caption is "停止" before any worker.
        // The handler owns what it touches: the site may run it after this iteration ends.
        struct Served {
            fake::Novel novel;
            std::mutex lock;
            std::vector<Text> captionsSeen;
        };
        auto served = std::make_shared<Served>();
        served->novel = fake::GeneratedNovel(key, "w", tc.n, 300);
        const fake::Novel& novel = served->novel;
        a.HandlePrefix("/" + key + "/read_", [served](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(served->lock);
                served->captionsSeen.push_back(ui::GetText(ui::搜索_超级按钮));
            }
            res.set_content(fake::SourceAChapterPage(served->novel, PageNumber(req.path)),
                            "text/html; charset=utf-8");
        });
        ChooseSourceA(tc.n % 2 ? 5 : 4, key, std::to_string(tc.n));

        DownloadCommand();
        ASSERT_TRUE(WaitFinished());
        ASSERT_TRUE(rt::WaitForThreads(20000));

        const ProgramState& s = State();
        EXPECT_EQ(s.DownloadPlan[1], tc.n);
        EXPECT_EQ(s.DownloadPlan[2], tc.w1);
        EXPECT_EQ(s.DownloadPlan[3], tc.w2);
        EXPECT_EQ(s.DownloadPlan[4], tc.w3);
        EXPECT_EQ(s.DownloadPlan[5], tc.n % 2 ? 5 : 4);
        EXPECT_EQ(s.SourceAKeys[3], key);
        EXPECT_EQ(Part(1), ExpectedRecords(novel, 1, tc.w1));
        EXPECT_EQ(Part(2), ExpectedRecords(novel, tc.w1 + 1, tc.w1 + tc.w2));
        EXPECT_EQ(Part(3), ExpectedRecords(novel, tc.w1 + tc.w2 + 1, tc.n));
        for (int p = 1; p <= tc.n; ++p) EXPECT_EQ(Asked(a, fake::SourceAChapterPath(key, p)), 1) << p;
        std::lock_guard lock(served->lock);
        EXPECT_EQ(served->captionsSeen, std::vector<Text>(static_cast<std::size_t>(tc.n), kStop));
        a.ClearRequests();
    }
}

TEST_F(DownloadFlowTest, SourceBSharesWalkTheEntriesBackwards) {
    for (const ShareCase& tc : kShares) {
        SCOPED_TRACE(tc.n);
        const fake::Novel novel = fake::GeneratedNovel("b" + std::to_string(tc.n), "w", tc.n, 300);
        const std::string toc = "/book" + std::to_string(tc.n) + "/";
        fake::InstallSourceBChapters(b, novel, toc);
        ChooseSourceB(tc.n % 2 ? 1 : 2, b.Base() + toc);

        DownloadCommand();
        ASSERT_TRUE(WaitFinished());
        ASSERT_TRUE(rt::WaitForThreads(20000));

        const ProgramState& s = State();
        ASSERT_EQ(s.ChapterLinks.size(), static_cast<std::size_t>(tc.n));
        EXPECT_EQ(s.DownloadPlan[2], tc.w1);
        EXPECT_EQ(s.DownloadPlan[3], tc.w2);
        EXPECT_EQ(s.DownloadPlan[4], tc.w3);
        EXPECT_EQ(s.DownloadPlan[5], tc.n % 2 ? 1 : 2);
        // Entry e of the table of contents is chapter n - e + 1 (newest first): worker 1 takes
        // entries N down to N - w1 + 1, worker 3 ends with entry 1.
        auto entries = [&](int from, int to) {
            return ExpectedRecords(novel, tc.n - from + 1, tc.n - to + 1);
        };
        EXPECT_EQ(Part(1), entries(tc.n, tc.n - tc.w1 + 1));
        EXPECT_EQ(Part(2), entries(tc.n - tc.w1, tc.n - tc.w1 - tc.w2 + 1));
        EXPECT_EQ(Part(3), entries(tc.n - tc.w1 - tc.w2, 1));
        EXPECT_EQ(Joined(), ExpectedRecords(novel, 1, tc.n));
        b.ClearRequests();
    }
}

// Source A pages full of the traps the cleaning pairs exist for.
TEST_F(DownloadFlowTest, SourceAJoinedTextIsExact) {
    const std::string tail = "<div id=\"navup\"><script>nav()</script></div></body></html>";
    a.Page("/trap/read_1.html",
           U8(u8"<html><body><div class=\"titlename\">第一章 \"Start\" &amp; go</div><div id=\"txttop\"></div>"
              u8"<div class=\"articlecon font-normal\"><p>　　Hello brave  new world&nbsp;！</p><p>"
              u8"　　第二段&NBSP;文字 end</P><p>x&Nbsp;y</div></div>") + tail);
    // No title block at all.
    a.Page("/trap/read_2.html",
           U8(u8"<html><body><div class=\"articlecon font-normal\">Only　text</div>") + tail);
    a.Page("/trap/read_3.html",
           U8(u8"<div class=\"titlename\"><b>第三章</b></div><div id=\"txttop\">"
              u8"<div class=\"articlecon font-normal\">Last</p><p></div>") + tail);
    ChooseSourceA(5, "trap", "3");

    DownloadCommand();
    ASSERT_TRUE(WaitFinished());

    const Text expected = ToGbk(U8(u8"第一章 \"Start\" &amp; go\r\n"
                                   u8"<p>Hellobravenewworld！　　\r\n第二段文字end　　\r\nxy"
                                   u8"\r\nOnlytext"
                                   u8"<b>第三章</b>\r\nLast　　\r\n"));
    EXPECT_EQ(Joined(), expected);
}

TEST_F(DownloadFlowTest, SourceBJoinedTextIsExact) {
    b.Page("/trap/",
           ToGbk(U8(u8"<ul><li><a href=\"c3.html\">第三章 终</a></li></ul><ul>"
                    u8"<li><span></span><a href=\"c3.html\">第三章 终</a></li>\n"
                    u8"<li><span></span><a href=\"c2.html\">第二章 \"引号\">尾巴</a></li>\n"
                    u8"<li><span></span><a href=\"c1.html\">第一章 起</a></li>\n</ul>")),
           "text/html; charset=gbk");
    const std::string report = "<div class=\"report\">report</div>";
    b.Page("/trap/c1.html",
           ToGbk(U8(u8"<div id=\"txt\">　　Hello  brave world&nbsp;<br/><br/>　　第二行<br/>同段<br/><br/>"
                    u8"<em><em>广告 ad</em></em>尾&NbSp;巴<em><em>other</em></em><em><em>广告ad</em></em>"
                    u8"</div>") + report),
           "text/html; charset=gbk");
    b.Page("/trap/c2.html", ToGbk(U8(u8"<div id=\"txt\">　　A b<em><em></em></em>c</div>") + report),
           "text/html; charset=gbk");
    b.Page("/trap/c3.html", ToGbk(U8(u8"<p id=\"txt\">末章&nbsp;&nbsp;</p>") + report),
           "text/html; charset=gbk");
    ChooseSourceB(1, b.Base() + "/trap/");

    DownloadCommand();
    ASSERT_TRUE(WaitFinished());

    const Text expected = ToGbk(U8(u8"第一章 起\r\n"
                                   u8"Hellobraveworld　　\r\n第二行<br/>同段　　\r\n尾巴<em><em>other</em></em>"
                                   u8"第二章 \"引号\r\nAbc"
                                   u8"第三章 终\r\n末章</p>"));
    EXPECT_EQ(Joined(), expected);
    EXPECT_FALSE(ui::IsVisible(ui::提示_标签));
}

// A six-page novel under "/slow/" whose page `slowPage` waits at the gate; the others come at
// once. The handler shares ownership, so a failed test cannot leave it waiting on freed memory.
struct SlowNovel {
    fake::Novel novel = fake::GeneratedNovel("slow", "w", 6, 300);
    Gate gate;
};

std::shared_ptr<SlowNovel> InstallSlowNovel(fake::FakeSite& site, int slowPage) {
    auto slow = std::make_shared<SlowNovel>();
    site.HandlePrefix("/slow/read_", [slow, slowPage](const httplib::Request& req,
                                                      httplib::Response& res) {
        const int n = PageNumber(req.path);
        if (n == slowPage) slow->gate.Wait();
        res.set_content(fake::SourceAChapterPage(slow->novel, n), "text/html; charset=utf-8");
    });
    return slow;
}

TEST_F(DownloadFlowTest, StopEndsEachWorkerAfterTheChapterInHand) {
    auto slow = InstallSlowNovel(a, 5);  // worker 3's first page
    ChooseSourceA(5, "slow", "6");
    DownloadCommand();
    ASSERT_TRUE(WaitFor([&] { return State().ChaptersDone == 4 && slow->gate.Waiting() == 1; }));

    PressSearchButton();
    EXPECT_EQ(Caption(), kSearch);
    EXPECT_EQ(ui::GetText(ui::下载_超级按钮), kDownload);
    EXPECT_FALSE(ui::IsVisible(ui::下载_图片框));
    EXPECT_FALSE(ui::IsVisible(ui::下载_标签));

    slow->gate.Open();
    ASSERT_TRUE(rt::WaitForThreads(20000));
    // The page in hand is appended but not counted; the worker's next page is never asked for.
    EXPECT_EQ(Part(3), ExpectedRecord(slow->novel, 5));
    EXPECT_EQ(State().ChaptersDone, 4);
    EXPECT_EQ(Asked(a, "/slow/read_6.html"), 0);
    EXPECT_EQ(Caption(), kSearch);
    EXPECT_NE(ui::GetText(ui::下载_标签), Gbk(u8"----- 已 下 载 完 成 -----"));
}

TEST_F(DownloadFlowTest, NextDownloadStartsWithEmptyTexts) {
    struct Case {
        const char* name;
        bool stopFirst;
    };
    for (const Case& tc : {Case{"after a stop", true}, Case{"after a finished one", false}}) {
        SCOPED_TRACE(tc.name);
        const fake::Novel first = fake::GeneratedNovel(std::string("first") + tc.name, "w", 9, 400);
        const fake::Novel second = fake::GeneratedNovel(std::string("second") + tc.name, "w", 4, 400);
        fake::InstallSourceAChapters(a, first, "first");
        fake::InstallSourceBChapters(b, second, "/second/");
        ChooseSourceA(5, "first", "9");
        DownloadCommand();
        if (tc.stopFirst) {
            ASSERT_TRUE(WaitFor([] { return State().ChaptersDone >= 3; }));
            PressSearchButton();
        } else {
            ASSERT_TRUE(WaitFinished());
        }
        ASSERT_TRUE(rt::WaitForThreads(20000));
        EXPECT_FALSE(Joined().empty());

        ChooseSourceB(2, b.Base() + "/second/");
        DownloadCommand();
        ASSERT_TRUE(WaitFinished());
        EXPECT_EQ(Joined(), ExpectedRecords(second, 1, 4));
        EXPECT_EQ(State().ChaptersDone, 4);
        EXPECT_EQ(State().DownloadPlan[5], 2);
        ASSERT_TRUE(rt::WaitForThreads(20000));
    }
}

TEST_F(DownloadFlowTest, LateChapterOfAStoppedDownloadStaysOut) {
    auto slow = InstallSlowNovel(a, 5);
    ChooseSourceA(5, "slow", "6");
    DownloadCommand();
    ASSERT_TRUE(WaitFor([&] { return State().ChaptersDone == 4 && slow->gate.Waiting() == 1; }));
    PressSearchButton();

    const fake::Novel fresh = fake::GeneratedNovel("fresh", "w", 3, 300);
    fake::InstallSourceAChapters(a, fresh, "fresh");
    ChooseSourceA(4, "fresh", "3");
    DownloadCommand();
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Joined(), ExpectedRecords(fresh, 1, 3));

    // Now the stopped download's last page arrives: it must not reach the new texts or counts.
    slow->gate.Open();
    ASSERT_TRUE(rt::WaitForThreads(20000));
    EXPECT_EQ(Asked(a, "/slow/read_5.html"), 1);
    EXPECT_EQ(Joined(), ExpectedRecords(fresh, 1, 3));
    EXPECT_EQ(State().ChaptersDone, 3);
    EXPECT_EQ(Caption(), kSave);
    EXPECT_EQ(ui::GetText(ui::下载_标签), Gbk(u8"----- 已 下 载 完 成 -----"));
    EXPECT_EQ(Asked(a, "/slow/read_6.html"), 0);
}

}  // namespace
}  // namespace dltest
