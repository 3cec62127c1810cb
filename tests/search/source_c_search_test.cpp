// Source C: search page, book page and download page into slot 3; silent on failure.

#include "search_fixture.h"

namespace srchtest {
namespace {

const fake::PageOptions kTraps{true};

class SourceCSearchTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            fake::Novel n;
            n.name = U8(u8"說書人") + std::to_string(i + 1);
            n.author = U8(u8"興安 Lin");
            n.intro = U8(u8"一 段<br/>二段");
            books.push_back(n);
        }
    }
    std::string Book(int i) const { return c.Url("/txt/" + std::to_string(i + 1) + ".html"); }
    std::string Down(int i) const { return c.Url("/down/" + std::to_string(i + 1) + ".html"); }
    std::vector<fake::Listed> Listed() const {
        std::vector<fake::Listed> l;
        for (int i = 0; i < 3; ++i) l.push_back({&books[i], Book(i)});
        return l;
    }
    void ServeAll(const fake::PageOptions& options = {}) {
        c.Page(fake::SourceCSearchTarget(title), fake::SourceCSearchPage(Listed(), options));
        for (int i = 0; i < 3; ++i) {
            c.Page("/txt/" + std::to_string(i + 1) + ".html",
                   fake::SourceCBookPage(books[i], Book(i), Down(i), options));
            c.Page("/down/" + std::to_string(i + 1) + ".html",
                   fake::SourceCDownloadPage(books[i], {c.Url("/f/a.txt"), c.Url("/f/b.txt")}, options));
        }
    }

    std::vector<fake::Novel> books;
    const std::string title = "Lin";
    const Slot earlier{"old name", "old author", "old latest", "http://old/", "old intro"};
};

TEST_F(SourceCSearchTest, FirstBookOfSeveralFillsSlotThreeThroughTheTraps) {
    ServeAll(kTraps);
    Type(title);

    SourceCSearch();

    EXPECT_EQ(c.Targets(), (std::vector<std::string>{"/index.php?keyword=%4C%69%6E", "/txt/1.html", "/down/1.html"}));
    // Line breaks of the introduction are dropped, not kept, on this site.
    EXPECT_EQ(ReadSlot(3), (Slot{ToGbk(books[0].name), ToGbk(U8(u8"興安 Lin")), kFinishedNovel,
                                 c.Url("/f/a.txt"), ToGbk(U8(u8"一段二段"))}));
    EXPECT_EQ(Captions(), (std::vector<Text>{"", "", kThree, "", ""}));
    EXPECT_EQ(Tip(), kSuccessC);
    EXPECT_TRUE(ui::IsVisible(ui::提示_标签));
}

TEST_F(SourceCSearchTest, FailuresStaySilent) {
    struct Case {
        const char* name;
        std::function<void()> breakSite;
        size_t requests;
        bool slotWritten;  // the book page was read before the run gave up
        Text link;         // slot 3's link afterwards, when written
    };
    const Case cases[] = {
        {"no books", [this] { c.Page(fake::SourceCSearchTarget(title), fake::SourceCSearchPage({})); },
         1, false, ""},
        {"no download address",
         [this] { c.Page("/down/1.html", fake::SourceCDownloadPage(books[0], {})); }, 3, true,
         "down"},
        {"download page missing", [this] { c.Status("/down/1.html", 404); }, 3, true, "down"},
        {"book page without its own address",
         [this] {
             c.Page("/txt/1.html", fake::SourceCBookPage(books[0], c.Url("/elsewhere"), Down(0)));
         },
         3, true, "file"},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        CreateState();
        ui::ResetControls();
        c.ClearRequests();
        WriteSlot(3, earlier);
        ui::SetText(ui::提示_标签, kSearching);
        ServeAll();
        tc.breakSite();
        Type(title);

        SourceCSearch();

        EXPECT_EQ(c.Targets().size(), tc.requests);
        EXPECT_EQ(Captions(), std::vector<Text>(5));
        EXPECT_EQ(Tip(), kSearching);
        const Slot slot = ReadSlot(3);
        if (!tc.slotWritten) {
            EXPECT_EQ(slot, earlier);
        } else {
            EXPECT_EQ(slot.latest, kFinishedNovel);
            EXPECT_EQ(slot.link, tc.link == "down" ? Down(0) : c.Url("/f/a.txt"));
        }
    }
}

TEST_F(SourceCSearchTest, IntroductionEndsAtEitherMarker) {
    struct Case {
        const char* name;
        std::string tail;  // what follows the introduction on the book page
        Text intro;
    };
    const Case cases[] = {
        {"paragraph end", "</p><p class=\"meta\">x</p>", ToGbk(U8(u8"简介"))},
        {"quote block", "<p class=\"yinyong\">x</p>", ToGbk(U8(u8"简介"))},
        {"neither", "<p>x</p>", ""},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        CreateState();
        ui::ResetControls();
        ServeAll();
        c.Page("/txt/1.html", "<a href=\"" + Book(0) + U8(u8"\">《甲》作者：乙</a><p class=\"filetit\"><a href=\"") +
                                  Down(0) + U8(u8"\" rel=\"external\">x</a></p><p>【内容简介】：简介") + tc.tail);
        Type(title);

        SourceCSearch();

        EXPECT_EQ(ReadSlot(3).name, ToGbk(U8(u8"甲")));
        EXPECT_EQ(ReadSlot(3).author, ToGbk(U8(u8"乙")));
        EXPECT_EQ(ReadSlot(3).intro, tc.intro);
        EXPECT_EQ(ui::GetText(ui::搜索_超级按钮3), kThree);
    }
}

}  // namespace
}  // namespace srchtest
