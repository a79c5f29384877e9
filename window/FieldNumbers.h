#pragma once
// Numbers in text fields are written and read in the user's locale (QLocale's
// default), never with the C library: Qt sets the C locale from the environment.

#include <QString>
#include <optional>

namespace zv {

// The value of a field's text, or nothing when the text is not a finite number.
// The empty text is not a number. With commaIsDecimal a comma is read as the
// decimal separator whatever the locale: the two fields that turn a typed
// period into a comma must read their own text back under an English locale too.
std::optional<double> fieldNumber(const QString& text, bool commaIsDecimal = false);

// A number as the fields show it: locale decimal separator, no group separators,
// at most 15 significant digits.
QString fieldText(double value);

} // namespace zv
