#include "GuardedFile.h"
#include "Renderer.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <new>
#include <unistd.h>

int main(int argc, char** argv) {
    // Before anything can be written: a signal removes the temporary file.
    zv::EndOnSignalsWithoutLeftovers();
    try {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        zv::RendererOptions options;
        options.progressOnTerminal = isatty(STDERR_FILENO) == 1;
        for (int i = 1; i < argc; ++i) {
            const QByteArray raw(argv[i]);
            if (QFile::encodeName(QFile::decodeName(raw)) != raw) {
                options.inexactArguments << QFile::decodeName(raw);
            }
        }
        const int status = zv::runRenderer(app.arguments().mid(1), out, err, options);
        return zv::finishOutput(status, out, err, stdout, stderr);
    } catch (const std::bad_alloc&) {
        // Nothing that allocates: the memory is gone.
        static const char message[] = "zorvandine-render: not enough memory\n";
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, message, sizeof message - 1);
        return zv::ExitUnwritable;
    }
}
