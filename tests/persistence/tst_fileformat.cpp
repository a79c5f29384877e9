// The settings / parameter file format: written layout, reading rules,
// failures and the general section's call order.

#include "FileMod.h"
#include "RecordingTarget.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace zv;

namespace {

QByteArray joinLines(const QStringList& lines, const char* end = "\r\n") {
    QByteArray out;
    for (const QString& l : lines) {
        out += l.toLatin1();
        out += end;
    }
    return out;
}

QStringList splitLines(const QByteArray& content) {
    QStringList lines = QString::fromLatin1(content).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

// A Cross of 4 fix points and a Koch curve of 3, as in a typical User.ini.
FractalParameters sampleRecords() {
    FractalParameters r;
    r.CantorSet = {0, {{{20, 30}, {180, 30}}}, 20, 3};
    r.Cross = {0, {{40, 60}, {160, 60}, {160, 190}, {40, 190}}, true, 0.5};
    r.SierpinskyGadget = {1, {{{100, 20}, {15, 230}, {185, 230}}}};
    r.KochCurve = {0, {{20, 80}, {180, 80}, {100, 218.5}}, true};
    r.LSystem = {{{{100, 240}, {100, 0}}}, "F", "F[+F]F[-F]F", 2.5, 25.7};
    return r;
}

GeneralValues sampleGeneral() {
    GeneralValues g;
    g.FractalType = 3;
    g.Left = 1500;
    g.Top = 900;
    return g;
}

QLocale localeNamed(const QString& name) {
    return name == u"de" ? QLocale(QLocale::German, QLocale::Germany)
                         : QLocale(QLocale::English, QLocale::UnitedStates);
}

// The few fields the reading cases look at, by name.
double field(const FractalParameters& r, const QString& name) {
    if (name == u"CantorSet.StepHeight")
        return r.CantorSet.StepHeight;
    if (name == u"CantorSet.ElementsCount")
        return r.CantorSet.ElementsCount;
    if (name == u"CantorSet.X0")
        return r.CantorSet.FixPoints[0].X;
    if (name == u"Cross.Count")
        return static_cast<double>(r.Cross.FixPoints.size());
    if (name == u"Cross.X0")
        return r.Cross.FixPoints[0].X;
    if (name == u"Cross.X1")
        return r.Cross.FixPoints.size() > 1 ? r.Cross.FixPoints[1].X : -1;
    if (name == u"Cross.Y1")
        return r.Cross.FixPoints.size() > 1 ? r.Cross.FixPoints[1].Y : -1;
    if (name == u"Cross.ConnectLast")
        return r.Cross.ConnectLast;
    if (name == u"Cross.DecreaseFactor")
        return r.Cross.DecreaseFactor;
    if (name == u"LSystem.LineLength")
        return r.LSystem.LineLength;
    if (name == u"LSystem.Delta")
        return r.LSystem.Delta;
    qFatal("unknown field");
}

// Line numbers (1-based) of a settings file written from sampleRecords().
constexpr int CantorStepHeightLine = 17;
constexpr int CantorElementsLine = 18;
constexpr int CrossCountLine = 20;
constexpr int CrossX0Line = 21;
constexpr int CrossConnectLine = 29;
constexpr int CrossFactorLine = 30;
constexpr int LSystemLineLengthLine = 53;

} // namespace

class FileFormatTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void writtenLayout_data();
    void writtenLayout();
    void valueForms_data();
    void valueForms();
    void reading_data();
    void reading();
    void tolerantForms_data();
    void tolerantForms();
    void generalSectionOrder();
    void generalSectionRefusals_data();
    void generalSectionRefusals();
    void keepWindowOnScreen_data();
    void keepWindowOnScreen();
    void parameterFileSection_data();
    void parameterFileSection();
    void filesOnDisk();
    void factorySettings();
    void hostileInputs_data();
    void hostileInputs();
};

