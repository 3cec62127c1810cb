// Chapters that come back empty or without their text: tried again, then reported.

#include <atomic>
#include <map>

#include "download_fixture.h"

namespace dltest {
namespace {

const Text kFailedHead =
    "\r\n\r\n\xd2\xd1\x20\xcf\xc2\x20\xd4\xd8\x20\xcd\xea\x20\xb3\xc9\x20\x2c\x20\xc6\xe4\x20\xd6"
    "\xd0\x20";
const Text kFailedTail = "\x20\xd5\xc2\x20\xbb\xf1\x20\xc8\xa1\x20\xca\xa7\x20\xb0\xdc";
Text PageTitle(int n) { return "\xb5\xda\x20" + std::to_string(n) + "\x20\xd2\xb3"; }  // 第 n 页

class ChapterRetryTest : public DownloadTest {};

// How a page answers on its first, second, third ... request.
enum class Answer { Page, Empty500, NoText, NotFound };

struct Scripted {
    fake::Novel novel;
    std::map<int, std::vector<Answer>> script;  // page -> answers in turn; the last one repeats
    std::mutex lock;
    std::map<int, int> asked;
};

std::shared_ptr<Scripted> InstallScripted(fake::FakeSite& site, const std::string& key, int pages,
                                          std::map<int, std::vector<Answer>> script) {
    auto s = std::make_shared<Scripted>();
    s->novel = fake::GeneratedNovel(key, "w", pages, 200);
    s->script = std::move(script);
    site.HandlePrefix("/" + key + "/read_", [s](const httplib::Request& req, httplib::Response& res) {
        const int n = PageNumber(req.path);
        Answer answer = Answer::Page;
        {
            std::lock_guard lock(s->lock);
            const int turn = s->asked[n]++;
            auto it = s->script.find(n);
            if (it != s->script.end())
                answer = it->second[std::min<std::size_t>(turn, it->second.size() - 1)];
        }
        std::string page = fake::SourceAChapterPage(s->novel, n);
        switch (answer) {
            case Answer::Page: break;
            case Answer::Empty500: res.status = 500; page.clear(); break;
            case Answer::NotFound: res.status = 404; page.clear(); break;
            case Answer::NoText: {
                // The title is there, the chapter text's start marker is not.
                const auto at = page.find("articlecon");
                page.replace(at, 10, "otherclass");
                break;
            }
        }
        if (!page.empty()) res.set_content(page, "text/html; charset=utf-8");
    });
    return s;
}

int AskedFor(Scripted& s, int n) {
    std::lock_guard lock(s.lock);
    return s.asked[n];
}

TEST_F(ChapterRetryTest, ChapterThatFailsTwiceThenArrivesIsComplete) {
    struct Case {
        const char* name;
        std::vector<Answer> answers;
    };
    const Case cases[] = {
        {"empty then empty", {Answer::Empty500, Answer::Empty500, Answer::Page}},
        {"no text then empty", {Answer::NoText, Answer::Empty500, Answer::Page}},
        {"once", {Answer::NotFound, Answer::Page}},
    };
    int row = 0;
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        const std::string key = "twice" + std::to_string(++row);
        auto s = InstallScripted(a, key, 3, {{2, tc.answers}});
        ChooseSourceA(5, key, "3");
        ui::SetText(ui::提示_标签, {});
        ui::SetVisible(ui::提示_标签, false);

        DownloadCommand();
        ASSERT_TRUE(WaitFinished());
        ASSERT_TRUE(rt::WaitForThreads(20000));

        EXPECT_EQ(Joined(), ExpectedRecords(s->novel, 1, 3));
        EXPECT_EQ(AskedFor(*s, 2), static_cast<int>(tc.answers.size()));
        EXPECT_EQ(AskedFor(*s, 1), 1);
        EXPECT_FALSE(ui::IsVisible(ui::提示_标签));
        EXPECT_TRUE(ui::GetText(ui::提示_标签).empty());
    }
}

TEST_F(ChapterRetryTest, ChaptersThatKeepFailingAreReportedAtCompletion) {
    // Page 2 never arrives; page 4 arrives with its title but without its text.
    auto s = InstallScripted(a, "holes", 4, {{2, {Answer::NotFound}}, {4, {Answer::NoText}}});
    ChooseSourceA(5, "holes", "4");

    DownloadCommand();
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(AskedFor(*s, 2), 3);
    EXPECT_EQ(AskedFor(*s, 4), 3);
    EXPECT_EQ(State().ChaptersDone, 4);
    // Failed chapters keep their place in the text: title (if any) and a line break.
    const Text title4 = ToGbk(s->novel.chapters[3].title);
    EXPECT_EQ(Joined(), ExpectedRecord(s->novel, 1) + "\r\n" + ExpectedRecord(s->novel, 3) +
                            title4 + "\r\n");
    EXPECT_EQ(ui::GetText(ui::提示_标签), kFailedHead + "2" + kFailedTail + "\r\n" + PageTitle(2) +
                                              "\r\n" + title4);
    EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
}

TEST_F(ChapterRetryTest, ReportListsTheFirstFiveFailuresInReadingOrder) {
    std::map<int, std::vector<Answer>> script;
    for (int p = 2; p <= 9; ++p) script[p] = {Answer::Empty500};
    auto s = InstallScripted(a, "many", 9, script);
    ChooseSourceA(5, "many", "9");

    DownloadCommand();
    ASSERT_TRUE(WaitFinished());

    Text expected = kFailedHead + "8" + kFailedTail + "\r\n";
    for (int p = 2; p <= 6; ++p) expected += (p > 2 ? "\r\n" : "") + PageTitle(p);
    EXPECT_EQ(ui::GetText(ui::提示_标签), expected);
}

TEST_F(ChapterRetryTest, SourceBFailureIsReportedByItsLinkTitle) {
    const fake::Novel novel = fake::GeneratedNovel("bholes", "w", 3, 200);
    fake::InstallSourceBChapters(b, novel, "/bholes/");
    b.Page("/bholes/2.html", "", "text/html; charset=gbk");  // chapter 2 comes back empty
    ChooseSourceB(1, b.Base() + "/bholes/");

    DownloadCommand();
    ASSERT_TRUE(WaitFinished());

    const Text title2 = ToGbk(novel.chapters[1].title);
    EXPECT_EQ(Asked(b, "/bholes/2.html"), 3);
    EXPECT_EQ(Joined(), ExpectedRecord(novel, 1) + title2 + "\r\n" + ExpectedRecord(novel, 3));
    EXPECT_EQ(ui::GetText(ui::提示_标签), kFailedHead + "1" + kFailedTail + "\r\n" + title2);
}

TEST_F(ChapterRetryTest, StopCutsTheRetryPauseShort) {
    // Pauses far longer than the test's patience: the stop must end the wait.
    SetChapterRetryPausesMs(600000, 600000);
    auto s = InstallScripted(a, "pause", 3, {{2, {Answer::Empty500}}});
    ChooseSourceA(5, "pause", "3");
    DownloadCommand();
    ASSERT_TRUE(WaitFor([&] { return State().ChaptersDone == 2 && AskedFor(*s, 2) == 1; }));

    PressSearchButton();
    ASSERT_TRUE(rt::WaitForThreads(20000));
    EXPECT_EQ(AskedFor(*s, 2), 1);
    EXPECT_EQ(Part(2), "\r\n");
    EXPECT_EQ(State().ChaptersDone, 2);
}

}  // namespace
}  // namespace dltest
