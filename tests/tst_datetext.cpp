#include "core/datetext.h"

#include <QTest>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

class DateTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void shortFormat_data();
    void shortFormat();
    void roundTrip_keepsTheCentury_data();
    void roundTrip_keepsTheCentury();
    void unreadableText_givesTheFallback_data();
    void unreadableText_givesTheFallback();
    void storedDates_areReadLeniently_data();
    void storedDates_areReadLeniently();
    void partOrder_followsTheLocale_data();
    void partOrder_followsTheLocale();
    void typed_validDates_data();
    void typed_validDates();
    void typed_notDates_data();
    void typed_notDates();
    void twoDigitYears_atTheTurnOfTheCentury_data();
    void twoDigitYears_atTheTurnOfTheCentury();
};

void DateTextTest::shortFormat_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Date>("date");
    QTest::addColumn<QString>("text");
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    QTest::newRow("ru_RU 1980") << ru << encodeDate(1980, 3, 21) << u"21.03.1980"_s;
    QTest::newRow("en_US 2005 keeps four digits") << us << encodeDate(2005, 3, 21) << u"3/21/2005"_s;
    QTest::newRow("de_DE 2005 keeps four digits") << de << encodeDate(2005, 3, 21) << u"21.03.2005"_s;
    QTest::newRow("ru_RU day 0") << ru << 0.0 << u"30.12.1899"_s;
    QTest::newRow("ru_RU year 5 padded") << ru << encodeDate(5, 1, 2) << u"02.01.0005"_s;
}

void DateTextTest::shortFormat() {
    QFETCH(QLocale, locale);
    QFETCH(Date, date);
    QFETCH(QString, text);
    QCOMPARE(dateToText(date, locale), text);
    QCOMPARE(textToDate(text, -1, locale), date);
}

void DateTextTest::roundTrip_keepsTheCentury_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("year");
    for (const auto& [name, locale] : {std::pair{"ru_RU", QLocale(QLocale::Russian, QLocale::Russia)},
                                       std::pair{"en_US", QLocale(QLocale::English, QLocale::UnitedStates)},
                                       std::pair{"de_DE", QLocale(QLocale::German, QLocale::Germany)}}) {
        for (const int year : {1905, 2005, 1850, 2099})
            QTest::addRow("%s %d", name, year) << locale << year;
    }
}

void DateTextTest::roundTrip_keepsTheCentury() {
    QFETCH(QLocale, locale);
    QFETCH(int, year);
    for (const auto& [month, day] : {std::pair{1, 1}, std::pair{8, 15}, std::pair{12, 31}}) {
        const Date date = encodeDate(year, month, day);
        const QString text = dateToText(date, locale);
        QVERIFY2(text.contains(QString::number(year)), qPrintable(text));
        QCOMPARE(textToDate(text, -1, locale), date);
    }
}

void DateTextTest::unreadableText_givesTheFallback_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("empty") << ru << QString();
    QTest::newRow("words") << ru << u"вчера"_s;
    QTest::newRow("31 February") << ru << u"31.02.2001"_s;
    QTest::newRow("russian text in en_US") << us << u"21.03.1980"_s;
    QTest::newRow("american text in ru_RU") << ru << u"3/21/1980"_s;
    QTest::newRow("month 13") << ru << u"01.13.1980"_s;
}

void DateTextTest::unreadableText_givesTheFallback() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(textToDate(text, 4242, locale), 4242.0);
    QVERIFY(!numericDate(text, datePartOrder(locale)));
}

namespace {
const QLocale kRu(QLocale::Russian, QLocale::Russia);
const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kDe(QLocale::German, QLocale::Germany);
constexpr DatePartOrder kDayFirst{DatePart::Day, DatePart::Month, DatePart::Year};
constexpr DatePartOrder kMonthFirst{DatePart::Month, DatePart::Day, DatePart::Year};
} // namespace

// Dates that files written by hand, by older versions or under another short format hold.
void DateTextTest::storedDates_areReadLeniently_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("ru_RU without leading zeros") << kRu << u"1.2.1980"_s << QDate(1980, 2, 1);
    QTest::newRow("ru_RU two-digit year") << kRu << u"01.02.80"_s << QDate(1980, 2, 1);
    QTest::newRow("ru_RU two-digit year of this century") << kRu << u"01.02.05"_s << QDate(2005, 2, 1);
    QTest::newRow("ru_RU blanks around") << kRu << u"  21.03.1980 "_s << QDate(1980, 3, 21);
    QTest::newRow("en_US as it writes") << kUs << u"3/21/1980"_s << QDate(1980, 3, 21);
    QTest::newRow("en_US two-digit year") << kUs << u"3/21/80"_s << QDate(1980, 3, 21);
    QTest::newRow("en_US leading zeros") << kUs << u"03/01/1980"_s << QDate(1980, 3, 1);
    QTest::newRow("de_DE two-digit year") << kDe << u"21.03.80"_s << QDate(1980, 3, 21);
    QTest::newRow("de_DE without leading zeros") << kDe << u"1.3.1980"_s << QDate(1980, 3, 1);
    QTest::newRow("de_DE a year before 1900") << kDe << u"10.06.1850"_s << QDate(1850, 6, 10);
}

