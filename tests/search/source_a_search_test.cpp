// Source A: keys from the search page, book pages into slots 5 and 4, captions and messages.

#include "search_fixture.h"

namespace srchtest {
namespace {

fake::Novel MakeNovel(std::string name, std::string author, std::string intro, int chapters) {
    fake::Novel n;
    n.name = std::move(name);
    n.author = std::move(author);
    n.intro = std::move(intro);
    for (int i = 1; i <= chapters; ++i) n.chapters.push_back({"第" + std::to_string(i) + "章", {}});
    n.latest = n.chapters.empty() ? "" : n.chapters.back().title;
    return n;
}

const fake::PageOptions kTraps{true};

class SourceASearchTest : public SearchTest {
protected:
    // Two books whose fields carry characters with ASCII second bytes (羅 5F, 說 66, 與 63).
    fake::Novel first = MakeNovel(U8(u8"羅盤星河"), U8(u8"林說"), U8(u8"少年醒來。<br/>他說 go on。"), 9);
    fake::Novel second = MakeNovel(U8(u8"與君書"), "Mira Vale", "", 4);
    const std::string title = U8(u8"星河");
    const Slot earlier{"old name", "old author", "old latest", "77", "old intro"};
};

TEST_F(SourceASearchTest, BothBooksFillSlotsFiveAndFourThroughTheTraps) {
    a.Page(fake::SourceASearchTarget(title), fake::SourceASearchPage({{&first, "k1"}, {&second, "k_2"}}, kTraps));
    a.Page("/k1", fake::SourceABookPage(first, "k1", kTraps));
    a.Page("/k_2", fake::SourceABookPage(second, "k_2", kTraps));
    Type(title);

    SourceASearch();

    EXPECT_EQ(a.Targets(), (std::vector<std::string>{"/search.html?searchkey=%E6%98%9F%E6%B2%B3", "/k1", "/k_2"}));
    EXPECT_EQ(State().SourceAKeys[1], "k1");
    EXPECT_EQ(State().SourceAKeys[2], "k_2");
    EXPECT_EQ(ReadSlot(5), (Slot{ToGbk(first.name), ToGbk(first.author), ToGbk(U8(u8"第9章")), "9",
                                 ToGbk(U8(u8"少年醒來。\r\n他說goon。"))}));
    EXPECT_EQ(ReadSlot(4), (Slot{ToGbk(second.name), "Mira Vale", ToGbk(U8(u8"第4章")), "4", ""}));
    EXPECT_EQ(Captions(), (std::vector<Text>{"", "", "", kTwo, kOne}));
    EXPECT_EQ(Tip(), kSuccessA);
    EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
}

TEST_F(SourceASearchTest, OnlyKeyOneLeavesAnEarlierSlotFourWithoutCaption) {
    WriteSlot(4, earlier);
    a.Page(fake::SourceASearchTarget(title), fake::SourceASearchPage({{&first, "k1"}}));
    a.Page("/k1", fake::SourceABookPage(first, "k1"));
    Type(title);

    SourceASearch();

    EXPECT_EQ(a.Targets().size(), 2u);
    EXPECT_EQ(State().SourceAKeys[2], "");
    EXPECT_EQ(ReadSlot(5).name, ToGbk(first.name));
    // Slot 4 is complete, but from an earlier search: it is no result of this one.
    EXPECT_EQ(ReadSlot(4), earlier);
    EXPECT_EQ(Captions(), (std::vector<Text>{"", "", "", "", kOne}));
    EXPECT_EQ(Tip(), kSuccessA);
}

TEST_F(SourceASearchTest, OnlyKeyTwoFillsSlotFourButFailsOnSlotFive) {
    WriteSlot(5, earlier);
    a.Page(fake::SourceASearchTarget(title),
           "<p><a href=\"/searchid.php?id=k2&type=m\">" + second.name + "</a></p>");
    a.Page("/k2", fake::SourceABookPage(second, "k2"));
    Type(title);

    SourceASearch();

    EXPECT_EQ(State().SourceAKeys[1], "");
    EXPECT_EQ(State().SourceAKeys[2], "k2");
    EXPECT_EQ(ReadSlot(4).name, ToGbk(second.name));
    EXPECT_EQ(ReadSlot(5), earlier);
    EXPECT_EQ(Captions(), std::vector<Text>(5));
    EXPECT_EQ(Tip(), kFailed);
}

TEST_F(SourceASearchTest, FirstBookWithoutTitleEndsBeforeTheSecondIsFetched) {
    std::string page = fake::SourceABookPage(first, "k1");
    page.replace(page.find("class=\"title\">"), 5, "klass");
    a.Page(fake::SourceASearchTarget(title), fake::SourceASearchPage({{&first, "k1"}, {&second, "k2"}}));
    a.Page("/k1", page);
    a.Page("/k2", fake::SourceABookPage(second, "k2"));
    Type(title);

    SourceASearch();

    EXPECT_EQ(a.Targets().size(), 2u) << "key 2 must not be fetched";
    EXPECT_EQ(ReadSlot(5).name, "");
    EXPECT_EQ(ReadSlot(5).link, "9");
    EXPECT_EQ(Captions(), std::vector<Text>(5));
    EXPECT_EQ(Tip(), kFailed);
}

TEST_F(SourceASearchTest, IncompleteSecondBookOnlyLosesButtonFour) {
    std::string page = fake::SourceABookPage(second, "k2");
    page.replace(page.find("_blank\"><span>"), 6, "_frame");
    a.Page(fake::SourceASearchTarget(title), fake::SourceASearchPage({{&first, "k1"}, {&second, "k2"}}));
    a.Page("/k1", fake::SourceABookPage(first, "k1"));
    a.Page("/k2", page);
    Type(title);

    SourceASearch();

    EXPECT_EQ(ReadSlot(4).latest, "");
    EXPECT_EQ(Captions(), (std::vector<Text>{"", "", "", "", kOne}));
    EXPECT_EQ(Tip(), kSuccessA);
}

TEST_F(SourceASearchTest, UnreachableOrKeylessSearchPageTouchesNoSlot) {
    struct Case {
        const char* name;
        bool serve;  // false: the site answers 404 with an empty body
        std::string page;
    };
    const Case cases[] = {
        {"no page", false, ""},
        {"no keys", true, fake::SourceASearchPage({})},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        CreateState();
        ui::ResetControls();
        WriteSlot(5, earlier);
        {
            std::lock_guard lock(State().resultsLock);
            State().SourceAKeys[1] = "stale";
        }
        if (tc.serve) a.Page(fake::SourceASearchTarget(title), tc.page);
        Type(title);

        SourceASearch();

        EXPECT_EQ(State().SourceAKeys[1], "");
        EXPECT_EQ(ReadSlot(5), earlier);
        EXPECT_EQ(Captions(), std::vector<Text>(5));
        EXPECT_EQ(Tip(), kFailed);
    }
}

}  // namespace
}  // namespace srchtest
