#include "core/inifile.h"
#include "core/settings.h"

#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

namespace {

using testsupport::writeBytes;

const QByteArray kMain = "[main]\r\nStoreNames=0\r\nShowHints=1\r\nSoftScroll=0\r\nScrollDelay=35\r\n"
                         "AutoDelay=0\r\n";

} // namespace

class PlacementTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void load_data();
    void load();
    void save_thenLoad_roundTrip_data();
    void save_thenLoad_roundTrip();
    void save_leavesTheFiveSettingsAlone();
    void save_withoutGeometry_writesNoGeometryKeys();
};

void PlacementTest::load_data() {
    QTest::addColumn<QByteArray>("window"); // the lines of section [window]
    QTest::addColumn<QRect>("geometry");    // null: unknown
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<int>("barWidth"); // -1: unknown

    const QRect none;
    QTest::newRow("no section") << QByteArray() << none << false << -1;
    QTest::newRow("good") << QByteArray("Left=50\r\nTop=40\r\nWidth=700\r\nHeight=500\r\nMaximized=0\r\n"
                                        "SectionBarWidth=250\r\n")
                          << QRect(50, 40, 700, 500) << false << 250;
    QTest::newRow("keys in other letter case, hexadecimal")
        << QByteArray("left=0x32\r\nTOP=$28\r\nwidth=700\r\nheight=0X1F4\r\nmaximized=1\r\n")
        << QRect(50, 40, 700, 500) << true << -1;
    QTest::newRow("negative position (a screen left of the first)")
        << QByteArray("Left=-1200\r\nTop=-30\r\nWidth=640\r\nHeight=480\r\n") << QRect(-1200, -30, 640, 480)
        << false << -1;
    QTest::newRow("left missing") << QByteArray(
                                         "Top=40\r\nWidth=700\r\nHeight=500\r\nSectionBarWidth=250\r\n")
                                  << none << false << 250;
    QTest::newRow("height missing") << QByteArray("Left=50\r\nTop=40\r\nWidth=700\r\n") << none << false
                                    << -1;
    QTest::newRow("width not a number")
        << QByteArray("Left=50\r\nTop=40\r\nWidth=wide\r\nHeight=500\r\n") << none << false << -1;
    QTest::newRow("width empty") << QByteArray("Left=50\r\nTop=40\r\nWidth=\r\nHeight=500\r\n") << none
                                 << false << -1;
    QTest::newRow("width with a unit")
        << QByteArray("Left=50\r\nTop=40\r\nWidth=700px\r\nHeight=500\r\n") << none << false << -1;
    QTest::newRow("width zero") << QByteArray("Left=50\r\nTop=40\r\nWidth=0\r\nHeight=500\r\n") << none
                                << false << -1;
    QTest::newRow("height negative") << QByteArray("Left=50\r\nTop=40\r\nWidth=700\r\nHeight=-500\r\n")
                                     << none << false << -1;
    QTest::newRow("width beyond any screen")
        << QByteArray("Left=50\r\nTop=40\r\nWidth=32768\r\nHeight=500\r\n") << none << false << -1;
    QTest::newRow("width at the limit") << QByteArray("Left=0\r\nTop=0\r\nWidth=32767\r\nHeight=1\r\n")
                                        << QRect(0, 0, 32767, 1) << false << -1;
    QTest::newRow("left far out") << QByteArray("Left=-40000\r\nTop=40\r\nWidth=700\r\nHeight=500\r\n")
                                  << none << false << -1;
    QTest::newRow("top far out") << QByteArray("Left=50\r\nTop=99999\r\nWidth=700\r\nHeight=500\r\n") << none
                                 << false << -1;
    QTest::newRow("integer overflow")
        << QByteArray("Left=50\r\nTop=40\r\nWidth=4294967996\r\nHeight=500\r\n") << none << false << -1;
    QTest::newRow("the smallest integer")
        << QByteArray("Left=-2147483648\r\nTop=40\r\nWidth=700\r\nHeight=500\r\n") << none << false << -1;
    QTest::newRow("maximized any non-zero") << QByteArray("Maximized=7\r\n") << none << true << -1;
    QTest::newRow("maximized not a number") << QByteArray("Maximized=yes\r\n") << none << false << -1;
    QTest::newRow("bar width negative") << QByteArray("SectionBarWidth=-5\r\n") << none << false << -1;
    QTest::newRow("bar width huge") << QByteArray("SectionBarWidth=40000\r\n") << none << false << -1;
    QTest::newRow("bar width not a number") << QByteArray("SectionBarWidth=abc\r\n") << none << false << -1;
    QTest::newRow("bar width zero") << QByteArray("SectionBarWidth=0\r\n") << none << false << 0;
}

