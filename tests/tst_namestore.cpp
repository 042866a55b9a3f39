#include "core/namestore.h"
#include "core/settings.h"

#include "ordinaryuser.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

namespace {
const QLocale kRussian(QLocale::Russian, QLocale::Russia);
} // namespace

class NameStoreTest : public QObject {
    Q_OBJECT
public:
    // Refused writes need an ordinary user.
    static void initMain() { testsupport::runAsOrdinaryUser(); }

private Q_SLOTS:
    void init();

    void writeThenPickInAnotherLetterCase();
    void rewrite_keepsOneEntryInItsPlace();
    void read_data();
    void read();
    void remove_onlyPresentEntries();
    void clear_erasesNamesBeyondTheListing();
    void refusedWrite_stopsAtThatKey();
    void write_refusesWhatItCannotKeepWhole_data();
    void write_refusesWhatItCannotKeepWhole();
    void overlongNameInTheFile_hidesNoLaterName_data();
    void overlongNameInTheFile_hidesNoLaterName();

    void settings_data();
    void settings();
    void settingsSave_writesAllKeysInOrder();
    void settingKeys_areDistinctAndEachFillsItsOwnSetting();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString folder() const { return m_dir->path() + u'/'; }
};

void NameStoreTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void NameStoreTest::writeThenPickInAnotherLetterCase() {
    NameStore store(folder(), kRussian);
    store.write(u"Иван Петров"_s, {encodeDate(1975, 8, 15), true, true, 1});
    NameStore later(folder(), kRussian);
    QCOMPARE(later.names(), QStringList{u"Иван Петров"_s});
    const PersonEntry entry = later.read(u"иВАН пЕТРОВ"_s, 0);
    QCOMPARE(entry.date, encodeDate(1975, 8, 15));
    QVERIFY(entry.showMain);
    QVERIFY(entry.showHoroscop);
    QCOMPARE(entry.horoscopType, 1);
    QCOMPARE(testsupport::readBytes(folder() + u"names.ini"_s),
             QByteArray("[\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2]\r\nDate=15.08.1975\r\nShowMain=1\r\n"
                        "ShowHoroscop=1\r\nHoroscopType=1\r\n"));
}

void NameStoreTest::rewrite_keepsOneEntryInItsPlace() {
    NameStore store(folder(), kRussian);
    store.write(u"Анна"_s, {encodeDate(1990, 1, 2), false, false, 0});
    store.write(u"Борис"_s, {encodeDate(1985, 3, 4), true, false, 0});
    store.write(u"АННА"_s, {encodeDate(1991, 5, 6), true, true, 5});
    QCOMPARE(store.names(), (QStringList{u"Анна"_s, u"Борис"_s}));
    QCOMPARE(store.read(u"анна"_s, 0).date, encodeDate(1991, 5, 6));
    QCOMPARE(store.read(u"анна"_s, 0).horoscopType, 5);
}

void NameStoreTest::read_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<double>("date");
    QTest::addColumn<bool>("showMain");
    QTest::addColumn<bool>("showHoroscop");
    QTest::addColumn<int>("type");
    const double today = encodeDate(2026, 12, 7);
    QTest::newRow("no Date gives today")
        << QByteArray("[Ann]\r\nShowMain=1\r\n") << today << true << false << 0;
    QTest::newRow("unreadable Date gives today")
        << QByteArray("[Ann]\r\nDate=3/21/1980\r\n") << today << false << false << 0;
    QTest::newRow("HoroscopType -1") << QByteArray("[Ann]\r\nShowHoroscop=1\r\nHoroscopType=-1\r\n") << today
                                     << false << true << -1;
    QTest::newRow("HoroscopType 0x3")
        << QByteArray("[Ann]\r\nShowHoroscop=1\r\nHoroscopType=0x3\r\n") << today << false << true << 3;
    QTest::newRow("HoroscopType abc")
        << QByteArray("[Ann]\r\nShowHoroscop=1\r\nHoroscopType=abc\r\n") << today << false << true << 0;
    QTest::newRow("HoroscopType unread without ShowHoroscop")
        << QByteArray("[Ann]\r\nShowHoroscop=0\r\nHoroscopType=4\r\n") << today << false << false << 0;
    QTest::newRow("ShowMain 2 is true")
        << QByteArray("[Ann]\r\nShowMain=2\r\n") << today << true << false << 0;
    QTest::newRow("ShowMain word is false")
        << QByteArray("[Ann]\r\nShowMain=yes\r\n") << today << false << false << 0;
    QTest::newRow("russian date") << QByteArray("[Ann]\r\nDate=01.02.1850\r\n") << encodeDate(1850, 2, 1)
                                  << false << false << 0;
    // Day 0 is what an empty date field gives: it was never a birth date.
    QTest::newRow("Date=30.12.1899 gives today")
        << QByteArray("[Ann]\r\nDate=30.12.1899\r\nShowMain=1\r\n") << today << true << false << 0;
}

