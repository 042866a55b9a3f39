#pragma once

#include "core/compatibility.h"
#include "core/date.h"

#include <QList>
#include <QString>

// What "Люди" and the start page show of the remembered people: ages, birthdays to come and the filter.
namespace solvenna {

// A name folded for filtering as one types: letter case ignored and "ё" taken as "е".
QString filterKey(const QString& text);

// Whole years of age on a day; -1 without a date or before the birth.
int ageOn(Date birthDate, Date today);
// Days from today to the next birthday, 0 when it is today; -1 without a date. Someone born on
// 29 February has the birthday on 28 February in a common year.
int daysUntilBirthday(Date birthDate, Date today);

struct NamedDate {
    QString name;
    Date birthDate = 0; // 0: none
};

struct UpcomingBirthday {
    QString name;
    Date birthDate = 0;
    int days = 0;  // from today, 0 = today
    int turns = 0; // the age reached on that birthday
    int zodiac = -1;
};
inline constexpr int kUpcomingDays = 30;
// The people whose birthday falls within the coming days (today included), soonest first, then by name.
QList<UpcomingBirthday> upcomingBirthdays(const QList<NamedDate>& people, Date today,
                                          int withinDays = kUpcomingDays);
// "через 3 дня", "сегодня", "завтра": how far off a birthday is, in words.
QString daysText(int days);

// A date in words: "15 августа" and "15 августа 1975"; empty without a date.
QString dayMonthText(Date date);
QString dateInWords(Date date);

} // namespace solvenna
