#pragma once
// A general-section target for tests: it logs every call in file order and
// rebuilds the values, and can be told to refuse one setter.

#include "FileMod.h"

#include <QString>
#include <QStringList>

namespace zvtest {

class RecordingTarget : public zv::GeneralSectionTarget {
public:
    QStringList Calls;
    zv::GeneralValues Values;
    QString Refuse; // name of a setter that returns false

    bool SetFractalType(std::uint8_t index) override {
        Values.FractalType = index;
        return log(QStringLiteral("SetFractalType"), QString::number(index));
    }
    bool SetParamBarOpen(bool open) override {
        Values.ParamBarTag = open ? QStringLiteral("1") : QStringLiteral("0");
        return log(QStringLiteral("SetParamBarOpen"), Values.ParamBarTag);
    }
    bool SetLeft(std::int32_t twips) override {
        Values.Left = twips;
        return log(QStringLiteral("SetLeft"), QString::number(twips));
    }
    bool SetTop(std::int32_t twips) override {
        Values.Top = twips;
        return log(QStringLiteral("SetTop"), QString::number(twips));
    }
    bool SetAreaWidthText(const QString& text) override {
        Values.AreaWidth = text;
        return log(QStringLiteral("SetAreaWidthText"), text);
    }
    bool SetAreaHeightText(const QString& text) override {
        Values.AreaHeight = text;
        return log(QStringLiteral("SetAreaHeightText"), text);
    }
    void SizeWindowAndKeepOnScreen() override {
        Calls << QStringLiteral("SizeWindowAndKeepOnScreen");
    }
    bool SetBackColor(std::int32_t color) override {
        Values.BackColor = color;
        return log(QStringLiteral("SetBackColor"), QString::number(color));
    }
    bool SetForeColor(std::int32_t color) override {
        Values.ForeColor = color;
        return log(QStringLiteral("SetForeColor"), QString::number(color));
    }
    bool SetRandomForeColor(std::uint8_t checkState) override {
        Values.RandomForeColor = checkState;
        return log(QStringLiteral("SetRandomForeColor"), QString::number(checkState));
    }
    bool SetCalcDepthText(const QString& text) override {
        Values.CalcDepth = text;
        return log(QStringLiteral("SetCalcDepthText"), text);
    }
    bool SetPause(std::uint8_t checkState) override {
        Values.Pause = checkState;
        return log(QStringLiteral("SetPause"), QString::number(checkState));
    }

private:
    bool log(const QString& name, const QString& value) {
        Calls << name + u' ' + value;
        return name != Refuse;
    }
};

} // namespace zvtest
