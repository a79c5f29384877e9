// How much memory reading a settings file takes at its peak, per byte of the
// file, for the largest file the program accepts (64 MiB) in the shapes that
// cost the most: one enormous L-system string, plain or quoted, and enormous
// values where a number or a window field's text is expected. Each file is
// read in a child process of its own, whose peak resident size is reset just
// before the read (Linux: /proc/self/clear_refs), so the figure is the read's
// own: the file's bytes plus everything made from them.

#include "FileMod.h"
#include "GuardedFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long statusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == key) {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

// The factory records with the L-system's initiator (or the general section's
// depth text, or the cross's decrease factor) replaced by a huge value.
QByteArray hugeFile(const QString& shape, qsizetype size) {
    zv::GeneralValues general;
    zv::FractalParameters records;
    records.Cross.FixPoints = {{0, 0}, {1, 1}};
    records.KochCurve.FixPoints = {{0, 0}, {1, 1}};
    const QByteArray marker = "@@HUGE@@";
    if (shape == u"depth text") {
        general.CalcDepth = QString::fromLatin1(marker);
    } else if (shape == u"decrease factor") {
        records.Cross.DecreaseFactor = 0.5; // replaced below
    } else {
        records.LSystem.InitiatorString = marker.toStdString();
    }
    QByteArray file = zv::WriteSettings(general, records);
    if (shape == u"decrease factor") {
        const qsizetype at = file.indexOf("0.5\r\n");
        file.replace(at, 3, marker);
    }
    const qsizetype room = size - (file.size() - marker.size());
    QByteArray value(room, 'F');
    if (shape == u"quoted L-system string") {
        value[0] = '"';
        value[1] = ',';
        value[room - 1] = '"';
    } else if (shape != u"L-system string") {
        value.fill('7');
    }
    return file.replace(marker, value);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("User.ini"));
    std::printf("Reading a settings file of %lld bytes (the largest accepted):\n",
                static_cast<long long>(zv::MaxFileBytes));
    std::printf("%-26s %14s %12s  %s\n", "shape", "peak bytes", "per byte", "result");
    for (const QString& shape : {QStringLiteral("L-system string"),
                                QStringLiteral("quoted L-system string"),
                                QStringLiteral("depth text"), QStringLiteral("decrease factor")}) {
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(hugeFile(shape, zv::MaxFileBytes)) != zv::MaxFileBytes) {
                std::printf("cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
        std::fflush(stdout);
        const pid_t child = ::fork();
        if (child == 0) {
            zv::GeneralValuesCollector general;
            zv::FractalParameters records;
            const long before = statusKiB("VmRSS:");
            {
                std::ofstream reset("/proc/self/clear_refs");
                reset << "5";
            }
            const std::optional<zv::ReadFailure> failure =
                zv::ReadSettingsFile(path, general, records);
            const long peak = statusKiB("VmHWM:");
            const double bytes = double(peak - before) * 1024.0;
            std::printf("%-26s %14.0f %12.2f  %s\n", qPrintable(shape), bytes,
                        bytes / double(zv::MaxFileBytes),
                        failure ? qPrintable(QStringLiteral("refused at line %1: expected %2")
                                                 .arg(failure->Line)
                                                 .arg(failure->Expected))
                                : "read");
            std::fflush(stdout);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    return 0;
}
