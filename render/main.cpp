#include "Renderer.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    zv::RendererOptions options;
    options.progressOnTerminal = isatty(STDERR_FILENO) == 1;
    return zv::runRenderer(app.arguments().mid(1), out, err, options);
}
