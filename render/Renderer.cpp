#include "Renderer.h"

#include "DrawFractal.h"
#include "FileMod.h"
#include "ImageCanvas.h"
#include "Random.h"
#include "RenderSettings.h"
#include "RunHost.h"
#include "SvgCanvas.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSaveFile>
#include <optional>

namespace zv {

namespace {

const QString Usage = QStringLiteral(
    "usage: zorvandine-render [--type N] [--depth N] [--seed N] INPUT OUTPUT\n"
    "  INPUT   a parameter file (.prm) or a settings file (User.ini, Default.ini)\n"
    "  OUTPUT  a picture: .bmp, .png or .svg\n"
    "  --type  0 to 4: which section of a settings file to draw (default: its line 1)\n"
    "  --depth the calculation depth (default: the file's)\n"
    "  --seed  seed of the chaos game and of random colours\n");

// The renderer draws as fast as it can: no pauses, no event loop.
class RenderHost : public RunHost {
public:
    explicit RenderHost(std::int32_t backColor) : backColor_(backColor) {}
    void YieldToEvents() override {}
    bool YieldsToEvents() const override { return false; }
    void Sleep(int) override {}
    void EnterPauseMode() override {}
    void SetElementsText(std::string_view) override {}
    void SetRecursionsText(std::string_view) override {}
    std::int32_t BackColor() const override { return backColor_; }

private:
    std::int32_t backColor_;
};

struct Request {
    QString input;
    QString output;
    QString format; // "bmp", "png" or "svg"
    std::optional<std::uint8_t> type;
    std::optional<std::int32_t> depth;
    std::optional<std::uint64_t> seed;
};

std::optional<Request> parseArguments(const QStringList& arguments, QString& error) {
    Request r;
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--type" || a == u"--depth" || a == u"--seed") {
            if (i + 1 >= arguments.size()) {
                error = a + QStringLiteral(" needs a value");
                return std::nullopt;
            }
            const QString v = arguments[++i];
            bool ok = false;
            if (a == u"--type") {
                const int t = v.toInt(&ok);
                if (!ok || t < 0 || t >= FractalTypeCount) {
                    error = QStringLiteral("--type takes a fractal type from 0 to 4");
                    return std::nullopt;
                }
                r.type = static_cast<std::uint8_t>(t);
            } else if (a == u"--depth") {
                const int d = v.toInt(&ok);
                if (!ok || d < 0) {
                    error = QStringLiteral("--depth takes a whole number from 0 to 2147483647");
                    return std::nullopt;
                }
                r.depth = d;
            } else {
                const qulonglong s = v.toULongLong(&ok);
                if (!ok) {
                    error = QStringLiteral("--seed takes a whole number 0 or more");
                    return std::nullopt;
                }
                r.seed = s;
            }
        } else if (a.startsWith(u"--")) {
            error = QStringLiteral("unknown option ") + a;
            return std::nullopt;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) {
        error = QStringLiteral("INPUT and OUTPUT are needed");
        return std::nullopt;
    }
    r.input = positional[0];
    r.output = positional[1];
    r.format = QFileInfo(r.output).suffix().toLower();
    if (r.format != u"bmp" && r.format != u"png" && r.format != u"svg") {
        error = QStringLiteral("OUTPUT must end in .bmp, .png or .svg");
        return std::nullopt;
    }
    return r;
}

std::uint8_t drawModeOf(const FractalParameters& p, std::uint8_t type) {
    switch (type) {
    case CantorSetType:
        return p.CantorSet.DrawMode;
    case CrossType:
        return p.Cross.DrawMode;
    case SierpinskyGadgetType:
        return p.SierpinskyGadget.DrawMode;
    case KochCurveType:
        return p.KochCurve.DrawMode;
    default:
        return TurtleGraphicsMode;
    }
}

QString describe(const QString& file, const ReadFailure& f) {
    if (f.Line == 0) {
        return QStringLiteral("%1: cannot be read: %2").arg(file, f.Found);
    }
    return QStringLiteral("%1: line %2: expected %3, found \"%4\"")
        .arg(file)
        .arg(f.Line)
        .arg(f.Expected, f.Found);
}

} // namespace

int runRenderer(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QString error;
    const std::optional<Request> request = parseArguments(arguments, error);
    if (!request) {
        err << "zorvandine-render: " << error << "\n" << Usage;
        return ExitUsage;
    }

    // Input: everything is read and checked before OUTPUT is touched.
    ParameterModel model;
    GeneralValuesCollector general;
    std::optional<ReadFailure> failure;
    std::uint8_t type = 0;
    const bool parameterFile =
        QFileInfo(request->input).suffix().compare(u"prm", Qt::CaseInsensitive) == 0;
    if (parameterFile) {
        failure = ReadParameterFile(request->input, general, model, &type);
        if (!failure && request->type && *request->type != type) {
            err << "zorvandine-render: " << request->input
                << QStringLiteral(": a parameter file holds only type %1; --type %2 needs a "
                                  "settings file\n")
                       .arg(type)
                       .arg(*request->type);
            return ExitBadInput;
        }
    } else {
        failure = ReadSettingsFile(request->input, general, model);
        type = request->type.value_or(general.Values.FractalType);
    }
    ReadFailure settingsFailure;
    std::optional<RenderSettings> settings;
    if (!failure) {
        settings = renderSettingsFrom(general.Values, settingsFailure);
        if (!settings) {
            failure = settingsFailure;
        }
    }
    if (failure) {
        err << "zorvandine-render: " << describe(request->input, *failure) << "\n";
        return ExitBadInput;
    }

    model.CalcDepth = request->depth.value_or(settings->CalcDepth);
    model.ForeColor = runForeColor(*settings, type, drawModeOf(model, type));
    model.PauseAfterEachOp = false;
    model.GlobalState = WorkingMode;
    RenderHost host(settings->BackColor);
    RandomSource random(request->seed.value_or(QRandomGenerator::system()->generate64()));

    QSaveFile file(request->output);
    if (!file.open(QIODevice::WriteOnly)) {
        err << "zorvandine-render: cannot write " << request->output << ": " << file.errorString()
            << "\n";
        return ExitUnwritable;
    }
    bool written = false;
    if (request->format == u"svg") {
        SvgCanvas canvas(&file, settings->AreaWidth, settings->AreaHeight);
        canvas.SetBackColor(settings->BackColor);
        canvas.SetForeColor(settings->CanvasForeColor);
        model.Canvas = &canvas;
        DrawFractal(model, type, host, random);
        canvas.End();
        written = !canvas.HasError();
    } else {
        ImageCanvas canvas(settings->AreaWidth, settings->AreaHeight);
        canvas.SetBackColor(settings->BackColor);
        canvas.SetForeColor(settings->CanvasForeColor);
        model.Canvas = &canvas;
        DrawFractal(model, type, host, random);
        QImageWriter writer(&file, request->format.toLatin1());
        written = !canvas.image().isNull() && writer.write(canvas.image());
    }
    model.Canvas = nullptr;
    if (!written || !file.commit()) {
        err << "zorvandine-render: cannot write " << request->output << ": " << file.errorString()
            << "\n";
        return ExitUnwritable;
    }
    out << "Elements drawn: " << model.ElementsDrawn << "\n"
        << "Recursions: " << model.RecursionsDone << "\n";
    return ExitDrawn;
}

} // namespace zv