void FileFormatTest::writtenLayout_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("lineNumber");
    QTest::addColumn<QString>("lineText");

    const QByteArray settings = WriteSettings(sampleGeneral(), sampleRecords());
    const QByteArray koch = WriteParameters(sampleGeneral(), sampleRecords());
    QTest::newRow("settings: line count") << settings << 54 << 1 << "3";
    QTest::newRow("settings: cross count line has a leading blank")
        << settings << 54 << CrossCountLine << " 3";
    QTest::newRow("settings: boolean") << settings << 54 << CrossConnectLine << "True";
    QTest::newRow("settings: StepHeight") << settings << 54 << CantorStepHeightLine << "20";
    QTest::newRow("settings: white background") << settings << 54 << 7 << "16777215";
    QTest::newRow("settings: generator") << settings << 54 << 52 << "F[+F]F[-F]F";
    QTest::newRow("koch file: line count") << koch << 20 << 1 << "3";
    QTest::newRow("koch file: count line") << koch << 20 << 13 << " 2";
    QTest::newRow("koch file: fractional y") << koch << 20 << 19 << "218.5";
    QTest::newRow("koch file: last line") << koch << 20 << 20 << "True";
}

void FileFormatTest::writtenLayout() {
    QFETCH(QByteArray, content);
    QFETCH(int, lineCount);
    QFETCH(int, lineNumber);
    QFETCH(QString, lineText);

    QVERIFY(content.endsWith("\r\n"));
    QCOMPARE(content.count('\n'), content.count("\r\n"));
    const QStringList lines = splitLines(content);
    QCOMPARE(lines.size(), lineCount);
    QCOMPARE(lines[lineNumber - 1], lineText);
}

// Written form of one value and that it reads back through its own field kind.
void FileFormatTest::valueForms_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("what");
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");

    QTest::newRow("integral coordinate, German") << "de"
                                                 << "x" << 200.0 << ""
                                                 << "200";
    QTest::newRow("negative coordinate") << "en"
                                         << "x" << -35.0 << ""
                                         << "-35";
    QTest::newRow("fractional coordinate, German") << "de"
                                                   << "x" << 12.5 << ""
                                                   << "12.5";
    QTest::newRow("fractional coordinate, English") << "en"
                                                    << "x" << -0.125 << ""
                                                    << "-0.125";
    QTest::newRow("thousands, German") << "de"
                                       << "x" << 1234.5 << ""
                                       << "1234.5";
    QTest::newRow("decrease factor, German") << "de"
                                             << "factor" << 0.5 << ""
                                             << "0,5";
    QTest::newRow("decrease factor, English") << "en"
                                              << "factor" << 0.5 << ""
                                              << "0.5";
    QTest::newRow("large line real, German") << "de"
                                             << "factor" << 1234567.25 << ""
                                             << "1234567,25";
    QTest::newRow("True, German") << "de"
                                  << "bool" << 1.0 << ""
                                  << "True";
    QTest::newRow("False, German") << "de"
                                   << "bool" << 0.0 << ""
                                   << "False";
    QTest::newRow("plain generator") << "en"
                                     << "text" << 0.0 << "F[+F]F[-F]F"
                                     << "F[+F]F[-F]F";
    QTest::newRow("empty text") << "en"
                                << "text" << 0.0 << ""
                                << "";
    QTest::newRow("text with a comma") << "de"
                                       << "text" << 0.0 << "F,F"
                                       << "\"F,F\"";
    QTest::newRow("leading blank") << "en"
                                   << "text" << 0.0 << " F"
                                   << "\" F\"";
    QTest::newRow("trailing blank") << "en"
                                    << "text" << 0.0 << "F "
                                    << "\"F \"";
    QTest::newRow("starts with a quote") << "en"
                                         << "text" << 0.0 << "\"F\""
                                         << "\"\"\"F\"\"\"";
    QTest::newRow("quote inside") << "en"
                                  << "text" << 0.0 << "a\"b"
                                  << "a\"b";
    QTest::newRow("comma and quotes") << "en"
                                      << "text" << 0.0 << "\"a\", b"
                                      << "\"\"\"a\"\", b\"";
    QTest::newRow("Latin-1 letter") << "en"
                                    << "text" << 0.0 << "F\u00e9"
                                    << "F\u00e9";
}

