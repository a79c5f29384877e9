#include "ShownText.h"

namespace zv {

QString ShownText(const QString& text, qsizetype maxChars) {
    qsizetype length = std::min(text.size(), maxChars);
    // Never cut a character outside the basic plane in half.
    if (length > 0 && length < text.size() && text[length - 1].isHighSurrogate()) {
        --length;
    }
    QString shown;
    shown.reserve(length + 3);
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) {
            shown += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        } else if (c.isSurrogate() || c.isPrint()) {
            shown += c;
        } else {
            shown += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        }
    }
    if (length < text.size()) {
        shown += QStringLiteral("...");
    }
    return shown;
}

} // namespace zv
