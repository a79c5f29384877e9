// The two directions between the parameter model and the controls.
//
// Model -> controls: the refresh after a type selection (Unload_tmr_Timer)
// copies the selected type's record into the controls and sets up its panels.
// The common values (colours, depth, check boxes, area size) live in their
// controls and are not copied this way.
//
// Controls -> model: the common values and the shown type's record are copied
// from the window's fields into the parameter model before a run, before the
// type list opens and at exit. The records of the other types stay as they are.
//
// The fields are normally checked when the user leaves them, but a run started
// with Enter, or a text set by a file, can bring any text here. A text that is
// not a finite number leaves the model value as it was; a number beyond the
// model field's width is held at the nearest value the field can store, and a
// fraction is rounded to the nearest integer, halves to even. Nothing here
// reports or fails.

#include "MainForm.h"

#include "ColorSwatch.h"
#include "FieldNumbers.h"
#include "FileMod.h"
#include "FractalCatalogue.h"
#include "Logging.h"
#include "Numeric.h"
#include "OutputPicture.h"
#include "TextField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace zv {

namespace {

double realFrom(const QLineEdit* field, double previous, bool commaIsDecimal = false) {
    return fieldNumber(field->text(), commaIsDecimal).value_or(previous);
}

// Rounded and held within [lowest, Int's maximum]; previous when not a number.
template <class Int>
Int integerFrom(const QLineEdit* field, Int previous,
                Int lowest = std::numeric_limits<Int>::min()) {
    const std::optional<double> value = fieldNumber(field->text());
    if (!value) {
        return previous;
    }
    return std::max(clampToInt<Int>(*value), lowest);
}

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

// --- Model -> controls ---------------------------------------------------------

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

// Model -> controls for the fields of a special frame; storeSpecialValues
// below is the other direction.
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

// --- Controls -> model ---------------------------------------------------------

std::vector<FixPoint> MainForm::fixPointsFromRows(std::span<const FixPoint> previous) const {
    const std::size_t rows = std::min(XPos_txt.size(), YPos_txt.size());
    std::vector<FixPoint> points(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        const FixPoint before = i < previous.size() ? previous[i] : FixPoint{};
        points[i].X = realFrom(XPos_txt[i], before.X);
        points[i].Y = realFrom(YPos_txt[i], before.Y);
    }
    return points;
}

void MainForm::TransferControlsToModel() {
    // The controls hold the shown type's record; they differ from the selected
    // one only between a selection and its refresh, when the selection change
    // has stored them already.
    transferControls(shownType_ >= 0 ? shownType_ : FractalType_cmb->currentIndex());
}

void MainForm::transferControls(int type) {
    // The recursive gadget cuts its holes in the background colour. A
    // greyed box (from a file) is not a tick, here as in the renderer.
    const FractalTypeRow& colorRow =
        catalogueRow(FractalType(std::clamp(type, 0, FractalTypeCount - 1)));
    bool drawsInBackColor = false;
    for (std::size_t mode = 0; mode < colorRow.modes.size(); ++mode) {
        drawsInBackColor = drawsInBackColor || (colorRow.modes[mode].drawsInBackColor &&
                                                DrawMode_opt[mode]->isChecked());
    }
    model_.ForeColor = foreColorForRun(checkStateValue(RandomForeColor_chk), drawsInBackColor,
                                       ForeColor_pic->color(), BackColor_pic->color());

    // The depth is never negative.
    model_.CalcDepth = integerFrom<std::int32_t>(CalcDepth_txt, model_.CalcDepth, 0);
    model_.PauseAfterEachOp = isTicked(checkStateValue(Pause_chk));

    const FractalTypeRow* row = catalogueRowAt(type);
    if (row == nullptr) {
        return;
    }
    row->setDrawMode(model_, SelectedDrawMode());
    row->setFixPoints(model_, fixPointsFromRows(row->fixPoints(model_)));
    row->setConnectLast(model_, ConnectLast_chk->isChecked());
    storeSpecialValues(row->specialFrame);
}

// Controls -> model for the fields of a special frame; showSpecialValues above
// is the other direction.
void MainForm::storeSpecialValues(SpecialFrame frame) {
    switch (frame) {
    case SpecialFrame::CantorSet:
        model_.CantorSet.StepHeight =
            integerFrom<std::int16_t>(StepHeight_txt, model_.CantorSet.StepHeight);
        model_.CantorSet.ElementsCount =
            integerFrom<std::uint8_t>(ElementsCount_txt, model_.CantorSet.ElementsCount);
        break;
    case SpecialFrame::Cross:
        model_.Cross.DecreaseFactor =
            realFrom(DecreaseFactor_txt, model_.Cross.DecreaseFactor, true);
        break;
    case SpecialFrame::LSystem:
        // One byte per character, as the files hold them; what Latin-1
        // cannot hold becomes '?'.
        model_.LSystem.InitiatorString = Initiator_txt->text().toLatin1().toStdString();
        model_.LSystem.GeneratorString = Generator_txt->text().toLatin1().toStdString();
        model_.LSystem.LineLength = realFrom(LineLength_txt, model_.LSystem.LineLength, true);
        model_.LSystem.Delta = realFrom(Delta_txt, model_.LSystem.Delta);
        break;
    case SpecialFrame::None:
        break;
    }
}

} // namespace zv
