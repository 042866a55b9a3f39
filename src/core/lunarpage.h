#pragma once

#include "core/catalogue.h"
#include "core/compatibility.h"
#include "core/date.h"
#include "core/lunarcalendar.h"
#include "core/places.h"

#include <QDate>
#include <QString>
#include <QUrl>

#include <optional>

// The pages of the lunar calendar ("Сегодня" and the month's calendar), made with the page builder,
// and the notes the zodiac and Chinese pages of a person born on a boundary carry.
namespace solvenna::lunarpage {

// The program's links of these pages: "solvenna:lunar-day?date=2026-12-09" and
// "solvenna:lunar-month?month=2026-12".
QUrl dayLink(const QDate& date);
QUrl monthLink(int year, int month);
// The date a day link names, or for a month link its first day; nullopt for anything else.
std::optional<QDate> dayOfLink(const QUrl& link);
std::optional<QDate> monthOfLink(const QUrl& link);

// "Лунный календарь считается для дат с 1 января 1900 года по 31 декабря 2100 года."
QString outOfRangeMessage();

// The drawn Moon of an elongation: "Lunar/phase-NN.png" in the data folder, NN 00..35 in steps of 10°.
QString phasePicture(double elongation);

// The person's number of the day, 1..9: the digits of the birth date and of the day added up and
// reduced to one digit (the rule the page states).
int numberOfTheDay(Date birthDate, const QDate& day);

struct Page {
    QString html;        // empty when a text is missing
    QString missingFile; // the data folder's file that could not be read, for the error page
};

// The day's page: the date, the place, the drawn phase with its name and illuminated fraction, the
// lunar days of the date with their times, the Moon's sign and its next entry, their texts from
// Data/Lunar/, and with a person the relation of the Moon's sign to the person's sign and the number
// of the day. Times are in the place's zone.
Page dayPage(const lunar::Day& day, const Place& place, const Folders& folders,
             const std::optional<CompatibilityPerson>& person);
// The month's grid: each day with its drawn phase, lunar day and the Moon's sign, linked to its page;
// the principal phases marked with their times.
Page monthPage(const lunar::Month& month, const Place& place, const Folders& folders);

// The note under the heading of every zodiac page of a person born on a day when the Sun changed sign
// that year in some time zone, or within one day of the table's boundary: the moment the Sun entered
// the sign (Moscow time and UTC) and its sign at the start and end of that day in Moscow. Empty for any
// other date. HTML of one block, for the page view to put under the page's heading.
QString zodiacBoundaryNote(Date birthDate);
// The note of the Chinese page of a person born before the lunar new year of the birth year (1910 on):
// the day that year's animal began, and the previous animal's page, linked relative to the Chinese
// folder ("cat.htm"). Empty for any other date.
QString chineseNewYearNote(Date birthDate);

} // namespace solvenna::lunarpage