void FileFormatTest::valueForms() {
    QFETCH(QString, locale);
    QFETCH(QString, what);
    QFETCH(double, number);
    QFETCH(QString, text);
    QFETCH(QString, written);
    QLocale::setDefault(localeNamed(locale));

    // Each value goes into a record whose section is then written and read.
    LSystemParams ls;
    CrossParams cross;
    if (what == u"x") {
        cross.FixPoints[0].X = number;
    } else if (what == u"factor") {
        cross.DecreaseFactor = number;
    } else if (what == u"bool") {
        cross.ConnectLast = number != 0.0;
    } else {
        ls.GeneratorString = text.toStdString();
    }
    FieldWriter writer;
    int line = 0;
    if (what == u"text") {
        WriteLSystemSection(writer, ls);
        line = 6;
    } else {
        WriteCrossSection(writer, cross);
        line = what == u"x" ? 3 : what == u"bool" ? 7 : 8;
    }
    QCOMPARE(splitLines(writer.Content()).at(line - 1), written);

    FieldReader reader(writer.Content());
    if (what == u"text") {
        LSystemParams back;
        QVERIFY(ReadLSystemSection(reader, back));
        QCOMPARE(back, ls);
    } else {
        CrossParams back;
        QVERIFY(ReadCrossSection(reader, back));
        QCOMPARE(back, cross);
    }
}

// One line of the sample settings file replaced (or the file cut after a
// line); then either a field's value or the failing line is checked.
void FileFormatTest::reading_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("lineNumber");
    QTest::addColumn<QString>("lineText"); // "<cut>": the file ends before this line
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("failureLine"); // 0: the read succeeds

    QTest::newRow("StepHeight 300 is an Integer") << "en" << CantorStepHeightLine << "300"
                                                  << "CantorSet.StepHeight" << 300.0 << 0;
    QTest::newRow("StepHeight 32768 is too big")
        << "en" << CantorStepHeightLine << "32768"
        << "CantorSet.StepHeight" << 20.0 << CantorStepHeightLine;
    QTest::newRow("ElementsCount 255") << "en" << CantorElementsLine << "255"
                                       << "CantorSet.ElementsCount" << 255.0 << 0;
    QTest::newRow("ElementsCount 256 fails")
        << "en" << CantorElementsLine << "256"
        << "CantorSet.StepHeight" << 20.0 << CantorElementsLine;
    QTest::newRow("ElementsCount -1 fails") << "en" << CantorElementsLine << "-1"
                                            << "CantorSet.StepHeight" << 20.0 << CantorElementsLine;
    QTest::newRow("integer half rounds to even (down)") << "en" << CantorStepHeightLine << "20.5"
                                                        << "CantorSet.StepHeight" << 20.0 << 0;
    QTest::newRow("integer half rounds to even (up)") << "en" << CantorStepHeightLine << "21.5"
                                                      << "CantorSet.StepHeight" << 22.0 << 0;
    QTest::newRow("count 3 gives four points") << "en" << CrossCountLine << " 3"
                                               << "Cross.Count" << 4.0 << 0;
    QTest::newRow("negative count fails") << "en" << CrossCountLine << "-1"
                                          << "Cross.Count" << 7.0 << CrossCountLine;
    QTest::newRow("count that is no number fails") << "en" << CrossCountLine << "three"
                                                   << "Cross.Count" << 7.0 << CrossCountLine;
    QTest::newRow("coordinate with a decimal point, German") << "de" << CrossX0Line << "1.234"
                                                             << "Cross.X0" << 1.234 << 0;
    // An old file's decimal comma in a list field shifts every later value.
    QTest::newRow("coordinate with a decimal comma, German, is cut at the comma")
        << "de" << CrossX0Line << "12,5"
        << "Cross.X1" << 60.0 << CrossX0Line + 7;
    QTest::newRow("NaN coordinate fails") << "en" << CrossX0Line << "nan"
                                          << "Cross.X0" << 0.0 << CrossX0Line;
    QTest::newRow("infinite coordinate fails") << "en" << CrossX0Line << "-inf"
                                               << "Cross.X0" << 0.0 << CrossX0Line;
    QTest::newRow("out-of-range coordinate fails") << "en" << CrossX0Line << "1e400"
                                                   << "Cross.X0" << 0.0 << CrossX0Line;
    QTest::newRow("empty coordinate fails") << "en" << CrossX0Line << ""
                                            << "Cross.X0" << 0.0 << CrossX0Line;
    QTest::newRow("false in lower case") << "en" << CrossConnectLine << "false"
                                         << "Cross.ConnectLast" << 0.0 << 0;
    QTest::newRow("boolean as a number fails") << "en" << CrossConnectLine << "1"
                                               << "Cross.ConnectLast" << 0.0 << CrossConnectLine;
    QTest::newRow("0,5 in a line field, German") << "de" << CrossFactorLine << "0,5"
                                                 << "Cross.DecreaseFactor" << 0.5 << 0;
    QTest::newRow("0.5 in a line field, German") << "de" << CrossFactorLine << "0.5"
                                                 << "Cross.DecreaseFactor" << 0.5 << 0;
    QTest::newRow("0,5 in a line field, English fails")
        << "en" << CrossFactorLine << "0,5"
        << "Cross.DecreaseFactor" << 0.5 << CrossFactorLine;
    QTest::newRow("blanks around a line field") << "de" << LSystemLineLengthLine << "  2,75 "
                                                << "LSystem.LineLength" << 2.75 << 0;
    QTest::newRow("file ends inside the cross: earlier values stay")
        << "en" << CrossX0Line + 3 << "<cut>"
        << "Cross.X1" << 160.0 << CrossX0Line + 3;
    QTest::newRow("file ends inside the cross: list re-created")
        << "en" << CrossX0Line + 3 << "<cut>"
        << "Cross.Count" << 4.0 << CrossX0Line + 3;
    QTest::newRow("file ends inside the cross: unread point is zero")
        << "en" << CrossX0Line + 3 << "<cut>"
        << "Cross.Y1" << 0.0 << CrossX0Line + 3;
    QTest::newRow("file ends before the last line") << "en" << 54 << "<cut>"
                                                    << "LSystem.LineLength" << 2.5 << 54;
}