void NameStoreTest::read() {
    QFETCH(QByteArray, file);
    QFETCH(double, date);
    QFETCH(bool, showMain);
    QFETCH(bool, showHoroscop);
    QFETCH(int, type);
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s, file));
    const PersonEntry entry = NameStore(folder(), kRussian).read(u"ann"_s, encodeDate(2026, 12, 7));
    QCOMPARE(entry.date, date);
    QCOMPARE(entry.showMain, showMain);
    QCOMPARE(entry.showHoroscop, showHoroscop);
    QCOMPARE(entry.horoscopType, type);
}

void NameStoreTest::remove_onlyPresentEntries() {
    QVERIFY(testsupport::writeBytes(
        folder() + u"names.ini"_s,
        "[Anna]\r\nDate=01.01.1990\r\n[Header only]\r\n[Boris]\r\nDate=02.02.1980\r\n"));
    NameStore store(folder(), kRussian);
    QVERIFY(!store.remove(u"Nobody"_s));
    QVERIFY(!store.remove(u"Header only"_s)); // no keys: no entry
    QVERIFY(store.remove(u"ANNA"_s));
    QCOMPARE(store.names(), (QStringList{u"Header only"_s, u"Boris"_s}));
}

void NameStoreTest::clear_erasesNamesBeyondTheListing() {
    QByteArray file;
    for (int i = 0; i < 400; ++i)
        file += "[" + QByteArray(60, 'a' + i % 26) + QByteArray::number(i) + "]\r\nDate=01.01.1990\r\n";
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s, file));
    NameStore store(folder(), kRussian);
    QVERIFY(store.names().size() < 400);
    store.clear();
    QVERIFY(!testsupport::readBytes(folder() + u"names.ini"_s).contains("Date"));
    QVERIFY(store.names().isEmpty());
}

void NameStoreTest::refusedWrite_stopsAtThatKey() {
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s, "[Anna]\r\nDate=01.01.1990\r\n"));
    // Only a file that is itself read-only is refused in a read-only folder; a writable one is rewritten in
    // place.
    QFile::setPermissions(folder() + u"names.ini"_s, QFileDevice::ReadOwner);
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    NameStore store(folder(), kRussian);
    QString error;
    try {
        store.write(u"Boris"_s, {encodeDate(1980, 2, 2), true, true, 2});
    } catch (const IniWriteError& e) {
        error = e.text();
    }
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(error, u"Unable to write to "_s + folder() + u"names.ini"_s);
    QCOMPARE(testsupport::readBytes(folder() + u"names.ini"_s), QByteArray("[Anna]\r\nDate=01.01.1990\r\n"));
}

void NameStoreTest::write_refusesWhatItCannotKeepWhole_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("date");
    QTest::addColumn<QString>("refusal"); // empty: stored
    const double lion = encodeDate(1975, 8, 15);
    QTest::newRow("255 characters are kept") << QString(255, u'ж') << lion << QString();
    QTest::newRow("256 characters") << QString(256, u'ж') << lion
                                    << u"Имя не сохранено: оно длиннее 255 знаков."_s;
    QTest::newRow("a pasted 100 000 characters")
        << QString(100000, u'ж') << lion << u"Имя не сохранено: оно длиннее 255 знаков."_s;
    QTest::newRow("no birth date (day 0)")
        << u"Анна"_s << 0.0 << u"Имя не сохранено: не введена дата рождения."_s;
}

void NameStoreTest::write_refusesWhatItCannotKeepWhole() {
    QFETCH(QString, name);
    QFETCH(double, date);
    QFETCH(QString, refusal);
    const QByteArray before = "[Boris]\r\nDate=02.02.1980\r\n";
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s, before));
    NameStore store(folder(), kRussian);
    QString error;
    try {
        store.write(name, {date, true, false, 0});
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    QCOMPARE(error, refusal);
    if (refusal.isEmpty()) {
        QCOMPARE(NameStore(folder(), kRussian).names(), (QStringList{u"Boris"_s, name}));
    } else {
        QCOMPARE(testsupport::readBytes(folder() + u"names.ini"_s), before); // nothing cut, nothing stored
    }
}

void NameStoreTest::overlongNameInTheFile_hidesNoLaterName_data() {
    QTest::addColumn<qsizetype>("length");
    QTest::newRow("256 characters") << qsizetype(256);
    QTest::newRow("32 767 characters") << qsizetype(32767);
    QTest::newRow("a 10 MB section name") << qsizetype(10 * 1024 * 1024);
}

