// What zorvandine-render costs per drawn segment, against a plain C++ program
// doing the same drawing: the same lazy walk of the rewritten string, the same
// turtle, Bresenham lines into a std::vector<uint32_t>, no Qt, no element
// protocol. The renderer's figure covers its whole work in this process:
// reading the parameter file, drawing, writing the BMP. Prints ns per segment
// for both and their ratio, as medians over several runs, in thread CPU time
// (what the program costs, whatever else the machine runs) and in wall time.
// With --long it times instead one long walk that draws almost nothing.

#include "FileMod.h"
#include "Renderer.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int Width = 700;
constexpr int Height = 600;
constexpr int Runs = 9;

struct Workload {
    const char* name;
    std::string generator;
    int passes;
    double startX, startY, towardsX, towardsY; // the two fix points
    double lineLength;                         // pixels per step
    double delta;                              // degrees
};

const Workload Workloads[] = {
    // The main stem is 3^7 steps long: about 550 pixels.
    {"plant F -> F[+F]F[-F]F", "F[+F]F[-F]F", 7, 350, 595, 350, 0, 0.25, 25.7},
    // 4^6 steps from left to right: about 680 pixels.
    {"quadratic Koch F -> F+F-F-FF+F+F-F", "F+F-F-FF+F+F-F", 6, 10, 300, 690, 300, 680.0 / 4096,
     90},
};

struct Times {
    double cpu;  // seconds
    double wall; // seconds
};

template <typename Work> Times measure(Work work) {
    timespec cpu0{}, cpu1{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu0);
    const auto wall0 = std::chrono::steady_clock::now();
    work();
    const auto wall1 = std::chrono::steady_clock::now();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu1);
    return {static_cast<double>(cpu1.tv_sec - cpu0.tv_sec) +
                static_cast<double>(cpu1.tv_nsec - cpu0.tv_nsec) * 1e-9,
            std::chrono::duration<double>(wall1 - wall0).count()};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// --- the plain program ------------------------------------------------------------

class PlainTurtle {
public:
    PlainTurtle(const Workload& w, std::vector<std::uint32_t>& pixels)
        : generator_(w.generator), passes_(w.passes), pixels_(pixels), x_(w.startX),
          y_(w.startY), distance_(w.lineLength), delta_(w.delta / 180 * 3.141592654) {
        turn(std::atan2(w.towardsY - w.startY, w.towardsX - w.startX));
    }

    std::int64_t draw() {
        walk("F", 0);
        return segments_;
    }

private:
    struct State {
        double x, y, alpha;
    };

    void walk(std::string_view text, int level) {
        for (const char c : text) {
            if (c == 'F' && level < passes_) {
                walk(generator_, level + 1);
            } else {
                execute(c);
            }
        }
    }

    void execute(char c) {
        switch (c) {
        case 'F': {
            const double fromX = x_, fromY = y_;
            x_ += cos_ * distance_;
            y_ += sin_ * distance_;
            line(static_cast<int>(std::nearbyint(fromX)), static_cast<int>(std::nearbyint(fromY)),
                 static_cast<int>(std::nearbyint(x_)), static_cast<int>(std::nearbyint(y_)));
            ++segments_;
            break;
        }
        case '+':
            turn(alpha_ + delta_);
            break;
        case '-':
            turn(alpha_ - delta_);
            break;
        case '[':
            stack_.push_back({x_, y_, alpha_});
            break;
        case ']':
            if (!stack_.empty()) {
                x_ = stack_.back().x;
                y_ = stack_.back().y;
                turn(stack_.back().alpha);
                stack_.pop_back();
            }
            break;
        default:
            break;
        }
    }

    void turn(double alpha) {
        alpha_ = alpha;
        cos_ = std::cos(alpha);
        sin_ = std::sin(alpha);
    }

    void line(int x0, int y0, int x1, int y1) {
        const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            if (x0 >= 0 && y0 >= 0 && x0 < Width && y0 < Height) {
                pixels_[static_cast<std::size_t>(y0) * Width + static_cast<std::size_t>(x0)] =
                    0xFF000000u;
            }
            if (x0 == x1 && y0 == y1) {
                return;
            }
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }

    std::string_view generator_;
    int passes_;
    std::vector<std::uint32_t>& pixels_;
    double x_, y_, alpha_ = 0, cos_ = 1, sin_ = 0;
    double distance_, delta_;
    std::vector<State> stack_;
    std::int64_t segments_ = 0;
};

} // namespace

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // Linux reports KiB
}

