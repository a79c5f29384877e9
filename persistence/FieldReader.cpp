#include "FieldReader.h"

#include <cmath>
#include <limits>

namespace zv {

namespace {

QString trimBlanks(const QString& s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(s[end - 1])) {
        --end;
    }
    return s.mid(begin, end - begin);
}

const QString EndOfFile = QStringLiteral("the end of the file");

// A complete quoted value at s[start]: a double quote, the text with every
// quote inside doubled, the closing quote, then blanks up to a comma or the end
// of the line. Gives where the field ends (at its comma or the line's end) and
// the text; nothing when the field is not a complete quoted value.
std::optional<qsizetype> quotedValue(const QString& s, qsizetype start, QString& text) {
    if (start >= s.size() || s[start] != u'"') {
        return std::nullopt;
    }
    QString inside;
    qsizetype i = start + 1;
    for (;;) {
        if (i >= s.size()) {
            return std::nullopt;
        }
        if (s[i] == u'"') {
            if (i + 1 < s.size() && s[i + 1] == u'"') {
                inside += u'"';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        inside += s[i++];
    }
    while (i < s.size() && isBlank(s[i])) {
        ++i;
    }
    if (i < s.size() && s[i] != u',') {
        return std::nullopt;
    }
    text = inside;
    return i;
}

// A line field holds one value, so a comma in it can only be a decimal
// separator, whatever the locale. A grouped number ("1.000,5", "1,000,5")
// then holds two points and stays no number.
std::optional<double> parseLineReal(const QString& text) {
    if (const std::optional<double> v = parseReal(text)) {
        return v;
    }
    return parseReal(QString(text).replace(u',', u'.'));
}

} // namespace

std::optional<double> parseReal(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    QLocale user;
    user.setNumberOptions(user.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    double v = user.toDouble(t, &ok);
    if (!ok) {
        v = QLocale::c().toDouble(t, &ok);
    }
    if (!ok) {
        return std::nullopt;
    }
    return v;
}

FieldReader::FieldReader(const QByteArray& content) : content_(content) {}

bool FieldReader::loadLine() {
    if (haveCurrent_) {
        return true;
    }
    const qsizetype start = nextLineStart_;
    if (start >= content_.size()) {
        lastLine_ = static_cast<int>(line_) + 1;
        lastText_.clear();
        fail(lastLine_, QStringLiteral("another value"), EndOfFile);
        return false;
    }
    qsizetype end = content_.indexOf('\n', start);
    nextLineStart_ = end < 0 ? content_.size() : end + 1;
    if (end < 0) {
        end = content_.size();
    }
    if (end > start && content_[end - 1] == '\r') {
        --end;
    }
    current_ = QString::fromLatin1(content_.constData() + start, end - start);
    haveCurrent_ = true;
    return true;
}

void FieldReader::nextLine() {
    haveCurrent_ = false;
    current_.clear();
    ++line_;
    column_ = -1;
}

void FieldReader::fail(int line, const QString& expected, const QString& found) {
    if (!failure_) {
        failure_ = ReadFailure{line, expected, found};
    }
}

void FieldReader::RefuseLast(const QString& expected) {
    fail(lastLine_, expected, lastText_);
}

std::optional<QString> FieldReader::ListField() {
    if (failure_) {
        return std::nullopt;
    }
    if (!loadLine()) {
        return std::nullopt;
    }
    const QString s = current_;
    const int lineNumber = static_cast<int>(line_) + 1;
    qsizetype i = atLineStart() ? 0 : column_;
    while (i < s.size() && isBlank(s[i])) {
        ++i;
    }
    QString value;
    if (const std::optional<qsizetype> quotedEnd = quotedValue(s, i, value)) {
        i = *quotedEnd;
    } else {
        // Any other text is taken as written, a leading quote included: a
        // writer that quotes nothing may have written an initiator '"F'.
        const qsizetype comma = s.indexOf(u',', i);
        const qsizetype end = comma < 0 ? s.size() : comma;
        value = trimBlanks(s.mid(i, end - i));
        i = end;
    }
    if (i < s.size()) {
        column_ = static_cast<int>(i) + 1; // past the comma: the next field starts there
    } else {
        nextLine();
    }
    lastLine_ = lineNumber;
    lastText_ = value;
    return value;
}

std::optional<QString> FieldReader::LineField() {
    if (failure_) {
        return std::nullopt;
    }
    if (!loadLine()) {
        return std::nullopt;
    }
    QString value = atLineStart() ? current_ : current_.mid(column_);
    lastLine_ = static_cast<int>(line_) + 1;
    lastText_ = value;
    nextLine();
    return value;
}

void FieldReader::refineEndOfFile(const QString& expected) {
    if (failure_ && failure_->Found == EndOfFile) {
        failure_->Expected = expected;
    }
}

std::optional<double> FieldReader::toReal(const std::optional<QString>& text,
                                          const QString& expected, bool lineField) {
    if (!text) {
        refineEndOfFile(expected);
        return std::nullopt;
    }
    const std::optional<double> v = lineField ? parseLineReal(*text) : parseReal(*text);
    if (!v || !std::isfinite(*v)) {
        fail(lastLine_, expected, *text);
        return std::nullopt;
    }
    return v;
}

template <typename Int> std::optional<Int> FieldReader::toInteger(const QString& expected) {
    const std::optional<double> v = toReal(ListField(), expected);
    if (!v) {
        return std::nullopt;
    }
    const double r = std::nearbyint(*v);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max())) {
        fail(lastLine_, expected, lastText_);
        return std::nullopt;
    }
    return static_cast<Int>(r);
}

std::optional<std::uint8_t> FieldReader::ListByte() {
    return toInteger<std::uint8_t>(QStringLiteral("a whole number from 0 to 255"));
}

std::optional<std::int16_t> FieldReader::ListInteger() {
    return toInteger<std::int16_t>(QStringLiteral("a whole number from -32768 to 32767"));
}

std::optional<std::int32_t> FieldReader::ListLong() {
    return toInteger<std::int32_t>(QStringLiteral("a whole number from -2147483648 to 2147483647"));
}

std::optional<double> FieldReader::ListReal() {
    return toReal(ListField(), QStringLiteral("a finite number"));
}

std::optional<double> FieldReader::LineReal() {
    return toReal(LineField(), QStringLiteral("a finite number"), true);
}

std::optional<bool> FieldReader::ListBoolean() {
    const std::optional<QString> text = ListField();
    const QString expected = QStringLiteral("True or False");
    if (!text) {
        refineEndOfFile(expected);
        return std::nullopt;
    }
    if (text->compare(u"True", Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text->compare(u"False", Qt::CaseInsensitive) == 0) {
        return false;
    }
    fail(lastLine_, expected, *text);
    return std::nullopt;
}

std::optional<QString> FieldReader::ListText() {
    const std::optional<QString> text = ListField();
    if (!text) {
        refineEndOfFile(QStringLiteral("a text"));
    }
    return text;
}

} // namespace zv
