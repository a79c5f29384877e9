#include "WindowFont.h"

#include <QFontInfo>
#include <QStringList>

namespace zv {

QFont windowFont() {
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setPointSize(8);
    if (QFontInfo(font).family() == font.family()) {
        return font;
    }
    // The same size in whatever sans the system has, narrowed to the width of
    // a semi-condensed design (87 %, which the missing family has).
    QFont fallback;
    fallback.setStyleHint(QFont::SansSerif);
    fallback.setFamilies(QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    fallback.setPointSize(8);
    fallback.setStretch(QFont::SemiCondensed);
    return fallback;
}

} // namespace zv
