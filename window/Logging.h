#pragma once
// Diagnostics of the window, off unless switched on from outside, e.g.
// QT_LOGGING_RULES="zorvandine.*=true"; they go to standard error.
//   zorvandine.run     a drawing run starts, ends and is paused, resumed or cancelled
//   zorvandine.window  start-up, type refreshes, markers dropped, files, close

#include <QLoggingCategory>

namespace zv {

Q_DECLARE_LOGGING_CATEGORY(runLog)
Q_DECLARE_LOGGING_CATEGORY(windowLog)

} // namespace zv
