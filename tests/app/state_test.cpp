#include "app/state.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// A state used once and created again must start as new: a second download or a test must not
// inherit texts, counters or links from the first.
TEST(ProgramState, StartsEmptyAndCreatingItAgainForgetsEverything) {
    CreateState();
    ProgramState& used = State();
    used.ResultNames[5] = "name";
    used.SelectedSlot = 3;
    used.SearchCooldown = 8;
    used.DownloadPlan[1] = 10;
    used.PartTexts[4] = "novel";
    used.SourceAKeys[3] = "key";
    used.ChapterLinks.push_back("1.html\">One");
    used.ChaptersDone = 7;
    used.SavePath = "p";
    used.TocPage = "toc";

    CreateState();
    ASSERT_TRUE(HasState());
    ProgramState& s = State();
    for (std::size_t i = 1; i <= 5; ++i) {
        EXPECT_EQ(s.ResultNames[i], "");
        EXPECT_EQ(s.ResultAuthors[i], "");
        EXPECT_EQ(s.ResultLatest[i], "");
        EXPECT_EQ(s.ResultIntros[i], "");
        EXPECT_EQ(s.ResultLinks[i], "");
        EXPECT_EQ(s.DownloadPlan[i], 0);
    }
    for (std::size_t i = 1; i <= 4; ++i) EXPECT_EQ(s.PartTexts[i], "");
    for (std::size_t i = 1; i <= 3; ++i) EXPECT_EQ(s.SourceAKeys[i], "");
    EXPECT_EQ(s.SelectedSlot, 0);
    EXPECT_EQ(s.SearchCooldown, 0);
    EXPECT_EQ(s.ChaptersDone, 0);
    EXPECT_TRUE(s.ChapterLinks.empty());
    EXPECT_EQ(s.SavePath, "");
    EXPECT_EQ(s.TocPage, "");
    ReleaseState();
    EXPECT_FALSE(HasState());
}

TEST(ProgramState, ArraysCountFromOne) {
    Array1<int, 5> a;
    EXPECT_EQ(a.size(), 5u);
    a[1] = 11;
    a[5] = 55;
    EXPECT_EQ(a[1], 11);
    EXPECT_EQ(a[5], 55);
    // Outside 1..N is refused, never a write past the end.
    EXPECT_THROW(a[0], std::out_of_range);
    EXPECT_THROW(a[6], std::out_of_range);
}

TEST(ProgramStateDeathTest, UseOutsideItsLifeStopsWithAMessage) {
    ReleaseState();
    EXPECT_DEATH(State(), "program state used outside its life");
}

}  // namespace
