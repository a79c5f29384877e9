// libFuzzer target for the settings / parameter reader. Any input must be read
// without a crash, a sanitizer report or a hang; and whatever reads without a
// failure must come back unchanged after being written and read again.

#include "FileMod.h"

#include <QLocale>
#include <cstdint>
#include <cstdlib>

namespace {

class Collector : public zv::GeneralSectionTarget {
public:
    zv::GeneralValues v;
    bool SetFractalType(std::uint8_t i) override { return v.FractalType = i, true; }
    bool SetParamBarOpen(bool o) override {
        v.ParamBarTag = o ? QStringLiteral("1") : QStringLiteral("0");
        return true;
    }
    bool SetLeft(std::int32_t t) override { return v.Left = t, true; }
    bool SetTop(std::int32_t t) override { return v.Top = t, true; }
    bool SetAreaWidthText(const QString& t) override { return v.AreaWidth = t, true; }
    bool SetAreaHeightText(const QString& t) override { return v.AreaHeight = t, true; }
    void SizeWindowAndKeepOnScreen() override {}
    bool SetBackColor(std::int32_t c) override { return v.BackColor = c, true; }
    bool SetForeColor(std::int32_t c) override { return v.ForeColor = c, true; }
    bool SetRandomForeColor(std::uint8_t s) override { return v.RandomForeColor = s, true; }
    bool SetCalcDepthText(const QString& t) override { return v.CalcDepth = t, true; }
    bool SetPause(std::uint8_t s) override { return v.Pause = s, true; }
};

void checkSettings(const QByteArray& content) {
    zv::FractalParameters records;
    Collector target;
    if (zv::ReadSettings(content, target, records)) {
        return;
    }
    zv::FractalParameters again;
    Collector againTarget;
    if (zv::ReadSettings(zv::WriteSettings(target.v, records), againTarget, again) ||
        !(again == records) || !(againTarget.v == target.v)) {
        std::abort();
    }
}

void checkParameters(const QByteArray& content) {
    zv::FractalParameters records;
    Collector target;
    std::uint8_t type = 0;
    if (zv::ReadParameters(content, target, records, &type)) {
        return;
    }
    zv::FractalParameters again;
    Collector againTarget;
    if (zv::ReadParameters(zv::WriteParameters(target.v, records), againTarget, again) ||
        !(again == records) || !(againTarget.v == target.v)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        checkSettings(content);
        checkParameters(content);
    }
    return 0;
}
