// Write, then read, gives the same model: for many random models, in an
// English and a German locale, through settings and parameter files.

#include "FileMod.h"
#include "RecordingTarget.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cfloat>

using namespace zv;

namespace {

class ModelMaker {
public:
    explicit ModelMaker(quint32 seed) : random_(seed) {}

    double coordinate() {
        switch (random_.bounded(8)) {
        case 0: // integral, as most markers are
            return random_.bounded(-1000, 1000);
        case 1: { // extreme but representable
            static constexpr double extremes[] = {
                DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN,   DBL_TRUE_MIN,
                1e300,   -1e-300,  0.1,     1e15 + 0.5, 4503599627370497.0};
            return extremes[random_.bounded(int(std::size(extremes)))];
        }
        case 2: // any bit pattern that is a finite double
            for (;;) {
                const quint64 bits = random_.generate64();
                double d;
                std::memcpy(&d, &bits, sizeof d);
                if (std::isfinite(d)) {
                    return d;
                }
            }
        default: // fractional and negative
            return (random_.generateDouble() - 0.5) * std::pow(10.0, random_.bounded(-3, 7));
        }
    }

    FixPoint point() { return {coordinate(), coordinate()}; }

    std::vector<FixPoint> pointList() {
        std::vector<FixPoint> points(static_cast<std::size_t>(random_.bounded(2, 9)));
        for (FixPoint& p : points) {
            p = point();
        }
        return points;
    }

    // Texts from the L-system alphabet plus everything that upsets a list field.
    std::string text() {
        static const QString alphabet = QStringLiteral("F+-[]Gf|, \t\r\"'\u00e9\u00df;xyz0123");
        QString t;
        const int length = random_.bounded(0, 14);
        for (int i = 0; i < length; ++i) {
            t += alphabet[random_.bounded(int(alphabet.size()))];
        }
        return t.toStdString();
    }

    QString areaText() {
        static const QStringList forms = {"200", "700", " 35", "1,5", "\"x\"", "", "abc, def"};
        return forms[random_.bounded(int(forms.size()))];
    }

    FractalParameters records() {
        FractalParameters r;
        r.CantorSet = {byte(), {{point(), point()}}, integer(), byte()};
        r.Cross = {byte(), pointList(), random_.bounded(2) == 1, coordinate()};
        r.SierpinskyGadget = {byte(), {{point(), point(), point()}}};
        r.KochCurve = {byte(), pointList(), random_.bounded(2) == 1};
        r.LSystem = {{{point(), point()}}, text(), text(), coordinate(), coordinate()};
        return r;
    }

    GeneralValues general() {
        GeneralValues g;
        g.FractalType = static_cast<std::uint8_t>(random_.bounded(5));
        g.ParamBarTag = random_.bounded(2) == 1 ? QStringLiteral("1") : QStringLiteral("0");
        // The position is read as a Long: only whole twips come back.
        g.Left = random_.bounded(-100000, 100000);
        g.Top = random_.bounded(-100000, 100000);
        g.AreaWidth = areaText();
        g.AreaHeight = areaText();
        g.BackColor = random_.bounded(0x1000000);
        g.ForeColor = random_.bounded(0x1000000);
        g.RandomForeColor = static_cast<std::uint8_t>(random_.bounded(3));
        g.CalcDepth = areaText();
        g.Pause = static_cast<std::uint8_t>(random_.bounded(3));
        return g;
    }

private:
    std::uint8_t byte() { return static_cast<std::uint8_t>(random_.bounded(256)); }
    std::int16_t integer() { return static_cast<std::int16_t>(random_.bounded(-32768, 32768)); }

    QRandomGenerator random_;
};

QString describe(const std::optional<ReadFailure>& f) {
    return f ? QStringLiteral("line %1: expected %2, found \"%3\"")
                   .arg(f->Line)
                   .arg(f->Expected, f->Found)
             : QString();
}

} // namespace

class RoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void randomModels_data();
    void randomModels();
};

void RoundTripTest::randomModels_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << 1u;
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << 2u;
    QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << 3u;
    // A minus sign and digits outside the 8-bit code page.
    QTest::newRow("Swedish") << QLocale(QLocale::Swedish, QLocale::Sweden) << 4u;
    QTest::newRow("Arabic") << QLocale(QLocale::Arabic, QLocale::Egypt) << 5u;
}

void RoundTripTest::randomModels() {
    QFETCH(QLocale, locale);
    QFETCH(quint32, seed);
    QLocale::setDefault(locale);
    ModelMaker maker(seed);
    for (int i = 0; i < 400; ++i) {
        const FractalParameters written = maker.records();
        const GeneralValues general = maker.general();

        const QByteArray settings = WriteSettings(general, written);
        FractalParameters read;
        zvtest::RecordingTarget target;
        const std::optional<ReadFailure> failure = ReadSettings(settings, target, read);
        QVERIFY2(!failure,
                 qPrintable(describe(failure) + QLatin1Char(10) + QString::fromLatin1(settings)));
        QVERIFY2(read == written, qPrintable(QString::fromLatin1(settings)));
        QCOMPARE(target.Values, general);

        FractalParameters fromPrm = written;
        fromPrm.Cross.FixPoints.clear();
        fromPrm.KochCurve.FixPoints.clear();
        fromPrm.LSystem.GeneratorString.clear();
        fromPrm.CantorSet.StepHeight = 0;
        fromPrm.SierpinskyGadget.DrawMode = 0;
        // Only the record of the file's type changes; the other four keep what
        // they held.
        FractalParameters expected = fromPrm;
        switch (general.FractalType) {
        case CantorSetType:
            expected.CantorSet = written.CantorSet;
            break;
        case CrossType:
            expected.Cross = written.Cross;
            break;
        case SierpinskyGadgetType:
            expected.SierpinskyGadget = written.SierpinskyGadget;
            break;
        case KochCurveType:
            expected.KochCurve = written.KochCurve;
            break;
        default:
            expected.LSystem = written.LSystem;
            break;
        }
        zvtest::RecordingTarget prmTarget;
        const QByteArray prm = WriteParameters(general, written);
        QVERIFY2(!ReadParameters(prm, prmTarget, fromPrm), qPrintable(QString::fromLatin1(prm)));
        QVERIFY2(fromPrm == expected, qPrintable(QString::fromLatin1(prm)));
    }
}

QTEST_GUILESS_MAIN(RoundTripTest)
#include "tst_roundtrip.moc"