void PlacementTest::load() {
    QFETCH(QByteArray, window);
    QFETCH(QRect, geometry);
    QFETCH(bool, maximized);
    QFETCH(int, barWidth);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"solvenna.ini"_s);
    QVERIFY(writeBytes(path, kMain + (window.isEmpty() ? QByteArray() : "[window]\r\n" + window)));
    const WindowPlacement placement = WindowPlacement::load(IniFile(path));
    QCOMPARE(placement.normalGeometry, geometry);
    QCOMPARE(placement.maximized, maximized);
    QCOMPARE(placement.sectionBarWidth, barWidth);
}

void PlacementTest::save_thenLoad_roundTrip_data() {
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<int>("barWidth");
    QTest::newRow("normal") << QRect(10, 20, 644, 430) << false << 209;
    QTest::newRow("maximized") << QRect(100, 80, 800, 600) << true << 300;
    QTest::newRow("left of the first screen") << QRect(-1000, 0, 700, 500) << false << 150;
}

void PlacementTest::save_thenLoad_roundTrip() {
    QFETCH(QRect, geometry);
    QFETCH(bool, maximized);
    QFETCH(int, barWidth);
    QTemporaryDir dir;
    IniFile file(dir.filePath(u"solvenna.ini"_s));
    WindowPlacement written;
    written.normalGeometry = geometry;
    written.maximized = maximized;
    written.sectionBarWidth = barWidth;
    written.save(file);
    const WindowPlacement read = WindowPlacement::load(IniFile(file.fileName()));
    QCOMPARE(read.normalGeometry, geometry);
    QCOMPARE(read.maximized, maximized);
    QCOMPARE(read.sectionBarWidth, barWidth);
}

void PlacementTest::save_leavesTheFiveSettingsAlone() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"solvenna.ini"_s);
    QVERIFY(writeBytes(path, kMain));
    const Settings before = Settings::load(IniFile(path));
    QCOMPARE(before.scrollDelay, 35);
    IniFile file(path);
    WindowPlacement placement;
    placement.normalGeometry = QRect(1, 2, 300, 400);
    placement.sectionBarWidth = 180;
    placement.save(file);

    const QByteArray bytes = testsupport::readBytes(path);
    // The five keys stay where they were, byte for byte; the window's keys come in a section of their own.
    QVERIFY2(bytes.startsWith(kMain + "[window]\r\n"), bytes.constData());
    const Settings after = Settings::load(IniFile(path));
    QCOMPARE(after.storeNames, before.storeNames);
    QCOMPARE(after.showHints, before.showHints);
    QCOMPARE(after.softScroll, before.softScroll);
    QCOMPARE(after.scrollDelay, before.scrollDelay);
    QCOMPARE(after.autoDelay, before.autoDelay);
    QCOMPARE(IniFile(path).readString(u"main"_s, u"Left"_s, u"none"_s), u"none"_s);
}

void PlacementTest::save_withoutGeometry_writesNoGeometryKeys() {
    QTemporaryDir dir;
    IniFile file(dir.filePath(u"solvenna.ini"_s));
    WindowPlacement placement;
    placement.maximized = true;
    placement.save(file);
    for (const QString& key : {u"Left"_s, u"Top"_s, u"Width"_s, u"Height"_s, u"SectionBarWidth"_s})
        QCOMPARE(file.readString(u"window"_s, key, u"none"_s), u"none"_s);
    QCOMPARE(file.readString(u"window"_s, u"Maximized"_s, u"none"_s), u"1"_s);
}

QTEST_GUILESS_MAIN(PlacementTest)
#include "tst_placement.moc"
