#pragma once

#include <QString>

class QTranslator;

namespace solvenna::ui {

// The program's reverse-DNS id: the name of its launcher, metainfo and icon files.
QString applicationId();

// Tells the desktop which launcher the windows belong to (task bar icon and name, Wayland app id).
void announceDesktopEntry();

// Loads Qt's own texts (context menus, standard buttons, the calendar, file and print dialogs) in the
// language of the locale, or in Russian, the language of the whole interface, when Qt has none for it.
// Returns the translator installed in the application, or nullptr when no translation could be read.
QTranslator* installQtTranslations();

// The user's configuration folder for this program (XDG_CONFIG_HOME honoured), ending in one delimiter.
QString userConfigFolder();

} // namespace solvenna::ui
