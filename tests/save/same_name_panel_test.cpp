#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "save_fixture.h"

namespace {

namespace fs = std::filesystem;

// 小说-作者.txt is there already; the save has opened the panel.
class PanelTest : public SaveTest {
protected:
    void SetUp() override {
        SaveTest::SetUp();
        ASSERT_TRUE(dir.Put(kFile, kOld));
        DownloadedNovel();
        ASSERT_EQ(SaveNovel(), SaveOutcome::PanelOpened);
        // As the search button leaves it after the panel has opened.
        ui::SetText(ui::搜索_超级按钮, save_text::SearchCaption());
    }

    // The suffix numbers of every renamed copy in the run directory.
    std::vector<int> RenamedNumbers() const {
        static const std::regex renamed(U8(u8"小说-作者\\((\\d+)\\)\\.txt"));
        std::vector<int> numbers;
        for (const std::string& entry : dir.Entries()) {
            std::smatch m;
            if (std::regex_match(entry, m, renamed)) numbers.push_back(std::stoi(m[1]));
        }
        return numbers;
    }

    void ReopenPanel() {
        ui::SetText(ui::搜索_超级按钮, save_text::SaveCaption());
        ASSERT_EQ(SaveNovel(), SaveOutcome::PanelOpened);
        ui::SetText(ui::搜索_超级按钮, save_text::SearchCaption());
    }

    Text Caption() const { return ui::GetText(ui::搜索_超级按钮); }

    const std::string kFile = U8(u8"小说-作者.txt");
    const std::string kOld = "the old file, kept byte for byte";
};

TEST_F(PanelTest, RenameKeepsTheOldFileAndWritesASuffixedCopy) {
    RenameSave();

    EXPECT_FALSE(ui::IsVisible(ui::图片框1));
    EXPECT_EQ(dir.Get(kFile), kOld);
    const std::vector<int> numbers = RenamedNumbers();
    ASSERT_EQ(numbers.size(), 1u);
    EXPECT_GE(numbers[0], 11);
    EXPECT_LE(numbers[0], 99);
    const std::string renamed = U8(u8"小说-作者(") + std::to_string(numbers[0]) + ").txt";
    EXPECT_EQ(dir.Get(renamed), Joined());
    EXPECT_EQ(State().SavePath, dir.GbkFile(renamed));
    EXPECT_EQ(Tip(), SavedTip(renamed));
    EXPECT_EQ(dir.Entries().size(), 2u);
    EXPECT_EQ(Caption(), save_text::SearchCaption());
}

// Every press tests the name before writing, so no renamed copy ever replaces another.
TEST_F(PanelTest, RepeatedRenamesNeverClobberAnEarlierCopy) {
    const int presses = 40;
    for (int i = 0; i < presses; ++i) {
        if (i > 0) ReopenPanel();
        RenameSave();
        ASSERT_EQ(RenamedNumbers().size(), static_cast<std::size_t>(i + 1)) << "press " << i;
    }
    const std::vector<int> numbers = RenamedNumbers();
    for (int n : numbers) {
        EXPECT_GE(n, 11);
        EXPECT_LE(n, 99);
    }
    EXPECT_EQ(std::set<int>(numbers.begin(), numbers.end()).size(), numbers.size());
    EXPECT_EQ(dir.Get(kFile), kOld);
}

TEST_F(PanelTest, RenameTakesTheOneNumberLeftFree) {
    for (int n = 11; n <= 99; ++n) {
        if (n != 57) {
            ASSERT_TRUE(dir.Put(U8(u8"小说-作者(") + std::to_string(n) + ").txt", "taken"));
        }
    }

    RenameSave();

    const std::string renamed = U8(u8"小说-作者(57).txt");
    EXPECT_EQ(dir.Get(renamed), Joined());
    EXPECT_EQ(Tip(), SavedTip(renamed));
    EXPECT_EQ(dir.Get(U8(u8"小说-作者(11).txt")), "taken");
    EXPECT_EQ(dir.Get(U8(u8"小说-作者(99).txt")), "taken");
}

TEST_F(PanelTest, RenameFailsOnlyWhenAllNumbersAreTaken) {
    for (int n = 11; n <= 99; ++n)
        ASSERT_TRUE(dir.Put(U8(u8"小说-作者(") + std::to_string(n) + ").txt", "taken"));
    const std::vector<std::string> before = dir.Entries();

    RenameSave();

    EXPECT_EQ(Tip(), save_text::Failed());
    EXPECT_EQ(dir.Entries(), before);
    for (int n = 11; n <= 99; ++n)
        ASSERT_EQ(dir.Get(U8(u8"小说-作者(") + std::to_string(n) + ").txt"), "taken");
    EXPECT_EQ(dir.Get(kFile), kOld);
    // The save is offered again.
    EXPECT_EQ(Caption(), save_text::SaveCaption());
}

TEST_F(PanelTest, OverwriteReplacesTheBytes) {
    const Text path = State().SavePath;
    OverwriteSave();

    EXPECT_FALSE(ui::IsVisible(ui::图片框1));
    EXPECT_EQ(dir.Get(kFile), Joined());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{kFile});
    EXPECT_EQ(Tip(), SavedTip(kFile));
    EXPECT_EQ(State().SavePath, path);
    EXPECT_EQ(Caption(), save_text::SearchCaption());
}

