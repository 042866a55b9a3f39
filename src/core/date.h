#pragma once

#include <QDate>

namespace solvenna {

// A calendar date as the program keeps it: days since 30 December 1899 (day 0), proleptic Gregorian.
// The program's dates are whole days; a fraction (a time of day) is dropped when the date is split.
using Date = double;

struct YearMonthDay {
    int year = 0;
    int month = 0;
    int day = 0;
};

constexpr bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}
int daysInMonth(int year, int month);

// Day number of a calendar day; the caller passes a valid day (see isValidDate).
Date encodeDate(int year, int month, int day);
bool isValidDate(int year, int month, int day);
YearMonthDay decodeDate(Date date);

QDate toQDate(Date date);
Date fromQDate(const QDate& date);

} // namespace solvenna
