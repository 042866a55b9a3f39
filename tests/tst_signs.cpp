#include "core/date.h"
#include "core/messages.h"
#include "core/signs.h"

#include "testsupport.h"
#include <QSet>

#include <QTest>

#include <functional>

using namespace solvenna;
using testsupport::MessageRecorder;
using namespace Qt::Literals::StringLiterals;

namespace {
Date day(int y, int m, int d) {
    return encodeDate(y, m, d);
}

// The ranges of a date calculator as (sign, range) pairs.
struct SignRange {
    int sign;
    DayRange range;
};

QList<SignRange> zodiacRanges() {
    QList<SignRange> all;
    for (int i = 1; i <= kZodiacSigns; ++i)
        all.append({i, zodiacRange(i)});
    return all;
}
QList<SignRange> treeRanges() {
    QList<SignRange> all;
    for (int i = 1; i <= kDruidTrees; ++i) {
        const TreePeriods p = treePeriods(i);
        for (int k = 0; k < p.count; ++k)
            all.append({i, p.periods[k]});
    }
    return all;
}
QList<SignRange> creatureRanges() {
    QList<SignRange> all;
    for (int i = 1; i <= kMythCreatures; ++i)
        all.append({i, creatureRange(i)});
    return all;
}
} // namespace

class SignsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void zodiac_data();
    void zodiac();
    void tree_data();
    void tree();
    void creature_data();
    void creature();
    void chineseAnimal_data();
    void chineseAnimal();
    void zoroastrianTotem_data();
    void zoroastrianTotem();
    void birthNumber_data();
    void birthNumber();
    void digitSum_data();
    void digitSum();
    void inDateRange_data();
    void inDateRange();
    void everyDay_hasOneSignChangingOnlyAtBoundaries_data();
    void everyDay_hasOneSignChangingOnlyAtBoundaries();
    void yearCalculators_refuseEarlyYearsOnEveryCall();
    void tableTexts_data();
    void tableTexts();
    void noCalculatorReturnsZero();
};

void SignsTest::zodiac_data() {
    QTest::addColumn<Date>("date");
    QTest::addColumn<int>("sign");
    const struct {
        int m, d, sign;
    } rows[] = {{4, 20, 1},  {4, 21, 2},  {7, 22, 4},   {7, 23, 5},  {9, 23, 6},  {9, 24, 7},  {11, 21, 8},
                {11, 22, 9}, {12, 21, 9}, {12, 22, 10}, {1, 19, 10}, {1, 20, 11}, {2, 18, 11}, {2, 19, 12},
                {3, 20, 12}, {3, 21, 1},  {12, 31, 10}, {1, 1, 10},  {5, 20, 2},  {5, 21, 3},  {6, 20, 3},
                {6, 21, 4},  {8, 22, 5},  {8, 23, 6},   {10, 23, 7}, {10, 24, 8}};
    for (const auto& r : rows)
        QTest::addRow("%02d.%02d.1981", r.d, r.m) << day(1981, r.m, r.d) << r.sign;
    QTest::newRow("29.02.2024 leap") << day(2024, 2, 29) << 12;
    QTest::newRow("01.01.1900 before any date") << day(1900, 1, 1) << 10;
    QTest::newRow("05.01.1980 wraps to Capricorn") << day(1980, 1, 5) << 10;
    QTest::newRow("25.12.1980") << day(1980, 12, 25) << 10;
    QTest::newRow("15.08.1975") << day(1975, 8, 15) << 5;
    QTest::newRow("day 0") << 0.0 << 10;
}

void SignsTest::zodiac() {
    QFETCH(Date, date);
    QFETCH(int, sign);
    QCOMPARE(GetSign(date), sign);
}

