#pragma once
// The small pictures the window draws itself instead of loading them.

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace zv {

// 16 x 16 state icon: a filled disc with a darker rim.
QPixmap stateDisc(const QColor& color);
// 10 x 10 fix point marker: a green disc with a one-pixel black rim, corners transparent.
QPixmap fixPointMarker();
// The window icon: a small Sierpinski triangle.
QIcon programIcon();

} // namespace zv
