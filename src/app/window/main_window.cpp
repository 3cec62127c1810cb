#include "app/window/main_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QWheelEvent>
#include <QWindow>
#include <string_view>

#include "app/window/look.h"
#include "download/download.h"
#include "save/save.h"
#include "search/search.h"

namespace ui {

namespace {

// Set while the window writes the user's typing into the model, so that the write is not sent
// back to the widget it came from.
thread_local bool tWritingFromWidget = false;

// A label drawn by the program: its own background, an optional edge, and text that wraps
// anywhere, so that a long path in a message is not cut off.
class Caption : public QWidget {
public:
    explicit Caption(QWidget* parent) : QWidget(parent) {}

    const QString& text() const { return text_; }
    void setText(const QString& t) {
        text_ = t;
        update();
    }
    void SetColours(QColor background, QColor ink, QColor edge = {}) {
        background_ = background;
        ink_ = ink;
        edge_ = edge;
        update();
    }
    void SetPadding(int padding) { padding_ = padding; }
    void SetAlignment(Qt::Alignment align) { align_ = align; }
    void SetWrap(bool wrap) { wrap_ = wrap; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (background_.isValid()) p.fillRect(rect(), background_);
        if (edge_.isValid()) {
            p.setPen(edge_);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        p.setPen(ink_);
        p.setFont(font());
        int flags = int(align_);
        if (wrap_) flags |= Qt::TextWrapAnywhere;
        // Messages are written with "\r\n" line breaks; the toolkit wants "\n".
        QString shown = text_;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        p.drawText(rect().adjusted(padding_, 0, -padding_, 0), flags, shown);
    }

private:
    QString text_;
    Qt::Alignment align_ = Qt::AlignCenter;
    bool wrap_ = false;
    int padding_ = 0;
    QColor background_;
    QColor ink_ = look::kInk;
    QColor edge_;
};

// A plain coloured rectangle that may hold other controls.
class PictureBox : public QWidget {
public:
    PictureBox(QWidget* parent, QColor fill, QColor edge = {}) : QWidget(parent), fill_(fill), edge_(edge) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), fill_);
        if (edge_.isValid()) {
            p.setPen(edge_);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }

private:
    QColor fill_;
    QColor edge_;
};

// A flat push button drawn by the program, with a caption or a picture; it lights up under the
// mouse and darkens while held down.
class StyledButton : public QAbstractButton {
public:
    enum class Style { Primary, Secondary, Result, Close, Picture };
    using PictureFn = void (*)(QPainter&, const QRectF&, const QColor&);

    StyledButton(QWidget* parent, Style style, PictureFn picture = nullptr)
        : QAbstractButton(parent), style_(style), picture_(picture) {
        setAttribute(Qt::WA_Hover);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const bool hover = underMouse();
        const bool down = isDown();
        QColor fill, ink;
        switch (style_) {
            case Style::Primary:
                fill = down ? look::kAccentPressed : hover ? look::kAccentHover : look::kAccent;
                ink = look::kSurface;
                break;
            case Style::Secondary:
                fill = down ? look::kProgress : hover ? look::kAccentSoftHover : look::kAccentSoft;
                ink = look::kAccentPressed;
                break;
            case Style::Result:
                // An empty result button has nothing to show yet: keep it quiet.
                fill = down ? look::kAccentSoftHover : hover ? look::kAccentSoft : look::kSurface;
                ink = look::kAccent;
                break;
            case Style::Close:
                fill = down ? look::kClose.darker(115) : hover ? look::kClose : QColor(Qt::transparent);
                ink = look::kSurface;
                break;
            case Style::Picture:
                fill = down ? look::kAccentSoftHover : hover ? look::kAccentSoft : look::kSurface;
                ink = look::kAccent;
                break;
        }
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(style_ == Style::Result || style_ == Style::Picture ? QPen(look::kEdge) : Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(box, 3, 3);
        if (picture_) picture_(p, QRectF(rect()), ink);
        p.setPen(ink);
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter, text());
    }

private:
    Style style_;
    PictureFn picture_;
};

// The toolkit's line breaks in boxes and labels are "\n"; program texts carry "\r\n".
QString Shown(const QString& s) {
    QString out = s;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

}  // namespace

// ---- Conversions and chrome handlers ----

QString ToQt(const Text& gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }

Text FromQt(const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    return Gbk(std::u8string_view(reinterpret_cast<const char8_t*>(utf8.constData()),
                                  static_cast<std::size_t>(utf8.size())));
}

WindowHandlers WindowHandlers::Program() {
    return {PressSearchButton, ShowResult, DownloadCommand, RenameSave, OverwriteSave};
}

void SearchBoxGotFocus() {
    if (GetText(搜索_编辑框) == TableEntry(搜索_编辑框).startText) SetText(搜索_编辑框, {});
}

void SearchBoxLostFocus() {
    const Text t = GetText(搜索_编辑框);
    // One blank counts as nothing typed; two blanks are a title the user meant.
    if (t.empty() || t == " ") SetText(搜索_编辑框, TableEntry(搜索_编辑框).startText);
}

void TipLabelMouseMoved() {
    if (IsVisible(提示_标签)) SetVisible(提示_标签, false);
}

int WheelKey(int angleDeltaY) {
    // A fine-grained wheel or a touchpad reports fractions of a notch; they still move one line
    // per event, in the direction of the turn.
    if (angleDeltaY < 0) return Qt::Key_Down;
    if (angleDeltaY > 0) return Qt::Key_Up;
    return 0;
}

// ---- The window ----

MainWindow::MainWindow(WindowHandlers handlers) : handlers_(std::move(handlers)) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(320, 533);
    move(50, 50);
    setWindowTitle(QStringLiteral("Sorvane"));
    setWindowIcon(look::AppIcon());
    setFont(look::TextFont(9.5));
    setObjectName(QStringLiteral("Sorvane"));

