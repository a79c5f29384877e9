#pragma once
// The settings files ("User.ini", "Default.ini") and the parameter files
// ("*.prm"): the general section (11 lines), then type sections. A settings
// file holds all five type sections in type order; a parameter file only the
// section of the type its line 1 names.
//
// Reading stops at the first failure; everything read before it stays applied,
// so a caller that falls back to another file must read that file completely.
// The LSystem strings hold one Latin-1 byte per character, in the model as in
// the file, so every character is one turtle command (a line feed is written
// as a blank).
//
// For every model whose texts hold no line feed and whose reals are finite, reading
// what the writer wrote gives the same model, in any locale: see FieldWriter.h
// for the forms that make that hold. A NaN or infinite real in a file is a read
// failure; the writer stores NaN as 0 and an infinity as the largest double.

#include "FieldReader.h"
#include "FieldWriter.h"
#include "ParameterModel.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace zv {

// The general section as written: the window's controls as they stand.
struct GeneralValues {
    std::uint8_t FractalType = 0;              // a FractalType
    QString ParamBarTag = QStringLiteral("1"); // "1" open, "0" closed
    double Left = 0;                           // window position, twips
    double Top = 0;
    QString AreaWidth = QStringLiteral("200"); // pixels, as typed
    QString AreaHeight = QStringLiteral("250");
    std::int32_t BackColor = 0xFFFFFF; // 24-bit RGB, red in the low byte
    std::int32_t ForeColor = 0;
    std::uint8_t RandomForeColor = 0; // check state 0, 1 (2 greyed)
    QString CalcDepth = QStringLiteral("10");
    std::uint8_t Pause = 0; // check state
    bool operator==(const GeneralValues&) const = default;
};

// Receives the general section in file order. The window applies every value
// with its side effects; a setter that returns false refuses its value and
// ends the read with a failure on that line.
class GeneralSectionTarget {
public:
    virtual ~GeneralSectionTarget() = default;
    virtual bool SetFractalType(std::uint8_t index) = 0;
    // The stored bar state: open unless it was 0. The window sets the tag to the
    // opposite and presses the bar button once.
    virtual bool SetParamBarOpen(bool open) = 0;
    virtual bool SetLeft(std::int32_t twips) = 0;
    virtual bool SetTop(std::int32_t twips) = 0;
    virtual bool SetAreaWidthText(const QString& text) = 0;
    virtual bool SetAreaHeightText(const QString& text) = 0;
    // Both area texts are in: size the window to them, then keep it on screen.
    virtual void SizeWindowAndKeepOnScreen() = 0;
    virtual bool SetBackColor(std::int32_t color) = 0;
    virtual bool SetForeColor(std::int32_t color) = 0;
    virtual bool SetRandomForeColor(std::uint8_t checkState) = 0;
    virtual bool SetCalcDepthText(const QString& text) = 0;
    virtual bool SetPause(std::uint8_t checkState) = 0;
};

// What the targets accept by the file's rules; a target may refuse more.
inline bool isFractalType(std::uint8_t index) {
    return index < FractalTypeCount;
}
inline bool isCheckState(std::uint8_t state) {
    return state <= 2;
}
inline bool isRgbColor(std::int32_t color) {
    return color >= 0 && color <= 0xFFFFFF;
}

// Check states as the files store them: 0 unchecked, 1 checked, 2 greyed.
// Only 1 is a tick: a greyed box neither draws in random colours nor single-steps.
inline bool isTicked(std::uint8_t checkState) {
    return checkState == 1;
}

// The ForeColor of a run, the same for the window and the renderer: -1 (a
// random colour per element) when "Random ForeColor" is ticked; the background
// when the box is unchecked and the type's mode draws in it (the recursive
// gadget cuts its holes in it); otherwise, a greyed box included, the drawing
// colour.
std::int32_t foreColorForRun(std::uint8_t randomForeColor, bool drawsInBackColor,
                             std::int32_t foreColor, std::int32_t backColor);

// What a reader expects of a type number: "a fractal type from 0 to 4".
QString fractalTypeExpected();

// Collects the general section into GeneralValues, refusing what the window
// refuses by the file's rules: a colour that is not 24-bit RGB.
class GeneralValuesCollector : public GeneralSectionTarget {
public:
    GeneralValues Values;

