// The result buttons: only a button with its own caption shows its slot and selects it.

#include "search/messages.h"
#include "search_fixture.h"

namespace srchtest {
namespace {

// Three line breaks, nine blanks, five em dashes (A1 AA), " 暂 无 简 介 ", five em dashes.
const Text kNoIntro =
    "\r\n\r\n\r\n         \xA1\xAA\xA1\xAA\xA1\xAA\xA1\xAA\xA1\xAA \xD4\xDD \xCE\xDE \xBC\xF2 \xBD\xE9 "
    "\xA1\xAA\xA1\xAA\xA1\xAA\xA1\xAA\xA1\xAA";

class ShowResultTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        for (int n = 1; n <= 5; ++n) {
            const std::string d = std::to_string(n);
            WriteSlot(n, {"name" + d, "author" + d, "latest" + d, "link" + d, "intro" + d});
        }
    }
    static std::vector<Text> Boxes() {
        return {ui::GetText(ui::小说名称_编辑框), ui::GetText(ui::小说作者_编辑框),
                ui::GetText(ui::小说最新_编辑框), ui::GetText(ui::小说简介_编辑框)};
    }
    static std::vector<Text> StartBoxes() {
        return {ui::TableEntry(ui::小说名称_编辑框).startText, ui::TableEntry(ui::小说作者_编辑框).startText,
                ui::TableEntry(ui::小说最新_编辑框).startText, ui::TableEntry(ui::小说简介_编辑框).startText};
    }
};

TEST_F(ShowResultTest, EachButtonActsOnlyWithItsOwnCaption) {
    struct Case {
        int button;
        Text caption;
        bool acts;
    };
    const Case cases[] = {
        {1, kOne, true},    {2, kTwo, true},   {3, kThree, true}, {4, kTwo, true},  {5, kOne, true},
        {1, "", false},     {1, kTwo, false},  {4, kOne, false},  {5, kTwo, false}, {3, kOne, false},
        {2, kTwo + " ", false},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE("button " + std::to_string(tc.button) + " caption '" + tc.caption + "'");
        ui::ResetControls();
        State().SelectedSlot = 0;
        ui::SetText(Button(tc.button), tc.caption);

        ShowResult(tc.button);

        const std::string d = std::to_string(tc.button);
        if (tc.acts) {
            EXPECT_EQ(Boxes(), (std::vector<Text>{"name" + d, "author" + d, "latest" + d, "intro" + d}));
            EXPECT_EQ(State().SelectedSlot, tc.button);
        } else {
            EXPECT_EQ(Boxes(), StartBoxes());
            EXPECT_EQ(State().SelectedSlot, 0);
        }
        EXPECT_EQ(Tip(), "");
    }
}

TEST_F(ShowResultTest, EmptyIntroductionShowsThePlaceholder) {
    ASSERT_EQ(kNoIntro.size(), 48u);
    EXPECT_EQ(srch::T().noIntro, kNoIntro);
    struct Case {
        const char* name;
        Text intro;
        Text shown;
    };
    const Case cases[] = {
        {"empty", "", kNoIntro},
        {"blanks only", "   ", "   "},
        {"line breaks only", "\r\n", "\r\n"},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        WriteSlot(3, {"n", "", "l", "k", tc.intro});
        ui::SetText(Button(3), kThree);
        ShowResult(3);
        EXPECT_EQ(ui::GetText(ui::小说简介_编辑框), tc.shown);
        EXPECT_EQ(ui::GetText(ui::小说作者_编辑框), "");
    }
}

TEST_F(ShowResultTest, LastButtonPressedIsTheSelectedSlot) {
    ui::SetText(Button(4), kTwo);
    ui::SetText(Button(1), kOne);
    ShowResult(4);
    ShowResult(1);
    EXPECT_EQ(State().SelectedSlot, 1);
    EXPECT_EQ(Boxes()[0], "name1");
    ShowResult(0);
    ShowResult(6);
    EXPECT_EQ(State().SelectedSlot, 1);
}

TEST(SearchTexts, CaptionsAndMessagesAreTheExactBytes) {
    const srch::SearchTexts& t = srch::T();
    struct Case {
        const char* name;
        const Text& actual;
        Text expected;
    };
    const Case cases[] = {
        {"one", t.one, kOne},
        {"two", t.two, kTwo},
        {"three", t.three, kThree},
        {"search", t.modeSearch, kModeSearch},
        {"stop", t.modeStop, kModeStop},
        {"save", t.modeSave, kModeSave},
        {"download", t.download, kDownload},
        {"empty title", t.emptyTitle, kEmptyTitle},
        {"searching", t.searching, kSearching},
        {"failed", t.failed, kFailed},
        {"success A", t.successA, kSuccessA},
        {"success B", t.successB, kSuccessB},
        {"success C", t.successC, kSuccessC},
        {"cooldown", t.cooldownHead + "8" + t.cooldownTail,
         "\r\n\r\n\xCB\xD1 \xCB\xF7 \xBC\xE4 \xB8\xF4 \xB9\xFD \xB6\xCC , \xC7\xEB \xC9\xD4 \xB5\xC8 8 \xC3\xEB "
         "\xBA\xF3 \xD4\xD9 \xCB\xD1"},
        {"finished novel", t.finishedNovel, kFinishedNovel},
    };
    for (const Case& tc : cases) EXPECT_EQ(tc.actual, tc.expected) << tc.name;
}

}  // namespace
}  // namespace srchtest
