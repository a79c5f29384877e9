// Which draw modes, frames and fix point commands the window offers for the
// selected fractal type and draw mode. The refresh that copies the type's
// record into the controls after a selection is in MainFormTransfer.cpp.

#include "MainForm.h"

#include "FractalCatalogue.h"
#include "OutputPicture.h"
#include "TextField.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>

namespace zv {

namespace {

const QString ToSpecialCaption = QStringLiteral("> &Switch to Special >");
const QString ToFixPointsCaption = QStringLiteral("< &Switch to FixPoints <");

// The type list's popup announces itself before the user can pick from it,
// and again when it closes.
class TypeListOpening : public QObject {
public:
    TypeListOpening(MainForm* form, std::function<void()> closed)
        : QObject(form), form_(form), closed_(std::move(closed)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            form_->FractalType_cmb_DropDown();
        } else if (event->type() == QEvent::Hide) {
            closed_();
        }
        return false;
    }

private:
    MainForm* form_;
    std::function<void()> closed_;
};

} // namespace

void MainForm::connectTypeSelection() {
    FractalType_cmb->view()->window()->installEventFilter(new TypeListOpening(this, [this] {
        // Closed without a new choice: edits made from now on are not stored yet.
        if (FractalType_cmb->currentIndex() == shownType_) {
            shownTypeStored_ = false;
        }
    }));
    // The list changes its selection on a wheel notch (even without the focus)
    // and on the arrow keys without ever opening; a file changes it too.
    connect(FractalType_cmb, &QComboBox::currentIndexChanged, this,
            &MainForm::storeShownTypeControls);
    for (int i = 0; i < static_cast<int>(DrawMode_opt.size()); ++i) {
        connect(DrawMode_opt[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked) {
                DrawMode_opt_Click(i);
            }
        });
    }
    connect(SpecialParams_btn, &QPushButton::clicked, this, &MainForm::SpecialParams_btn_Click);
}

void MainForm::FractalType_cmb_DropDown() {
    TransferControlsToModel();
    // A choice from the open list needs no second store.
    shownTypeStored_ = true;
}

// Until the refresh, the controls still hold the record of the type shown
// before the selection changed: store them there, once. A second change before
// the refresh must not write them into the record of a type only passed on the
// way, nor over the record that an import has just read.
void MainForm::storeShownTypeControls() {
    if (shownType_ < 0 || shownTypeStored_) {
        return;
    }
    shownTypeStored_ = true;
    transferControls(shownType_);
}

void MainForm::FractalType_cmb_Click() {
    if (IgnoreTypeClick) {
        return;
    }
    // A burst of selections restarts the one-shot timer: one refresh, for the last.
    Unload_tmr->start();
}

std::uint8_t MainForm::SelectedDrawMode() const {
    for (std::size_t i = 0; i < DrawMode_opt.size(); ++i) {
        if (DrawMode_opt[i]->isChecked()) {
            return static_cast<std::uint8_t>(i);
        }
    }
    return 0;
}

void MainForm::EnableDrawModes(const std::array<int, 4>& AllowedModes) {
    for (std::size_t i = 0; i < AllowedModes.size() && i < DrawMode_opt.size(); ++i) {
        DrawMode_opt[i]->setEnabled(AllowedModes[i] == 1);
    }
}

const FractalTypeRow* MainForm::shownTypeRow() const {
    return catalogueRowAt(shownType_ >= 0 ? shownType_ : FractalType_cmb->currentIndex());
}

const DrawModeRow* MainForm::shownModeRow() const {
    const FractalTypeRow* type = shownTypeRow();
    return type ? type->mode(SelectedDrawMode()) : nullptr;
}

bool MainForm::showsFixPoints() const {
    const DrawModeRow* mode = shownModeRow();
    return mode == nullptr || mode->showsFixPoints;
}

QGroupBox* MainForm::specialFrameWidget(SpecialFrame frame) const {
    switch (frame) {
    case SpecialFrame::CantorSet:
        return CantorSet_frm;
    case SpecialFrame::Cross:
        return Cross_frm;
    case SpecialFrame::LSystem:
        return LSystem_frm;
    case SpecialFrame::None:
        break;
    }
    return nullptr;
}

void MainForm::ShowFixPoints() {
    for (QLabel* marker : FixPoint_img) {
        marker->show();
    }
    // The L-system's frame lies where the list goes too, and the switch
    // button must offer the special frame again once the list shows.
    hideSpecialFrames();
    SpecialParams_btn->setText(ToSpecialCaption);
    FixPoints_frm->show();
    DrawFixPointsPreview();
}

void MainForm::HideFixPoints() {
    endFixPointDrag();
    for (QLabel* marker : FixPoint_img) {
        marker->hide();
    }
    FixPoints_frm->hide();
    Output_pic->canvas().Clear();
    Output_pic->canvas().Refresh();
}

void MainForm::hideSpecialFrames() {
    for (const FractalTypeRow& row : FractalCatalogue) {
        if (QGroupBox* frame = specialFrameWidget(row.specialFrame)) {
            frame->hide();
        }
    }
}

void MainForm::SpecialParams_btn_Click() {
    if (!FixPoints_frm->isHidden()) {
        FixPoints_frm->hide();
        if (const FractalTypeRow* type = catalogueRowAt(FractalType_cmb->currentIndex())) {
            if (QGroupBox* frame = specialFrameWidget(type->specialFrame)) {
                frame->show();
            }
        }
        SpecialParams_btn->setText(ToFixPointsCaption);
    } else {
        hideSpecialFrames();
        FixPoints_frm->show();
        SpecialParams_btn->setText(ToSpecialCaption);
    }
}

void MainForm::DrawMode_opt_Click(int Index) {
    ShowFixPoints();
    const FractalTypeRow* type = catalogueRowAt(FractalType_cmb->currentIndex());
    const DrawModeRow* mode = type ? type->mode(Index) : nullptr;
    if (mode == nullptr || !mode->offered()) {
        return;
    }
    if (!mode->showsFixPoints) {
        HideFixPoints();
    }
    if (QGroupBox* frame = specialFrameWidget(type->specialFrame)) {
        // The elements count shapes only a figure that grows from the fix points.
        ElementsCount_lbl->setVisible(!mode->specialFrameOnly);
        ElementsCount_txt->setVisible(!mode->specialFrameOnly);
        if (mode->specialFrameOnly) {
            frame->show();
            SpecialParams_btn->setText(ToSpecialCaption);
        }
        SpecialParams_btn->setEnabled(!mode->specialFrameOnly);
    }
    if (!type->fixedFixPointCount()) {
        // A mode with its own number of points takes the list's commands away.
        const bool freeList = mode->fixPointCount == 0;
        AddFixPoint_btn->setEnabled(freeList);
        RemoveFixPoint_btn->setEnabled(freeList);
        ConnectLast_chk->setEnabled(freeList);
        if (!freeList) {
            LastFixPointIndex = mode->fixPointCount - 1;
            SetFixPointCount();
        }
    }
}

} // namespace zv
