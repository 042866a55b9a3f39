#pragma once

#include <QIcon>
#include <QString>

namespace solvenna::ui {

// One of the program's pictures by its name ("0" to "10" for the commands, "solvenna", "mail",
// "more-h", "more-v"). Each is compiled in at every size screens ask for, so none is drawn blurred.
QIcon programIcon(const QString& name);

// The program's icon for window frames. The X11 window system is handed every size an icon has, so
// this one carries only the sizes frames, task bars and window switchers use.
QIcon windowIcon();

} // namespace solvenna::ui
