#include "Renderer.h"

#include "BuildUp.h"
#include "DrawFractal.h"
#include "DrawRun.h"
#include "FileMod.h"
#include "FractalCatalogue.h"
#include "GuardedFile.h"
#include "ImageCanvas.h"
#include "Random.h"
#include "RenderSettings.h"
#include "RunHost.h"
#include "ShownText.h"
#include "SvgCanvas.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QImageWriter>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <optional>

namespace zv {

namespace {

const QString Summary = QStringLiteral(
    "Draws a fractal from a parameter file (.prm) or a settings file (User.ini,\n"
    "Default.ini) to a picture (.bmp, .png or .svg) or to an animation of its\n"
    "build-up (.gif or .webp), without a window.\n"
    "Exit status: 0 drawn, 1 wrong arguments, 2 INPUT missing or damaged (nothing\n"
    "written), 3 OUTPUT cannot be written, 4 drawn but the counts or a message\n"
    "could not be written to standard output or error. A name that is not valid\n"
    "UTF-8 is refused (2 or 3); so is a run the memory cannot hold. SIGINT,\n"
    "SIGTERM and SIGHUP end a run with 128 + the signal's number, OUTPUT as it was.");

// Shows how far a long run has come: elements drawn, their rate and, where
// the figure's element count has a closed form, the share done. Only on a
// terminal, only after the first second, at most five times a second, and
// the line is wiped at the end so the counters stand alone.
class ProgressLine {
public:
    ProgressLine(QTextStream& err, const RendererOptions& options, const ParameterModel& model,
                 std::optional<double> total)
        : err_(err), enabled_(options.progressOnTerminal), delay_(options.progressDelay),
          model_(model), total_(total), start_(Clock::now()), lastShown_(start_) {}

    bool Enabled() const { return enabled_; }

    void Tick() {
        // A clock read per element would cost more than some elements do.
        if (!enabled_ || ++ticks_ % 64 != 0) {
            return;
        }
        const Clock::time_point now = Clock::now();
        if (now - start_ < delay_ || (shown_ && now - lastShown_ < std::chrono::milliseconds(200))) {
            return;
        }
        lastShown_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const auto drawn = static_cast<double>(model_.ElementsDrawn);
        QString line = QStringLiteral("Elements drawn: %1, %2 per second")
                           .arg(model_.ElementsDrawn)
                           .arg(seconds > 0 ? std::round(drawn / seconds) : 0.0, 0, 'f', 0);
        if (total_ && *total_ > 0) {
            line += QStringLiteral(", %1%").arg(std::min(100.0, 100.0 * drawn / *total_), 0, 'f', 0);
        }
        // Pad over a longer line shown before.
        const qsizetype width = line.size();
        line = line.leftJustified(std::max(width, shownWidth_));
        shownWidth_ = width;
        err_ << '\r' << line << Qt::flush;
        shown_ = true;
    }

