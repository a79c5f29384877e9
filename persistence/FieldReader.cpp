#include "FieldReader.h"

#include <cmath>
#include <limits>

namespace zv {

namespace {

bool isBlankByte(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimBlanks(QByteArrayView s) {
    while (!s.isEmpty() && isBlankByte(s.front())) {
        s = s.sliced(1);
    }
    while (!s.isEmpty() && isBlankByte(s.back())) {
        s.chop(1);
    }
    return s;
}

const QString EndOfFile = QStringLiteral("the end of the file");

// No number is longer than this; a longer field is not converted at all.
constexpr qsizetype MaxNumberChars = 1000;
// What a failure keeps of the value it names.
constexpr qsizetype RememberedChars = 1000;

// A complete quoted value at s[start]: a double quote, the text with every
// quote inside doubled, the closing quote, then blanks up to a comma or the end
// of the line. Gives where the field ends (at its comma or the line's end) and
// the text; nothing when the field is not a complete quoted value.
std::optional<qsizetype> quotedValue(QByteArrayView s, qsizetype start, std::string& text) {
    if (start >= s.size() || s[start] != '"') {
        return std::nullopt;
    }
    // One block of at most the rest of the line: a text grown step by step
    // would hold a copy of itself at each step.
    std::string inside;
    inside.reserve(static_cast<std::size_t>(s.size() - start));
    qsizetype i = start + 1;
    for (;;) {
        const qsizetype quote = s.indexOf('"', i);
        if (quote < 0) {
            return std::nullopt;
        }
        inside.append(s.data() + i, static_cast<std::size_t>(quote - i));
        if (quote + 1 < s.size() && s[quote + 1] == '"') {
            inside += '"';
            i = quote + 2;
            continue;
        }
        i = quote + 1;
        break;
    }
    while (i < s.size() && isBlankByte(s[i])) {
        ++i;
    }
    if (i < s.size() && s[i] != ',') {
        return std::nullopt;
    }
    text = std::move(inside);
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
    if (end > start && content_.at(end - 1) == '\r') {
        --end;
    }
    current_ = QByteArrayView(content_).sliced(start, end - start);
    haveCurrent_ = true;
    return true;
}

void FieldReader::nextLine() {
    haveCurrent_ = false;
    current_ = {};
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

void FieldReader::remember(QByteArrayView text) {
    lastText_ = QString::fromLatin1(text.first(std::min(text.size(), RememberedChars)));
}

std::optional<QByteArrayView> FieldReader::listFieldBytes() {
    if (failure_) {
        return std::nullopt;
    }
    if (!loadLine()) {
        return std::nullopt;
    }
    const QByteArrayView s = current_;
    const int lineNumber = static_cast<int>(line_) + 1;
    qsizetype i = atLineStart() ? 0 : column_;
    while (i < s.size() && isBlankByte(s[i])) {
        ++i;
    }
    QByteArrayView value;
    quoted_ = false;
    if (const std::optional<qsizetype> quotedEnd = quotedValue(s, i, unquoted_)) {
        i = *quotedEnd;
        value = QByteArrayView(unquoted_.data(), qsizetype(unquoted_.size()));
        quoted_ = true;
    } else {
        // Any other text is taken as written, a leading quote included: a
        // writer that quotes nothing may have written an initiator '"F'.
        const qsizetype comma = s.indexOf(',', i);
        const qsizetype end = comma < 0 ? s.size() : comma;
        value = trimBlanks(s.sliced(i, end - i));
        i = end;
    }
    if (i < s.size()) {
        column_ = i + 1; // past the comma: the next field starts there
    } else {
        nextLine();
    }
    lastLine_ = lineNumber;
    remember(value);
    return value;
}

std::optional<QByteArrayView> FieldReader::lineFieldBytes() {
    if (failure_) {
        return std::nullopt;
    }
    if (!loadLine()) {
        return std::nullopt;
    }
    const QByteArrayView value = atLineStart() ? current_ : current_.sliced(column_);
    lastLine_ = static_cast<int>(line_) + 1;
    remember(value);
    nextLine();
    return value;
}

std::optional<QString> FieldReader::ListField() {
    const std::optional<QByteArrayView> value = listFieldBytes();
    return value ? std::optional(QString::fromLatin1(*value)) : std::nullopt;
}

std::optional<QString> FieldReader::LineField() {
    const std::optional<QByteArrayView> value = lineFieldBytes();
    return value ? std::optional(QString::fromLatin1(*value)) : std::nullopt;
}

void FieldReader::refineEndOfFile(const QString& expected) {
    if (failure_ && failure_->Found == EndOfFile) {
        failure_->Expected = expected;
    }
}

std::optional<double> FieldReader::toReal(std::optional<QByteArrayView> text,
                                          const QString& expected, bool lineField) {
    if (!text) {
        refineEndOfFile(expected);
        return std::nullopt;
    }
    std::optional<double> v;
    if (text->size() <= MaxNumberChars) {
        const QString number = QString::fromLatin1(*text);
        v = lineField ? parseLineReal(number) : parseReal(number);
    }
    if (!v || !std::isfinite(*v)) {
        fail(lastLine_, expected, lastText_);
        return std::nullopt;
    }
    return v;
}

template <typename Int> std::optional<Int> FieldReader::toInteger(const QString& expected) {
    const std::optional<double> v = toReal(listFieldBytes(), expected);
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
    return toReal(listFieldBytes(), QStringLiteral("a finite number"));
}

std::optional<double> FieldReader::LineReal() {
    return toReal(lineFieldBytes(), QStringLiteral("a finite number"), true);
}

std::optional<bool> FieldReader::ListBoolean() {
    const std::optional<QByteArrayView> text = listFieldBytes();
    const QString expected = QStringLiteral("True or False");
    if (!text) {
        refineEndOfFile(expected);
        return std::nullopt;
    }
    if (text->compare("True", Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text->compare("False", Qt::CaseInsensitive) == 0) {
        return false;
    }
    fail(lastLine_, expected, lastText_);
    return std::nullopt;
}

std::optional<QString> FieldReader::ListText() {
    const std::optional<QByteArrayView> text = listFieldBytes();
    if (!text) {
        refineEndOfFile(QStringLiteral("a text"));
        return std::nullopt;
    }
    if (text->size() > MaxTextChars) {
        fail(lastLine_, QStringLiteral("a text of at most %1 characters").arg(MaxTextChars),
             lastText_);
        return std::nullopt;
    }
    return QString::fromLatin1(*text);
}

std::optional<std::string> FieldReader::ListLatin1() {
    const std::optional<QByteArrayView> text = listFieldBytes();
    if (!text) {
        refineEndOfFile(QStringLiteral("a text"));
        return std::nullopt;
    }
    if (quoted_) {
        quoted_ = false;
        return std::move(unquoted_); // the text already stands alone: no second copy
    }
    return std::string(text->data(), static_cast<std::size_t>(text->size()));
}

} // namespace zv
