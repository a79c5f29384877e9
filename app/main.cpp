// The program: one parameter model, one window.

#include "MainForm.h"
#include "ParameterModel.h"
#include "QtDialogs.h"

#include <QApplication>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The layout is made for Fusion's metrics, whatever the desktop's own style.
    QApplication::setStyle(QStringLiteral("Fusion"));
    zv::ParameterModel model;
    zv::QtDialogs dialogs;
    zv::MainForm form(model, dialogs);
    if (!form.SettingsLoaded()) {
        // Neither settings file could be read, and the user has been told.
        return EXIT_FAILURE;
    }
    dialogs.setParent(&form);
    form.show();
    return QApplication::exec();
}