void NameStoreTest::overlongNameInTheFile_hidesNoLaterName() {
    QFETCH(qsizetype, length);
    QByteArray file =
        "[First]\r\nDate=01.01.1990\r\n[" + QByteArray(length, 'x') + "]\r\nDate=01.01.1990\r\n";
    QStringList expected{u"First"_s};
    for (int i = 1; i <= 11; ++i) {
        file += "[Later " + QByteArray::number(i) + "]\r\nDate=01.01.1990\r\n";
        expected << u"Later "_s + QString::number(i);
    }
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s, file));
    QCOMPARE(NameStore(folder(), kRussian).names(), expected);
}

void NameStoreTest::settings_data() {
    QTest::addColumn<QByteArray>("file"); // empty: no file
    QTest::addColumn<bool>("storeNames");
    QTest::addColumn<bool>("showHints");
    QTest::addColumn<bool>("softScroll");
    QTest::addColumn<int>("scrollDelay");
    QTest::addColumn<bool>("autoDelay");
    QTest::newRow("no file") << QByteArray() << true << false << true << 20 << true;
    QTest::newRow("SoftScroll=0") << QByteArray("[main]\r\nSoftScroll=0\r\n") << true << false << false << 20
                                  << true;
    QTest::newRow("AutoDelay=0") << QByteArray("[main]\r\nAutoDelay=0\r\n") << true << false << true << 20
                                 << false;
    QTest::newRow("ScrollDelay=1000 is bounded")
        << QByteArray("[main]\r\nScrollDelay=1000\r\n") << true << false << true << 500 << true;
    QTest::newRow("ScrollDelay=-5 is bounded")
        << QByteArray("[main]\r\nScrollDelay=-5\r\n") << true << false << true << 0 << true;
    QTest::newRow("ScrollDelay=$32") << QByteArray("[MAIN]\r\nscrolldelay=$32\r\n") << true << false << true
                                     << 50 << true;
    QTest::newRow("ShowHints=yes is no number")
        << QByteArray("[main]\r\nShowHints=yes\r\n") << true << false << true << 20 << true;
    QTest::newRow("ShowHints=2") << QByteArray("[main]\r\nShowHints=2\r\n") << true << true << true << 20
                                 << true;
    QTest::newRow("StoreNames=0 in another section")
        << QByteArray("[other]\r\nStoreNames=0\r\n") << true << false << true << 20 << true;
}

void NameStoreTest::settings() {
    QFETCH(QByteArray, file);
    if (!file.isEmpty()) QVERIFY(testsupport::writeBytes(folder() + u"solvenna.ini"_s, file));
    const Settings s = Settings::load(IniFile(folder() + u"solvenna.ini"_s));
    QTEST(s.storeNames, "storeNames");
    QTEST(s.showHints, "showHints");
    QTEST(s.softScroll, "softScroll");
    QTEST(s.scrollDelay, "scrollDelay");
    QTEST(s.autoDelay, "autoDelay");
}

void NameStoreTest::settingsSave_writesAllKeysInOrder() {
    IniFile file(folder() + u"solvenna.ini"_s);
    Settings{}.save(file);
    QCOMPARE(
        testsupport::readBytes(file.fileName()),
        QByteArray(
            "[main]\r\nStoreNames=1\r\nShowHints=0\r\nSoftScroll=1\r\nScrollDelay=20\r\nAutoDelay=1\r\n"));
}

void NameStoreTest::settingKeys_areDistinctAndEachFillsItsOwnSetting() {
    QSet<QString> keys;
    for (const SettingKey& row : kSettingKeys) {
        // INI keys are matched in any letter case.
        keys.insert(QString::fromUtf16(row.key).toLower());
        QVERIFY2((row.flag != nullptr) != (row.number != nullptr), qPrintable(QString::fromUtf16(row.key)));
    }
    QCOMPARE(keys.size(), int(std::size(kSettingKeys)));

    // Every setting away from its default survives a round trip: no row writes or reads another's member.
    Settings changed;
    QCOMPARE(changed.storeNames, true);
    QCOMPARE(changed.showHints, false);
    QCOMPARE(changed.softScroll, true);
    QCOMPARE(changed.scrollDelay, 20);
    QCOMPARE(changed.autoDelay, true);
    changed.storeNames = false;
    changed.showHints = true;
    changed.softScroll = false;
    changed.scrollDelay = 135;
    changed.autoDelay = false;
    IniFile file(folder() + u"solvenna.ini"_s);
    changed.save(file);
    const Settings read = Settings::load(IniFile(file.fileName()));
    QCOMPARE(read.storeNames, false);
    QCOMPARE(read.showHints, true);
    QCOMPARE(read.softScroll, false);
    QCOMPARE(read.scrollDelay, 135);
    QCOMPARE(read.autoDelay, false);
}

QTEST_GUILESS_MAIN(NameStoreTest)
#include "tst_namestore.moc"