void DateTextTest::storedDates_areReadLeniently() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(textToDate(text, locale, 2026), std::optional<Date>(fromQDate(date)));
    // The quick reading of the stored form, where it reads the text at all, gives the same day.
    if (const auto quick = numericDate(text, datePartOrder(locale))) QCOMPARE(*quick, fromQDate(date));
}

void DateTextTest::partOrder_followsTheLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("ru_RU") << kRu << int(DatePart::Day) << int(DatePart::Year);
    QTest::newRow("en_US") << kUs << int(DatePart::Month) << int(DatePart::Year);
    QTest::newRow("de_DE") << kDe << int(DatePart::Day) << int(DatePart::Year);
    QTest::newRow("zh_CN") << QLocale(QLocale::Chinese, QLocale::China) << int(DatePart::Year)
                           << int(DatePart::Day);
}

void DateTextTest::partOrder_followsTheLocale() {
    QFETCH(QLocale, locale);
    QFETCH(int, first);
    QFETCH(int, last);
    const DatePartOrder order = datePartOrder(locale);
    QCOMPARE(int(order[0]), first);
    QCOMPARE(int(order[2]), last);
    QVERIFY(order[0] != order[1] && order[1] != order[2] && order[0] != order[2]);
}

void DateTextTest::typed_validDates_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("monthFirst");
    QTest::addColumn<QDate>("date");
    const QDate lion(1975, 8, 15);
    QTest::newRow("dots") << u"15.08.1975"_s << false << lion;
    QTest::newRow("slashes") << u"15/08/1975"_s << false << lion;
    QTest::newRow("dashes") << u"15-08-1975"_s << false << lion;
    QTest::newRow("blanks") << u"15 8 1975"_s << false << lion;
    QTest::newRow("no separators") << u"15081975"_s << false << lion;
    QTest::newRow("no separators, two-digit year") << u"150875"_s << false << lion;
    QTest::newRow("one-digit day moves on: 4 cannot start a day")
        << u"4.4.2004"_s << false << QDate(2004, 4, 4);
    QTest::newRow("one-digit parts without separators") << u"442004"_s << false << QDate(2004, 4, 4);
    QTest::newRow("separator after a part that moved on") << u"29.02.1988"_s << false << QDate(1988, 2, 29);
    QTest::newRow("3 waits for a second digit") << u"31.12.1999"_s << false << QDate(1999, 12, 31);
    QTest::newRow("3 alone before a separator") << u"3.1.1999"_s << false << QDate(1999, 1, 3);
    QTest::newRow("1 alone before a separator") << u"1.1.1999"_s << false << QDate(1999, 1, 1);
    QTest::newRow("month 1 then 2") << u"1.12.1999"_s << false << QDate(1999, 12, 1);
    QTest::newRow("runs of blanks, as shown") << u"15   августа 1975"_s << false << lion;
    QTest::newRow("month by its first letters") << u"15 авг 1975"_s << false << lion;
    QTest::newRow("month in capitals") << u"15 АВГУСТ 1975"_s << false << lion;
    QTest::newRow("month abbreviated with a dot") << u"15 авг. 1975"_s << false << lion;
    QTest::newRow("month name without blanks") << u"15авг1975"_s << false << lion;
    QTest::newRow("май by its full name") << u"9 мая 1945"_s << false << QDate(1945, 5, 9);
    QTest::newRow("мар is март") << u"8 мар 1990"_s << false << QDate(1990, 3, 8);
    QTest::newRow("year with г.") << u"15.08.1975 г."_s << false << lion;
    QTest::newRow("leap day") << u"29.02.2000"_s << false << QDate(2000, 2, 29);
    QTest::newRow("before 1900") << u"10.06.1850"_s << false << QDate(1850, 6, 10);
    QTest::newRow("month first") << u"8/15/1975"_s << true << lion;
    QTest::newRow("month first, no separators") << u"08151975"_s << true << lion;
    QTest::newRow("month first, 1 waits for a second digit") << u"12/5/75"_s << true << QDate(1975, 12, 5);
    QTest::newRow("month first by name") << u"авг 15 1975"_s << true << lion;
}

