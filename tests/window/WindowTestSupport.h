#pragma once
// Shared set-up for the offscreen window tests: one model, scripted dialogs and
// a shown, active MainForm whose program folder is a fresh temporary folder
// holding the factory settings as Default.ini and User.ini (a user's second
// start). Keys go in through the window as the user's would.

#include "FakeDialogs.h"
#include "FileMod.h"
#include "MainForm.h"
#include "OutputPicture.h"
#include "TextField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace zvtest {

// A data table of one column that holds the whole row; each row names itself.
template <class Row> void table(std::initializer_list<Row> rows) {
    QTest::addColumn<Row>("row");
    for (const Row& r : rows) {
        QTest::newRow(r.tag) << r;
    }
}

// A table of one bool column: row no holds false, row yes true.
inline void boolRows(const char* column, const char* no, const char* yes) {
    QTest::addColumn<bool>(column);
    QTest::newRow(no) << false;
    QTest::newRow(yes) << true;
}

struct FormFixture {
    QTemporaryDir folder; // outlives the window, which is destroyed first
    zv::ParameterModel model;
    FakeDialogs dialogs;
    std::unique_ptr<zv::MainForm> form;
    bool folderFilled = false; // set by a test that puts its own files there

    QString path(const QString& name) const { return folder.filePath(name); }

    // Creates the window without showing it; the settings have been read then.
    void create() {
        const QString factory = QCoreApplication::applicationDirPath() + "/Default.ini";
        if (!std::exchange(folderFilled, true)) {
            QFile::copy(factory, path("Default.ini"));
            QFile::copy(factory, path("User.ini"));
        }
        form = std::make_unique<zv::MainForm>(model, dialogs, folder.path());
    }

    // Returns false when the window could not be shown, activated and refreshed.
    bool open() {
        create();
        form->show();
        return QTest::qWaitForWindowActive(form.get()) &&
               QTest::qWaitFor([&] { return !form->Unload_tmr->isActive(); });
    }
    template <class T = QWidget> T* find(const QString& n) const { return form->findChild<T*>(n); }

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
        form->Pause_chk->setFocus(Qt::TabFocusReason);
    }

    // Selects the type as the user does and waits for the one refresh it schedules.
    bool selectType(int type) {
        form->FractalType_cmb->setCurrentIndex(type);
        form->FractalType_cmb_Click();
        return QTest::qWaitFor([&] { return !form->Unload_tmr->isActive(); }, 2000);
    }
    // Shows "Cross" with these points in recursive mode.
    bool showCross(const std::vector<zv::FixPoint>& pts) {
        model.Cross.FixPoints = pts;
        model.Cross.DrawMode = zv::RecursiveMode;
        return selectType(zv::CrossType);
    }

    int rows() const { return static_cast<int>(form->FixPoint_img.size()); }
    // A marker's top-left corner in drawing-area pixels, and its row's fields.
    QPoint markerAt(int i) const { return form->FixPoint_img.at(size_t(i))->pos() - QPoint(1, 1); }
    QPoint fieldsAt(int i) const {
        return {form->XPos_txt.at(std::size_t(i))->text().toInt(),
                form->YPos_txt.at(std::size_t(i))->text().toInt()};
    }
    int hiddenMarkers() const {
        return int(std::ranges::count_if(form->FixPoint_img, &QLabel::isHidden));
    }

    // Pixels of the drawing area in rect (all of it when null) that have the
    // colour rgb (red in the low byte).
    int pixelsOf(std::int32_t rgb, QRect rect = QRect()) const {
        const QImage& image = form->Output_pic->canvas().image();
        const QImage part = image.copy(rect.isNull() ? image.rect() : rect & image.rect());
        // 32 bits a pixel: the lines follow each other without padding.
        const auto* first = reinterpret_cast<const QRgb*>(part.constBits());
        const QRgb wanted = qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, rgb >> 16);
        return static_cast<int>(std::count(first, first + part.width() * part.height(), wanted));
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
