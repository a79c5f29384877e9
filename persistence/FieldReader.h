#pragma once
// The value-per-line text format as a stream of fields. A file is 8-bit text
// (Latin-1); lines end in CR LF or LF alone.
//
// A list field skips leading blanks and runs to the next comma or the end of
// the line; after a comma the rest of the same line is the next field. A text
// in double quotes is one list field whatever it holds ("" inside stands for
// one quote), which is how texts with commas or edge blanks are written; a
// field that is not such a complete quoted value is taken as written.
// A line field is the whole rest of the current line, commas included; as it
// holds one value, a single comma in a number there is a decimal separator in
// every locale.
//
// Every read either succeeds or records the first failure (line number and
// what was expected) and fails every later read, so a caller can read a run
// of values and check once.

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace zv {

struct ReadFailure {
    int Line = 0;     // 1-based line of the value that failed; 0 when the file itself failed
    QString Expected; // what the line should have held, e.g. "a whole number from 0 to 255"
    QString Found;    // the text that was there ("" at the end of the file)
    bool operator==(const ReadFailure&) const = default;
};

class FieldReader {
public:
    explicit FieldReader(const QByteArray& content);

    // Raw fields. nullopt after a failure (the end of the file included).
    std::optional<QString> ListField();
    std::optional<QString> LineField();

    // Fields converted to their targets. Numbers accept the user's locale and
    // a decimal point (line fields also a decimal comma); integer targets round
    // to the nearest, halves to even.
    // Reals must be finite: a NaN or infinite coordinate draws nothing sensible.
    std::optional<std::uint8_t> ListByte();
    std::optional<std::int16_t> ListInteger();
    std::optional<std::int32_t> ListLong();
    std::optional<double> ListReal();
    std::optional<double> LineReal();
    std::optional<bool> ListBoolean();
    // A text for a window field: at most MaxTextChars characters, as a text
    // field holds no more.
    std::optional<QString> ListText();
    // A text of any length (up to the file's), one Latin-1 byte per character:
    // the file is never held as UTF-16, which would take twice its size.
    std::optional<std::string> ListLatin1();

    // Records a failure for the value read last (e.g. a target refused it).
    void RefuseLast(const QString& expected);

    const std::optional<ReadFailure>& Failure() const { return failure_; }

private:
    bool atLineStart() const { return column_ < 0; }
    // Finds the current line if it is not yet found; at the end of the file
    // records the failure and gives false. A line is a view into the file's
    // bytes, never a copy, so reading costs little more than the file itself.
    bool loadLine();
    void nextLine();
    // The next list field's bytes: a view into the file, or into unquoted_.
    std::optional<QByteArrayView> listFieldBytes();
    std::optional<QByteArrayView> lineFieldBytes();
    void remember(QByteArrayView text);
    void fail(int line, const QString& expected, const QString& found);
    // At the end of the file, says what the missing value should have been.
    void refineEndOfFile(const QString& expected);
    std::optional<double> toReal(std::optional<QByteArrayView> text, const QString& expected,
                                 bool lineField = false);
    template <typename Int> std::optional<Int> toInteger(const QString& expected);

    QByteArray content_;
    qsizetype nextLineStart_ = 0; // byte offset of the line after the current one
    QByteArrayView current_;      // the current line, without its line end
    bool haveCurrent_ = false;
    qsizetype line_ = 0; // index of the current line
    qsizetype column_ = -1; // position inside current_ after a comma; -1 at a line start
    std::string unquoted_;  // a quoted field's text
    bool quoted_ = false;   // the last list field was quoted: its text is unquoted_
    int lastLine_ = 0;
    QString lastText_; // its start only: it is shown cut short in any case
    std::optional<ReadFailure> failure_;
};

// The longest text a window field holds, and so the longest text of the general
// section; the L-system's strings (ListLatin1) have no such limit.
inline constexpr qsizetype MaxTextChars = 32767;

// The blanks a field may have around its value.
inline bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Numbers as the reader understands them: the user's locale first (without
// thousands separators, so "1.234" is never read as 1234 in German), then
// the C locale's decimal point. Blanks around the number are ignored.
std::optional<double> parseReal(const QString& text);

} // namespace zv