void FileFormatTest::reading() {
    QFETCH(QString, locale);
    QFETCH(int, lineNumber);
    QFETCH(QString, lineText);
    QFETCH(QString, fieldName);
    QFETCH(double, value);
    QFETCH(int, failureLine);

    QStringList lines = splitLines(WriteSettings(sampleGeneral(), sampleRecords()));
    QLocale::setDefault(localeNamed(locale));
    if (lineText == u"<cut>") {
        lines = lines.mid(0, lineNumber - 1);
    } else {
        lines[lineNumber - 1] = lineText;
    }
    // Start from a model that differs everywhere, so "stays applied" is visible.
    FractalParameters records;
    records.Cross.FixPoints.assign(7, FixPoint{-1, -1});
    zvtest::RecordingTarget target;
    const std::optional<ReadFailure> failure = ReadSettings(joinLines(lines), target, records);

    if (failureLine == 0) {
        QVERIFY2(!failure, failure ? qPrintable(failure->Expected) : "");
    } else {
        QVERIFY(failure);
        QCOMPARE(failure->Line, failureLine);
        QVERIFY(!failure->Expected.isEmpty());
    }
    QCOMPARE(field(records, fieldName), value);
}

void FileFormatTest::tolerantForms_data() {
    QTest::addColumn<QString>("form");
    QTest::newRow("LF only") << "lf";
    QTest::newRow("blanks around every value") << "blanks";
    QTest::newRow("tabs and blanks, LF only") << "tabs-lf";
    QTest::newRow("no line end after the last value") << "no-final-end";
}