void SignsTest::tree_data() {
    QTest::addColumn<Date>("date");
    QTest::addColumn<int>("tree");
    QTest::newRow("01.01 Apple") << day(1983, 1, 1) << 1;
    QTest::newRow("02.01 Fir") << day(1983, 1, 2) << 2;
    QTest::newRow("31.12 Apple") << day(1983, 12, 31) << 1;
    QTest::newRow("20.03 Lime") << day(1983, 3, 20) << 9;
    QTest::newRow("21.03 Oak") << day(1983, 3, 21) << 19;
    QTest::newRow("22.03 Hazel") << day(1983, 3, 22) << 10;
    QTest::newRow("23.06 Fig") << day(1983, 6, 23) << 18;
    QTest::newRow("24.06 Birch") << day(1983, 6, 24) << 20;
    QTest::newRow("25.06 Apple") << day(1983, 6, 25) << 1;
    QTest::newRow("22.09 Lime") << day(1983, 9, 22) << 9;
    QTest::newRow("23.09 Olive") << day(1983, 9, 23) << 21;
    QTest::newRow("24.09 Hazel") << day(1983, 9, 24) << 10;
    QTest::newRow("20.12 Fig") << day(1983, 12, 20) << 18;
    QTest::newRow("21.12 Beech") << day(1983, 12, 21) << 22;
    QTest::newRow("22.12 Beech") << day(1983, 12, 22) << 22;
    QTest::newRow("23.12 Apple") << day(1983, 12, 23) << 1;
    QTest::newRow("28.02 ordinary year Pine") << day(1983, 2, 28) << 7;
    QTest::newRow("29.02 leap year Pine") << day(1984, 2, 29) << 7;
    QTest::newRow("01.03 Willow") << day(1984, 3, 1) << 8;
    QTest::newRow("03.02 Cypress") << day(1983, 2, 3) << 4;
    QTest::newRow("04.02 Poplar") << day(1983, 2, 4) << 5;
    QTest::newRow("09.02 Kartas") << day(1983, 2, 9) << 6;
    QTest::newRow("15.08.1975 Kartas") << day(1975, 8, 15) << 6;
    QTest::newRow("01.01.1900 Apple") << day(1900, 1, 1) << 1;
}

void SignsTest::tree() {
    QFETCH(Date, date);
    QFETCH(int, tree);
    QCOMPARE(GetTree(date), tree);
}

void SignsTest::creature_data() {
    QTest::addColumn<Date>("date");
    QTest::addColumn<int>("creature");
    QTest::newRow("07.01 Minotaur") << day(1990, 1, 7) << 10;
    QTest::newRow("08.01 Centaur") << day(1990, 1, 8) << 1;
    QTest::newRow("31.12 Minotaur") << day(1990, 12, 31) << 10;
    QTest::newRow("12.02") << day(1990, 2, 12) << 1;
    QTest::newRow("13.02") << day(1990, 2, 13) << 2;
    QTest::newRow("18.03") << day(1990, 3, 18) << 2;
    QTest::newRow("19.03") << day(1990, 3, 19) << 3;
    QTest::newRow("30.05") << day(1990, 5, 30) << 4;
    QTest::newRow("31.05") << day(1990, 5, 31) << 5;
    QTest::newRow("03.07") << day(1990, 7, 3) << 5;
    QTest::newRow("04.07") << day(1990, 7, 4) << 6;
    QTest::newRow("30.11") << day(1990, 11, 30) << 9;
    QTest::newRow("01.12") << day(1990, 12, 1) << 10;
    QTest::newRow("29.02 leap Harpy") << day(1992, 2, 29) << 2;
    QTest::newRow("15.08.1975 Griffin") << day(1975, 8, 15) << 7;
}

void SignsTest::creature() {
    QFETCH(Date, date);
    QFETCH(int, creature);
    QCOMPARE(GetCreature(date), creature);
}

