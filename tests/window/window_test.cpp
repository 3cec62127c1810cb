#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/controls.h"
#include "app/state.h"
#include "app/window/main_window.h"
#include "support/temp_dir.h"

namespace {

using namespace ui;

// The exact bytes the search button's roles and messages compare against.
const std::string kSearch = "\xCB\xD1\xCB\xF7";     // 搜索
const std::string kStop = "\xCD\xA3\xD6\xB9";       // 停止
const std::string kSave = "\xB1\xA3\xB4\xE6";       // 保存
const std::string kDownload = "\xCF\xC2\xD4\xD8";   // 下载
const std::string kEmptyTitle =
    "\r\n\r\n\xD6\xC1 \xC9\xD9 \xC4\xE3 \xB5\xC3 \xCA\xE4 \xC8\xEB \xB5\xE3 \xCA\xB2 \xC3\xB4 "
    "\xC8\xC3 \xCE\xD2 \xCB\xD1 \xB0\xC9 ?";  // 至 少 你 得 输 入 点 什 么 让 我 搜 吧 ?
const std::string kPlaceholder =
    "\xB5\xE3\xB4\xCB\xCA\xE4\xC8\xEB\xD0\xA1\xCB\xB5\xC3\xFB\xB3\xC6";  // 点此输入小说名称

constexpr int kWaitMs = 5000;

QString Displayed(const Text& gbk, bool multiLine) {
    QString s = ToQt(gbk);
    if (multiLine) s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

struct Calls {
    int pressSearch = 0;
    std::vector<int> results;
    int download = 0, rename = 0, overwrite = 0;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateState();
        ResetControls();
        Open(Recording());
    }
    void TearDown() override {
        window_.reset();
        ResetControls();
        ReleaseState();
    }

    WindowHandlers Recording() {
        WindowHandlers h;
        h.pressSearch = [this] { ++calls_.pressSearch; };
        h.showResult = [this](int n) { calls_.results.push_back(n); };
        h.download = [this] { ++calls_.download; };
        h.rename = [this] { ++calls_.rename; };
        h.overwrite = [this] { ++calls_.overwrite; };
        return h;
    }
    void Open(WindowHandlers handlers) {
        window_.reset();
        window_ = std::make_unique<MainWindow>(std::move(handlers));
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    QWidget* W(Ctl c) { return window_->Control(c); }
    QLineEdit* SearchBox() { return static_cast<QLineEdit*>(W(搜索_编辑框)); }
    QPlainTextEdit* Intro() { return static_cast<QPlainTextEdit*>(W(小说简介_编辑框)); }
    bool Shows(Ctl c, const Text& gbk) {
        return QTest::qWaitFor([&] { return window_->ShownText(c) == Displayed(gbk, TableEntry(c).multiLine); },
                               kWaitMs);
    }
    bool HiddenSoon(Ctl c, bool hidden) {
        return QTest::qWaitFor([&] { return W(c)->isHidden() == hidden; }, kWaitMs);
    }
    void Send(QObject* to, QEvent* e) { QApplication::sendEvent(to, e); }
    void Mouse(QWidget* w, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
        QMouseEvent e(type, local, global, button, buttons, Qt::NoModifier);
        Send(w, &e);
    }
    void Wheel(int angleY) {
        QWidget* vp = Intro()->viewport();
        const QPoint at(20, 20);
        QWheelEvent e(at, vp->mapToGlobal(at), QPoint(), QPoint(0, angleY), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        Send(vp, &e);
    }

    Calls calls_;
    std::unique_ptr<MainWindow> window_;
};

// ---- Controls at start ----

TEST_F(WindowTest, EveryControlSitsWhereTheTableSaysWithItsStartText) {
    EXPECT_EQ(window_->size(), QSize(320, 533));
    EXPECT_TRUE(window_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Sorvane"));
    EXPECT_FALSE(window_->windowIcon().isNull());
    for (const ControlSpec& s : ControlTable()) {
        QWidget* w = W(s.id);
        ASSERT_NE(w, nullptr) << s.name;
        EXPECT_EQ(w->objectName(), QString::fromUtf8(s.name));
        QWidget* parent = s.parent < 0 ? window_.get() : W(static_cast<Ctl>(s.parent));
        EXPECT_EQ(w->parentWidget(), parent) << s.name;
        EXPECT_EQ(w->geometry(), QRect(s.x, s.y, s.width, s.height)) << s.name;
        EXPECT_EQ(window_->ShownText(s.id), Displayed(s.startText, s.multiLine)) << s.name;
        EXPECT_EQ(!w->isHidden(), s.shownAtStart) << s.name;
        EXPECT_TRUE(w->isEnabled()) << s.name;
    }
    // Visible on screen: the panel's controls only with the panel.
    EXPECT_FALSE(W(原尺寸_超级按钮)->isVisible());
    EXPECT_TRUE(W(搜索_超级按钮)->isVisible());
}

// Siblings are drawn in table order: an earlier row lies above every later one.
TEST_F(WindowTest, StackingFollowsTheTable) {
    const auto& table = ControlTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        for (std::size_t j = i + 1; j < table.size(); ++j) {
            if (table[i].parent != table[j].parent) continue;
            QWidget* upper = W(table[i].id);
            QWidget* lower = W(table[j].id);
            const QObjectList& kids = upper->parentWidget()->children();
            EXPECT_GT(kids.indexOf(upper), kids.indexOf(lower))
                << table[i].name << " should lie above " << table[j].name;
        }
    }
}

TEST_F(WindowTest, StartsWithEmptyResultButtonsAndNoSelection) {
    for (Ctl c : {搜索_超级按钮1, 搜索_超级按钮2, 搜索_超级按钮3, 搜索_超级按钮4, 搜索_超级按钮5}) {
        EXPECT_TRUE(window_->ShownText(c).isEmpty()) << TableEntry(c).name;
        EXPECT_EQ(GetText(c), "") << TableEntry(c).name;
    }
    EXPECT_EQ(State().SelectedSlot, 0);
    EXPECT_EQ(window_->ShownText(小说名称_编辑框), QStringLiteral("Sorvane"));
    EXPECT_EQ(window_->ShownText(小说作者_编辑框), QStringLiteral("tovrenik"));
    EXPECT_EQ(window_->ShownText(小说最新_编辑框), QStringLiteral("V.1.0"));
}

// ---- Model to widgets, widgets to model ----

TEST_F(WindowTest, ModelChangesReachTheWidgets) {
    SetText(搜索_超级按钮3, Gbk(u8"结果3"));
    SetText(小说简介_编辑框, "line one\r\nline two");
    SetVisible(图片框1, true);
    SetWidth(下载_图片框, 40);
    EXPECT_TRUE(Shows(搜索_超级按钮3, Gbk(u8"结果3")));
    EXPECT_TRUE(Shows(小说简介_编辑框, "line one\r\nline two"));
    EXPECT_EQ(Intro()->document()->blockCount(), 2);
    EXPECT_TRUE(HiddenSoon(图片框1, false));
    EXPECT_TRUE(W(原尺寸_超级按钮)->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return W(下载_图片框)->width() == 40; }, kWaitMs));
    EXPECT_EQ(W(下载_图片框)->height(), 28);
}

TEST_F(WindowTest, TypingWritesTheTitleIntoTheModel) {
    SetText(搜索_编辑框, "");
    ASSERT_TRUE(Shows(搜索_编辑框, ""));
    // Typed the way an input method delivers Chinese: key events that carry their text.
    for (QChar ch : QString::fromUtf8(u8"小说 a")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        Send(SearchBox(), &press);
    }
    EXPECT_EQ(GetText(搜索_编辑框), "\xD0\xA1\xCB\xB5 a");
    QTest::keyClick(SearchBox(), Qt::Key_Backspace);
    EXPECT_EQ(GetText(搜索_编辑框), "\xD0\xA1\xCB\xB5 ");
    // Nothing comes back from the model to undo or repeat the typing.
    QCoreApplication::processEvents();
    EXPECT_EQ(SearchBox()->text(), QString::fromUtf8(u8"小说 "));
    EXPECT_EQ(SearchBox()->cursorPosition(), 3) << "the caret stays where the user typed";
}

// ---- Chrome handlers ----

TEST_F(WindowTest, PlaceholderComesAndGoesWithTheFocus) {
    struct Case {
        const char* name;
        std::string before;
        QEvent::Type focus;
        std::string after;
    };
    const Case cases[] = {
        {"placeholder cleared on focus", kPlaceholder, QEvent::FocusIn, ""},
        {"typed title kept on focus", "abc", QEvent::FocusIn, "abc"},
        {"empty restored on leave", "", QEvent::FocusOut, kPlaceholder},
        {"one blank restored on leave", " ", QEvent::FocusOut, kPlaceholder},
        {"two blanks kept on leave", "  ", QEvent::FocusOut, "  "},
        {"title kept on leave", "abc", QEvent::FocusOut, "abc"},
        {"placeholder kept on leave", kPlaceholder, QEvent::FocusOut, kPlaceholder},
    };
    for (const Case& c : cases) {
        SetText(搜索_编辑框, c.before);
        ASSERT_TRUE(Shows(搜索_编辑框, c.before)) << c.name;
        QFocusEvent e(c.focus, Qt::MouseFocusReason);
        Send(SearchBox(), &e);
        EXPECT_EQ(GetText(搜索_编辑框), c.after) << c.name;
        EXPECT_TRUE(Shows(搜索_编辑框, c.after)) << c.name;
    }
}

// A click into the box and the first key come one right after the other: the key must meet
// the emptied box, not the hint.
TEST_F(WindowTest, TypingRightAfterTheFocusReplacesTheHint) {
    ASSERT_TRUE(Shows(搜索_编辑框, kPlaceholder));
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    Send(SearchBox(), &in);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    Send(SearchBox(), &key);
    EXPECT_EQ(GetText(搜索_编辑框), "x");
    QCoreApplication::processEvents();
    EXPECT_EQ(SearchBox()->text(), QStringLiteral("x"));
}

TEST_F(WindowTest, EnterRunsTheSearchButtonAndOtherKeysDoNot) {
    QTest::keyClick(SearchBox(), Qt::Key_Return);
    QTest::keyClick(SearchBox(), Qt::Key_Enter);
    EXPECT_EQ(calls_.pressSearch, 2);
    QTest::keyClick(SearchBox(), Qt::Key_A);
    QTest::keyClick(SearchBox(), Qt::Key_Tab);
    EXPECT_EQ(calls_.pressSearch, 2);
}

TEST_F(WindowTest, ButtonsRunTheirRoutines) {
    QTest::mouseClick(W(搜索_超级按钮), Qt::LeftButton);
    QTest::mouseClick(W(下载_超级按钮), Qt::LeftButton);
    for (Ctl c : {搜索_超级按钮1, 搜索_超级按钮2, 搜索_超级按钮3, 搜索_超级按钮4, 搜索_超级按钮5})
        QTest::mouseClick(W(c), Qt::LeftButton);
    SetVisible(图片框1, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W(原尺寸_超级按钮)->isVisible(); }, kWaitMs));
    QTest::mouseClick(W(原尺寸_超级按钮), Qt::LeftButton);
    QTest::mouseClick(W(现尺寸_超级按钮), Qt::LeftButton);
    EXPECT_EQ(calls_.pressSearch, 1);
    EXPECT_EQ(calls_.download, 1);
    EXPECT_EQ(calls_.results, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(calls_.rename, 1);
    EXPECT_EQ(calls_.overwrite, 1);
}