void FileFormatTest::tolerantForms() {
    QFETCH(QString, form);
    const QByteArray written = WriteSettings(sampleGeneral(), sampleRecords());
    QStringList lines = splitLines(written);
    QByteArray content;
    if (form == u"lf") {
        content = joinLines(lines, "\n");
    } else if (form == u"blanks" || form == u"tabs-lf") {
        const QString pad = form == u"blanks" ? QStringLiteral(" ") : QStringLiteral("\t ");
        for (QString& l : lines) {
            l = pad + l + pad + pad;
        }
        content = joinLines(lines, form == u"blanks" ? "\r\n" : "\n");
    } else {
        content = written.chopped(2);
    }
    FractalParameters records;
    zvtest::RecordingTarget target;
    const std::optional<ReadFailure> failure = ReadSettings(content, target, records);
    QVERIFY2(!failure, failure ? qPrintable(failure->Expected) : "");
    QCOMPARE(records, sampleRecords());
    QCOMPARE(target.Values, sampleGeneral());
}

void FileFormatTest::generalSectionOrder() {
    GeneralValues g = sampleGeneral();
    g.ParamBarTag = QStringLiteral("0");
    g.RandomForeColor = 1;
    g.CalcDepth = QStringLiteral("7");
    FieldWriter writer;
    WriteGeneralSection(writer, g);
    zvtest::RecordingTarget target;
    FieldReader reader(writer.Content());
    QVERIFY(ReadGeneralSection(reader, target));
    const QStringList expected = {"SetFractalType 3",
                                  "SetParamBarOpen 0",
                                  "SetLeft 1500",
                                  "SetTop 900",
                                  "SetAreaWidthText 200",
                                  "SetAreaHeightText 250",
                                  "SizeWindowAndKeepOnScreen",
                                  "SetBackColor 16777215",
                                  "SetForeColor 0",
                                  "SetRandomForeColor 1",
                                  "SetCalcDepthText 7",
                                  "SetPause 0"};
    QCOMPARE(target.Calls, expected);
}

void FileFormatTest::generalSectionRefusals_data() {
    QTest::addColumn<int>("lineNumber");
    QTest::addColumn<QString>("lineText");
    QTest::addColumn<QString>("refuse");
    QTest::addColumn<int>("failureLine");
    QTest::addColumn<int>("callsMade");

    QTest::newRow("type index 5") << 1 << "5"
                                  << "" << 1 << 0;
    QTest::newRow("type refused by the window") << 1 << "2"
                                                << "SetFractalType" << 1 << 1;
    QTest::newRow("bar state that is no number") << 2 << "open"
                                                 << "" << 2 << 1;
    QTest::newRow("bar state 2.5 opens") << 2 << "2.5"
                                         << "" << 0 << 12;
    QTest::newRow("window left beyond a Long") << 3 << "3000000000"
                                               << "" << 3 << 2;
    QTest::newRow("window left with a fraction") << 3 << "1499.5"
                                                 << "" << 0 << 12;
    QTest::newRow("colour word") << 7 << "red"
                                 << "" << 7 << 7;
    QTest::newRow("colour refused") << 7 << "-5"
                                    << "SetBackColor" << 7 << 8;
    QTest::newRow("check state 2 (greyed)") << 9 << "2"
                                            << "" << 0 << 12;
    QTest::newRow("check state 3") << 9 << "3"
                                   << "" << 9 << 9;
    QTest::newRow("pause check state 7") << 11 << "7"
                                         << "" << 11 << 11;
    QTest::newRow("area text as it stands") << 5 << "abc"
                                            << "" << 0 << 12;
}

void FileFormatTest::generalSectionRefusals() {
    QFETCH(int, lineNumber);
    QFETCH(QString, lineText);
    QFETCH(QString, refuse);
    QFETCH(int, failureLine);
    QFETCH(int, callsMade);

    FieldWriter writer;
    WriteGeneralSection(writer, sampleGeneral());
    QStringList lines = splitLines(writer.Content());
    lines[lineNumber - 1] = lineText;
    zvtest::RecordingTarget target;
    target.Refuse = refuse;
    FieldReader reader(joinLines(lines));
    const bool ok = ReadGeneralSection(reader, target);
    QCOMPARE(ok, failureLine == 0);
    if (!ok) {
        QCOMPARE(reader.Failure()->Line, failureLine);
    }
    QCOMPARE(target.Calls.size(), callsMade);
}

