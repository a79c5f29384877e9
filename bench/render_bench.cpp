// Prints how long zorvandine-render's work takes for a 700 x 600 L-system
// ("F" / "F[+F]F[-F]F") at depth 7 written to PNG: read the file, draw, save.

#include "FileMod.h"
#include "Renderer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;

    zv::GeneralValues general;
    general.FractalType = zv::LSystemType;
    general.AreaWidth = QStringLiteral("700");
    general.AreaHeight = QStringLiteral("600");
    general.CalcDepth = QStringLiteral("7");
    zv::FractalParameters records;
    records.LSystem.FixPoints = {{{350, 595}, {350, 0}}};
    records.LSystem.LineLength = 0.25; // 3^7 steps up the main stem: about 550 pixels
    records.LSystem.Delta = 25.7;
    const QString input = dir.filePath(QStringLiteral("plant.prm"));
    if (zv::WriteParameterFile(input, general, records)) {
        out << "cannot write " << input << "\n";
        return 1;
    }

    const int runs = 5;
    qint64 best = -1;
    qint64 total = 0;
    QString counters;
    for (int i = 0; i < runs; ++i) {
        QString text;
        QTextStream runOut(&text);
        QTextStream runErr(stderr);
        QElapsedTimer timer;
        timer.start();
        const int code =
            zv::runRenderer({input, dir.filePath(QStringLiteral("plant.png"))}, runOut, runErr);
        const qint64 ms = timer.elapsed();
        if (code != 0) {
            out << "render failed with exit code " << code << "\n";
            return 1;
        }
        best = best < 0 ? ms : std::min(best, ms);
        total += ms;
        runOut.flush();
        counters = text.simplified();
    }
    out << "L-system 700 x 600, depth 7, to PNG (" << counters << ")\n"
        << "  best of " << runs << ": " << best << " ms, mean: " << total / runs << " ms\n";
    return 0;
}
