#pragma once
// The one main window: a view of the control model. Each control of the model's table gets a
// widget at its place; changes written to the model from any thread are queued and applied here
// on the window's thread, in the order the model took them. Typing in the search box flows back
// into the model.

#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <deque>
#include <functional>
#include <mutex>

// moc cannot read the control names (they are not ASCII), and needs nothing from them.
#ifndef Q_MOC_RUN
#include "app/controls.h"
#endif

namespace ui {

// The routines the window's events run. Tests replace them to watch the calls.
struct WindowHandlers {
    std::function<void()> pressSearch;     // 搜索_超级按钮, and Enter in 搜索_编辑框
    std::function<void(int)> showResult;   // 搜索_超级按钮1 .. 搜索_超级按钮5
    std::function<void()> download;        // 下载_超级按钮
    std::function<void()> rename;          // 原尺寸_超级按钮
    std::function<void()> overwrite;       // 现尺寸_超级按钮

    static WindowHandlers Program();  // the program's own routines
};

// Program text (GBK) to and from the toolkit's strings.
QString ToQt(const Text& gbk);
Text FromQt(const QString& s);

// Chrome handlers; they run on the window's thread and act on the control model.
void SearchBoxGotFocus();
void SearchBoxLostFocus();
void TipLabelMouseMoved();
// The arrow key one wheel event over the introduction box stands for: Qt::Key_Down toward the
// user, Qt::Key_Up away from the user, 0 for no vertical turn.
int WheelKey(int angleDeltaY);

class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(WindowHandlers handlers = WindowHandlers::Program());
    ~MainWindow() override;

    QWidget* Control(Ctl c) const { return widgets_[c]; }
    // What the control shows now (its caption or contents; empty for picture boxes).
    QString ShownText(Ctl c) const;
    // Tests watch every change as it reaches the widgets.
    void SetAppliedObserver(std::function<void(const Change&)> observer);

    // Applies the changes queued by the model's listener.
    Q_INVOKABLE void ApplyPendingChanges();

signals:
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    void ConnectEvents();
    void Apply(const Change& change);
    void OnModelChange(const Change& change);
    // Runs an event's routine on the window's thread and shows what it wrote.
    void Handle(const std::function<void()>& handler);
    bool FilterTitleStrip(QEvent* event);

    WindowHandlers handlers_;
    std::array<QWidget*, kControlCount> widgets_{};
    int subscription_ = -1;

    // Changes waiting for the window's thread; filled by the model's listener on any thread.
    std::mutex pendingLock_;
    std::deque<Change> pending_;
    bool drainPosted_ = false;
    bool applying_ = false;  // window's thread only

    std::function<void(const Change&)> appliedObserver_;

    // Dragging the title strip when the platform offers no system move.
    bool dragging_ = false;
    QPoint dragStartGlobal_;
    QPoint dragStartWindow_;
};

}  // namespace ui
