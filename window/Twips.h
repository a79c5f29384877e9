#pragma once
// Window layout positions are twips (1/1440 inch). The screen decides how many
// twips make a pixel; at the usual 96 dots per inch it is 15.

#include <cmath>

namespace zv {

class TwipsScale {
public:
    TwipsScale() = default;
    TwipsScale(double twipsPerPixelX, double twipsPerPixelY)
        : x_(sane(twipsPerPixelX)), y_(sane(twipsPerPixelY)) {}

    // From the screen's logical dots per inch.
    static TwipsScale fromDpi(double dpiX, double dpiY) {
        return TwipsScale(dpiX > 0 ? 1440.0 / dpiX : 15.0, dpiY > 0 ? 1440.0 / dpiY : 15.0);
    }

    double twipsPerPixelX() const { return x_; }
    double twipsPerPixelY() const { return y_; }
    // Whole pixels, rounded to the nearest.
    int px(int twips) const { return static_cast<int>(std::lround(twips / x_)); }
    int py(int twips) const { return static_cast<int>(std::lround(twips / y_)); }

private:
    static double sane(double v) { return std::isfinite(v) && v >= 1.0 && v <= 100.0 ? v : 15.0; }
    double x_ = 15.0;
    double y_ = 15.0;
};

} // namespace zv
