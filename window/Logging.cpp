#include "Logging.h"

namespace zv {

// Only warnings and above by default: the debug lines cost nothing until asked for.
Q_LOGGING_CATEGORY(runLog, "zorvandine.run", QtInfoMsg)
Q_LOGGING_CATEGORY(windowLog, "zorvandine.window", QtInfoMsg)

} // namespace zv
