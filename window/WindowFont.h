#pragma once
// The window's text font. The fixed geometry of the layout is made for 8-point
// "DejaVu Sans Condensed"; where that family is not installed, fontconfig
// silently hands out a wider sans, and captions would be cut at their edges.

#include <QFont>

namespace zv {

QFont windowFont();

} // namespace zv
