#include "core/date.h"

#include <QTest>

using namespace solvenna;

class DateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void knownDays_data();
    void knownDays();
    void everyDayOfYears1To9999_roundTripsAndAgreesWithQDate();
    void leapYearRule_data();
    void leapYearRule();
    void fractionOfADay_isDropped();
};

void DateTest::knownDays_data() {
    QTest::addColumn<double>("day");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("dayOfMonth");
    QTest::newRow("day 0") << 0.0 << 1899 << 12 << 30;
    QTest::newRow("1 Jan 1900") << 2.0 << 1900 << 1 << 1;
    QTest::newRow("1 Mar 1900, 1900 not leap") << 61.0 << 1900 << 3 << 1;
    QTest::newRow("day before day 0") << -1.0 << 1899 << 12 << 29;
    QTest::newRow("1850") << -18260.0 << 1850 << 1 << 1;
    QTest::newRow("15 Aug 1975") << 27621.0 << 1975 << 8 << 15;
    QTest::newRow("29 Feb 2000") << 36585.0 << 2000 << 2 << 29;
    QTest::newRow("first day of year 1") << -693593.0 << 1 << 1 << 1;
    QTest::newRow("last day of year 9999") << 2958465.0 << 9999 << 12 << 31;
}

void DateTest::knownDays() {
    QFETCH(double, day);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, dayOfMonth);
    const YearMonthDay ymd = decodeDate(day);
    QCOMPARE(ymd.year, year);
    QCOMPARE(ymd.month, month);
    QCOMPARE(ymd.day, dayOfMonth);
    QCOMPARE(encodeDate(year, month, dayOfMonth), day);
}

void DateTest::everyDayOfYears1To9999_roundTripsAndAgreesWithQDate() {
    // QDate is proleptic Gregorian too and serves as an independent reference.
    const qint64 offset = QDate(1899, 12, 30).toJulianDay();
    const Date first = encodeDate(1, 1, 1);
    const Date last = encodeDate(9999, 12, 31);
    YearMonthDay previous = decodeDate(first - 1);
    for (Date d = first; d <= last; d += 1) {
        const YearMonthDay ymd = decodeDate(d);
        const QDate reference = QDate::fromJulianDay(offset + qint64(d));
        if (ymd.year != reference.year() || ymd.month != reference.month() || ymd.day != reference.day() ||
            encodeDate(ymd.year, ymd.month, ymd.day) != d)
            QFAIL(qPrintable(QStringLiteral("day %1 is %2-%3-%4, expected %5")
                                 .arg(d)
                                 .arg(ymd.year)
                                 .arg(ymd.month)
                                 .arg(ymd.day)
                                 .arg(reference.toString(Qt::ISODate))));
        // Consecutive day numbers are consecutive calendar days.
        const bool nextDay = ymd.day == previous.day + 1 && ymd.month == previous.month;
        const bool nextMonth = ymd.day == 1 && previous.day == daysInMonth(previous.year, previous.month);
        if (!nextDay && !nextMonth) QFAIL(qPrintable(QStringLiteral("gap before day %1").arg(d)));
        previous = ymd;
    }
}

void DateTest::leapYearRule_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("leap");
    QTest::newRow("1900, divisible by 100") << 1900 << false;
    QTest::newRow("2000, divisible by 400") << 2000 << true;
    QTest::newRow("1976") << 1976 << true;
    QTest::newRow("1975") << 1975 << false;
    QTest::newRow("2100") << 2100 << false;
    QTest::newRow("1600") << 1600 << true;
}

void DateTest::leapYearRule() {
    QFETCH(int, year);
    QFETCH(bool, leap);
    QCOMPARE(isLeapYear(year), leap);
    QCOMPARE(daysInMonth(year, 2), leap ? 29 : 28);
    QCOMPARE(isValidDate(year, 2, 29), leap);
}

void DateTest::fractionOfADay_isDropped() {
    QCOMPARE(decodeDate(27621.75).day, 15);
    QCOMPARE(decodeDate(-0.25).day, 29); // a quarter day before day 0 lies on 29 December 1899
}

QTEST_GUILESS_MAIN(DateTest)
#include "tst_date.moc"