void FileFormatTest::keepWindowOnScreen_data() {
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("expectedLeft");
    QTest::addColumn<int>("expectedTop");
    // A 7000 x 5000 twip window on a 28800 x 16200 twip screen.
    QTest::newRow("on screen") << 1500 << 900 << 1500 << 900;
    QTest::newRow("above and left of the screen") << -500 << -10 << 0 << 2;
    QTest::newRow("right edge beyond the screen") << 25000 << 900 << 21800 << 900;
    QTest::newRow("bottom beyond the screen less 400") << 0 << 11000 << 0 << 10800;
    QTest::newRow("extreme values") << INT32_MAX << INT32_MIN << 21800 << 2;
}

void FileFormatTest::keepWindowOnScreen() {
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, expectedLeft);
    QFETCH(int, expectedTop);
    const WindowPosition p = KeepWindowOnScreen({left, top}, 7000, 5000, 28800, 16200);
    QCOMPARE(p, (WindowPosition{expectedLeft, expectedTop}));
}

// A parameter file holds the general section and only the section line 1 names.
void FileFormatTest::parameterFileSection_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("lineCount");
    QTest::newRow("Cantor Set") << 0 << 18;
    QTest::newRow("Cross") << 1 << 23;
    QTest::newRow("Sierpinsky's Gadget") << 2 << 18;
    QTest::newRow("Koch Curve") << 3 << 20;
    QTest::newRow("L-System") << 4 << 19;
}

void FileFormatTest::parameterFileSection() {
    QFETCH(int, type);
    QFETCH(int, lineCount);
    GeneralValues g = sampleGeneral();
    g.FractalType = static_cast<std::uint8_t>(type);
    const QByteArray content = WriteParameters(g, sampleRecords());
    QCOMPARE(splitLines(content).size(), lineCount);

    FractalParameters records; // factory defaults everywhere
    zvtest::RecordingTarget target;
    std::uint8_t typeRead = 99;
    QVERIFY(!ReadParameters(content, target, records, &typeRead));
    QCOMPARE(int(typeRead), type);
    FractalParameters expected;
    FractalParameters sample = sampleRecords();
    switch (type) {
    case 0:
        expected.CantorSet = sample.CantorSet;
        break;
    case 1:
        expected.Cross = sample.Cross;
        break;
    case 2:
        expected.SierpinskyGadget = sample.SierpinskyGadget;
        break;
    case 3:
        expected.KochCurve = sample.KochCurve;
        break;
    default:
        expected.LSystem = sample.LSystem;
        break;
    }
    QCOMPARE(records, expected);
}

void FileFormatTest::filesOnDisk() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("User.ini"));
    QVERIFY(!WriteSettingsFile(path, sampleGeneral(), sampleRecords()));
    // Rewriting replaces the whole file.
    FractalParameters changed = sampleRecords();
    changed.Cross.FixPoints.resize(2);
    QVERIFY(!WriteSettingsFile(path, sampleGeneral(), changed));

    FractalParameters records;
    zvtest::RecordingTarget target;
    QVERIFY(!ReadSettingsFile(path, target, records));
    QCOMPARE(records, changed);

    const std::optional<ReadFailure> missing =
        ReadSettingsFile(dir.filePath(QStringLiteral("none.ini")), target, records);
    QVERIFY(missing);
    QCOMPARE(missing->Line, 0);

    // Neither a directory nor an endless device is read as a settings file, and
    // the device is refused without reading it to its (missing) end.
    for (const QString& notAFile : {dir.path(), QStringLiteral("/dev/zero")}) {
        if (!QFileInfo::exists(notAFile)) {
            continue;
        }
        const std::optional<ReadFailure> refused = ReadSettingsFile(notAFile, target, records);
        QVERIFY2(refused, qPrintable(notAFile));
        QCOMPARE(refused->Line, 0);
    }

    // A directory where the file should go cannot be written (also as root).
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("blocked.prm")));
    QVERIFY(WriteParameterFile(dir.filePath(QStringLiteral("blocked.prm")), sampleGeneral(),
                               sampleRecords()));
}

