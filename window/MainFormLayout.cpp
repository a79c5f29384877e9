// Window layout: the size limits, how the controls follow a resize, the window
// size for a typed drawing-area size, and the parameter bar. Sizes handed to Qt
// are client-area pixels; the window system adds its own frame around them.

#include "MainForm.h"

#include "FieldNumbers.h"
#include "KeyedStatusBar.h"
#include "OutputPicture.h"
#include "TextField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace zv {

namespace {

// The size limits are outer window sizes for a frame 120 twips wide and a
// caption plus frame 405 twips high. This window sizes its client area, so that
// frame comes off: the drawing area stays 200 to 700 by 250 to 600 pixels
// whatever frame the window system really draws.
constexpr int DesignFrameWidth = 120;
constexpr int DesignFrameHeight = 405;
constexpr int MinOuterWidth = 3345;  // plus ParamBarWidth
constexpr int MaxOuterWidth = 10845; // plus ParamBarWidth
constexpr int MinOuterHeight = 5085;
constexpr int MaxOuterHeight = 10335;
constexpr int ParamBarOpenWidth = 4200;

// A field's size in whole pixels; absurd values are cut before the conversion.
int areaPixels(const QString& text, int fallback) {
    const std::optional<double> v = fieldNumber(text);
    if (!v) {
        return fallback;
    }
    return static_cast<int>(std::lround(std::clamp(*v, 0.0, 10000.0)));
}

} // namespace

QString MainForm::Params_btn_Tag() const {
    return Params_btn->property("Tag").toString();
}

void MainForm::SetParams_btn_Tag(const QString& tag) {
    Params_btn->setProperty("Tag", tag);
}

void MainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void MainForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        // A minimized window was not laid out; a restored one may not be resized.
        if ((change->oldState() & Qt::WindowMinimized) && !isMinimized()) {
            Form_Resize();
        }
    }
}

void MainForm::Form_Resize() {
    if (isMinimized() || IgnoreResize) {
        return;
    }
    IgnoreResize = true;
    const QSize cut = withinSizeLimits(size());
    if (cut != size()) {
        resize(cut);
    }
    // The window system may confirm the new size later; lay out for the size
    // asked for, and again when it arrives.
    layoutControls(cut.width(), cut.height());
    IgnoreResize = false;
}

QSize MainForm::outerSize() const {
    const QSize outer = frameGeometry().size();
    if (outer != size()) {
        return outer;
    }
    // Before the window is first shown the window system has not told its
    // frame: count the one the limits were designed for, so that the window
    // fits on the screen with any usual frame.
    return size() + QSize(twips_.px(DesignFrameWidth), twips_.py(DesignFrameHeight));
}

QSize MainForm::withinSizeLimits(QSize size) const {
    const int minW = twips_.px(ParamBarWidth + MinOuterWidth - DesignFrameWidth);
    const int maxW = twips_.px(ParamBarWidth + MaxOuterWidth - DesignFrameWidth);
    const int minH = twips_.py(MinOuterHeight - DesignFrameHeight);
    const int maxH = twips_.py(MaxOuterHeight - DesignFrameHeight);
    return {std::clamp(size.width(), minW, maxW), std::clamp(size.height(), minH, maxH)};
}