void SignsTest::chineseAnimal_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("animal");
    QTest::addColumn<bool>("refused");
    QTest::newRow("1909 too early") << 1909 << -1 << true;
    QTest::newRow("1900 too early") << 1900 << -1 << true;
    QTest::newRow("0 too early") << 0 << -1 << true;
    QTest::newRow("1910 Dog") << 1910 << 1 << false;
    QTest::newRow("1921 Rooster") << 1921 << 12 << false;
    QTest::newRow("1922 Dog") << 1922 << 1 << false;
    QTest::newRow("1933 Rooster") << 1933 << 12 << false;
    QTest::newRow("1975 Cat") << 1975 << 6 << false;
    QTest::newRow("1976 Dragon") << 1976 << 7 << false;
    QTest::newRow("2000 Dragon") << 2000 << 7 << false;
    QTest::newRow("65535") << 65535 << (65535 - 1910) % 12 + 1 << false;
}

void SignsTest::chineseAnimal() {
    QFETCH(int, year);
    QFETCH(int, animal);
    QFETCH(bool, refused);
    MessageRecorder recorder;
    QCOMPARE(GetAnimal_China(std::uint16_t(year)), animal);
    QCOMPARE(recorder.messages,
             refused ? QStringList{u"Год рождения не должен быть меньше, чем 1910."_s} : QStringList{});
}

void SignsTest::zoroastrianTotem_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("totem");
    QTest::addColumn<bool>("refused");
    QTest::newRow("1899 too early") << 1899 << -1 << true;
    QTest::newRow("1850 too early") << 1850 << -1 << true;
    QTest::newRow("1900 Eagle") << 1900 << 27 << false;
    QTest::newRow("1905 Falcon") << 1905 << 32 << false;
    QTest::newRow("1906 Deer") << 1906 << 1 << false;
    QTest::newRow("1918 Rooster") << 1918 << 13 << false;
    QTest::newRow("1919 Bull") << 1919 << 14 << false;
    QTest::newRow("1931 Polar bear") << 1931 << 26 << false;
    QTest::newRow("1932 Eagle") << 1932 << 27 << false;
    QTest::newRow("1938 Deer") << 1938 << 1 << false;
    QTest::newRow("1975 Spider") << 1975 << 6 << false;
    QTest::newRow("2000 Owl") << 2000 << 31 << false;
}

void SignsTest::zoroastrianTotem() {
    QFETCH(int, year);
    QFETCH(int, totem);
    QFETCH(bool, refused);
    MessageRecorder recorder;
    QCOMPARE(GetBeast(std::uint16_t(year)), totem);
    QCOMPARE(recorder.messages,
             refused ? QStringList{u"Год рождения не должен быть меньше, чем 1900."_s} : QStringList{});
}

void SignsTest::birthNumber_data() {
    QTest::addColumn<Date>("date");
    QTest::addColumn<int>("number");
    QTest::newRow("15.08.1975 -> 36 -> 9") << day(1975, 8, 15) << 9;
    QTest::newRow("01.01.1900 -> 12 -> 3") << day(1900, 1, 1) << 3;
    QTest::newRow("29.09.1999 -> 48 -> 12 -> 3") << day(1999, 9, 29) << 3;
    QTest::newRow("01.01.2000 -> 4") << day(2000, 1, 1) << 4;
    QTest::newRow("10.10.2010 zeros add nothing") << day(2010, 10, 10) << 5;
    QTest::newRow("30.12.1899 day 0 -> 33 -> 6") << 0.0 << 6;
    QTest::newRow("31.12.9999 -> 43 -> 7") << day(9999, 12, 31) << 7;
}

void SignsTest::birthNumber() {
    QFETCH(Date, date);
    QFETCH(int, number);
    QCOMPARE(GetNumber(date), number);
}

void SignsTest::digitSum_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("sum");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("7") << 7 << 7;
    QTest::newRow("1975") << 1975 << 22;
    QTest::newRow("1000") << 1000 << 1;
    QTest::newRow("int max") << 2147483647 << 46;
}

void SignsTest::digitSum() {
    QFETCH(int, n);
    QFETCH(int, sum);
    QCOMPARE(DigitSum(n), sum);
}

