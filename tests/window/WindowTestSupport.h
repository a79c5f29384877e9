#pragma once
// Shared set-up for the offscreen window tests: one model, scripted dialogs and
// a shown, active MainForm; keys go in through the window as the user's would.
// The window's program folder is a fresh temporary folder that holds the
// factory settings as both Default.ini and User.ini, so the window starts as a
// user's second start would, and nothing a test does reaches the build folder.

#include "FakeDialogs.h"
#include "MainForm.h"
#include "ParameterModel.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>

namespace zvtest {

struct FormFixture {
    zv::ParameterModel model;
    FakeDialogs dialogs;
    std::unique_ptr<zv::MainForm> form;
    QTemporaryDir folder;
    bool folderFilled = false; // set by a test that puts its own files there

    ~FormFixture() {
        form.reset();
        zv::MainForm::SetProgramFolder({});
    }

    QString path(const QString& name) const { return folder.filePath(name); }

    static QString factorySettingsPath() {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/Default.ini");
    }

    // Creates the window with the program folder as it stands, without
    // showing it; the settings have been read then.
    void create() {
        if (!folderFilled) {
            QFile::copy(factorySettingsPath(), path(QStringLiteral("Default.ini")));
            QFile::copy(factorySettingsPath(), path(QStringLiteral("User.ini")));
            folderFilled = true;
        }
        zv::MainForm::SetProgramFolder(folder.path());
        form = std::make_unique<zv::MainForm>(model, dialogs);
    }

    // Returns false when the window could not be shown and activated.
    bool open() {
        create();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) {
            return false;
        }
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) {
            return false;
        }
        QCoreApplication::processEvents();
        return true;
    }

    template <class T> T* find(const QString& name) const { return form->findChild<T*>(name); }

    // A key press and release as the window system delivers it: to the window,
    // which hands it to the focused control.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) const {
        QTest::keyClick(form->windowHandle(), k, mods);
    }

    // Puts the focus into a field as a Tab would, types, and leaves the field.
    void typeAndLeave(QWidget* field, const QString& text, QWidget* next) const {
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
        next->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }
};

} // namespace zvtest