// Default.ini, as the build puts it beside the program, reads completely, in
// either locale, and is exactly what the writer makes of what it holds.
void FileFormatTest::factorySettings() {
    QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/Default.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    for (const char* name : {"en", "de"}) {
        QLocale::setDefault(localeNamed(QString::fromLatin1(name)));
        FractalParameters records;
        records.Cross.FixPoints.clear();
        zvtest::RecordingTarget target;
        const std::optional<ReadFailure> failure = ReadSettings(content, target, records);
        QVERIFY2(!failure, failure ? qPrintable(failure->Expected) : "");
        QCOMPARE(target.Values.AreaWidth, QStringLiteral("200"));
        QCOMPARE(target.Values.AreaHeight, QStringLiteral("250"));
        QVERIFY(records.Cross.FixPoints.size() >= 2);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(WriteSettings(target.Values, records), content);
    }
}

// Inputs no writer makes; also every input the fuzzer once found failing
// (tests/persistence/fuzz_regressions, kept by bench/fuzz_reader.sh).
void FileFormatTest::hostileInputs_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("failureLine"); // 0: reads; -1: anything but a crash

    const QStringList lines = splitLines(WriteSettings(sampleGeneral(), sampleRecords()));
    auto with = [&](int line, const QString& text) {
        QStringList l = lines;
        l[line - 1] = text;
        return joinLines(l);
    };
    QTest::newRow("empty file") << QByteArray() << 1;
    QTest::newRow("only carriage returns") << QByteArray("\r\r\r") << 1;
    QTest::newRow("count 32767, then the end")
        << joinLines(lines.mid(0, CrossCountLine - 1) << QStringLiteral(" 32767"))
        << CrossCountLine + 1;
    QTest::newRow("unterminated quote") << with(5, "\"200") << 5;
    QTest::newRow("text after the closing quote") << with(5, "\"200\" x") << 5;
    QTest::newRow("quoted number") << with(CrossX0Line, "\"40\"") << 0;
    QByteArray binary = with(10, "x");
    binary.replace("\r\nx\r\n", QByteArray("\r\n\0\xff\x01\r\n", 7));
    QTest::newRow("NUL and high bytes in a text") << binary << 0;
    QStringList oneLine = lines;
    const QString general = oneLine.mid(0, 11).join(u',');
    oneLine = QStringList{general} + oneLine.mid(11);
    QTest::newRow("general section on one line, commas between") << joinLines(oneLine) << 0;
    QStringList joined = lines;
    joined[CrossConnectLine - 1] += QStringLiteral(",0.5");
    joined.removeAt(CrossFactorLine - 1);
    QTest::newRow("line field after a comma") << joinLines(joined) << 0;

    const QDir regressions(QStringLiteral(ZORVANDINE_FUZZ_REGRESSIONS));
    for (const QString& name : regressions.entryList(QDir::Files)) {
        QFile file(regressions.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTest::newRow(qPrintable(name)) << file.readAll() << -1;
    }
}

void FileFormatTest::hostileInputs() {
    QFETCH(QByteArray, content);
    QFETCH(int, failureLine);
    FractalParameters records;
    zvtest::RecordingTarget target;
    const std::optional<ReadFailure> failure = ReadSettings(content, target, records);
    FractalParameters prmRecords;
    zvtest::RecordingTarget prmTarget;
    ReadParameters(content, prmTarget, prmRecords);
    if (failureLine >= 0) {
        QCOMPARE(failure ? failure->Line : 0, failureLine);
    }
}

QTEST_GUILESS_MAIN(FileFormatTest)
#include "tst_fileformat.moc"
