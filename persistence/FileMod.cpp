#include "FileMod.h"

#include "GuardedFile.h"

#include "FractalCatalogue.h"

#include <algorithm>
#include <array>

namespace zv {

namespace {

// Stores each value as soon as it is read, so a failure leaves the values read
// before it in place.
template <typename T, typename U> bool store(const std::optional<T>& value, U& target) {
    if (!value) {
        return false;
    }
    target = *value;
    return true;
}

bool readPoint(FieldReader& reader, FixPoint& point) {
    return store(reader.ListReal(), point.X) && store(reader.ListReal(), point.Y);
}

bool readPointList(FieldReader& reader, std::vector<FixPoint>& points) {
    const std::optional<std::int16_t> highest = reader.ListInteger();
    if (!highest) {
        return false;
    }
    if (*highest < 0) {
        reader.RefuseLast(QStringLiteral("the highest index of a fix point list, 0 or more"));
        return false;
    }
    points.assign(static_cast<std::size_t>(*highest) + 1, FixPoint{});
    for (FixPoint& p : points) {
        if (!readPoint(reader, p)) {
            return false;
        }
    }
    return true;
}

void writePoint(FieldWriter& writer, const FixPoint& point) {
    writer.ListReal(point.X);
    writer.ListReal(point.Y);
}

void writePointList(FieldWriter& writer, const std::vector<FixPoint>& points) {
    writer.CountLine(static_cast<std::int64_t>(points.size()) - 1);
    for (const FixPoint& p : points) {
        writePoint(writer, p);
    }
}

// A value read and offered to the target; a refusal is a failure on its line.
template <typename T, typename Setter>
bool offer(FieldReader& reader, const std::optional<T>& value, Setter setter,
           const QString& expected) {
    if (!value) {
        return false;
    }
    if (!setter(*value)) {
        reader.RefuseLast(expected);
        return false;
    }
    return true;
}

std::optional<QByteArray> readWholeFile(const QString& path, std::optional<ReadFailure>& failure) {
    FileContent content = ReadGuardedFile(path);
    if (!content) {
        failure =
            ReadFailure{0, QStringLiteral("a regular file of at most 64 MiB"), content.reason};
        return std::nullopt;
    }
    return std::move(content.bytes);
}

} // namespace

bool GeneralValuesCollector::SetFractalType(std::uint8_t index) {
    Values.FractalType = index;
    return true;
}
bool GeneralValuesCollector::SetParamBarOpen(bool open) {
    Values.ParamBarTag = open ? QStringLiteral("1") : QStringLiteral("0");
    return true;
}
bool GeneralValuesCollector::SetLeft(std::int32_t twips) {
    Values.Left = twips;
    return true;
}
bool GeneralValuesCollector::SetTop(std::int32_t twips) {
    Values.Top = twips;
    return true;
}
bool GeneralValuesCollector::SetAreaWidthText(const QString& text) {
    Values.AreaWidth = text;
    return true;
}
bool GeneralValuesCollector::SetAreaHeightText(const QString& text) {
    Values.AreaHeight = text;
    return true;
}
bool GeneralValuesCollector::SetBackColor(std::int32_t color) {
    Values.BackColor = color;
    return isRgbColor(color);
}
bool GeneralValuesCollector::SetForeColor(std::int32_t color) {
    Values.ForeColor = color;
    return isRgbColor(color);
}
bool GeneralValuesCollector::SetRandomForeColor(std::uint8_t checkState) {
    Values.RandomForeColor = checkState;
    return true;
}
bool GeneralValuesCollector::SetCalcDepthText(const QString& text) {
    Values.CalcDepth = text;
    return true;
}
bool GeneralValuesCollector::SetPause(std::uint8_t checkState) {
    Values.Pause = checkState;
    return true;
}

WindowPosition KeepWindowOnScreen(WindowPosition position, std::int32_t windowWidth,
                                  std::int32_t windowHeight, std::int32_t screenWidth,
                                  std::int32_t screenHeight) {
    // 64-bit so that no combination of stored values overflows.
    std::int64_t left = position.Left;
    std::int64_t top = position.Top;
    if (left < 0) {
        left = 0;
    }
    if (std::int64_t{screenWidth} - windowWidth < left) {
        left = std::int64_t{screenWidth} - windowWidth;
    }
    if (top < 0) {
        top = 2;
    }
    if (std::int64_t{screenHeight} - (std::int64_t{windowHeight} + 400) < top) {
        top = std::int64_t{screenHeight} - (std::int64_t{windowHeight} + 400);
    }
    auto narrow = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    return {narrow(left), narrow(top)};
}

std::int32_t foreColorForRun(std::uint8_t randomForeColor, bool drawsInBackColor,
                             std::int32_t foreColor, std::int32_t backColor) {
    if (isTicked(randomForeColor)) {
        return RandomColor;
    }
    if (randomForeColor == 0 && drawsInBackColor) {
        return backColor;
    }
    return foreColor;
}

QString fractalTypeExpected() {
    return QStringLiteral("a fractal type from %1").arg(QString::fromStdString(FractalTypeRange()));
}

bool ReadGeneralSection(FieldReader& reader, GeneralSectionTarget& target,
                        std::uint8_t* fractalType) {
    return offer(
               reader, reader.ListByte(),
               [&](std::uint8_t v) {
                   if (!isFractalType(v) || !target.SetFractalType(v)) {
                       return false;
                   }
                   if (fractalType) {
                       *fractalType = v;
                   }
                   return true;
               },
               fractalTypeExpected()) &&
           offer(
               reader, reader.ListReal(),
               [&](double v) { return target.SetParamBarOpen(v != 0.0); },
               "a parameter bar state, 1 or 0") &&
           offer(
               reader, reader.ListLong(), [&](std::int32_t v) { return target.SetLeft(v); },
               "a window position in twips") &&
           offer(
               reader, reader.ListLong(), [&](std::int32_t v) { return target.SetTop(v); },
               "a window position in twips") &&
           offer(
               reader, reader.ListText(),
               [&](const QString& v) { return target.SetAreaWidthText(v); },
               "a drawing area width") &&
           offer(
               reader, reader.ListText(),
               [&](const QString& v) {
                   if (!target.SetAreaHeightText(v)) {
                       return false;
                   }
                   target.SizeWindowAndKeepOnScreen();
                   return true;
               },
               "a drawing area height") &&
           offer(
               reader, reader.ListLong(), [&](std::int32_t v) { return target.SetBackColor(v); },
               "a colour from 0 to 16777215") &&
           offer(
               reader, reader.ListLong(), [&](std::int32_t v) { return target.SetForeColor(v); },
               "a colour from 0 to 16777215") &&
           offer(
               reader, reader.ListByte(),
               [&](std::uint8_t v) { return isCheckState(v) && target.SetRandomForeColor(v); },
               "a check state 0, 1 or 2") &&
           offer(
               reader, reader.ListText(),
               [&](const QString& v) { return target.SetCalcDepthText(v); },
               "a calculation depth") &&
           offer(
               reader, reader.ListByte(),
               [&](std::uint8_t v) { return isCheckState(v) && target.SetPause(v); },
               "a check state 0, 1 or 2");
}

bool ReadCantorSetSection(FieldReader& reader, CantorSetParams& record) {
    return store(reader.ListByte(), record.DrawMode) && readPoint(reader, record.FixPoints[0]) &&
           readPoint(reader, record.FixPoints[1]) &&
           store(reader.ListInteger(), record.StepHeight) &&
           store(reader.ListByte(), record.ElementsCount);
}

bool ReadCrossSection(FieldReader& reader, CrossParams& record) {
    return store(reader.ListByte(), record.DrawMode) && readPointList(reader, record.FixPoints) &&
           store(reader.ListBoolean(), record.ConnectLast) &&
           store(reader.LineReal(), record.DecreaseFactor);
}

bool ReadSierpinskyGadgetSection(FieldReader& reader, SierpinskyGadgetParams& record) {
    return store(reader.ListByte(), record.DrawMode) && readPoint(reader, record.FixPoints[0]) &&
           readPoint(reader, record.FixPoints[1]) && readPoint(reader, record.FixPoints[2]);
}

bool ReadKochCurveSection(FieldReader& reader, KochCurveParams& record) {
    return store(reader.ListByte(), record.DrawMode) && readPointList(reader, record.FixPoints) &&
           store(reader.ListBoolean(), record.ConnectLast);
}

bool ReadLSystemSection(FieldReader& reader, LSystemParams& record) {
    auto storeText = [&](std::string& target) {
        std::optional<std::string> text = reader.ListLatin1();
        if (!text) {
            return false;
        }
        target = std::move(*text);
        return true;
    };
    return readPoint(reader, record.FixPoints[0]) && readPoint(reader, record.FixPoints[1]) &&
           storeText(record.InitiatorString) && storeText(record.GeneratorString) &&
           store(reader.LineReal(), record.LineLength) && store(reader.LineReal(), record.Delta);
}

namespace {

// Each type's section, indexed by FractalType. The files name no fields: a
// value's meaning is its place, so each record keeps its own pair of procedures.
struct SectionProcedures {
    bool (*read)(FieldReader&, FractalParameters&);
    void (*write)(FieldWriter&, const FractalParameters&);
};

constexpr std::array<SectionProcedures, FractalTypeCount> Sections = {{
    {[](FieldReader& r, FractalParameters& p) { return ReadCantorSetSection(r, p.CantorSet); },
     [](FieldWriter& w, const FractalParameters& p) { WriteCantorSetSection(w, p.CantorSet); }},
    {[](FieldReader& r, FractalParameters& p) { return ReadCrossSection(r, p.Cross); },
     [](FieldWriter& w, const FractalParameters& p) { WriteCrossSection(w, p.Cross); }},
    {[](FieldReader& r, FractalParameters& p) {
         return ReadSierpinskyGadgetSection(r, p.SierpinskyGadget);
     },
     [](FieldWriter& w, const FractalParameters& p) {
         WriteSierpinskyGadgetSection(w, p.SierpinskyGadget);
     }},
    {[](FieldReader& r, FractalParameters& p) { return ReadKochCurveSection(r, p.KochCurve); },
     [](FieldWriter& w, const FractalParameters& p) { WriteKochCurveSection(w, p.KochCurve); }},
    {[](FieldReader& r, FractalParameters& p) { return ReadLSystemSection(r, p.LSystem); },
     [](FieldWriter& w, const FractalParameters& p) { WriteLSystemSection(w, p.LSystem); }},
}};

} // namespace

bool ReadTypeSection(FieldReader& reader, std::uint8_t fractalType, FractalParameters& records) {
    const std::optional<FractalType> type = fractalTypeAt(fractalType);
    if (!type) {
        reader.RefuseLast(fractalTypeExpected());
        return false;
    }
    return Sections[static_cast<std::size_t>(*type)].read(reader, records);
}

void WriteGeneralSection(FieldWriter& writer, const GeneralValues& values) {
    writer.Integer(values.FractalType);
    writer.Text(values.ParamBarTag);
    writer.ListReal(values.Left);
    writer.ListReal(values.Top);
    writer.Text(values.AreaWidth);
    writer.Text(values.AreaHeight);
    writer.Integer(values.BackColor);
    writer.Integer(values.ForeColor);
    writer.Integer(values.RandomForeColor);
    writer.Text(values.CalcDepth);
    writer.Integer(values.Pause);
}

void WriteCantorSetSection(FieldWriter& writer, const CantorSetParams& record) {
    writer.Integer(record.DrawMode);
    writePoint(writer, record.FixPoints[0]);
    writePoint(writer, record.FixPoints[1]);
    writer.Integer(record.StepHeight);
    writer.Integer(record.ElementsCount);
}

void WriteCrossSection(FieldWriter& writer, const CrossParams& record) {
    writer.Integer(record.DrawMode);
    writePointList(writer, record.FixPoints);
    writer.Boolean(record.ConnectLast);
    writer.LineReal(record.DecreaseFactor);
}

void WriteSierpinskyGadgetSection(FieldWriter& writer, const SierpinskyGadgetParams& record) {
    writer.Integer(record.DrawMode);
    for (const FixPoint& p : record.FixPoints) {
        writePoint(writer, p);
    }
}

void WriteKochCurveSection(FieldWriter& writer, const KochCurveParams& record) {
    writer.Integer(record.DrawMode);
    writePointList(writer, record.FixPoints);
    writer.Boolean(record.ConnectLast);
}

void WriteLSystemSection(FieldWriter& writer, const LSystemParams& record) {
    writePoint(writer, record.FixPoints[0]);
    writePoint(writer, record.FixPoints[1]);
    writer.Text(record.InitiatorString);
    writer.Text(record.GeneratorString);
    writer.LineReal(record.LineLength);
    writer.LineReal(record.Delta);
}

void WriteTypeSection(FieldWriter& writer, std::uint8_t fractalType,
                      const FractalParameters& records) {
    if (const std::optional<FractalType> type = fractalTypeAt(fractalType)) {
        Sections[static_cast<std::size_t>(*type)].write(writer, records);
    }
}

std::optional<ReadFailure> ReadSettings(const QByteArray& content, GeneralSectionTarget& target,
                                        FractalParameters& records) {
    FieldReader reader(content);
    if (ReadGeneralSection(reader, target)) {
        for (std::uint8_t type = 0; type < FractalTypeCount; ++type) {
            if (!ReadTypeSection(reader, type, records)) {
                break;
            }
        }
    }
    return reader.Failure();
}

std::optional<ReadFailure> ReadParameters(const QByteArray& content, GeneralSectionTarget& target,
                                          FractalParameters& records, std::uint8_t* fractalType) {
    FieldReader reader(content);
    std::uint8_t type = 0;
    if (ReadGeneralSection(reader, target, &type)) {
        if (fractalType) {
            *fractalType = type;
        }
        ReadTypeSection(reader, type, records);
    }
    return reader.Failure();
}

QByteArray WriteSettings(const GeneralValues& general, const FractalParameters& records) {
    FieldWriter writer;
    WriteGeneralSection(writer, general);
    for (std::uint8_t type = 0; type < FractalTypeCount; ++type) {
        WriteTypeSection(writer, type, records);
    }
    return writer.Content();
}

QByteArray WriteParameters(const GeneralValues& general, const FractalParameters& records) {
    FieldWriter writer;
    WriteGeneralSection(writer, general);
    WriteTypeSection(writer, general.FractalType, records);
    return writer.Content();
}

std::optional<ReadFailure> ReadSettingsFile(const QString& path, GeneralSectionTarget& target,
                                            FractalParameters& records) {
    std::optional<ReadFailure> failure;
    const std::optional<QByteArray> content = readWholeFile(path, failure);
    return content ? ReadSettings(*content, target, records) : failure;
}

std::optional<ReadFailure> ReadParameterFile(const QString& path, GeneralSectionTarget& target,
                                             FractalParameters& records,
                                             std::uint8_t* fractalType) {
    std::optional<ReadFailure> failure;
    const std::optional<QByteArray> content = readWholeFile(path, failure);
    return content ? ReadParameters(*content, target, records, fractalType) : failure;
}

std::optional<QString> WriteSettingsFile(const QString& path, const GeneralValues& general,
                                         const FractalParameters& records) {
    return WriteGuardedFile(path, WriteSettings(general, records));
}

std::optional<QString> WriteParameterFile(const QString& path, const GeneralValues& general,
                                          const FractalParameters& records) {
    return WriteGuardedFile(path, WriteParameters(general, records));
}

} // namespace zv
