// Which draw modes, frames and fix point commands the window offers for the
// selected fractal type, and the refresh that copies the type's record from
// the model into the controls after a type selection.

#include "MainForm.h"

#include "FieldNumbers.h"
#include "FractalCatalogue.h"
#include "Logging.h"
#include "OutputPicture.h"
#include "TextField.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <span>

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

// A coordinate from a file as the field shows it; one that is not a finite
// number would leave an unreadable field, so it shows as 0.
QString coordinateText(double v) {
    return fieldText(std::isfinite(v) ? v : 0.0);
}

// The model's strings hold one Latin-1 byte per character.
QString latin1Text(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

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

// Model -> controls for the fields of a special frame. The controls -> model
// direction is storeSpecialValues (MainFormTransfer.cpp).
void MainForm::showSpecialValues(SpecialFrame frame) {
    switch (frame) {
    case SpecialFrame::CantorSet:
        StepHeight_txt->setText(QString::number(model_.CantorSet.StepHeight));
        ElementsCount_txt->setText(QString::number(model_.CantorSet.ElementsCount));
        break;
    case SpecialFrame::Cross:
        DecreaseFactor_txt->setText(fieldText(model_.Cross.DecreaseFactor));
        break;
    case SpecialFrame::LSystem:
        Initiator_txt->setText(latin1Text(model_.LSystem.InitiatorString));
        Generator_txt->setText(latin1Text(model_.LSystem.GeneratorString));
        LineLength_txt->setText(fieldText(model_.LSystem.LineLength));
        Delta_txt->setText(fieldText(model_.LSystem.Delta));
        break;
    case SpecialFrame::None:
        break;
    }
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

// Selects the record's draw mode and runs the mode handling once, also when
// the option was selected already, so the panels always match the mode. A mode
// the type does not offer (a file may hold any Byte) selects the type's first
// mode instead.
void MainForm::selectStoredDrawMode(int type, int storedMode) {
    const FractalTypeRow& row = catalogueRow(FractalType(type));
    const int mode = row.offers(storedMode) ? storedMode : row.firstOfferedMode();
    QRadioButton* option = DrawMode_opt[static_cast<std::size_t>(mode)];
    if (option->isChecked()) {
        DrawMode_opt_Click(mode);
    } else {
        option->setChecked(true); // the toggle runs the handling
    }
}

void MainForm::Unload_tmr_Timer() {
    AddFixPoint_btn->setEnabled(true);
    RemoveFixPoint_btn->setEnabled(true);
    ConnectLast_chk->setEnabled(true);
    const int type = FractalType_cmb->currentIndex();
    if (const FractalTypeRow* row = catalogueRowAt(type)) {
        if (FixPoints_frm->isHidden()) {
            SpecialParams_btn_Click();
        }
        SpecialParams_btn->setEnabled(row->specialFrame != SpecialFrame::None);
        std::array<int, 4> allowedModes{};
        for (int m = 0; m < DrawModeCount; ++m) {
            allowedModes[static_cast<std::size_t>(m)] = row->offers(m) ? 1 : 0;
        }
        EnableDrawModes(allowedModes);
        // A figure of a fixed number of points has no list commands; the
        // check box shows whether that figure is closed.
        if (row->fixedFixPointCount()) {
            AddFixPoint_btn->setEnabled(false);
            RemoveFixPoint_btn->setEnabled(false);
            ConnectLast_chk->setChecked(row->connectLast(model_));
            ConnectLast_chk->setEnabled(false);
        }

        // The record's points; a list from a file may hold fewer or more than
        // the type's rows: the rows are held within that range and show the
        // first points, missing points keep the place the list gave them.
        const std::span<const FixPoint> points = row->fixPoints(model_);
        LastFixPointIndex =
            std::clamp(static_cast<int>(std::min<std::size_t>(points.size(), 64)),
                       row->minFixPoints, row->maxFixPoints) -
            1;
        SetFixPointCount();

        for (int i = 0; i <= LastFixPointIndex && i < static_cast<int>(points.size()) &&
                        i < static_cast<int>(XPos_txt.size());
             ++i) {
            XPos_txt[i]->setText(coordinateText(points[i].X));
            YPos_txt[i]->setText(coordinateText(points[i].Y));
        }
        if (!row->fixedFixPointCount()) {
            ConnectLast_chk->setChecked(row->connectLast(model_));
        }
        selectStoredDrawMode(type, row->drawMode(model_));
        showSpecialValues(row->specialFrame);
    }
    shownType_ = type;
    shownTypeStored_ = false;
    qCDebug(windowLog, "refresh type %d", type);
    PlaceAllFixPoints();
    if (DrawMode_opt[DemoMode]->isChecked()) {
        Output_pic->canvas().Clear();
        Output_pic->canvas().Refresh();
    }
    Unload_tmr->stop();
}

} // namespace zv
