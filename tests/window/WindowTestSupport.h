#pragma once
// Shared set-up for the offscreen window tests: one model, scripted dialogs and
// a shown, active MainForm whose program folder is a fresh temporary folder
// holding the factory settings as Default.ini and User.ini (a user's second
// start). Controls are found by their object names, keys and clicks go in as
// the user's would, and run states are reached by starting real runs.

#include "FakeDialogs.h"
#include "FileMod.h"
#include "MainForm.h"
#include "OutputPicture.h"
#include "TextField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace zvtest {

// A table of one bool column: row no holds false, row yes true.
inline void boolRows(const char* column, const char* no, const char* yes) {
    QTest::addColumn<bool>(column);
    QTest::newRow(no) << false;
    QTest::newRow(yes) << true;
}

// Calls step in every pass of the event loop until it returns true. A run
// handles its events between elements, so a test acts inside a run from here,
// as the user's clicks and keys arrive there.
struct Script : QTimer {
    bool done = false;
    int passes = 0;
    explicit Script(const std::function<bool()>& step) {
        connect(this, &QTimer::timeout, [this, step] {
            ++passes;
            done = done || step();
        });
        start(0);
    }
};

// A colour as the files hold it (red in the low byte) as a pixel value.
inline QRgb rgbOf(std::int32_t color) {
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

struct FormFixture {
    QTemporaryDir folder; // outlives the window, which is destroyed first
    zv::ParameterModel model;
    FakeDialogs dialogs;
    std::unique_ptr<zv::MainForm> form;

    QString path(const QString& name) const { return folder.filePath(name); }
    // The factory settings, copied beside the test by the build.
    static QString factoryIni() { return QCoreApplication::applicationDirPath() + "/Default.ini"; }

    // Creates the window without showing it; the settings have been read then.
    // Without a program folder of the test's, the window's is the fixture's
    // own, filled with the factory settings.
    void create(const QString& programFolder = {}) {
        if (programFolder.isEmpty()) {
            QFile::copy(factoryIni(), path("Default.ini"));
            QFile::copy(factoryIni(), path("User.ini"));
        }
        form = std::make_unique<zv::MainForm>(
            model, dialogs, programFolder.isEmpty() ? folder.path() : programFolder);
    }

    // Returns false when the window could not be shown, activated and refreshed.
    bool open() {
        create();
        form->show();
        return QTest::qWaitForWindowActive(form.get()) && refreshed();
    }

    // The window's control of that object name (its member name in the
    // window); the test ends at once when there is none of that kind.
    template <class T = QWidget> T* find(const QString& name) const {
        T* found = form->findChild<T*>(name);
        if (found == nullptr) {
            qFatal("the window has no control %s of the kind asked for", qPrintable(name));
        }
        return found;
    }
    // The elements of a control array, in index order.
    template <class T = QWidget> QList<T*> all(const QString& name) const {
        QList<T*> elements = form->findChildren<T*>(name);
        std::ranges::sort(elements, {}, [](const T* e) { return e->property("Index").toInt(); });
        return elements;
    }
    // Element index of a control array.
    template <class T = QWidget> T* at(const QString& name, int index) const {
        T* element = all<T>(name).value(index);
        if (element == nullptr || element->property("Index").toInt() != index) {
            qFatal("the window has no element %d of %s", index, qPrintable(name));
        }
        return element;
    }
    zv::OutputPicture* picture() const { return find<zv::OutputPicture>("Output_pic"); }
    zv::ImageCanvas& canvas() const { return picture()->canvas(); }
    QPushButton* button(const QString& name) const { return find<QPushButton>(name); }
    QLineEdit* field(const QString& name) const { return find<QLineEdit>(name); }
    QCheckBox* box(const QString& name) const { return find<QCheckBox>(name); }

    // True once the refresh that a type selection schedules has run.
    bool refreshed() const {
        return QTest::qWaitFor([&] { return !find<QTimer>("Unload_tmr")->isActive(); }, 5000);
    }

    // A key as the window system delivers it: to the window, which hands it on.
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) const {
        QTest::keyClick(form->windowHandle(), k, m);
    }

    // Puts the focus into a field as a Tab would, types, and leaves the field.
    void typeAndLeave(QWidget* field, const QString& text) const {
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
        box("Pause_chk")->setFocus(Qt::TabFocusReason);
    }
    void typeAndLeave(const QString& name, const QString& text) const {
        typeAndLeave(field(name), text);
    }
    // Ticks or clears a check box with a click where it differs.
    void tick(const QString& name, bool ticked) const {
        QCheckBox* b = box(name);
        if ((b->checkState() == Qt::Checked) != ticked) {
            b->click();
        }
    }

    // Opens or closes the parameter bar with its button.
    void showBar(bool open) const {
        if ((button("Params_btn")->property("Tag").toString() == "1") != open) {
            button("Params_btn")->click();
        }
    }

    // Moves the type list to type with the arrow keys, as the user may without
    // opening it, and waits for the one refresh that the moves schedule; from
    // type itself it moves away and back, so the type is always refreshed.
    // edit changes the model before the refresh reads it, as a file read
    // does: the list stored the controls of the type it left already.
    bool selectType(int type, const std::function<void()>& edit = {}) {
        auto* list = find<QComboBox>("FractalType_cmb");
        if (list->currentIndex() == type) {
            QTest::keyClick(list, type + 1 < list->count() ? Qt::Key_Down : Qt::Key_Up);
        }
        while (list->currentIndex() != type) {
            QTest::keyClick(list, list->currentIndex() < type ? Qt::Key_Down : Qt::Key_Up);
        }
        if (edit) {
            edit();
        }
        return refreshed();
    }
    // Shows a type with its draw mode, depth and single steps, for a run.
    bool prepare(int type, int mode, int depth, bool pause = false) {
        if (!selectType(type)) {
            return false;
        }
        at<QRadioButton>("DrawMode_opt", mode)->click();
        typeAndLeave("CalcDepth_txt", QString::number(depth));
        tick("Pause_chk", pause);
        return true;
    }

    // Presses the draw button; the run executes inside the click and the
    // Scripts alive act in it. A run still under way after a minute is
    // cancelled with the same button and fails the test.
    void draw() {
        QObject guard;
        QTimer::singleShot(60000, &guard, [this] {
            button("Draw_btn")->click();
            QFAIL("the run did not end");
        });
        button("Draw_btn")->click();
    }

    // Starts a run and calls act once the run is in state (drawing: after
    // its first element; paused: "Pause after each op." makes it wait before
    // its first element), then cancels the run; in the edit state it just
    // calls act. False when act was never called.
    bool during(int state, const std::function<void()>& act) {
        if (state == zv::EditMode) {
            act();
            return true;
        }
        tick("Pause_chk", state == zv::PauseMode);
        Script script([&] {
            if (model.GlobalState != state ||
                model.ElementsDrawn < (state == zv::WorkingMode ? 1 : 0)) {
                return false;
            }
            act();
            button("Draw_btn")->click();
            return true;
        });
        draw();
        tick("Pause_chk", false);
        return script.done;
    }

    int rows() const { return static_cast<int>(all<QLabel>("FixPoint_img").size()); }
    int hiddenMarkers() const {
        return int(std::ranges::count_if(all<QLabel>("FixPoint_img"), &QLabel::isHidden));
    }

    // Pixels of the drawing area in rect (all of it when null) that have the
    // colour rgb (red in the low byte).
    int pixelsOf(std::int32_t rgb, QRect rect = QRect()) const {
        const QImage& image = canvas().image();
        const QImage part = image.copy(rect.isNull() ? image.rect() : rect & image.rect());
        // 32 bits a pixel: the lines follow each other without padding.
        const auto* first = reinterpret_cast<const QRgb*>(part.constBits());
        return static_cast<int>(
            std::count(first, first + part.width() * part.height(), rgbOf(rgb)));
    }
};

// A type's record as a parameter file holds it (after the 11 general lines).
inline QByteArray record(const zv::FractalParameters& m, int type) {
    const QByteArray file = zv::WriteParameters({.FractalType = std::uint8_t(type)}, m);
    return file.split('\n').mid(11).join('\n');
}

inline zv::FileDialogResult chosen(const QString& path) {
    return {.path = path, .errorText = {}};
}

// A mouse event as the window system delivers it to a widget that has grabbed it.
inline void mouseOn(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, w->mapToGlobal(local), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

} // namespace zvtest
