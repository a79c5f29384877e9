// The numeric parameter fields (checked and repaired when they lose the focus)
// and the two colour swatches.

#include "MainForm.h"

#include "ColorSwatch.h"
#include "Dialogs.h"
#include "FieldNumbers.h"
#include "OutputPicture.h"
#include "TextField.h"
#include "TurtleGraphicsCls.h"

#include <optional>

namespace zv {

// How one field is repaired when the user leaves it: a text that is not a
// number becomes the fallback, then the value is held within its limits.
// Every fallback lies within its limits.
struct MainForm::NumericRule {
    QString fallback;
    std::optional<double> lower;
    QString lowerText;
    std::optional<double> upper;
    QString upperText;
    bool commaIsDecimal = false; // the fields that turn a typed period into a comma
    bool resizesWindow = false;  // the drawing area size
};

void MainForm::connectNumericFields() {
    const auto s = [](const char* text) { return QString::fromLatin1(text); };
    const std::pair<TextField*, NumericRule> rules[] = {
        {AreaWidth_txt, {s("200"), 200, s("200"), 700, s("700"), false, true}},
        {AreaHeight_txt, {s("250"), 250, s("250"), 600, s("600"), false, true}},
        {CalcDepth_txt, {s("4"), 0, s("0"), std::nullopt, {}, false, false}},
        {StepHeight_txt, {s("10"), std::nullopt, {}, std::nullopt, {}, false, false}},
        {ElementsCount_txt, {s("2"), 2, s("2"), std::nullopt, {}, false, false}},
        {DecreaseFactor_txt, {s("0,5"), 0, s("0"), std::nullopt, {}, true, false}},
        {LineLength_txt, {s("0,5"), 0, s("0"), std::nullopt, {}, true, false}},
        {Delta_txt, {s("50"), std::nullopt, {}, std::nullopt, {}, false, false}},
    };
    for (const auto& [field, rule] : rules) {
        connect(field, &TextField::lostFocus, this,
                [this, field, rule] { numericField_LostFocus(field, rule); });
    }
    connect(Delta_txt, &TextField::mouseMoved, this, &MainForm::Delta_txt_MouseMove);
}

void MainForm::numericField_LostFocus(TextField* field, const NumericRule& rule) {
    // Each step reads the text anew, so it sees what an earlier step wrote.
    const auto value = [&] { return fieldNumber(field->text(), rule.commaIsDecimal); };
    if (!value()) {
        field->setText(rule.fallback);
    }
    if (rule.lower) {
        const std::optional<double> v = value();
        if (v && *v < *rule.lower) {
            field->setText(rule.lowerText);
        }
    }
    if (rule.upper) {
        const std::optional<double> v = value();
        if (v && *v > *rule.upper) {
            field->setText(rule.upperText);
        }
    }
    if (rule.resizesWindow) {
        SetFormSize();
    }
}

void MainForm::Delta_txt_MouseMove() {
    const std::optional<double> degrees = fieldNumber(Delta_txt->text());
    if (!degrees) {
        return;
    }
    // The hint's radians use the turtle's own pi.
    const double radians = *degrees / 180 * TurtlePi;
    Delta_txt->setToolTip(QStringLiteral("=") + fieldText(radians) +
                          QStringLiteral(" (should lie somewhere between -6.2 and 6.2)"));
}

void MainForm::BackColor_pic_Click() {
    chooseSwatchColor(BackColor_pic);
}

void MainForm::ForeColor_pic_Click() {
    chooseSwatchColor(ForeColor_pic);
}

// A cancelled dialog keeps the colour; the drawing area is cleared and the
// preview drawn all the same.
void MainForm::chooseSwatchColor(ColorSwatch* swatch) {
    applySwatchColor(swatch, dialogs_.chooseColor(swatch->color()).value_or(swatch->color()));
    DrawFixPointsPreview();
}

// The swatches are the window's only store of the two colours; the drawing
// area keeps copies, and a new colour wipes the swatch's caption.
void MainForm::applySwatchColor(ColorSwatch* swatch, std::int32_t color) {
    swatch->setColor(color);
    if (swatch == BackColor_pic) {
        Output_pic->canvas().SetBackColor(color);
        PrintBackColorCaption();
    } else {
        Output_pic->canvas().SetForeColor(color);
        PrintForeColorCaption();
    }
}

void MainForm::PrintBackColorCaption() {
    BackColor_pic->printCaption(QStringLiteral("BackColor"));
}

void MainForm::PrintForeColorCaption() {
    ForeColor_pic->printCaption(QStringLiteral("ForeColor"));
}

} // namespace zv