    CreateControls();
    ConnectEvents();

    // Listen first, then show what the model holds: a change that lands in between is applied
    // again afterwards, in order, so the widgets end on the model's latest values.
    subscription_ = Subscribe([this](const Change& c) { OnModelChange(c); });
    for (const ControlSpec& s : ControlTable()) {
        Apply(Change{s.id, Prop::Text, GetText(s.id), false, 0});
        Apply(Change{s.id, Prop::Visible, {}, IsVisible(s.id), 0});
        if (s.kind == Kind::PictureBox) Apply(Change{s.id, Prop::Width, {}, false, GetWidth(s.id)});
    }
}

MainWindow::~MainWindow() {
    // After this returns the model calls us no more; a queued drain dies with the window.
    Unsubscribe(subscription_);
}

void MainWindow::CreateControls() {
    using Style = StyledButton::Style;
    for (const ControlSpec& s : ControlTable()) {
        QWidget* parent = s.parent < 0 ? this : widgets_[s.parent];
        QWidget* w = nullptr;
        switch (s.kind) {
            case Kind::Label:
            case Kind::TransparentLabel: {
                auto* c = new Caption(parent);
                if (s.kind == Kind::TransparentLabel) {
                    c->setAttribute(Qt::WA_TransparentForMouseEvents);
                    c->SetColours({}, look::kAccentPressed);
                }
                w = c;
                break;
            }
            case Kind::EditBox:
                if (s.multiLine) {
                    auto* e = new QPlainTextEdit(parent);
                    e->setReadOnly(s.readOnly);
                    e->setFrameShape(QFrame::NoFrame);
                    e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                    // A caret the arrow keys move, so the wheel can walk a long introduction.
                    e->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                               Qt::TextSelectableByKeyboard);
                    w = e;
                } else {
                    auto* e = new QLineEdit(parent);
                    e->setReadOnly(s.readOnly);
                    e->setFrame(false);
                    if (s.centred) e->setAlignment(Qt::AlignCenter);
                    w = e;
                }
                break;
            case Kind::PictureBox:
                w = s.id == 下载_图片框 ? new PictureBox(parent, look::kProgress)
                                        : new PictureBox(parent, look::kSurface, look::kEdge);
                break;
            case Kind::StyledButton: {
                Style style = Style::Result;
                StyledButton::PictureFn picture = nullptr;
                if (s.id == 搜索_超级按钮) style = Style::Primary;
                if (s.id == 下载_超级按钮) style = Style::Secondary;
                if (s.id == 窗口位置_销毁) style = Style::Close;
                if (s.id == 原尺寸_超级按钮) picture = look::DrawRenamePicture;
                if (s.id == 现尺寸_超级按钮) picture = look::DrawOverwritePicture;
                if (picture) style = Style::Picture;
                w = new StyledButton(parent, style, picture);
                break;
            }
        }
        w->setObjectName(QString::fromUtf8(s.name));
        w->setGeometry(s.x, s.y, s.width, s.height);
        widgets_[s.id] = w;
    }

    // The table lists the top-most control first; raising from the bottom up leaves each
    // control above every one listed after it.
    const auto& table = ControlTable();
    for (auto it = table.rbegin(); it != table.rend(); ++it) widgets_[it->id]->raise();

    auto caption = [this](Ctl c) { return static_cast<Caption*>(widgets_[c]); };
    // Headings sit at the left above their boxes, as their leading blank suggests.
    for (Ctl heading : {标签1, 标签2, 标签3, 标签4}) {
        Caption* h = caption(heading);
        h->setFont(look::TextFont(9, true));
        h->SetColours({}, look::kMuted);
        h->SetAlignment(Qt::AlignLeft | Qt::AlignBottom);
        h->SetPadding(1);
    }
    for (Ctl frame : {标签5, 标签6, 标签7, 标签8}) caption(frame)->SetColours(look::kEdge, look::kEdge);
    Caption* title = caption(窗口移动_标签);
    title->SetColours(look::kAccent, look::kSurface);
    title->setFont(look::TextFont(10, true));
    Caption* tip = caption(提示_标签);
    tip->SetColours(look::kAccentSoft, look::kAccentPressed, look::kProgress);
    tip->SetPadding(8);
    tip->SetWrap(true);
    tip->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    tip->setMouseTracking(true);
    caption(标签9)->setFont(look::TextFont(11, true));
    caption(标签9)->SetColours({}, look::kAccent);
    for (Ctl size : {原尺寸_标签, 现尺寸_标签}) {
        caption(size)->setFont(look::TextFont(8));
        caption(size)->SetColours({}, look::kMuted);
    }
    widgets_[窗口位置_销毁]->setFont(look::CloseFont());
    widgets_[搜索_超级按钮]->setFont(look::TextFont(11, true));
    widgets_[下载_超级按钮]->setFont(look::TextFont(10));
}