// Failures of either button: the old file stays as it was, nothing partial is left, the text is
// kept and the search button offers the save again; the next save reopens the panel.
TEST_F(PanelTest, AFailedWriteKeepsTheOldFileAndOffersTheSaveAgain) {
    struct Case {
        const char* name;
        void (*press)();
    };
    const Case cases[] = {{"rename", RenameSave}, {"overwrite", OverwriteSave}};
    for (const Case& c : cases) {
        rt::SetWriteFailAfterBytesForTests(3);
        c.press();
        rt::SetWriteFailAfterBytesForTests(-1);

        EXPECT_EQ(Tip(), save_text::Failed()) << c.name;
        EXPECT_FALSE(ui::IsVisible(ui::图片框1)) << c.name;
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{kFile}) << c.name;
        EXPECT_EQ(dir.Get(kFile), kOld) << c.name;
        EXPECT_EQ(State().PartTexts[4], Joined()) << c.name;
        EXPECT_EQ(Caption(), save_text::SaveCaption()) << c.name;
        ASSERT_EQ(SaveNovel(), SaveOutcome::PanelOpened) << c.name;
        ui::SetText(ui::搜索_超级按钮, save_text::SearchCaption());
    }
    OverwriteSave();
    EXPECT_EQ(dir.Get(kFile), Joined());
}

TEST_F(PanelTest, OverwriteLeavesAWriteProtectedFileAlone) {
    ASSERT_EQ(chmod(dir.File(kFile).c_str(), 0444), 0);

    OverwriteSave();

    EXPECT_EQ(Tip(), save_text::Failed());
    EXPECT_EQ(dir.Get(kFile), kOld);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{kFile});
    struct stat st {};
    ASSERT_EQ(stat(dir.File(kFile).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(Caption(), save_text::SaveCaption());
}

// Any write bit is enough: a file only its group may write is not write-protected.
TEST_F(PanelTest, OverwriteReplacesAFileWithAnyWriteBit) {
    ASSERT_EQ(chmod(dir.File(kFile).c_str(), 0464), 0);
    OverwriteSave();
    EXPECT_EQ(Tip(), SavedTip(kFile));
    EXPECT_EQ(dir.Get(kFile), Joined());
}

TEST_F(PanelTest, ButtonsUseTheNameCapturedWhenThePanelOpened) {
    struct Case {
        const char* name;
        void (*press)();
    };
    const Case cases[] = {{"rename", RenameSave}, {"overwrite", OverwriteSave}};
    for (const Case& c : cases) {
        if (c.press == OverwriteSave) ReopenPanel();
        // A search started while the panel is open rewrites the slots, and a download of
        // another result takes over the plan.
        State().ResultNames[2] = "Other";
        State().ResultAuthors[2] = "Someone";
        State().ResultNames[4] = "Fourth";
        State().DownloadPlan[5] = 4;

        c.press();

        EXPECT_EQ(Tip().rfind(save_text::SavedPrefix() + dir.GbkFile(U8(u8"小说-作者")), 0), 0u)
            << c.name;
        for (const std::string& entry : dir.Entries())
            EXPECT_EQ(entry.rfind(U8(u8"小说-作者"), 0), 0u) << c.name << ": " << entry;
        State().ResultNames[2] = Gbk(u8"小说");
        State().ResultAuthors[2] = Gbk(u8"作者");
        State().DownloadPlan[5] = 2;
    }
    EXPECT_EQ(dir.Get(kFile), Joined());
}

TEST_F(PanelTest, ASecondClickBeforeThePanelHidesDoesNothing) {
    RenameSave();
    const std::vector<std::string> after = dir.Entries();
    const Text tip = Tip();

    RenameSave();
    OverwriteSave();

    EXPECT_EQ(dir.Entries(), after);
    EXPECT_EQ(dir.Get(kFile), kOld);
    EXPECT_EQ(Tip(), tip);
}

TEST_F(PanelTest, AFailureDuringANewDownloadLeavesTheStopButtonAlone) {
    const Text stop = Gbk(u8"停止");
    ui::SetText(ui::搜索_超级按钮, stop);
    ASSERT_EQ(chmod(dir.File(kFile).c_str(), 0444), 0);
    OverwriteSave();
    EXPECT_EQ(Tip(), save_text::Failed());
    EXPECT_EQ(Caption(), stop);
}

class DirectoryPanelTest : public SaveTest {
protected:
    void SetUp() override {
        SaveTest::SetUp();
        ASSERT_TRUE(fs::create_directory(dir.File("X-Y.txt")));
        ASSERT_TRUE(dir.Put("X-Y.txt/inside", "kept"));
        Downloaded(4, "X", "Y", "a", "b", "c");
        ASSERT_EQ(SaveNovel(), SaveOutcome::PanelOpened);
        ui::SetText(ui::搜索_超级按钮, save_text::SearchCaption());
    }
};

TEST_F(DirectoryPanelTest, OverwriteFailsAndLeavesTheDirectory) {
    OverwriteSave();
    EXPECT_EQ(Tip(), save_text::Failed());
    EXPECT_TRUE(fs::is_directory(dir.File("X-Y.txt")));
    EXPECT_EQ(dir.Get("X-Y.txt/inside"), "kept");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"X-Y.txt"});
    EXPECT_EQ(ui::GetText(ui::搜索_超级按钮), save_text::SaveCaption());
}

TEST_F(DirectoryPanelTest, RenameSucceeds) {
    RenameSave();
    const std::vector<std::string> entries = dir.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(std::regex_match(entries[0], std::regex(R"(X-Y\(\d\d\)\.txt)"))) << entries[0];
    EXPECT_EQ(dir.Get(entries[0]), "abc");
    EXPECT_EQ(Tip(), save_text::SavedPrefix() + dir.GbkFile(entries[0]));
}

}  // namespace
