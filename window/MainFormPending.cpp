#include "MainForm.h"

// Entry points whose work is still to come; each moves to its own file when
// it is built. None is pending now.

namespace zv {} // namespace zv
