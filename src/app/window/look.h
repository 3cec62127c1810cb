#pragma once
// The window's look: one accent colour over quiet greys, the fonts, and the pictures the program
// draws itself (the icon and the same-name panel's two buttons).

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QRectF>

namespace look {

inline const QColor kAccent{0x2f, 0x6f, 0x8f};
inline const QColor kAccentHover{0x3b, 0x85, 0xa9};
inline const QColor kAccentPressed{0x24, 0x58, 0x72};
inline const QColor kAccentSoft{0xe3, 0xee, 0xf4};      // tinted fills: tip, hover
inline const QColor kAccentSoftHover{0xd2, 0xe4, 0xee};
inline const QColor kProgress{0x9c, 0xc4, 0xd6};
inline const QColor kWindow{0xf4, 0xf6, 0xf8};
inline const QColor kSurface{0xff, 0xff, 0xff};
inline const QColor kEdge{0xd3, 0xdb, 0xe1};
inline const QColor kInk{0x1f, 0x2d, 0x3a};
inline const QColor kMuted{0x6b, 0x7a, 0x86};
inline const QColor kFaint{0xa3, 0xaf, 0xb8};
inline const QColor kClose{0xd9, 0x4f, 0x4f};

// "微软雅黑 Light" where it is installed, else the CJK font every Linux desktop here has.
QFont TextFont(double pointSize, bool medium = false);
// The close button's "×".
QFont CloseFont();

QIcon AppIcon();
// A document with an arrow leaving it toward a new name.
void DrawRenamePicture(QPainter& p, const QRectF& r, const QColor& ink);
// A document with a swap mark: the new text takes the old one's place.
void DrawOverwritePicture(QPainter& p, const QRectF& r, const QColor& ink);

}  // namespace look
