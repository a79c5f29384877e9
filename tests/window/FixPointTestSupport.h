#pragma once
// Helpers for the fix point and type selection tests: showing a type from a
// prepared model record, reading rows, markers and the drawing area's pixels.

#include "OutputPicture.h"
#include "TextField.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <vector>

namespace zvtest {

inline std::vector<zv::FixPoint> points(std::initializer_list<std::pair<double, double>> xy) {
    std::vector<zv::FixPoint> result;
    for (auto [x, y] : xy) {
        result.push_back({x, y});
    }
    return result;
}

// Selects the type as the user does and waits for the one refresh it schedules.
inline bool selectType(FormFixture& f, int type) {
    f.form->FractalType_cmb->setCurrentIndex(type);
    f.form->FractalType_cmb_Click();
    return QTest::qWaitFor([&] { return !f.form->Unload_tmr->isActive(); }, 2000);
}

// Shows "Cross" with these points in recursive mode.
inline bool showCross(FormFixture& f, const std::vector<zv::FixPoint>& pts,
                      bool connectLast = false) {
    f.model.Cross.FixPoints = pts;
    f.model.Cross.DrawMode = zv::RecursiveMode;
    f.model.Cross.ConnectLast = connectLast;
    return selectType(f, zv::CrossType);
}

inline int rows(const FormFixture& f) {
    return static_cast<int>(f.form->FixPoint_img.size());
}

// A marker's top-left corner in drawing-area pixels.
inline QPoint markerAt(const FormFixture& f, int i) {
    return f.form->FixPoint_img.at(static_cast<std::size_t>(i))->pos() - QPoint(1, 1);
}

inline QPoint fieldsAt(const FormFixture& f, int i) {
    const auto k = static_cast<std::size_t>(i);
    return {f.form->XPos_txt.at(k)->text().toInt(), f.form->YPos_txt.at(k)->text().toInt()};
}

inline int areaWidth(const FormFixture& f) {
    return f.form->AreaWidth_txt->text().toInt();
}
inline int areaHeight(const FormFixture& f) {
    return f.form->AreaHeight_txt->text().toInt();
}

// Pixels of the drawing area in rect that have the colour rgb (red low byte).
inline int pixelsOf(const FormFixture& f, std::int32_t rgb, QRect rect = QRect()) {
    const QImage& image = f.form->Output_pic->canvas().image();
    if (rect.isNull()) {
        rect = image.rect();
    }
    rect = rect.intersected(image.rect());
    const QColor c(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            n += image.pixelColor(x, y).rgb() == c.rgb() ? 1 : 0;
        }
    }
    return n;
}

// Whether every pixel of the drawing area has the background colour.
inline bool canvasBlank(const FormFixture& f) {
    const QImage& image = f.form->Output_pic->canvas().image();
    return pixelsOf(f, f.form->Output_pic->canvas().BackColor()) == image.width() * image.height();
}

inline int messagesTitled(const FakeDialogs& d, const QString& title) {
    int n = 0;
    for (const DialogCall& c : d.calls) {
        n += c.kind == DialogCall::Message && c.title == title ? 1 : 0;
    }
    return n;
}

// A mouse event as the window system delivers it to a marker it has grabbed.
inline void mouseOn(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                    Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

// Presses marker i at grab (pixels inside it), moves the pointer over the given
// drawing-area positions and releases it at the last one.
inline void dragMarker(FormFixture& f, int i, QPoint grab, const std::vector<QPoint>& path) {
    QLabel* marker = f.form->FixPoint_img.at(static_cast<std::size_t>(i));
    mouseOn(marker, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    for (const QPoint& p : path) {
        const QPoint local = marker->mapFrom(f.form->Output_pic, p + QPoint(1, 1));
        mouseOn(marker, QEvent::MouseMove, local, Qt::NoButton, Qt::LeftButton);
    }
    const QPoint last = marker->mapFrom(f.form->Output_pic, path.back() + QPoint(1, 1));
    mouseOn(marker, QEvent::MouseButtonRelease, last, Qt::LeftButton, Qt::NoButton);
}

} // namespace zvtest