TEST_F(WindowTest, TipLabelHidesWhenTheMouseMovesOverIt) {
    SetText(提示_标签, kEmptyTitle);
    SetVisible(提示_标签, true);
    ASSERT_TRUE(HiddenSoon(提示_标签, false));
    QWidget* tip = W(提示_标签);
    Mouse(tip, QEvent::MouseMove, QPoint(30, 30), tip->mapToGlobal(QPoint(30, 30)), Qt::NoButton,
          Qt::NoButton);
    EXPECT_FALSE(IsVisible(提示_标签));
    EXPECT_TRUE(HiddenSoon(提示_标签, true));
    // The next message shows it again.
    SetVisible(提示_标签, true);
    EXPECT_TRUE(HiddenSoon(提示_标签, false));
}

TEST_F(WindowTest, WheelKeyFollowsTheSignOfTheTurn) {
    struct Case {
        int delta;
        int key;
    };
    const Case cases[] = {{-120, Qt::Key_Down}, {120, Qt::Key_Up},   {-360, Qt::Key_Down},
                          {240, Qt::Key_Up},    {-15, Qt::Key_Down}, {8, Qt::Key_Up},
                          {0, 0}};
    for (const Case& c : cases) EXPECT_EQ(WheelKey(c.delta), c.key) << c.delta;
}