void MainForm::layoutControls(int w, int h) {
    const int statusHeight = twips_.py(300);
    StatusBar->setGeometry(0, h - statusHeight, w, statusHeight);

    const int outputWidth = std::max(w - twips_.px(ParamBarWidth + 200), 3);
    const int outputHeight = std::max(h - (statusHeight + Output_pic->y() + twips_.py(100)), 3);
    Output_pic->setOuterSize(outputWidth, outputHeight);

    CommonParameter_frm->move(outputWidth + twips_.px(200), CommonParameter_frm->y());
    const int rightLeft = CommonParameter_frm->x() + CommonParameter_frm->width() + twips_.px(100);
    DrawModes_frm->move(rightLeft, DrawModes_frm->y());
    for (QGroupBox* f : {FixPoints_frm, CantorSet_frm, Cross_frm, LSystem_frm}) {
        f->move(rightLeft, f->y());
    }

    // The top row ends 100 twips right of the drawing area; with the bar closed
    // that is the window's edge, which rounding to pixels must not overshoot.
    const int rowRight = std::min(Output_pic->x() + outputWidth + twips_.px(100), w);
    FractalType_cmb->resize(
        std::max(rowRight - FractalType_cmb->x() - (Params_btn->width() + Draw_btn->width()), 1),
        FractalType_cmb->height());
    Draw_btn->move(FractalType_cmb->x() + FractalType_cmb->width(), Draw_btn->y());
    Params_btn->move(Draw_btn->x() + Draw_btn->width(), Params_btn->y());
    Stripe_lbl->move(Params_btn->x() + Params_btn->width(), Stripe_lbl->y());
    Import_btn->move(Stripe_lbl->x() + twips_.px(900), Import_btn->y());
    Export_btn->move(Import_btn->x() + Import_btn->width(), Export_btn->y());

    // Both columns end level with the drawing area.
    CommonParameter_frm->resize(CommonParameter_frm->width(), outputHeight);
    FixPoints_frm->resize(FixPoints_frm->width(),
                          std::max(CommonParameter_frm->y() + CommonParameter_frm->height() -
                                       FixPoints_frm->y() - twips_.py(10),
                                   1));
    OutsideContainer_frm->resize(
        OutsideContainer_frm->width(),
        std::max(FixPoints_frm->height() - (OutsideContainer_frm->y() + twips_.py(100)), 1));
    FixPointsScroller->resize(FixPointsScroller->width(), OutsideContainer_frm->height());
    UpdateFixPointsScroller();

    AreaWidth_txt->setText(QString::number(Output_pic->innerWidth()));
    AreaHeight_txt->setText(QString::number(Output_pic->innerHeight()));

    LastFixPointIndex = static_cast<int>(FixPoint_img.size()) - 1;
    PlaceAllFixPoints();
}

void MainForm::SetFormSize() {
    const int areaWidth = areaPixels(AreaWidth_txt->text(), Output_pic->innerWidth());
    const int areaHeight = areaPixels(AreaHeight_txt->text(), Output_pic->innerHeight());
    // The inverse of the layout: drawing area plus its 2-pixel border, plus the
    // margins and the bar beside it, the row above and the status bar below.
    const int w = areaWidth + 2 + twips_.px(ParamBarWidth + 200);
    const int h = twips_.py(300) + areaHeight + 2 + Output_pic->y() + twips_.py(100);
    const QSize before = size();
    // Cut to the limits here already, not only in the resize handling: while
    // the settings are read that handling is off, and the window is then
    // placed on the screen with the size it has now.
    resize(withinSizeLimits({w, h}));
    if (size() == before) {
        // No resize event follows; the fields must still show the real size.
        Form_Resize();
    }
}

void MainForm::Params_btn_Click() {
    const QString tag = Params_btn_Tag();
    int change = 0;
    if (tag == QLatin1String("0")) {
        Params_btn->setText(QStringLiteral("<<& "));
        SetParams_btn_Tag(QStringLiteral("1"));
        ParamBarWidth = ParamBarOpenWidth;
        change = twips_.px(ParamBarOpenWidth);
    } else if (tag == QLatin1String("1")) {
        Params_btn->setText(QStringLiteral(">>& "));
        SetParams_btn_Tag(QStringLiteral("0"));
        ParamBarWidth = 0;
        change = -twips_.px(ParamBarOpenWidth);
    } else {
        return;
    }
    const QSize before = size();
    resize(width() + change, height());
    if (size() == before) {
        Form_Resize();
    }
}

void MainForm::UpdateFixPointsScroller() {
    FixPointsScroller->setMaximum(0);
    // How far the check box's bottom lies below the visible part of the list.
    const int overflow =
        ConnectLast_chk->y() - (FixPointsScroller->height() - ConnectLast_chk->height());
    if (overflow > 0) {
        FixPointsScroller->setMaximum(overflow);
        FixPointsScroller->setValue(overflow);
    }
    FixPointsScroller->update();
}

void MainForm::FixPointsScroller_Change() {
    InsideContainer_frm->move(InsideContainer_frm->x(), -FixPointsScroller->value());
}

} // namespace zv
