// Writes the program's icon for the desktop's icon theme:
//   make_icon OUTPUT_FOLDER
// gives OUTPUT_FOLDER/scalable/apps/zorvandine.svg and
// OUTPUT_FOLDER/NxN/apps/zorvandine.png for N = 16 ... 256.

#include "ProgramIcon.h"

#include <QDir>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_icon OUTPUT_FOLDER\n", stderr);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = out.filePath(QStringLiteral("%1x%1/apps").arg(size));
        ok = QDir().mkpath(folder) &&
             zv::programIconImage(size).save(folder + QStringLiteral("/zorvandine.png"), "png") &&
             ok;
    }
    const QString scalable = out.filePath(QStringLiteral("scalable/apps"));
    QSaveFile svg(scalable + QStringLiteral("/zorvandine.svg"));
    ok = QDir().mkpath(scalable) && svg.open(QIODevice::WriteOnly) &&
         svg.write(zv::programIconSvg(256)) > 0 && svg.commit() && ok;
    if (!ok) {
        std::fprintf(stderr, "make_icon: cannot write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