TEST_F(WindowTest, WheelMovesTheCaretOneLinePerEventAndReachesTheEnd) {
    Text intro;
    constexpr int kLines = 60;
    for (int i = 1; i <= kLines; ++i) intro += "line " + std::to_string(i) + (i < kLines ? "\r\n" : "");
    SetText(小说简介_编辑框, intro);
    ASSERT_TRUE(Shows(小说简介_编辑框, intro));
    auto line = [&] { return Intro()->textCursor().blockNumber(); };
    ASSERT_EQ(line(), 0);

    Wheel(-120);  // toward the user
    EXPECT_TRUE(QTest::qWaitFor([&] { return line() == 1; }, kWaitMs));
    Wheel(-360);  // three notches at once still move one line
    EXPECT_TRUE(QTest::qWaitFor([&] { return line() == 2; }, kWaitMs));
    Wheel(120);   // away from the user
    EXPECT_TRUE(QTest::qWaitFor([&] { return line() == 1; }, kWaitMs));
    Wheel(-20);   // a fraction of a notch from a fine wheel
    EXPECT_TRUE(QTest::qWaitFor([&] { return line() == 2; }, kWaitMs));

    QScrollBar* bar = Intro()->verticalScrollBar();
    EXPECT_EQ(bar->value(), 0);
    for (int i = 0; i < kLines + 5; ++i) {
        const int before = line();
        Wheel(-120);
        EXPECT_TRUE(QTest::qWaitFor([&] { return line() != before || before == kLines - 1; }, kWaitMs));
    }
    EXPECT_EQ(line(), kLines - 1);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "the last line is in view";
}

