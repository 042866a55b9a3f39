#include "core/date.h"
#include "core/people.h"
#include "core/signs.h"

#include <QTest>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

class PeopleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void birthday_data();
    void birthday();
    void upcoming_soonestFirstThenByName();
    void filterKey_data();
    void filterKey();
    void daysText_data();
    void daysText();
};

// Age, days to the birthday and whether it is among the upcoming ones, for one person on one day.
void PeopleTest::birthday_data() {
    QTest::addColumn<Date>("birth");
    QTest::addColumn<Date>("today");
    QTest::addColumn<int>("age");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("turns"); // 0: not upcoming
    const Date aug15 = encodeDate(2025, 8, 15);
    QTest::newRow("birthday today") << encodeDate(1975, 8, 15) << aug15 << 50 << 0 << 50;
    QTest::newRow("tomorrow") << encodeDate(1975, 8, 16) << aug15 << 49 << 1 << 50;
    QTest::newRow("yesterday: a year off") << encodeDate(1975, 8, 14) << aug15 << 50 << 364 << 0;
    QTest::newRow("29 Feb, common year, the day before")
        << encodeDate(2000, 2, 29) << encodeDate(2025, 2, 27) << 24 << 1 << 25;
    QTest::newRow("29 Feb, common year, on 28 Feb")
        << encodeDate(2000, 2, 29) << encodeDate(2025, 2, 28) << 25 << 0 << 25;
    QTest::newRow("29 Feb, leap year, on 28 Feb")
        << encodeDate(2000, 2, 29) << encodeDate(2024, 2, 28) << 23 << 1 << 24;
    QTest::newRow("across 31 Dec to January")
        << encodeDate(1990, 1, 3) << encodeDate(2024, 12, 30) << 34 << 4 << 35;
    QTest::newRow("30 days ahead: in") << encodeDate(1990, 9, 14) << aug15 << 34 << 30 << 35;
    QTest::newRow("31 days ahead: out") << encodeDate(1990, 9, 15) << aug15 << 34 << 31 << 0;
    QTest::newRow("born today: no birthday yet") << aug15 << aug15 << 0 << 0 << 0;
    QTest::newRow("no date") << Date(0) << aug15 << -1 << -1 << 0;
}

void PeopleTest::birthday() {
    QFETCH(Date, birth);
    QFETCH(Date, today);
    QFETCH(int, age);
    QFETCH(int, days);
    QFETCH(int, turns);
    QCOMPARE(ageOn(birth, today), age);
    QCOMPARE(daysUntilBirthday(birth, today), days);
    const QList<UpcomingBirthday> upcoming = upcomingBirthdays({{u"Анна"_s, birth}}, today);
    QCOMPARE(upcoming.size(), turns > 0 ? 1 : 0);
    if (turns > 0) {
        QCOMPARE(upcoming[0].days, days);
        QCOMPARE(upcoming[0].turns, turns);
        QCOMPARE(upcoming[0].zodiac, GetSign(birth));
    }
}

void PeopleTest::upcoming_soonestFirstThenByName() {
    const Date today = encodeDate(2025, 12, 30);
    const QList<UpcomingBirthday> upcoming = upcomingBirthdays({{u"Пётр"_s, encodeDate(1980, 1, 2)},
                                                                {u"нет даты"_s, 0},
                                                                {u"анна"_s, encodeDate(1981, 1, 2)},
                                                                {u"Вера"_s, encodeDate(1982, 12, 30)},
                                                                {u"Борис"_s, encodeDate(1983, 1, 2)}},
                                                               today);
    QStringList names;
    for (const UpcomingBirthday& b : upcoming)
        names << b.name;
    QCOMPARE(names, (QStringList{u"Вера"_s, u"анна"_s, u"Борис"_s, u"Пётр"_s}));
}

void PeopleTest::filterKey_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("Ёлка, елка") << u"Ёлка"_s << u"елка"_s << true;
    QTest::newRow("ёлка, ЕЛКА") << u"ёлка"_s << u"ЕЛКА"_s << true;
    QTest::newRow("ё as е with a diaeresis") << u"Семе\u0308н"_s << u"семен"_s << true;
    QTest::newRow("letter case") << u"АННА Ivanova"_s << u"анна ivanova"_s << true;
    QTest::newRow("different letters") << u"Анна"_s << u"Анне"_s << false;
}

void PeopleTest::filterKey() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(solvenna::filterKey(a) == solvenna::filterKey(b), same);
}

void PeopleTest::daysText_data() {
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << u"сегодня"_s;
    QTest::newRow("1") << 1 << u"завтра"_s;
    QTest::newRow("2") << 2 << u"через 2 дня"_s;
    QTest::newRow("5") << 5 << u"через 5 дней"_s;
    QTest::newRow("11") << 11 << u"через 11 дней"_s;
    QTest::newRow("21") << 21 << u"через 21 день"_s;
    QTest::newRow("24") << 24 << u"через 24 дня"_s;
    QTest::newRow("112") << 112 << u"через 112 дней"_s;
}

void PeopleTest::daysText() {
    QFETCH(int, days);
    QFETCH(QString, text);
    QCOMPARE(solvenna::daysText(days), text);
}

QTEST_GUILESS_MAIN(PeopleTest)
#include "tst_people.moc"
