#include "MainForm.h"

// Entry points whose work arrives with the fix point list, the type workflow
// and the transfer; each moves to its own file when it is built.

namespace zv {

void MainForm::FractalType_cmb_DropDown() {}
std::uint8_t MainForm::SelectedDrawMode() const { return 0; }
void MainForm::EnableDrawModes(const std::array<int, 4>&) {}
void MainForm::SpecialParams_btn_Click() {}
void MainForm::ShowFixPoints() {}
void MainForm::HideFixPoints() {}
void MainForm::SetFixPointCount() {}

} // namespace zv
