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
#include "Numeric.h"
#include "TextField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <array>
#include <limits>
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

} // namespace

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

// Controls -> model for the fields of a special frame; the other direction is
// showSpecialValues (MainFormTypes.cpp).
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