void DateTextTest::typed_validDates() {
    QFETCH(QString, typed);
    QFETCH(bool, monthFirst);
    QFETCH(QDate, date);
    const TypedDate read = readTypedDate(typed, monthFirst ? kMonthFirst : kDayFirst, 2026, kRu);
    QCOMPARE(int(read.state), int(TypedDate::State::Valid));
    QCOMPARE(read.date, date);
}

void DateTextTest::typed_notDates_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("state");
    const int incomplete = int(TypedDate::State::Incomplete);
    const int invalid = int(TypedDate::State::Invalid);
    QTest::newRow("nothing") << u""_s << int(TypedDate::State::Empty);
    QTest::newRow("blanks only") << u"   "_s << int(TypedDate::State::Empty);
    QTest::newRow("a day") << u"15"_s << incomplete;
    QTest::newRow("day and month") << u"15.08"_s << incomplete;
    QTest::newRow("the start of a month") << u"31.0"_s << incomplete;
    QTest::newRow("the start of a day") << u"0"_s << incomplete;
    QTest::newRow("three digits of a year") << u"15.08.197"_s << incomplete;
    QTest::newRow("one digit of a year") << u"15.08.1"_s << incomplete;
    QTest::newRow("ambiguous month: ма") << u"15 ма"_s << incomplete;
    QTest::newRow("31 February") << u"31.02.1990"_s << invalid;
    QTest::newRow("29 February of a common year") << u"29.02.1990"_s << invalid;
    QTest::newRow("day 0") << u"0.08.1975"_s << invalid;
    QTest::newRow("day 00") << u"00.08.1975"_s << invalid;
    QTest::newRow("day 32") << u"32.08.1975"_s << invalid;
    QTest::newRow("month 13") << u"15.13.1975"_s << invalid;
    QTest::newRow("year 0000") << u"15.08.0000"_s << invalid;
    QTest::newRow("three-digit year before a blank") << u"15.08.197 "_s << invalid;
    QTest::newRow("ambiguous month before the year") << u"15 ма 1975"_s << invalid;
    QTest::newRow("a word that is no month") << u"15 вчера 1975"_s << invalid;
    QTest::newRow("letters for the day") << u"пятнадцатое"_s << invalid;
    QTest::newRow("digits after the year") << u"15.08.19751"_s << invalid;
    QTest::newRow("a fourth part") << u"15.08.1975.3"_s << invalid;
    QTest::newRow("other characters") << u"15:08:1975"_s << invalid;
    QTest::newRow("markup") << u"<b>15.08.1975</b>"_s << invalid;
}

void DateTextTest::typed_notDates() {
    QFETCH(QString, typed);
    QFETCH(int, state);
    const TypedDate read = readTypedDate(typed, kDayFirst, 2026, kRu);
    QCOMPARE(int(read.state), state);
    QVERIFY(!read.date.isValid());
}

void DateTextTest::twoDigitYears_atTheTurnOfTheCentury_data() {
    QTest::addColumn<int>("currentYear");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("year");
    QTest::newRow("75 in 2026") << 2026 << u"1.1.75"_s << 1975;
    QTest::newRow("12 in 2026") << 2026 << u"1.1.12"_s << 2012;
    QTest::newRow("this year's 26 in 2026") << 2026 << u"1.1.26"_s << 2026;
    QTest::newRow("27 in 2026 is last century's") << 2026 << u"1.1.27"_s << 1927;
    QTest::newRow("00 in 2000") << 2000 << u"1.1.00"_s << 2000;
    QTest::newRow("01 in 2000") << 2000 << u"1.1.01"_s << 1901;
    QTest::newRow("99 in 2000") << 2000 << u"1.1.99"_s << 1999;
    QTest::newRow("99 in 1999") << 1999 << u"1.1.99"_s << 1999;
    QTest::newRow("00 in 1999") << 1999 << u"1.1.00"_s << 1900;
}

void DateTextTest::twoDigitYears_atTheTurnOfTheCentury() {
    QFETCH(int, currentYear);
    QFETCH(QString, typed);
    QFETCH(int, year);
    const TypedDate read = readTypedDate(typed, kDayFirst, currentYear, kRu);
    QCOMPARE(int(read.state), int(TypedDate::State::Valid));
    QCOMPARE(read.date.year(), year);
}

QTEST_GUILESS_MAIN(DateTextTest)
#include "tst_datetext.moc"
