#pragma once

#include "core/date.h"
#include "core/people.h"

#include <QList>

#include <QString>

// The page the view shows while no other page has been shown: a welcome with the way to begin, or, once
// a person is known, their name and their sign in each of the six systems as links to the signs' pages.
namespace solvenna {

// The page is written as a page of this folder of the data folder: its style sheet and links lead one
// level up, so the viewer takes <data folder>/kStartPageFolder/ as the page's base.
inline constexpr char16_t kStartPageFolder[] = u"Guide";

// Both pages list the upcoming birthdays given, when there are any.

// No person yet: what the program does and how to begin.
QString welcomePage(const QList<UpcomingBirthday>& upcoming = {});

// The person's name (shown as "Без имени" when empty), their birth date as the program shows dates, and
// a link to the page of each sign; a system with no sign for the date says why instead.
QString personStartPage(const QString& name, const QString& dateText, Date birthDate,
                        const QList<UpcomingBirthday>& upcoming = {});

} // namespace solvenna
