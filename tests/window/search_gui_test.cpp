// One whole search on the offscreen window with the real buttons: type a title, press the
// search button, watch the five result buttons get their captions, and show two results.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTest>
#include <memory>
#include <string>

#include "app/controls.h"
#include "app/state.h"
#include "app/window/main_window.h"
#include "search/search.h"
#include "search/sources.h"
#include "support/demo_library.h"
#include "support/fake_site.h"
#include "gui_flow.h"

namespace {

using namespace ui;

class SearchGuiTest : public GuiFlowTest {
protected:
    void Prepare() override { fake::InstallDemoLibrary(a_, b_, c_); }
};

TEST_F(SearchGuiTest, SearchFillsTheResultButtonsAndTheBoxes) {
    Type(u8"星河");
    ASSERT_EQ(GetText(搜索_编辑框), Gbk(u8"星河"));
    Click(搜索_超级按钮);

    // Source B lists three books, so every button gets its caption: 一 二 三 二 一.
    EXPECT_TRUE(Shows(搜索_超级按钮1, u8"一"));
    EXPECT_TRUE(Shows(搜索_超级按钮2, u8"二"));
    EXPECT_TRUE(Shows(搜索_超级按钮3, u8"三"));
    EXPECT_TRUE(Shows(搜索_超级按钮4, u8"二"));
    EXPECT_TRUE(Shows(搜索_超级按钮5, u8"一"));
    EXPECT_TRUE(W(提示_标签)->isVisible());

    Click(搜索_超级按钮2);
    EXPECT_TRUE(Shows(小说名称_编辑框, u8"星河旅人前传"));
    EXPECT_TRUE(Shows(小说作者_编辑框, u8"林间舟"));
    EXPECT_EQ(State().SelectedSlot, 2);

    // Source C has no latest chapter, only finished novels.
    Click(搜索_超级按钮3);
    EXPECT_TRUE(Shows(小说名称_编辑框, u8"星河旅人"));
    EXPECT_TRUE(Shows(小说最新_编辑框, u8"此小说已精校完结"));

    // 星河夜话 has no introduction: its box shows the placeholder.
    ASSERT_TRUE(rt::WaitForThreads(kWaitMs));
    SetCooldownTickMs(1);
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(W(搜索_编辑框), &focus);
    SetText(搜索_编辑框, Gbk(u8"星河夜话"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return State().SearchCooldown.load() == 0; }, kWaitMs));
    Click(搜索_超级按钮);
    EXPECT_TRUE(Shows(搜索_超级按钮5, u8"一"));
    Click(搜索_超级按钮5);
    EXPECT_TRUE(Shows(小说名称_编辑框, u8"星河夜话"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window_->ShownText(小说简介_编辑框).contains(QString::fromUtf8(U8(u8"暂 无 简 介"))); },
        kWaitMs));
}

}  // namespace
