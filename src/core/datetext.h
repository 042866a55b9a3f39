#pragma once

#include "core/date.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <array>
#include <optional>

// Dates as text in the short date format of the user's locale, always with a four-digit year: several
// locales' short formats carry two ("M/d/yy"), which would store 2005 as "05" and read it back as 1905.
namespace solvenna {

QString shortDateFormat(const QLocale& locale = QLocale());
QString dateToText(Date date, const QLocale& locale = QLocale());

// Reads a date the way people write it in the locale's order of day, month and year (see readTypedDate),
// so that "1.2.1980" and "01.02.80" are read as well as the "01.02.1980" the program writes itself.
std::optional<Date> textToDate(const QString& text, const QLocale& locale = QLocale());
std::optional<Date> textToDate(const QString& text, const QLocale& locale, int currentYear);
inline Date textToDate(const QString& text, Date fallback, const QLocale& locale = QLocale()) {
    return textToDate(text, locale).value_or(fallback);
}

enum class DatePart { Day, Month, Year };
using DatePartOrder = std::array<DatePart, 3>;

// The order in which the locale's short date format puts day, month and year.
DatePartOrder datePartOrder(const QLocale& locale = QLocale());
// The common stored form alone, quickly: one- or two-digit day and month and a four-digit year in the
// order given, separated by ".", "/" or "-" ("15.08.1975"). Nothing for any other text, which
// textToDate then reads; a date it gives is the one textToDate gives.
std::optional<Date> numericDate(QStringView text, DatePartOrder order);

// A two-digit year as the latest year with those last digits that is not after the current one.
int expandTwoDigitYear(int twoDigits, int currentYear);

struct TypedDate {
    enum class State {
        Empty,      // nothing but blanks
        Incomplete, // a beginning that more typing could make a date of
        Invalid,    // no date, whatever follows
        Valid,
    };
    State state = State::Empty;
    QDate date; // set when valid
};

// Reads a date typed by hand. Day, month and year come in the given order, as digits; the month may also
// be the first letters of its Russian name (or of its name in `names`). Parts are separated by any run of
// ".", "/", "-", "," or blanks, or follow each other without one: a part is complete after two digits of
// a day or month, after one digit that cannot start a longer day or month, and after four digits of a
// year. A separator that follows a part completed that way ends nothing more, so no part is ever skipped.
// Leading zeros are optional; a two-digit year is expanded with expandTwoDigitYear. A Russian "г." may
// follow the year.
TypedDate readTypedDate(const QString& text, DatePartOrder order, int currentYear,
                        const QLocale& names = QLocale());

} // namespace solvenna