    void Finish() {
        if (shown_) {
            err_ << '\r' << QString(shownWidth_, u' ') << '\r' << Qt::flush;
            shown_ = false;
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    QTextStream& err_;
    bool enabled_;
    std::chrono::milliseconds delay_;
    const ParameterModel& model_;
    std::optional<double> total_;
    Clock::time_point start_;
    Clock::time_point lastShown_;
    std::uint64_t ticks_ = 0;
    bool shown_ = false;
    qsizetype shownWidth_ = 0;
};

// The renderer draws as fast as it can: no pauses, no event loop. It stops the
// run as soon as the output has failed: a deep SVG on a full disk would draw
// on for minutes into nothing.
class RenderHost : public UnpacedRunHost {
public:
    RenderHost(ParameterModel& model, std::int32_t backColor, ProgressLine& progress,
               std::function<bool()> failed, std::optional<std::int64_t> elementLimit)
        : model_(model), backColor_(backColor), progress_(progress), failed_(std::move(failed)),
          elementLimit_(elementLimit) {}
    void YieldToEvents() override {
        progress_.Tick();
        if (failed_ && failed_()) {
            model_.GlobalState = EditMode;
        }
    }
    // The yield has work only with a progress line or a canvas that can fail;
    // otherwise it is left out.
    bool YieldsToEvents() const override { return progress_.Enabled() || bool(failed_); }
    std::int32_t BackColor() const override { return backColor_; }
    // --elements: the run ends at the first count that reaches the limit.
    std::int64_t NextElementMark(std::int64_t elementsDrawn) override {
        if (!elementLimit_) {
            return NoElementMark;
        }
        if (elementsDrawn >= *elementLimit_) {
            model_.GlobalState = EditMode;
            return NoElementMark;
        }
        return *elementLimit_;
    }

private:
    ParameterModel& model_;
    std::int32_t backColor_;
    ProgressLine& progress_;
    std::function<bool()> failed_;
    std::optional<std::int64_t> elementLimit_;
};

struct Request {
    QString input;
    QString output;
    QString format; // "bmp", "png", "svg", "gif" or "webp"
    std::optional<std::uint8_t> type;
    std::optional<std::int32_t> depth;
    std::optional<std::uint64_t> seed;
    std::optional<std::int64_t> elements;
    int scale = 1;
    bool quiet = false;
    std::optional<AnimationFormat> animation;
    AnimationTiming timing;
};

inline constexpr double MinFps = 0.1;
inline constexpr double MaxFps = 50; // browsers slow down shorter GIF delays
inline constexpr double MaxHoldSeconds = 600;

// A number in C form (whatever the locale) within [low, high].
std::optional<double> numberIn(const QString& text, double low, double high) {
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(v) || v < low || v > high) {
        return std::nullopt;
    }
    return v;
}

enum class Parsed { Run, Help, Version, Error };

Parsed parseArguments(const QStringList& arguments, Request& r, QString& error, QString& help) {
    QCommandLineParser parser;
    parser.setApplicationDescription(Summary);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and exit."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Show the version and exit."));
    const QCommandLineOption typeOption(
        QStringLiteral("type"),
        QStringLiteral("Which section of a settings file to draw, %1 (default: its line 1).")
            .arg(QString::fromStdString(FractalTypeRange())),
        QStringLiteral("N"));
    const QCommandLineOption depthOption(
        QStringLiteral("depth"), QStringLiteral("The calculation depth (default: the file's)."),
        QStringLiteral("N"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"), QStringLiteral("Seed of the chaos game and of random colours."),
        QStringLiteral("N"));
    const QCommandLineOption scaleOption(
        QStringLiteral("scale"),
        QStringLiteral("Draw N times larger, 1 to 8: the same figure, N pixels per pixel."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption elementsOption(
        QStringLiteral("elements"),
        QStringLiteral("Stop after the first N elements: the figure half built (default: all)."),
        QStringLiteral("N"));
    const QCommandLineOption framesOption(
        QStringLiteral("frames"),
        QStringLiteral("Frames of an animation (.gif, .webp), 1 to %1; frame k shows the first "
                       "k/N of the elements (default: 100).")
            .arg(MaxAnimationFrames),
        QStringLiteral("N"));
    const QCommandLineOption fpsOption(
        QStringLiteral("fps"),
        QStringLiteral("Frames per second of an animation, %1 to %2 (default: 25).")
            .arg(MinFps)
            .arg(MaxFps),
        QStringLiteral("F"));
    const QCommandLineOption holdOption(
        QStringLiteral("hold"),
        QStringLiteral("Seconds the finished figure stays before an animation starts again, "
                       "0 to %1 (default: 2).")
            .arg(MaxHoldSeconds),
        QStringLiteral("S"));
    const QCommandLineOption quietOption(
        QStringLiteral("quiet"),
        QStringLiteral("Do not print the element and recursion counts, nor the progress line."));
    parser.addOptions({helpOption, versionOption, typeOption, depthOption, seedOption,
                       scaleOption, elementsOption, framesOption, fpsOption, holdOption,
                       quietOption});
    parser.addPositionalArgument(QStringLiteral("INPUT"),
                                 QStringLiteral("A parameter file (.prm) or a settings file."));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"),
                                 QStringLiteral("The picture: .bmp, .png or .svg; the animation: "
                                                ".gif or .webp."));
    // The help names the program as users type it, wherever it was started from.
    help = parser.helpText().replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                                     QStringLiteral("Usage: zorvandine-render"));

    if (!parser.parse(QStringList{QStringLiteral("zorvandine-render")} + arguments)) {
        error = parser.errorText();
        return Parsed::Error;
    }
    if (parser.isSet(helpOption)) {
        return Parsed::Help;
    }
    if (parser.isSet(versionOption)) {
        return Parsed::Version;
    }
    bool ok = false;
    if (parser.isSet(typeOption)) {
        const int t = parser.value(typeOption).toInt(&ok);
        if (!ok || !fractalTypeAt(t)) {
            error = QStringLiteral("--type takes %1").arg(fractalTypeExpected());
            return Parsed::Error;
        }
        r.type = static_cast<std::uint8_t>(t);
    }
    if (parser.isSet(depthOption)) {
        const int d = parser.value(depthOption).toInt(&ok);
        if (!ok || d < 0) {
            error = QStringLiteral("--depth takes a whole number from 0 to 2147483647");
            return Parsed::Error;
        }
        r.depth = d;
    }
    if (parser.isSet(seedOption)) {
        const qulonglong s = parser.value(seedOption).toULongLong(&ok);
        if (!ok) {
            error = QStringLiteral("--seed takes a whole number 0 or more");
            return Parsed::Error;
        }
        r.seed = s;
    }
    if (parser.isSet(elementsOption)) {
        const qlonglong m = parser.value(elementsOption).toLongLong(&ok);
        if (!ok || m < 0) {
            error = QStringLiteral("--elements takes a whole number 0 or more");
            return Parsed::Error;
        }
        r.elements = m;
    }
    r.scale = parser.value(scaleOption).toInt(&ok);
    if (!ok || r.scale < 1 || r.scale > MaxScale) {
        error = QStringLiteral("--scale takes a whole number from 1 to %1").arg(MaxScale);
        return Parsed::Error;
    }
    r.quiet = parser.isSet(quietOption);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        error = QStringLiteral("INPUT and OUTPUT are needed");
        return Parsed::Error;
    }
    r.input = positional[0];
    r.output = positional[1];
    r.format = QFileInfo(r.output).suffix().toLower();
    if (r.format == u"gif" || r.format == u"webp") {
        r.animation = r.format == u"gif" ? AnimationFormat::Gif : AnimationFormat::WebP;
    } else if (r.format != u"bmp" && r.format != u"png" && r.format != u"svg") {
        error = QStringLiteral("OUTPUT must end in .bmp, .png, .svg, .gif or .webp");
        return Parsed::Error;
    }
    const bool timed = parser.isSet(framesOption) || parser.isSet(fpsOption) ||
                       parser.isSet(holdOption);
    if (!r.animation) {
        if (timed) {
            error = QStringLiteral("--frames, --fps and --hold need a .gif or .webp OUTPUT");
            return Parsed::Error;
        }
        return Parsed::Run;
    }
    if (r.elements) {
        error = QStringLiteral("--elements makes a still; an animation shows every element");
        return Parsed::Error;
    }
    if (parser.isSet(framesOption)) {
        r.timing.frames = parser.value(framesOption).toInt(&ok);
        if (!ok || r.timing.frames < 1 || r.timing.frames > MaxAnimationFrames) {
            error = QStringLiteral("--frames takes a whole number from 1 to %1")
                        .arg(MaxAnimationFrames);
            return Parsed::Error;
        }
    }
    if (parser.isSet(fpsOption)) {
        const std::optional<double> fps = numberIn(parser.value(fpsOption), MinFps, MaxFps);
        if (!fps) {
            error = QStringLiteral("--fps takes a number from %1 to %2").arg(MinFps).arg(MaxFps);
            return Parsed::Error;
        }
        r.timing.fps = *fps;
    }
    if (parser.isSet(holdOption)) {
        const std::optional<double> hold = numberIn(parser.value(holdOption), 0, MaxHoldSeconds);
        if (!hold) {
            error = QStringLiteral("--hold takes a number of seconds from 0 to %1")
                        .arg(MaxHoldSeconds);
            return Parsed::Error;
        }
        r.timing.holdSeconds = *hold;
    }
    return Parsed::Run;
}

} // namespace

