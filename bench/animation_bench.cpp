// What the build-up animation costs against the still of the same figure, at
// 700 x 600 pixels, 100 frames: the Koch snowflake of depth 6, where each frame
// changes a small part of the picture, and the chaos game of 32,766 points,
// whose every frame scatters points over the whole triangle. For each, GIF and
// WebP: milliseconds per frame (the whole export, counting and drawing
// included, over the frames), the file's size, and the peak memory of a
// process that makes it, beside the still's (a PNG) made the same way. Each
// measurement runs in a child process of its own, so its peak is its own.

#include "BuildUp.h"
#include "DrawFractal.h"
#include "ImageCanvas.h"
#include "RunHost.h"

#include <QIODevice>
#include <QImageWriter>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr int Width = 700;
constexpr int Height = 600;
constexpr int Frames = 100;

// Counts what is written and keeps none of it.
class CountingDevice : public QIODevice {
public:
    CountingDevice() { open(QIODevice::WriteOnly); }
    qint64 written = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        written += size;
        return size;
    }
};

class Quiet : public zv::BuildUpObserver {
public:
    bool Progress(std::int64_t, std::int64_t) override { return true; }
};

class StillHost : public zv::RunHost {
public:
    void YieldToEvents() override {}
    bool YieldsToEvents() const override { return false; }
    void Sleep(int) override {}
    void EnterPauseMode() override {}
    void SetElementsText(std::string_view) override {}
    void SetRecursionsText(std::string_view) override {}
    std::int32_t BackColor() const override { return 0xFFFFFF; }
};

struct Figure {
    const char* name;
    std::uint8_t type;
};

zv::ParameterModel model(std::uint8_t type) {
    zv::ParameterModel m;
    m.ForeColor = 0;
    if (type == zv::KochCurveType) {
        // An equilateral triangle drawn clockwise on the screen, so the bumps
        // point outwards: the snowflake, about 480 pixels across.
        m.KochCurve.FixPoints = {{110, 180}, {590, 180}, {350, 595}};
        m.KochCurve.ConnectLast = true;
        m.CalcDepth = 6;
    } else {
        m.SierpinskyGadget.DrawMode = zv::ChaosGameMode;
        m.CalcDepth = 32766;
    }
    return m;
}

struct Measured {
    double ms = 0;
    qint64 bytes = 0;
    std::int64_t elements = 0;
};

// format: 0 the still (PNG), 1 GIF, 2 WebP.
Measured make(std::uint8_t type, int format) {
    zv::ParameterModel m = model(type);
    const zv::CanvasSetup setup{Width, Height, 1, 0xFFFFFF, 0};
    zv::RandomSource random(7);
    CountingDevice device;
    const auto start = std::chrono::steady_clock::now();
    if (format == 0) {
        zv::ImageCanvas canvas(Width, Height);
        m.Canvas = &canvas;
        m.GlobalState = zv::WorkingMode;
        StillHost host;
        zv::DrawFractal(m, type, host, random);
        QImageWriter(&device, "png").write(canvas.image());
    } else {
        Quiet quiet;
        const zv::FigureCensus census = zv::TakeCensus(m, type, setup, random, quiet);
        const zv::AnimationTiming timing{Frames, 25, 2};
        const auto f = format == 1 ? zv::AnimationFormat::Gif : zv::AnimationFormat::WebP;
        const zv::BuildUpResult r =
            zv::WriteBuildUp(device, m, type, setup, f, timing, census, random, quiet);
        if (r.error) {
            std::printf("failed: %s\n", qPrintable(*r.error));
        }
    }
    const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
    return {ms.count(), device.written, m.ElementsDrawn};
}

// Runs make in a child; its figures come back through a pipe, its peak
// resident memory from the kernel (kilobytes).
bool inChild(std::uint8_t type, int format, Measured& result, long& peakKb) {
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const Measured m = make(type, format);
        const bool sent = write(fds[1], &m, sizeof m) == static_cast<ssize_t>(sizeof m);
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    const bool read = pid > 0 && ::read(fds[0], &result, sizeof result) == sizeof result;
    close(fds[0]);
    int status = 0;
    rusage usage{};
    if (pid <= 0 || wait4(pid, &status, 0, &usage) != pid) {
        return false;
    }
    peakKb = usage.ru_maxrss;
    return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main() {
    std::printf("%d frames at %d x %d pixels, 25 fps; each line the best of 3 runs\n", Frames,
                Width, Height);
    std::printf("%-26s %-9s %10s %9s %10s %11s %12s\n", "figure", "output", "elements", "ms",
                "ms/frame", "bytes", "peak memory");
    for (const Figure figure : {Figure{"Koch snowflake, depth 6", zv::KochCurveType},
                                Figure{"chaos game, 32766 points", zv::SierpinskyGadgetType}}) {
        for (int format = 0; format < 3; ++format) {
            Measured best;
            long peak = 0;
            for (int run = 0; run < 3; ++run) {
                Measured m;
                long kb = 0;
                if (!inChild(figure.type, format, m, kb)) {
                    std::printf("the measuring child failed\n");
                    return 1;
                }
                if (run == 0 || m.ms < best.ms) {
                    best = m;
                    peak = kb;
                }
            }
            const char* what[] = {"still PNG", "GIF", "WebP"};
            const QString perFrame = format == 0 ? QString() : QString::number(best.ms / Frames, 'f', 2);
            std::printf("%-26s %-9s %10lld %9.1f %10s %11lld %9.1f MB\n",
                        format == 0 ? figure.name : "", what[format],
                        static_cast<long long>(best.elements), best.ms, qPrintable(perFrame),
                        static_cast<long long>(best.bytes), double(peak) / 1024);
        }
    }
    return 0;
}
