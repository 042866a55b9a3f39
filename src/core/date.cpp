#include "core/date.h"

#include <cmath>

namespace solvenna {

namespace {
// Days from 1 January 1970 to 30 December 1899 is -25569; the civil-calendar conversions below count
// from 1970 (Howard Hinnant's well-known era arithmetic, exact for the whole proleptic Gregorian range).
constexpr long long kEpochOffset = 25569;

long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

YearMonthDay civilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}
} // namespace

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && day >= 1 && day <= daysInMonth(year, month);
}

Date encodeDate(int year, int month, int day) {
    return static_cast<Date>(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                             kEpochOffset);
}

YearMonthDay decodeDate(Date date) {
    return civilFromDays(static_cast<long long>(std::floor(date)) - kEpochOffset);
}

QDate toQDate(Date date) {
    const YearMonthDay ymd = decodeDate(date);
    return QDate(ymd.year, ymd.month, ymd.day);
}

Date fromQDate(const QDate& date) {
    return encodeDate(date.year(), date.month(), date.day());
}

} // namespace solvenna
