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
    if (i < s.size() && s[i] == u'"') {
        const qsizetype open = i;
        ++i;
        for (;;) {
            if (i >= s.size()) {
                lastLine_ = lineNumber;
                lastText_ = s.mid(open);
                fail(lineNumber, QStringLiteral("a closing double quote"), lastText_);
                return std::nullopt;
            }
            if (s[i] == u'"') {
                if (i + 1 < s.size() && s[i + 1] == u'"') {
                    value += u'"';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            value += s[i++];
        }
        while (i < s.size() && isBlank(s[i])) {
            ++i;
        }
        if (i < s.size() && s[i] != u',') {
            lastLine_ = lineNumber;
            lastText_ = s.mid(open);
            fail(lineNumber,
                 QStringLiteral("a comma or the end of the line after the closing quote"),
                 lastText_);
            return std::nullopt;
        }
    } else {
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
                                          const QString& expected) {
    if (!text) {
        refineEndOfFile(expected);
        return std::nullopt;
    }
    const std::optional<double> v = parseReal(*text);
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
    return toReal(LineField(), QStringLiteral("a finite number"));
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
