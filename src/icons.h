#pragma once

#include <QIcon>
#include <QString>

namespace solvenna::ui {

// One of the program's pictures by its name ("0" to "10" for the commands, "solvenna", "mail",
// "more-h", "more-v"). Each is compiled in at every size screens ask for, so none is drawn blurred.
QIcon programIcon(const QString& name);

} // namespace solvenna::ui
