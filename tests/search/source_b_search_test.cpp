// Source B: a book-page answer or a list answer, slots 1 and 2, captions and messages.

#include "search_fixture.h"

namespace srchtest {
namespace {

fake::Novel MakeNovel(std::string name, std::string author, std::string intro, int chapters) {
    fake::Novel n;
    n.name = std::move(name);
    n.author = std::move(author);
    n.intro = std::move(intro);
    for (int i = 1; i <= chapters; ++i) n.chapters.push_back({"第" + std::to_string(i) + "章 議", {}});
    n.latest = n.chapters.empty() ? "" : n.chapters.back().title;
    return n;
}

const fake::PageOptions kTraps{true};

class SourceBSearchTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        for (int i = 0; i < 5; ++i) {
            books.push_back(MakeNovel(U8(u8"裝訂本") + std::to_string(i + 1), U8(u8"紅葉"),
                                      U8(u8"第一行 text<br/>第二行"), 10 + i));
        }
    }

    Slot Expected(int i) const {
        return {ToGbk(books[i].name), ToGbk(books[i].author), ToGbk(books[i].latest), Toc(i),
                ToGbk(U8(u8"第一行text\r\n第二行"))};
    }
    std::string Toc(int i) const { return b.Base() + "/toc" + std::to_string(i + 1) + "/"; }
    std::string Path(int i) const { return "/book/" + std::to_string(i + 1) + ".html"; }
    void ServeBook(int i, const fake::PageOptions& options = {}) {
        b.Page(Path(i), fake::SourceBBookPage(books[i], Toc(i), options), "text/html; charset=gbk");
    }
    std::vector<fake::Listed> Listed(int count) const {
        std::vector<fake::Listed> l;
        for (int i = 0; i < count; ++i) l.push_back({&books[i], Path(i)});
        return l;
    }

    std::vector<fake::Novel> books;
    const std::string title = U8(u8"裝訂");
    const Slot earlier{"old name", "old author", "old latest", "http://old/", "old intro"};
};

TEST_F(SourceBSearchTest, BookPageAnswerFillsOnlySlotOneEvenWithAListBlock) {
    WriteSlot(2, earlier);
    // The book page holds a cover block too; "info_top()" makes it a book page all the same.
    b.Page(fake::SourceBSearchTarget(title), fake::SourceBBookPage(books[0], Toc(0), kTraps));
    Type(title);

    SourceBSearch();

    EXPECT_EQ(b.Targets(), (std::vector<std::string>{
                               "/modules/article/search.php?searchtype=keywords&searchkey=%D1%62%D3%86"}));
    EXPECT_EQ(ReadSlot(1), Expected(0));
    EXPECT_EQ(ReadSlot(2), earlier);
    EXPECT_EQ(Captions(), (std::vector<Text>{kOne, "", "", "", ""}));
    EXPECT_EQ(Tip(), kSuccessB);
    EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
}

TEST_F(SourceBSearchTest, ListOfFiveFetchesTheFirstTwoInPageOrder) {
    // The list page carries "info_top()" right after a character whose second byte is "i".
    b.Page(fake::SourceBSearchTarget(title), fake::SourceBListPage(Listed(5), kTraps));
    for (int i = 0; i < 5; ++i) ServeBook(i, kTraps);
    Type(title);

    SourceBSearch();

    ASSERT_EQ(b.Targets().size(), 3u);
    EXPECT_EQ(b.Targets()[1], Path(0));
    EXPECT_EQ(b.Targets()[2], Path(1));
    EXPECT_EQ(ReadSlot(1), Expected(0));
    EXPECT_EQ(ReadSlot(2), Expected(1));
    EXPECT_EQ(Captions(), (std::vector<Text>{kOne, kTwo, "", "", ""}));
    EXPECT_EQ(Tip(), kSuccessB);
}

TEST_F(SourceBSearchTest, ListOfOneEndsQuietly) {
    WriteSlot(1, earlier);
    ui::SetText(ui::提示_标签, kSearching);
    b.Page(fake::SourceBSearchTarget(title), fake::SourceBListPage(Listed(1)));
    ServeBook(0);
    Type(title);

    SourceBSearch();

    EXPECT_EQ(b.Targets().size(), 1u);
    EXPECT_EQ(ReadSlot(1), earlier);
    EXPECT_EQ(Captions(), std::vector<Text>(5));
    EXPECT_EQ(Tip(), kSearching);
}

TEST_F(SourceBSearchTest, SlotOneDecidesTheOutcome) {
    struct Case {
        const char* name;
        int broken;  // index of the book whose page lacks its table-of-contents link
        std::vector<Text> captions;
        Text tip;
    };
    const Case cases[] = {
        {"first incomplete", 0, std::vector<Text>(5), kFailed},
        {"second incomplete", 1, {kOne, "", "", "", ""}, kSuccessB},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        CreateState();
        ui::ResetControls();
        b.Page(fake::SourceBSearchTarget(title), fake::SourceBListPage(Listed(2)));
        ServeBook(0);
        ServeBook(1);
        std::string broken = fake::SourceBBookPage(books[tc.broken], Toc(tc.broken));
        broken.replace(broken.find("<span><a href"), 6, "<SPAN>");
        b.Page(Path(tc.broken), broken, "text/html; charset=gbk");
        Type(title);

        SourceBSearch();

        EXPECT_EQ(ReadSlot(tc.broken + 1).link, "");
        // Both slots are written whatever the outcome.
        EXPECT_EQ(ReadSlot(2 - tc.broken), Expected(1 - tc.broken));
        EXPECT_EQ(Captions(), tc.captions);
        EXPECT_EQ(Tip(), tc.tip);
    }
}

TEST_F(SourceBSearchTest, NeitherListNorBookPageFails) {
    struct Case {
        const char* name;
        bool serve;
        std::string page;
    };
    const Case cases[] = {
        {"no page", false, ""},
        {"no results", true, fake::SourceBListPage({})},
        {"list block is a bare </div>", true,
         "<div class=\"cover\r\n</div>\r\n<div class=\"footer\">x</div>"},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        CreateState();
        ui::ResetControls();
        WriteSlot(1, earlier);
        if (tc.serve) b.Page(fake::SourceBSearchTarget(title), tc.page, "text/html; charset=gbk");
        Type(title);

        SourceBSearch();

        EXPECT_EQ(ReadSlot(1), earlier);
        EXPECT_EQ(Captions(), std::vector<Text>(5));
        EXPECT_EQ(Tip(), kFailed);
    }
}

}  // namespace
}  // namespace srchtest
