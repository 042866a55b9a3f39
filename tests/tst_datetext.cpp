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
}

QTEST_GUILESS_MAIN(DateTextTest)
#include "tst_datetext.moc"