void SignsTest::inDateRange_data() {
    QTest::addColumn<DayRange>("range");
    QTest::addColumn<Date>("date");
    QTest::addColumn<bool>("inside");
    const DayRange toLeapDay{19, 2, 29, 2};
    QTest::newRow("to 29.02: 28.02 of an ordinary year inside") << toLeapDay << day(2023, 2, 28) << true;
    QTest::newRow("to 29.02: 01.03 of an ordinary year outside") << toLeapDay << day(2023, 3, 1) << false;
    QTest::newRow("to 29.02: 29.02 of a leap year inside") << toLeapDay << day(2024, 2, 29) << true;
    QTest::newRow("to 29.02: 1900 is not leap") << toLeapDay << day(1900, 2, 28) << true;
    const DayRange fromLeapDay{29, 2, 5, 3};
    QTest::newRow("from 29.02: 28.02 of an ordinary year inside") << fromLeapDay << day(2023, 2, 28) << true;
    QTest::newRow("from 29.02: 28.02 of a leap year outside") << fromLeapDay << day(2024, 2, 28) << false;
    const DayRange oneDay{21, 3, 21, 3};
    QTest::newRow("single day: the day") << oneDay << day(2001, 3, 21) << true;
    QTest::newRow("single day: day before") << oneDay << day(2001, 3, 20) << false;
    QTest::newRow("single day: day after") << oneDay << day(2001, 3, 22) << false;
    const DayRange wrap{22, 12, 19, 1};
    QTest::newRow("wrap: first day") << wrap << day(2001, 12, 22) << true;
    QTest::newRow("wrap: last day") << wrap << day(2001, 1, 19) << true;
    QTest::newRow("wrap: day after last") << wrap << day(2001, 1, 20) << false;
    QTest::newRow("wrap: day before first") << wrap << day(2001, 12, 21) << false;
    const DayRange within{11, 3, 20, 3};
    QTest::newRow("within a month: first") << within << day(1850, 3, 11) << true;
    QTest::newRow("within a month: before first") << within << day(1850, 3, 10) << false;
    QTest::newRow("within a month: after last") << within << day(1850, 3, 21) << false;
}

void SignsTest::inDateRange() {
    QFETCH(DayRange, range);
    QFETCH(Date, date);
    QFETCH(bool, inside);
    QCOMPARE(InDateRange(range.firstDay, range.firstMonth, range.lastDay, range.lastMonth, date), inside);
}

using Calculator = std::function<int(Date)>;
using RangeTable = std::function<QList<SignRange>()>;
Q_DECLARE_METATYPE(Calculator)
Q_DECLARE_METATYPE(RangeTable)

void SignsTest::everyDay_hasOneSignChangingOnlyAtBoundaries_data() {
    QTest::addColumn<Calculator>("calculator");
    QTest::addColumn<RangeTable>("table");
    QTest::addColumn<int>("year");
    for (const int year : {2023, 2024}) {
        const QByteArray y = QByteArray::number(year);
        QTest::newRow("zodiac " + y) << Calculator(GetSign) << RangeTable(zodiacRanges) << year;
        QTest::newRow("druid " + y) << Calculator(GetTree) << RangeTable(treeRanges) << year;
        QTest::newRow("myth " + y) << Calculator(GetCreature) << RangeTable(creatureRanges) << year;
    }
}

