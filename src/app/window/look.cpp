#include "app/window/look.h"

#include <QPainterPath>
#include <QPixmap>

namespace look {

namespace {

QFont FontOf(const QStringList& families, double pointSize, QFont::Weight weight) {
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(pointSize);
    f.setWeight(weight);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// The outline of a page with a folded top-right corner.
QPainterPath PagePath(const QRectF& page, double fold) {
    QPainterPath path;
    path.moveTo(page.left(), page.top());
    path.lineTo(page.right() - fold, page.top());
    path.lineTo(page.right(), page.top() + fold);
    path.lineTo(page.right(), page.bottom());
    path.lineTo(page.left(), page.bottom());
    path.closeSubpath();
    return path;
}

void DrawPage(QPainter& p, const QRectF& page, const QColor& ink) {
    const double fold = page.width() * 0.3;
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kSurface);
    p.drawPath(PagePath(page, fold));
    QPainterPath corner;
    corner.moveTo(page.right() - fold, page.top());
    corner.lineTo(page.right() - fold, page.top() + fold);
    corner.lineTo(page.right(), page.top() + fold);
    p.setBrush(Qt::NoBrush);
    p.drawPath(corner);
    // A few lines of text on the page.
    p.setPen(QPen(kFaint, 1.6, Qt::SolidLine, Qt::RoundCap));
    const double x0 = page.left() + page.width() * 0.2;
    for (int i = 0; i < 3; ++i) {
        const double y = page.top() + page.height() * (0.42 + 0.16 * i);
        const double x1 = page.right() - page.width() * (i == 2 ? 0.45 : 0.2);
        p.drawLine(QPointF(x0, y), QPointF(x1, y));
    }
}

}  // namespace

QFont TextFont(double pointSize, bool medium) {
    return FontOf({QStringLiteral("微软雅黑 Light"), QStringLiteral("Noto Sans CJK SC Light"),
                   QStringLiteral("Noto Sans CJK SC")},
                  pointSize, medium ? QFont::Medium : QFont::Light);
}

QFont CloseFont() {
    return FontOf({QStringLiteral("等线 Light"), QStringLiteral("微软雅黑 Light"),
                   QStringLiteral("Noto Sans CJK SC Light"), QStringLiteral("Noto Sans CJK SC")},
                  13, QFont::Light);
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 256.0, size / 256.0);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(16, 16, 224, 224), 48, 48);
        // A page with a folded corner and an arrow pointing down into it: a novel being fetched.
        p.setBrush(QColor(0xf4, 0xf6, 0xf8));
        p.drawPath(PagePath(QRectF(64, 64, 120, 136), 36));
        p.setBrush(QColor(0xc9, 0xd6, 0xde));
        QPainterPath fold;
        fold.moveTo(148, 64);
        fold.lineTo(148, 100);
        fold.lineTo(184, 100);
        fold.closeSubpath();
        p.drawPath(fold);
        p.setBrush(QColor(0x8a, 0xa3, 0xb3));
        p.drawRoundedRect(QRectF(84, 108, 80, 8), 4, 4);
        p.drawRoundedRect(QRectF(84, 128, 64, 8), 4, 4);
        p.setPen(QPen(kAccent, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(128, 146), QPointF(128, 178));
        QPainterPath head;
        head.moveTo(112, 164);
        head.lineTo(128, 180);
        head.lineTo(144, 164);
        p.drawPath(head);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

void DrawRenamePicture(QPainter& p, const QRectF& r, const QColor& ink) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double u = r.width() / 50.0;
    DrawPage(p, QRectF(r.left() + 9 * u, r.top() + 8 * u, 22 * u, 30 * u), ink);
    // The copy goes out under a new name: an arrow leaving the page, ending in a small tag.
    p.setPen(QPen(ink, 2.2 * u / 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF from(r.left() + 25 * u, r.top() + 33 * u);
    const QPointF to(r.left() + 42 * u, r.top() + 33 * u);
    p.drawLine(from, to);
    QPainterPath head;
    head.moveTo(to + QPointF(-5 * u, -5 * u));
    head.lineTo(to);
    head.lineTo(to + QPointF(-5 * u, 5 * u));
    p.drawPath(head);
    p.setBrush(ink);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(r.left() + 34 * u, r.top() + 39 * u, 10 * u, 4 * u), 1.5 * u,
                      1.5 * u);
    p.restore();
}

void DrawOverwritePicture(QPainter& p, const QRectF& r, const QColor& ink) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double u = r.width() / 50.0;
    DrawPage(p, QRectF(r.left() + 14 * u, r.top() + 8 * u, 22 * u, 30 * u), ink);
    // Two half circles with arrow heads: the new text swaps in for the old.
    QPen pen(ink, 2.2 * u / 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(kSurface);
    const QRectF ring(r.left() + 28 * u, r.top() + 28 * u, 16 * u, 16 * u);
    p.setPen(Qt::NoPen);
    p.drawEllipse(ring.adjusted(-2 * u, -2 * u, 2 * u, 2 * u));
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(ring, 30 * 16, 150 * 16);
    p.drawArc(ring, 210 * 16, 150 * 16);
    const QPointF c = ring.center();
    const double rad = ring.width() / 2;
    // Arrow heads at the ends of the two arcs (180 and 360 degrees).
    QPainterPath heads;
    const QPointF left(c.x() - rad, c.y());
    heads.moveTo(left + QPointF(-3 * u, -3 * u));
    heads.lineTo(left);
    heads.lineTo(left + QPointF(3 * u, -3 * u));
    const QPointF right(c.x() + rad, c.y());
    heads.moveTo(right + QPointF(-3 * u, 3 * u));
    heads.lineTo(right);
    heads.lineTo(right + QPointF(3 * u, 3 * u));
    p.drawPath(heads);
    p.restore();
}

}  // namespace look
