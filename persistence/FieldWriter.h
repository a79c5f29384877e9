#pragma once
// The written forms of the value-per-line format: one value per line, CR LF
// after every value, 8-bit text (Latin-1).
//
// The writer never produces a line its own reader takes apart differently:
// - a real in a list field keeps the plain form when it is integral ("200")
//   and is written with a decimal point when it has a fraction ("12.5"), since a
//   decimal comma would end the field;
// - a real in a line field uses the user's locale ("0,5" in German): the whole
//   line is the value, commas included;
// - a text that holds a comma, starts with a double quote or has blanks at
//   either end is written in double quotes, quotes inside doubled;
// - reals are written in plain decimal form, never with an exponent, with the
//   fewest digits that read back to the same double.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>

namespace zv {

class FieldWriter {
public:
    void Integer(std::int64_t value);
    // The highest index of a fix point list, with the leading blank of a count.
    void CountLine(std::int64_t highestIndex);
    void Boolean(bool value);
    void ListReal(double value);
    void LineReal(double value);
    void Text(const QString& text);
    // The model's texts hold one Latin-1 byte per character, as the file does.
    void Text(const std::string& latin1) {
        Text(QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size())));
    }

    const QByteArray& Content() const { return content_; }

private:
    void line(const QString& text);

    QByteArray content_;
};

} // namespace zv
