#include "FieldWriter.h"

#include "FieldReader.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace zv {

namespace {

// NaN cannot be read back (the reader refuses non-finite reals), so it is
// stored as 0; an infinity as the largest finite double of its sign.
double writable(double v) {
    if (std::isnan(v)) {
        return 0.0;
    }
    if (std::isinf(v)) {
        return v > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max();
    }
    return v == 0.0 ? 0.0 : v; // no "-0"
}

// The fewest digits that read back to v, in positional form with a decimal
// point: 100000 stays "100000" and 0.0001 "0.0001", never "1e+05" or "1e-04".
QString plainDecimal(double v) {
    if (v == 0.0) {
        return QStringLiteral("0");
    }
    // "-d.ddde+XX": the shortest round-trip digits and where the point goes.
    const QString scientific = QLocale::c().toString(v, 'e', QLocale::FloatingPointShortest);
    const qsizetype e = scientific.indexOf(u'e');
    const bool negative = scientific.startsWith(u'-');
    QString digits = scientific.mid(negative ? 1 : 0, e - (negative ? 1 : 0));
    digits.remove(u'.');
    // A double's decimal exponent lies within -324..308.
    const int exponent = scientific.mid(e + 1).toInt();
    const qsizetype integralDigits = exponent + 1;
    QString text;
    if (integralDigits <= 0) {
        text = QStringLiteral("0.") + QString(-integralDigits, u'0') + digits;
    } else if (integralDigits >= digits.size()) {
        text = digits + QString(integralDigits - digits.size(), u'0');
    } else {
        text = digits.left(integralDigits) + u'.' + digits.mid(integralDigits);
    }
    return negative ? u'-' + text : text;
}

QString listRealText(double value) {
    return plainDecimal(writable(value));
}

QString lineRealText(double value) {
    const double v = writable(value);
    QString text = plainDecimal(v);
    const QLocale user;
    text.replace(u'.', user.decimalPoint());
    text.replace(u'-', user.negativeSign());
    // Some locales use signs that the 8-bit file cannot hold (the Swedish minus
    // U+2212); those get the decimal point form, which the reader accepts in
    // every locale.
    const std::optional<double> back = parseReal(QString::fromLatin1(text.toLatin1()));
    if (back && *back == v) {
        return text;
    }
    return listRealText(v);
}

QString listTextForm(const QString& text) {
    // A line feed would split the value over two lines; the window's fields are
    // single-line, so a stray one becomes a blank. A carriage return inside a
    // line reads back as it stands.
    QString t = text;
    t.replace(u'\n', u' ');
    const bool quote =
        t.contains(u',') ||
        (!t.isEmpty() && (t.front() == u'"' || isBlank(t.front()) || isBlank(t.back())));
    if (!quote) {
        return t;
    }
    t.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + t + u'"';
}

} // namespace

void FieldWriter::line(const QString& text) {
    // Characters outside Latin-1 have no place in the 8-bit file; toLatin1
    // writes them as '?', which reads back as the '?' that was written.
    content_ += text.toLatin1();
    content_ += "\r\n";
}

void FieldWriter::Integer(std::int64_t value) {
    line(QString::number(value));
}

void FieldWriter::CountLine(std::int64_t highestIndex) {
    line(highestIndex >= 0 ? u' ' + QString::number(highestIndex) : QString::number(highestIndex));
}

void FieldWriter::Boolean(bool value) {
    line(value ? QStringLiteral("True") : QStringLiteral("False"));
}

void FieldWriter::ListReal(double value) {
    line(listRealText(value));
}

void FieldWriter::LineReal(double value) {
    line(lineRealText(value));
}

void FieldWriter::Text(const QString& text) {
    line(listTextForm(text));
}

} // namespace zv
