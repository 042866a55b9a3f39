// Must not build: code that links only the core cannot see Qt's widgets.
#include <QWidget>