void MainWindow::ConnectEvents() {
    auto button = [this](Ctl c) { return static_cast<QAbstractButton*>(widgets_[c]); };
    connect(button(搜索_超级按钮), &QAbstractButton::clicked, this, [this] { Handle(handlers_.pressSearch); });
    connect(button(下载_超级按钮), &QAbstractButton::clicked, this, [this] { Handle(handlers_.download); });
    connect(button(原尺寸_超级按钮), &QAbstractButton::clicked, this, [this] { Handle(handlers_.rename); });
    connect(button(现尺寸_超级按钮), &QAbstractButton::clicked, this, [this] { Handle(handlers_.overwrite); });
    const Ctl results[] = {搜索_超级按钮1, 搜索_超级按钮2, 搜索_超级按钮3, 搜索_超级按钮4, 搜索_超级按钮5};
    for (int n = 1; n <= 5; ++n) {
        connect(button(results[n - 1]), &QAbstractButton::clicked, this, [this, n] {
            if (handlers_.showResult) Handle([this, n] { handlers_.showResult(n); });
        });
    }
    connect(button(窗口位置_销毁), &QAbstractButton::clicked, this, &QWidget::close);

    auto* search = static_cast<QLineEdit*>(widgets_[搜索_编辑框]);
    connect(search, &QLineEdit::textEdited, this, [](const QString& typed) {
        tWritingFromWidget = true;
        SetText(搜索_编辑框, FromQt(typed));
        tWritingFromWidget = false;
    });
    search->installEventFilter(this);
    widgets_[提示_标签]->installEventFilter(this);
    widgets_[窗口移动_标签]->installEventFilter(this);
    auto* intro = static_cast<QPlainTextEdit*>(widgets_[小说简介_编辑框]);
    intro->viewport()->installEventFilter(this);
    intro->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widgets_[搜索_编辑框]) {
        if (event->type() == QEvent::FocusIn) Handle(SearchBoxGotFocus);
        if (event->type() == QEvent::FocusOut) Handle(SearchBoxLostFocus);
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Handle(handlers_.pressSearch);
                return true;
            }
        }
        return false;
    }
    if (watched == widgets_[提示_标签]) {
        if (event->type() == QEvent::MouseMove) Handle(TipLabelMouseMoved);
        return false;
    }
    if (watched == widgets_[窗口移动_标签]) return FilterTitleStrip(event);

    auto* intro = static_cast<QPlainTextEdit*>(widgets_[小说简介_编辑框]);
    if ((watched == intro || watched == intro->viewport()) && event->type() == QEvent::Wheel) {
        // One arrow-key press per wheel event, posted so that it is handled as if typed.
        const int key = WheelKey(static_cast<QWheelEvent*>(event)->angleDelta().y());
        if (key != 0) QCoreApplication::postEvent(intro, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::FilterTitleStrip(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton) return false;
            // The window manager moves the window where it can; otherwise we follow the mouse
            // ourselves while the button stays down.
            if (windowHandle() && windowHandle()->startSystemMove()) return true;
            dragging_ = true;
            dragStartGlobal_ = e->globalPosition().toPoint();
            dragStartWindow_ = pos();
            return true;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (!dragging_ || !(e->buttons() & Qt::LeftButton)) {
                dragging_ = false;
                return false;
            }
            move(dragStartWindow_ + (e->globalPosition().toPoint() - dragStartGlobal_));
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) dragging_ = false;
            return false;
        default:
            return false;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit Closed();
}