std::optional<double> ExpectedElements(const ParameterModel& m, std::uint8_t type) {
    const FractalTypeRow* row = catalogueRowAt(type);
    const DrawModeRow* mode = row ? row->mode(row->drawMode(m)) : nullptr;
    if (mode == nullptr || mode->expectedElements == nullptr) {
        return std::nullopt;
    }
    return mode->expectedElements(m);
}

namespace {

// Values from a file and paths are shown cut short and with control
// characters escaped: the message is one line on the user's terminal.
QString describe(const QString& file, const ReadFailure& f) {
    const QString shownFile = ShownText(file, ShownPathChars);
    if (f.Line == 0) {
        return QStringLiteral("%1: cannot be read: %2").arg(shownFile, ShownText(f.Found));
    }
    return QStringLiteral("%1: line %2: expected %3, found \"%4\"")
        .arg(shownFile)
        .arg(f.Line)
        .arg(f.Expected, ShownText(f.Found));
}

struct Drawing {
    const Request& request;
    const RenderSettings& settings;
    ParameterModel& model;
    std::uint8_t type;
    ProgressLine& progress;
    RandomSource& random;
    const FigureCensus* census; // of an animation
};

CanvasSetup canvasSetup(const RenderSettings& s, int scale) {
    return {s.AreaWidth, s.AreaHeight, scale, s.BackColor, s.CanvasForeColor};
}

// The progress line follows the animation's run; the census goes unseen.
class ProgressObserver : public BuildUpObserver {
public:
    explicit ProgressObserver(ProgressLine* progress) : progress_(progress) {}
    bool Progress(std::int64_t, std::int64_t) override {
        if (progress_ != nullptr) {
            progress_->Tick();
        }
        return true;
    }

private:
    ProgressLine* progress_;
};

// Draws the run into the canvas for the output's format and writes it.
std::optional<QString> drawInto(QIODevice& device, const Drawing& d) {
    const RenderSettings& s = d.settings;
    if (d.request.animation) {
        ProgressObserver observer(&d.progress);
        return WriteBuildUp(device, d.model, d.type, canvasSetup(s, d.request.scale),
                            *d.request.animation, d.request.timing, *d.census, d.random, observer)
            .error;
    }
    if (d.request.format == u"svg") {
        SvgCanvas canvas(&device, s.AreaWidth, s.AreaHeight, d.request.scale);
        canvas.SetBackColor(s.BackColor);
        canvas.SetForeColor(s.CanvasForeColor);
        d.model.Canvas = &canvas;
        RenderHost host(d.model, s.BackColor, d.progress, [&] { return canvas.HasError(); },
                        d.request.elements);
        DrawFractal(d.model, d.type, host, d.random);
        d.model.Canvas = nullptr;
        canvas.End();
        if (canvas.HasError()) {
            return QStringLiteral("the SVG could not be written");
        }
        return std::nullopt;
    }
    ImageCanvas canvas(s.AreaWidth, s.AreaHeight, d.request.scale);
    // A picture the memory cannot hold is not drawn at all.
    if (canvas.image().isNull()) {
        return QStringLiteral("no memory for a picture of this size");
    }
    canvas.SetBackColor(s.BackColor);
    canvas.SetForeColor(s.CanvasForeColor);
    d.model.Canvas = &canvas;
    RenderHost host(d.model, s.BackColor, d.progress, {}, d.request.elements);
    DrawFractal(d.model, d.type, host, d.random);
    d.model.Canvas = nullptr;
    // A PNG is made in memory first (a fraction of the picture's size), so a
    // full disk fails in the guarded write with the program's own message,
    // never inside the encoder, whose library prints a message of its own.
    QBuffer encoded;
    QIODevice& target = d.request.format == u"png" ? static_cast<QIODevice&>(encoded) : device;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&target, d.request.format.toLatin1());
    if (!writer.write(canvas.image())) {
        return writer.errorString();
    }
    if (&target == &encoded) {
        device.write(encoded.data());
    }
    return std::nullopt;
}

} // namespace