    bool SetFractalType(std::uint8_t index) override;
    bool SetParamBarOpen(bool open) override;
    bool SetLeft(std::int32_t twips) override;
    bool SetTop(std::int32_t twips) override;
    bool SetAreaWidthText(const QString& text) override;
    bool SetAreaHeightText(const QString& text) override;
    void SizeWindowAndKeepOnScreen() override {}
    bool SetBackColor(std::int32_t color) override;
    bool SetForeColor(std::int32_t color) override;
    bool SetRandomForeColor(std::uint8_t checkState) override;
    bool SetCalcDepthText(const QString& text) override;
    bool SetPause(std::uint8_t checkState) override;
};

struct WindowPosition {
    std::int32_t Left = 0; // twips
    std::int32_t Top = 0;
    bool operator==(const WindowPosition&) const = default;
};

// Moves a window back onto the screen; all values in twips. A window above the
// top edge goes to 2, and 400 twips are kept free below it for the task bar.
WindowPosition KeepWindowOnScreen(WindowPosition position, std::int32_t windowWidth,
                                  std::int32_t windowHeight, std::int32_t screenWidth,
                                  std::int32_t screenHeight);

// Sections. A read returns false after the first failure (see reader.Failure()).
// The reader itself refuses a type index that names no type and a check state above
// 2; fractalType receives line 1 once the target took it.
bool ReadGeneralSection(FieldReader& reader, GeneralSectionTarget& target,
                        std::uint8_t* fractalType = nullptr);
bool ReadCantorSetSection(FieldReader& reader, CantorSetParams& record);
bool ReadCrossSection(FieldReader& reader, CrossParams& record);
bool ReadSierpinskyGadgetSection(FieldReader& reader, SierpinskyGadgetParams& record);
bool ReadKochCurveSection(FieldReader& reader, KochCurveParams& record);
bool ReadLSystemSection(FieldReader& reader, LSystemParams& record);
bool ReadTypeSection(FieldReader& reader, std::uint8_t fractalType, FractalParameters& records);

void WriteGeneralSection(FieldWriter& writer, const GeneralValues& values);
void WriteCantorSetSection(FieldWriter& writer, const CantorSetParams& record);
void WriteCrossSection(FieldWriter& writer, const CrossParams& record);
void WriteSierpinskyGadgetSection(FieldWriter& writer, const SierpinskyGadgetParams& record);
void WriteKochCurveSection(FieldWriter& writer, const KochCurveParams& record);
void WriteLSystemSection(FieldWriter& writer, const LSystemParams& record);
void WriteTypeSection(FieldWriter& writer, std::uint8_t fractalType,
                      const FractalParameters& records);

// Whole files held in memory.
std::optional<ReadFailure> ReadSettings(const QByteArray& content, GeneralSectionTarget& target,
                                        FractalParameters& records);
// Reads the general section and the one type section line 1 named; that type
// is returned through fractalType when the read got that far.
std::optional<ReadFailure> ReadParameters(const QByteArray& content, GeneralSectionTarget& target,
                                          FractalParameters& records,
                                          std::uint8_t* fractalType = nullptr);
QByteArray WriteSettings(const GeneralValues& general, const FractalParameters& records);
// The section of general.FractalType only.
QByteArray WriteParameters(const GeneralValues& general, const FractalParameters& records);

// Files on disk. A file that cannot be opened fails on line 0. Writing goes
// through a temporary file that replaces the old one only when complete, so a
// full disk never leaves half a file; the result is an error text or nullopt.
std::optional<ReadFailure> ReadSettingsFile(const QString& path, GeneralSectionTarget& target,
                                            FractalParameters& records);
std::optional<ReadFailure> ReadParameterFile(const QString& path, GeneralSectionTarget& target,
                                             FractalParameters& records,
                                             std::uint8_t* fractalType = nullptr);
std::optional<QString> WriteSettingsFile(const QString& path, const GeneralValues& general,
                                         const FractalParameters& records);
std::optional<QString> WriteParameterFile(const QString& path, const GeneralValues& general,
                                          const FractalParameters& records);

} // namespace zv
