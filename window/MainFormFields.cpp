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
    const std::int32_t color =
        dialogs_.chooseColor(BackColor_pic->color()).value_or(BackColor_pic->color());
    BackColor_pic->setColor(color);
    Output_pic->canvas().SetBackColor(color);
    PrintBackColorCaption();
    DrawFixPointsPreview();
}

void MainForm::ForeColor_pic_Click() {
    const std::int32_t color =
        dialogs_.chooseColor(ForeColor_pic->color()).value_or(ForeColor_pic->color());
    ForeColor_pic->setColor(color);
    Output_pic->canvas().SetForeColor(color);
    PrintForeColorCaption();
    DrawFixPointsPreview();
}

void MainForm::PrintBackColorCaption() {
    BackColor_pic->printCaption(QStringLiteral("BackColor"));
}

void MainForm::PrintForeColorCaption() {
    ForeColor_pic->printCaption(QStringLiteral("ForeColor"));
}

} // namespace zv