zv::FractalParameters lSystem(const Workload& w) {
    zv::FractalParameters records;
    records.LSystem.FixPoints = {{{w.startX, w.startY}, {w.towardsX, w.towardsY}}};
    records.LSystem.InitiatorString = "F";
    records.LSystem.GeneratorString = w.generator;
    records.LSystem.LineLength = w.lineLength;
    records.LSystem.Delta = w.delta;
    return records;
}

zv::GeneralValues general(int passes) {
    zv::GeneralValues general;
    general.FractalType = zv::LSystemType;
    general.AreaWidth = QString::number(Width);
    general.AreaHeight = QString::number(Height);
    general.CalcDepth = QString::number(passes);
    return general;
}

// The generator "FFFFFFFFFF" and 1000 "X" at 7 passes: 1.12e9 elements, almost
// none of them drawn. One run; it takes seconds.
int longWalk(const QString& folder) {
    const Workload w{"ten F and 1000 X", std::string(10, 'F') + std::string(1000, 'X'), 7, 10,
                     300, 690, 300, 680.0 / 1e7, 0};
    const QString input = folder + QStringLiteral("/long.prm");
    if (zv::WriteParameterFile(input, general(w.passes), lSystem(w))) {
        std::printf("cannot write %s\n", qPrintable(input));
        return 1;
    }
    QString text;
    int code = 0;
    const Times t = measure([&] {
        QTextStream out(&text);
        QTextStream err(stderr);
        code = zv::runRenderer({input, folder + QStringLiteral("/long.bmp")}, out, err);
    });
    std::printf("%s, %d passes (%s): %.2f s CPU, %.2f s wall, peak RSS %.1f MB\n", w.name,
                w.passes, qPrintable(text.simplified()), t.cpu, t.wall, peakResidentMegabytes());
    return code;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // On a RAM disk where there is one: the commit's sync to disk measures the
    // disk, not the renderer.
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                   : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/render_bench-XXXXXX"));
    if (app.arguments().contains(QStringLiteral("--long"))) {
        return longWalk(dir.path());
    }
    std::printf("%d x %d, medians of %d runs; ns per segment in thread CPU time (wall time)\n",
                Width, Height, Runs);
    for (const Workload& w : Workloads) {
        const QString input = dir.filePath(QStringLiteral("workload.prm"));
        const QString output = dir.filePath(QStringLiteral("workload.bmp"));
        if (zv::WriteParameterFile(input, general(w.passes), lSystem(w))) {
            std::printf("cannot write %s\n", qPrintable(input));
            return 1;
        }

        std::vector<double> rendererCpu, rendererWall, plainCpu, plainWall;
        std::int64_t segments = 0;
        std::uint64_t inked = 0;
        for (int run = 0; run < Runs; ++run) {
            int code = 0;
            const Times r = measure([&] {
                QString text;
                QTextStream out(&text);
                QTextStream err(stderr);
                code = zv::runRenderer({input, output}, out, err);
            });
            if (code != zv::ExitDrawn) {
                std::printf("render failed with exit code %d\n", code);
                return 1;
            }
            std::vector<std::uint32_t> pixels;
            const Times p = measure([&] {
                pixels.assign(static_cast<std::size_t>(Width) * Height, 0xFFFFFFFFu);
                segments = PlainTurtle(w, pixels).draw();
            });
            inked = static_cast<std::uint64_t>(std::count(pixels.begin(), pixels.end(), 0xFF000000u));
            rendererCpu.push_back(r.cpu);
            rendererWall.push_back(r.wall);
            plainCpu.push_back(p.cpu);
            plainWall.push_back(p.wall);
        }
        const double perSegment = 1e9 / static_cast<double>(segments);
        const double rc = median(rendererCpu) * perSegment, rw = median(rendererWall) * perSegment;
        const double pc = median(plainCpu) * perSegment, pw = median(plainWall) * perSegment;
        std::printf("%s, %d passes: %lld segments, %llu pixels inked\n", w.name, w.passes,
                    static_cast<long long>(segments), static_cast<unsigned long long>(inked));
        std::printf("  renderer:  %7.1f ns per segment (%7.1f)\n", rc, rw);
        std::printf("  plain C++: %7.1f ns per segment (%7.1f)\n", pc, pw);
        std::printf("  ratio:     %7.2f (%7.2f)\n", rc / pc, rw / pw);
        std::fflush(stdout);
    }
    return 0;
}