void MainWindow::paintEvent(QPaintEvent*) {
    // Frameless: a hairline edge keeps the window apart from whatever lies behind it.
    QPainter p(this);
    p.fillRect(rect(), look::kWindow);
    p.setPen(look::kEdge);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

QString MainWindow::ShownText(Ctl c) const {
    QWidget* w = widgets_[c];
    switch (TableEntry(c).kind) {
        case Kind::Label:
        case Kind::TransparentLabel:
            return static_cast<Caption*>(w)->text();
        case Kind::EditBox:
            if (TableEntry(c).multiLine) return static_cast<QPlainTextEdit*>(w)->toPlainText();
            return static_cast<QLineEdit*>(w)->text();
        case Kind::StyledButton:
            return static_cast<QAbstractButton*>(w)->text();
        case Kind::PictureBox:
            break;
    }
    return {};
}

void MainWindow::SetAppliedObserver(std::function<void(const Change&)> observer) {
    appliedObserver_ = std::move(observer);
}

void MainWindow::OnModelChange(const Change& change) {
    // Runs under the model's lock on the writing thread: queue the change and make sure one
    // drain is on its way to the window's thread. The drain is invoked by name, so nothing of
    // ours crosses threads except through pendingLock_.
    if (tWritingFromWidget) return;
    std::lock_guard lock(pendingLock_);
    pending_.push_back(change);
    if (drainPosted_) return;
    drainPosted_ = true;
    QMetaObject::invokeMethod(this, "ApplyPendingChanges", Qt::QueuedConnection);
}

void MainWindow::Handle(const std::function<void()>& handler) {
    if (!handler) return;
    handler();
    // What a handler wrote shows at once: the next key or click must meet the widgets as the
    // handler left them (typing right after the focus has cleared the hint, say).
    ApplyPendingChanges();
}

void MainWindow::ApplyPendingChanges() {
    // A widget change can raise an event whose handler writes the model again; those writes
    // wait for the drain already posted for them, after the rest of this batch.
    if (applying_) return;
    applying_ = true;
    std::deque<Change> batch;
    {
        std::lock_guard lock(pendingLock_);
        batch.swap(pending_);
        drainPosted_ = false;
    }
    for (const Change& c : batch) Apply(c);
    applying_ = false;
}

void MainWindow::Apply(const Change& change) {
    QWidget* w = widgets_[change.ctl];
    const ControlSpec& s = TableEntry(change.ctl);
    switch (change.prop) {
        case Prop::Text: {
            const QString text = ToQt(change.text);
            switch (s.kind) {
                case Kind::Label:
                case Kind::TransparentLabel:
                    static_cast<Caption*>(w)->setText(text);
                    break;
                case Kind::EditBox:
                    if (s.multiLine) {
                        auto* e = static_cast<QPlainTextEdit*>(w);
                        if (e->toPlainText() != Shown(text)) e->setPlainText(text);
                    } else {
                        auto* e = static_cast<QLineEdit*>(w);
                        if (e->text() != text) e->setText(text);
                        e->setCursorPosition(0);
                        // The search box's hint is shown in grey, a typed title in ink.
                        if (change.ctl == 搜索_编辑框) {
                            QPalette pal = e->palette();
                            pal.setColor(QPalette::Text, change.text == s.startText ? look::kFaint : look::kInk);
                            e->setPalette(pal);
                        }
                    }
                    break;
                case Kind::StyledButton:
                    static_cast<QAbstractButton*>(w)->setText(text);
                    break;
                case Kind::PictureBox:
                    break;
            }
            break;
        }
        case Prop::Visible:
            w->setVisible(change.visible);
            break;
        case Prop::Width:
            w->resize(change.width, w->height());
            break;
    }
    if (appliedObserver_) appliedObserver_(change);
}

}  // namespace ui