TEST_F(WindowTest, DraggingTheTitleStripMovesTheWindow) {
    window_->move(50, 50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->pos() == QPoint(50, 50); }, kWaitMs));
    const QPoint start = window_->pos();
    QWidget* title = W(窗口移动_标签);
    const QPoint at(60, 14);
    const QPoint g = title->mapToGlobal(at);
    Mouse(title, QEvent::MouseButtonPress, at, g, Qt::LeftButton, Qt::LeftButton);
    Mouse(title, QEvent::MouseMove, at, g + QPoint(10, 5), Qt::NoButton, Qt::LeftButton);
    Mouse(title, QEvent::MouseMove, at, g + QPoint(30, 45), Qt::NoButton, Qt::LeftButton);
    Mouse(title, QEvent::MouseButtonRelease, at, g + QPoint(30, 45), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_->pos() == start + QPoint(30, 45); }, kWaitMs))
        << window_->pos().x() << "," << window_->pos().y();

    // Once the button is up the window stays put.
    const QPoint after = window_->pos();
    Mouse(title, QEvent::MouseMove, at, g + QPoint(90, 90), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window_->pos(), after);
}

TEST_F(WindowTest, DraggingAnythingElseDoesNotMoveTheWindow) {
    const QPoint start = window_->pos();
    struct Case {
        Ctl ctl;
        Qt::MouseButton button;
    };
    const Case cases[] = {{标签2, Qt::LeftButton},
                          {小说名称_编辑框, Qt::LeftButton},
                          {标签1, Qt::LeftButton},
                          {窗口移动_标签, Qt::RightButton}};
    for (const Case& c : cases) {
        QWidget* w = W(c.ctl);
        const QPoint at(20, 10);
        const QPoint g = w->mapToGlobal(at);
        Mouse(w, QEvent::MouseButtonPress, at, g, c.button, c.button);
        Mouse(w, QEvent::MouseMove, at + QPoint(40, 40), g + QPoint(40, 40), Qt::NoButton, c.button);
        Mouse(w, QEvent::MouseButtonRelease, at + QPoint(40, 40), g + QPoint(40, 40), c.button,
              Qt::NoButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(window_->pos(), start) << TableEntry(c.ctl).name;
    }
}

// ---- The search button's three roles, through the program's own routines ----

class WindowRolesTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Open(WindowHandlers::Program());
        ASSERT_TRUE(rt::SetRunDirectoryForTests(dir_.gbkPath()));
    }
    TempDir dir_;
};

