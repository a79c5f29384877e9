#include "FieldNumbers.h"

#include <QLocale>
#include <cmath>

namespace zv {

std::optional<double> fieldNumber(const QString& text, bool commaIsDecimal) {
    const QLocale locale;
    QString t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    if (commaIsDecimal && locale.decimalPoint() != QLatin1String(",")) {
        t.replace(QLatin1Char(','), locale.decimalPoint());
    }
    bool ok = false;
    const double value = locale.toDouble(t, &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString fieldText(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

} // namespace zv
