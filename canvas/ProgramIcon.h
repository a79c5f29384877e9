#pragma once
// The program's icon, a green Sierpinski triangle, drawn by the program itself
// for the window and for the installed icon theme (PNG at any size and SVG).

#include <QByteArray>
#include <QImage>

namespace zv {

// A square picture of size x size pixels, transparent around the triangle.
QImage programIconImage(int size);
// The same picture as an SVG document of size x size user units.
QByteArray programIconSvg(int size);

} // namespace zv