TEST_F(WindowRolesTest, EnterWithNoTitleRefusesTheSearch) {
    ASSERT_EQ(GetText(搜索_超级按钮), kSearch);
    QTest::keyClick(SearchBox(), Qt::Key_Return);
    EXPECT_EQ(GetText(提示_标签), kEmptyTitle);
    EXPECT_TRUE(HiddenSoon(提示_标签, false));
    EXPECT_TRUE(Shows(提示_标签, kEmptyTitle));
    EXPECT_EQ(rt::RunningThreads(), 0);
}

TEST_F(WindowRolesTest, EnterDuringADownloadStopsIt) {
    SetText(搜索_超级按钮, kStop);
    SetText(下载_超级按钮, "");
    SetVisible(下载_图片框, true);
    SetVisible(下载_标签, true);
    QTest::keyClick(SearchBox(), Qt::Key_Return);
    EXPECT_EQ(GetText(搜索_超级按钮), kSearch);
    EXPECT_EQ(GetText(下载_超级按钮), kDownload);
    EXPECT_TRUE(Shows(搜索_超级按钮, kSearch));
    EXPECT_TRUE(HiddenSoon(下载_图片框, true));
    EXPECT_TRUE(HiddenSoon(下载_标签, true));
}

TEST_F(WindowRolesTest, EnterAfterACompleteDownloadSavesIt) {
    ProgramState& s = State();
    s.ResultNames[2] = "ABC";
    s.ResultAuthors[2] = "XYZ";
    s.DownloadPlan[5] = 2;
    s.PartTexts[1] = "one\r\n";
    s.PartTexts[2] = "two\r\n";
    s.PartTexts[3] = "three";
    SetText(搜索_超级按钮, kSave);
    QTest::keyClick(SearchBox(), Qt::Key_Return);
    EXPECT_EQ(dir_.Get("ABC-XYZ.txt"), "one\r\ntwo\r\nthree");
    EXPECT_EQ(GetText(搜索_超级按钮), kSearch);
    EXPECT_TRUE(Shows(搜索_超级按钮, kSearch));
}

// ---- Writers on many threads ----

// Writes from several threads reach the widgets in the order the model took them, control by
// control, with nothing lost or repeated.
TEST_F(WindowTest, WritesFromManyThreadsReachTheWidgetsInOrder) {
    const Ctl own[] = {搜索_超级按钮1, 搜索_超级按钮2, 搜索_超级按钮3, 搜索_超级按钮4};
    constexpr int kWrites = 300;
    std::map<Ctl, std::vector<Text>> applied;  // window's thread only
    window_->SetAppliedObserver([&](const Change& c) {
        if (c.prop == Prop::Text) applied[c.ctl].push_back(c.text);
    });
    std::map<Ctl, std::vector<Text>> taken;  // filled under the model's lock
    const int id = Subscribe([&](const Change& c) {
        if (c.prop == Prop::Text) taken[c.ctl].push_back(c.text);
    });

    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&, t] {
            for (int n = 0; n < kWrites; ++n) {
                const Text v = std::to_string(t) + ":" + std::to_string(n);
                SetText(own[t], v);
                SetText(提示_标签, v);
                SetVisible(提示_标签, n % 2 == 0);
            }
        });
    }
    for (auto& w : writers) w.join();
    Unsubscribe(id);

    const auto total = [&] {
        std::size_t n = 0;
        for (auto& [c, v] : applied) n += v.size();
        return n;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return total() >= 8u * kWrites; }, 20000)) << total();
    for (int t = 0; t < 4; ++t) {
        ASSERT_EQ(applied[own[t]].size(), static_cast<std::size_t>(kWrites));
        for (int n = 0; n < kWrites; ++n)
            EXPECT_EQ(applied[own[t]][n], std::to_string(t) + ":" + std::to_string(n));
        EXPECT_EQ(window_->ShownText(own[t]), ToQt(GetText(own[t])));
    }
    EXPECT_EQ(applied[提示_标签], taken[提示_标签]);
    EXPECT_EQ(window_->ShownText(提示_标签), ToQt(GetText(提示_标签)));
    EXPECT_EQ(W(提示_标签)->isHidden(), !IsVisible(提示_标签));
}

}  // namespace