namespace {

// How far a run has come, for the status that running out of memory gives.
enum class Phase { Reading, Writing };

int runRequest(const QStringList& arguments, QTextStream& out, QTextStream& err,
               const RendererOptions& options, Phase& phase) {
    QString error;
    QString help;
    Request parsed;
    switch (parseArguments(arguments, parsed, error, help)) {
    case Parsed::Help:
        out << help;
        return ExitDrawn;
    case Parsed::Version:
        out << "zorvandine-render " ZORVANDINE_VERSION_TEXT "\n";
        return ExitDrawn;
    case Parsed::Error:
        err << "zorvandine-render: " << ShownText(error, ShownPathChars) << "\n" << help;
        return ExitUsage;
    case Parsed::Run:
        break;
    }
    const Request* request = &parsed;

    // A name whose bytes are not UTF-8 would reach the file system as other
    // bytes, that is as another file: refused before anything is read or written.
    if (options.inexactArguments.contains(request->input)) {
        err << "zorvandine-render: " << ShownText(request->input, ShownPathChars)
            << ": the name is not valid UTF-8 and cannot be opened exactly\n";
        return ExitBadInput;
    }
    if (options.inexactArguments.contains(request->output)) {
        err << "zorvandine-render: cannot write " << ShownText(request->output, ShownPathChars)
            << ": the name is not valid UTF-8 and cannot be written exactly\n";
        return ExitUnwritable;
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
            err << "zorvandine-render: " << ShownText(request->input, ShownPathChars)
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

    // A picture is at most MaxScaledSide pixels a side (1 GiB of memory); an
    // SVG only states its size and has no such limit.
    const int maxSide = request->animation
                            ? std::min(MaxScaledSide, MaxAnimationSide(*request->animation))
                            : MaxScaledSide;
    if (request->format != u"svg" &&
        std::max(settings->AreaWidth, settings->AreaHeight) * request->scale > maxSide) {
        err << "zorvandine-render: "
            << QStringLiteral("--scale %1 makes the %2 x %3 drawing area %4 x %5 pixels; a "
                              "picture is at most %6 pixels a side\n")
                   .arg(request->scale)
                   .arg(settings->AreaWidth)
                   .arg(settings->AreaHeight)
                   .arg(settings->AreaWidth * request->scale)
                   .arg(settings->AreaHeight * request->scale)
                   .arg(maxSide);
        return ExitUsage;
    }
    model.CalcDepth = request->depth.value_or(settings->CalcDepth);
    model.ForeColor = runForeColor(*settings, type, model);
    model.PauseAfterEachOp = false;
    model.GlobalState = WorkingMode;
    RandomSource random(request->seed.value_or(QRandomGenerator::system()->generate64()));
    // An animation counts its elements first: the frames fall at shares of
    // the count, which is exact where ExpectedElements has no closed form.
    std::optional<FigureCensus> census;
    if (request->animation) {
        ProgressObserver unseen(nullptr);
        census = TakeCensus(model, type, canvasSetup(*settings, request->scale), random, unseen);
        model.GlobalState = WorkingMode;
    }
    RendererOptions shown = options;
    shown.progressOnTerminal = options.progressOnTerminal && !request->quiet;
    ProgressLine progress(err, shown, model,
                          census ? std::optional(double(census->elements))
                                 : ExpectedElements(model, type));

    // The old file stays as it was unless the whole picture is written.
    phase = Phase::Writing;
    const std::optional<QString> writeError =
        WriteGuardedFile(request->output, [&](QIODevice& device) {
            return drawInto(device, {*request, *settings, model, type, progress, random,
                                     census ? &*census : nullptr});
        });
    progress.Finish();
    if (writeError) {
        err << "zorvandine-render: cannot write " << ShownText(request->output, ShownPathChars)
            << ": " << ShownText(*writeError) << "\n";
        return ExitUnwritable;
    }
    if (!request->quiet) {
        out << "Elements drawn: " << model.ElementsDrawn << "\n"
            << "Recursions: " << model.RecursionsDone << "\n";
    }
    return ExitDrawn;
}

} // namespace

int runRenderer(const QStringList& arguments, QTextStream& out, QTextStream& err,
                const RendererOptions& options) {
    Phase phase = Phase::Reading;
    try {
        return runRequest(arguments, out, err, options, phase);
    } catch (const std::bad_alloc&) {
        // Whatever the run held is freed by now, so the message can be made.
        err << "zorvandine-render: not enough memory to "
            << (phase == Phase::Reading ? "read the input" : "draw and write the picture")
            << "; nothing was written\n";
        return phase == Phase::Reading ? ExitBadInput : ExitUnwritable;
    }
}

int finishOutput(int status, QTextStream& out, QTextStream& err, std::FILE* outFile,
                 std::FILE* errFile) {
    // The reason, or nullopt when everything reached the file.
    const auto lost = [](QTextStream& stream, std::FILE* file) -> std::optional<QString> {
        stream.flush();
        errno = 0;
        if (stream.status() == QTextStream::Ok && std::fflush(file) == 0 && !std::ferror(file)) {
            return std::nullopt;
        }
        const int error = errno;
        const QString reason = stream.device() ? stream.device()->errorString() : QString();
        return !reason.isEmpty() && error == 0 ? reason : qt_error_string(error ? error : EIO);
    };
    if (const std::optional<QString> reason = lost(out, outFile)) {
        err << "zorvandine-render: standard output could not be written: " << *reason << "\n";
        lost(err, errFile);
        return status == ExitDrawn ? ExitOutputLost : status;
    }
    if (lost(err, errFile)) {
        return status == ExitDrawn ? ExitOutputLost : status;
    }
    return status;
}

} // namespace zv
