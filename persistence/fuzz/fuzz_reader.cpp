// libFuzzer target for the settings / parameter reader. Any input must be read
// without a crash, a sanitizer report or a hang; whatever reads without a
// failure must come back unchanged after being written and read again; and
// the value a failure names is shown short and free of control characters.

#include "FileMod.h"
#include "ShownText.h"

#include <QLocale>
#include <cstdint>
#include <cstdlib>

namespace {

// Whatever reads without a failure reads back the same after writing.
template <typename Read, typename Write>
void checkRoundTrip(const QByteArray& content, Read read, Write write) {
    zv::FractalParameters records;
    zv::GeneralValuesCollector target;
    if (const std::optional<zv::ReadFailure> failure = read(content, target, records)) {
        const QString shown = zv::ShownText(failure->Found);
        for (const QChar c : shown) {
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F)) {
                std::abort();
            }
        }
        if (shown.size() > 6 * zv::ShownValueChars + 3) {
            std::abort();
        }
        return;
    }
    zv::FractalParameters again;
    zv::GeneralValuesCollector againTarget;
    if (read(write(target.Values, records), againTarget, again) || !(again == records) ||
        !(againTarget.Values == target.Values)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        checkRoundTrip(
            content,
            [](const QByteArray& c, zv::GeneralSectionTarget& t, zv::FractalParameters& r) {
                return zv::ReadSettings(c, t, r);
            },
            zv::WriteSettings);
        checkRoundTrip(
            content,
            [](const QByteArray& c, zv::GeneralSectionTarget& t, zv::FractalParameters& r) {
                return zv::ReadParameters(c, t, r);
            },
            zv::WriteParameters);
    }
    return 0;
}
