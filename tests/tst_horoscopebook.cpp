// Which pages make up a person's whole horoscope, and the zoom steps of the page view.
#include "core/horoscopebook.h"
#include "core/pagezoom.h"

#include <QTemporaryDir>
#include <QTest>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

class HoroscopeBookTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pages_ofALion_areTheElevenTopicsThenFiveSystems();
    void pages_beforeTheCalendarsBegin_sayWhy_data();
    void pages_beforeTheCalendarsBegin_sayWhy();
    void pages_missingFiles_stayListed();
    void zoomSteps_goUpAndDownAndStopAtTheEnds_data();
    void zoomSteps_goUpAndDownAndStopAtTheEnds();
    void zoom_isStoredAsItsOwnKey();
};

namespace {
const Folders kData = Folders::fromAppFolder(QStringLiteral(SOLVENNA_APP_DIR));
}

void HoroscopeBookTest::pages_ofALion_areTheElevenTopicsThenFiveSystems() {
    const QList<BookPage> pages = personalPages(kData, encodeDate(1975, 8, 15));
    QCOMPARE(pages.size(), kTopicCount + 5);
    for (int topic = 0; topic < kTopicCount; ++topic) {
        QCOMPARE(pages[topic].title, u"Зодиакальный гороскоп: "_s + topicCaption(topic));
        QCOMPARE(pages[topic].path, kData.ZodiacFolder + u"lion"_s + pathDelimiter() + *topicFile(topic));
        QVERIFY2(pages[topic].missingReason.isEmpty(), qPrintable(pages[topic].path));
    }
    QCOMPARE(pages[11].path, kData.ChineseFolder + u"cat.htm"_s);
    QCOMPARE(pages[12].path, kData.DruidFolder + u"kartas.htm"_s);
    QCOMPARE(pages[13].title, systemCaption(HoroscopeSystem::Zoroastrian));
    QCOMPARE(pages[15].path, kData.NumericFolder + u"9.htm"_s);
    for (const BookPage& page : pages)
        QVERIFY2(page.missingReason.isEmpty(), qPrintable(page.title));
}

void HoroscopeBookTest::pages_beforeTheCalendarsBegin_sayWhy_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<bool>("zoroastrian");
    QTest::newRow("1910, the first Chinese year") << 1910 << true << true;
    QTest::newRow("1909") << 1909 << false << true;
    QTest::newRow("1900, the first Zoroastrian year") << 1900 << false << true;
    QTest::newRow("1899") << 1899 << false << false;
}

void HoroscopeBookTest::pages_beforeTheCalendarsBegin_sayWhy() {
    QFETCH(int, year);
    QFETCH(bool, chinese);
    QFETCH(bool, zoroastrian);
    const QList<BookPage> pages = personalPages(kData, encodeDate(year, 8, 15));
    QCOMPARE(pages[11].missingReason.isEmpty(), chinese);
    QCOMPARE(pages[13].missingReason.isEmpty(), zoroastrian);
    if (!chinese) QCOMPARE(pages[11].missingReason, u"китайский гороскоп составляется для годов с 1910"_s);
    if (!zoroastrian)
        QCOMPARE(pages[13].missingReason, u"зороастрийский гороскоп составляется для годов с 1900"_s);
    // Each page in its system's place.
    QCOMPARE(pages[11].title, u"Китайский гороскоп"_s);
    QCOMPARE(pages[15].title, u"Нумерологический гороскоп"_s);
    // The zodiac, the tree, the creature and the number exist for every date.
    for (const int i : {0, 10, 12, 14, 15})
        QVERIFY2(pages[i].missingReason.isEmpty(), qPrintable(pages[i].title));
}

void HoroscopeBookTest::pages_missingFiles_stayListed() {
    QTemporaryDir empty;
    const QList<BookPage> pages =
        personalPages(Folders::fromAppFolder(empty.path() + u'/'), encodeDate(1975, 8, 15));
    QCOMPARE(pages.size(), 16);
    for (const BookPage& page : pages)
        QCOMPARE(page.missingReason, u"страница не найдена"_s);
}

void HoroscopeBookTest::zoomSteps_goUpAndDownAndStopAtTheEnds_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("larger");
    QTest::addColumn<int>("smaller");
    QTest::newRow("normal") << 100 << 110 << 90;
    QTest::newRow("smallest") << 50 << 67 << 50;
    QTest::newRow("largest") << 300 << 300 << 250;
    QTest::newRow("between steps") << 130 << 150 << 125;
}

void HoroscopeBookTest::zoomSteps_goUpAndDownAndStopAtTheEnds() {
    QFETCH(int, from);
    QFETCH(int, larger);
    QFETCH(int, smaller);
    QCOMPARE(zoomIn(from), larger);
    QCOMPARE(zoomOut(from), smaller);
}

void HoroscopeBookTest::zoom_isStoredAsItsOwnKey() {
    QTemporaryDir dir;
    IniFile file(dir.filePath(u"solvenna.ini"_s));
    QCOMPARE(readZoom(file), kNormalZoom);
    writeZoom(file, 150);
    QCOMPARE(readZoom(file), 150);
    IniFile again(dir.filePath(u"solvenna.ini"_s));
    QCOMPARE(readZoom(again), 150);
    QCOMPARE(again.readInteger(u"main"_s, u"PageZoom"_s, 0), 150);
}

QTEST_GUILESS_MAIN(HoroscopeBookTest)
#include "tst_horoscopebook.moc"