void SignsTest::everyDay_hasOneSignChangingOnlyAtBoundaries() {
    QFETCH(Calculator, calculator);
    QFETCH(RangeTable, table);
    QFETCH(int, year);
    const QList<SignRange> ranges = table();

    QSet<int> firstDays; // first days of periods as month * 100 + day
    for (const SignRange& r : ranges)
        firstDays.insert(r.range.firstMonth * 100 + r.range.firstDay);

    int previous = calculator(encodeDate(year - 1, 12, 31));
    for (Date d = encodeDate(year, 1, 1); d <= encodeDate(year, 12, 31); d += 1) {
        const YearMonthDay ymd = decodeDate(d);
        const QString where = QStringLiteral("%1.%2.%3").arg(ymd.day).arg(ymd.month).arg(ymd.year);
        int holders = 0;
        for (const SignRange& r : ranges)
            holders +=
                InDateRange(r.range.firstDay, r.range.firstMonth, r.range.lastDay, r.range.lastMonth, d);
        QVERIFY2(holders == 1,
                 qPrintable(where + u" is held by "_s + QString::number(holders) + u" periods"_s));

        const int sign = calculator(d);
        QVERIFY2(sign >= 1, qPrintable(where));
        const bool changed = sign != previous;
        const bool boundary = firstDays.contains(ymd.month * 100 + ymd.day);
        QVERIFY2(changed == boundary,
                 qPrintable(where + (changed ? u" changes sign"_s : u" keeps the sign"_s)));
        previous = sign;
    }
}

void SignsTest::yearCalculators_refuseEarlyYearsOnEveryCall() {
    MessageRecorder recorder;
    GetAnimal_China(1905);
    GetAnimal_China(1905);
    GetBeast(1899);
    QCOMPARE(recorder.messages.size(), 3);
}

void SignsTest::tableTexts_data() {
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zodiac 1") << zodiacTitle(1) << u"Овен (21.03 - 20.04)"_s;
    QTest::newRow("zodiac 5") << zodiacTitle(5) << u"Лев (23.07 - 22.08)"_s;
    QTest::newRow("zodiac 10") << zodiacTitle(10) << u"Козерог (22.12 - 19.01)"_s;
    QTest::newRow("zodiac 12") << zodiacTitle(12) << u"Рыбы (19.02 - 20.03)"_s;
    QTest::newRow("zodiac -1") << zodiacTitle(-1) << QString();
    QTest::newRow("zodiac 13") << zodiacTitle(13) << QString();
    QTest::newRow("chinese 4") << chineseGenitive(4) << u"Быка"_s;
    QTest::newRow("chinese 12") << chineseGenitive(12) << u"Петуха"_s;
    QTest::newRow("chinese 0") << chineseGenitive(0) << QString();
    QTest::newRow("tree 6") << treeName(6) << u"Картас"_s;
    QTest::newRow("tree 22") << treeName(22) << u"Бук"_s;
    QTest::newRow("tree 23") << treeName(23) << QString();
    QTest::newRow("totem 7") << totemGenitive(7) << u"Змеи (Ужа)"_s;
    QTest::newRow("totem 13 shares the Rooster") << totemGenitive(13) << chineseGenitive(12);
    QTest::newRow("totem 14 shares the Ox") << totemGenitive(14) << chineseGenitive(4);
    QTest::newRow("totem 24") << totemGenitive(24) << u"Рыси/Соловья"_s;
    QTest::newRow("totem 26") << totemGenitive(26) << u"Белого Медведя"_s;
    QTest::newRow("totem 33") << totemGenitive(33) << QString();
    QTest::newRow("creature 7") << creatureName(7) << u"Грифон"_s;
    QTest::newRow("creature 10") << creatureName(10) << u"Минотавр"_s;
    QTest::newRow("creature -1") << creatureName(-1) << QString();
}

void SignsTest::tableTexts() {
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void SignsTest::noCalculatorReturnsZero() {
    MessageRecorder recorder;
    for (Date d = encodeDate(1890, 1, 1); d <= encodeDate(1930, 12, 31); d += 1) {
        const auto year = std::uint16_t(decodeDate(d).year);
        for (const int result :
             {GetSign(d), GetTree(d), GetCreature(d), GetNumber(d), GetAnimal_China(year), GetBeast(year)})
            QVERIFY(result != 0);
    }
}

QTEST_GUILESS_MAIN(SignsTest)
#include "tst_signs.moc"
