// The whole road on the offscreen window with the real buttons: type a title, search, choose a
// result, download, save; then download again and meet the same-name panel, once choosing the
// renamed copy and once the overwrite.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/state.h"
#include "app/window/main_window.h"
#include "save/messages.h"
#include "search/search.h"
#include "search/sources.h"
#include "support/fake_site.h"
#include "support/site_pages.h"
#include "support/temp_dir.h"
#include "gui_flow.h"

namespace {

using namespace ui;

std::string U8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

const std::vector<fake::ShelvedNovel>& Shelf() {
    static const std::vector<fake::ShelvedNovel> shelf = {
        {fake::GeneratedNovel(U8(u8"雾港来信"), U8(u8"沈听雨"), 6, 500), "wg1"},
    };
    return shelf;
}
const std::string kFile = U8(u8"雾港来信-沈听雨.txt");

class SaveGuiTest : public GuiFlowTest {
protected:
    void Prepare() override {
        fake::InstallShelf(a_, b_, c_, Shelf());
        ASSERT_TRUE(rt::SetRunDirectoryForTests(dir_.gbkPath()));
    }

    // Download the chosen result with the download button and wait for the save button.
    void Download() {
        Click(下载_超级按钮);
        ASSERT_TRUE(Shows(搜索_超级按钮, save_text::SaveCaption()));
    }

    static Text WorkerTexts() {
        ProgramState& s = State();
        std::lock_guard lock(s.partsLock);
        return s.PartTexts[1] + s.PartTexts[2] + s.PartTexts[3];
    }

    TempDir dir_;
};

TEST_F(SaveGuiTest, SearchChooseDownloadSaveThenRenameAndOverwrite) {
    // Search and choose source A's first book.
    Type(u8"雾港来信");
    ASSERT_EQ(GetText(搜索_编辑框), Gbk(u8"雾港来信"));
    Click(搜索_超级按钮);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->ShownText(搜索_超级按钮5).isEmpty(); },
                                kWaitMs))
        << GbkToUtf8(GetText(提示_标签)) << " / " << GbkToUtf8(GetText(搜索_超级按钮5));
    Click(搜索_超级按钮5);
    ASSERT_TRUE(Shows(小说名称_编辑框, Gbk(u8"雾港来信")));

    // First download: the file is written.
    Download();
    const Text first = WorkerTexts();
    Click(搜索_超级按钮);
    EXPECT_EQ(dir_.Get(kFile), first);
    EXPECT_TRUE(Shows(提示_标签, save_text::SavedPrefix() + dir_.GbkFile(kFile)));
    EXPECT_TRUE(Shows(搜索_超级按钮, save_text::SearchCaption()));
    EXPECT_TRUE(Shows(下载_超级按钮, save_text::DownloadCaption()));
    EXPECT_TRUE(ShownSoon(下载_图片框, false));
    EXPECT_TRUE(ShownSoon(图片框1, false));

    // Second download of the same novel: the panel opens with both sizes.
    Download();
    Click(搜索_超级按钮);
    ASSERT_TRUE(ShownSoon(图片框1, true));
    const Text size = rt::FormatNumber(first.size() / 1048576.0, 2) + "M";
    EXPECT_TRUE(Shows(原尺寸_标签, size));
    EXPECT_TRUE(Shows(现尺寸_标签, size));
    EXPECT_TRUE(Shows(搜索_超级按钮, save_text::SearchCaption()));

    Click(原尺寸_超级按钮);
    ASSERT_TRUE(ShownSoon(图片框1, false));
    const std::vector<std::string> entries = dir_.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(std::regex_match(entries[0], std::regex(U8(u8"雾港来信-沈听雨\\(\\d\\d\\)\\.txt"))))
        << entries[0];
    EXPECT_EQ(dir_.Get(entries[0]), WorkerTexts());
    EXPECT_EQ(dir_.Get(kFile), first);
    EXPECT_TRUE(Shows(提示_标签, save_text::SavedPrefix() + dir_.GbkFile(entries[0])));

    // Third download: overwrite the first file.
    dir_.Put(kFile, "an older copy");
    Download();
    Click(搜索_超级按钮);
    ASSERT_TRUE(ShownSoon(图片框1, true));
    EXPECT_TRUE(Shows(原尺寸_标签, "0.00M"));
    Click(现尺寸_超级按钮);
    ASSERT_TRUE(ShownSoon(图片框1, false));
    EXPECT_EQ(dir_.Get(kFile), WorkerTexts());
    EXPECT_EQ(dir_.Entries().size(), 2u);
    EXPECT_TRUE(Shows(提示_标签, save_text::SavedPrefix() + dir_.GbkFile(kFile)));
}

}  // namespace
