#pragma once
// A fixture for flows on the offscreen window with the real buttons: fresh state and controls,
// three fake sites, the window shown, and the ways a user acts on it.

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
#include "support/fake_site.h"

class GuiFlowTest : public ::testing::Test {
protected:
    static constexpr int kWaitMs = 30000;

    // What the three sites serve, and anything else a test needs before the window opens.
    virtual void Prepare() = 0;

    void SetUp() override {
        rt::ResetStop();
        CreateState();
        ui::ResetControls();
        SetSourceBases(a_.Base(), b_.Base(), c_.Base());
        SetCooldownTickMs(1);
        Prepare();
        if (HasFatalFailure()) return;
        window_ = std::make_unique<ui::MainWindow>(ui::WindowHandlers::Program());
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    void TearDown() override {
        rt::RequestStop();
        EXPECT_TRUE(rt::WaitForThreads(30000));
        window_.reset();
        rt::ResetStop();
        SetCooldownTickMs(1000);
        ui::ResetControls();
        ReleaseState();
    }

    static std::string U8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

    QWidget* W(ui::Ctl c) { return window_->Control(c); }
    void Click(ui::Ctl c) {
        ASSERT_TRUE(W(c)->isVisible()) << ui::TableEntry(c).name;
        QTest::mouseClick(W(c), Qt::LeftButton);
    }
    // Waits until the widget shows this GBK text (a multi-line box shows line breaks as "\n").
    bool Shows(ui::Ctl c, const Text& gbk) {
        QString want = ui::ToQt(gbk);
        if (ui::TableEntry(c).multiLine) want.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return QTest::qWaitFor([&] { return window_->ShownText(c) == want; }, kWaitMs);
    }
    bool Shows(ui::Ctl c, std::u8string_view utf8) { return Shows(c, Gbk(utf8)); }
    bool ShownSoon(ui::Ctl c, bool shown) {
        return QTest::qWaitFor([&] { return W(c)->isVisible() == shown; }, kWaitMs);
    }

    // Focus clears the hint; the title arrives as an input method delivers it.
    void Type(std::u8string_view title) {
        QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(W(ui::搜索_编辑框), &focus);
        ASSERT_TRUE(Shows(ui::搜索_编辑框, Text()));
        for (QChar ch : QString::fromUtf8(U8(title))) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(W(ui::搜索_编辑框), &press);
        }
    }

    fake::FakeSite a_, b_, c_;
    std::unique_ptr<ui::MainWindow> window_;
};
