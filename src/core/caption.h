#pragma once

#include "core/date.h"

#include <QString>

// The program's name and version as its windows show them, and the current person's place in them.
namespace solvenna {

// The version the build was made as ("1.3").
QString programVersion();
// "Solvenna, версия 1.3": the main window's caption before a person is given, and the about box's title.
QString programCaption();
// The main window's caption for a person: the program caption, two blanks, then the name ("Без имени"
// when empty), the birth date as text and the zodiac sign in brackets.
QString personCaption(const QString& name, const QString& dateText, const QString& sign);

// 1 January 1900: the birth date before one is given. A birth date counts as set only after it.
inline constexpr Date kNoBirthDate = 2.0;
inline constexpr bool birthDateIsSet(Date date) {
    return date > kNoBirthDate;
}

} // namespace solvenna
