#include "MainForm.h"

// Entry points whose work arrives with the transfer; each moves to its own
// file when it is built.

namespace zv {

void MainForm::TransferControlsToModel() {}

} // namespace zv
