#include "core/catalogue.h"
#include "core/date.h"
#include "core/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

using Lookup = std::function<std::optional<QString>(int)>;
Q_DECLARE_METATYPE(Lookup)

class CatalogueTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lookups_data();
    void lookups();
    void tablesEndWhereTheSystemsEnd_data();
    void tablesEndWhereTheSystemsEnd();
    void folderOfProgram_data();
    void folderOfProgram();
    void folderValues_areConcatenatedWithOneDelimiter();
    void layout_data();
    void layout();
    void installedLayout_followsTheTreeWhenMoved();
    void topicCaptions();
    void systemTable_rowsHoldTheirOwnSystemsPages_data();
    void systemTable_rowsHoldTheirOwnSystemsPages();
    void systemTable_namesAndFoldersAreTheSystemsOwn();
    void singlePage_data();
    void singlePage();
};

void CatalogueTest::lookups_data() {
    QTest::addColumn<Lookup>("lookup");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected"); // empty: no name
    const Lookup zodiac = zodiacSignFolder, topic = topicFile, chinese = chineseFile, druid = druidFile,
                 numeric = numericFile, zoroastrian = zoroastrianFile, myth = mythFile;
    QTest::newRow("zodiac 1 aries") << zodiac << 1 << u"aries"_s;
    QTest::newRow("zodiac 5 is lion") << zodiac << 5 << u"lion"_s;
    QTest::newRow("zodiac 8 is scorpion") << zodiac << 8 << u"scorpion"_s;
    QTest::newRow("zodiac 12 is fish") << zodiac << 12 << u"fish"_s;
    QTest::newRow("zodiac 0") << zodiac << 0 << QString();
    QTest::newRow("zodiac -1") << zodiac << -1 << QString();
    QTest::newRow("zodiac 13") << zodiac << 13 << QString();
    QTest::newRow("topic 0") << topic << 0 << u"element.htm"_s;
    QTest::newRow("topic 4") << topic << 4 << u"aromatic.htm"_s;
    QTest::newRow("topic 8") << topic << 8 << u"handhold.htm"_s;
    QTest::newRow("topic 10") << topic << 10 << u"foods.htm"_s;
    QTest::newRow("topic -1") << topic << -1 << QString();
    QTest::newRow("topic 11") << topic << 11 << QString();
    QTest::newRow("chinese 1") << chinese << 1 << u"dog.htm"_s;
    QTest::newRow("chinese 4 oxen") << chinese << 4 << u"oxen.htm"_s;
    QTest::newRow("chinese 6 cat") << chinese << 6 << u"cat.htm"_s;
    QTest::newRow("chinese 12 cock") << chinese << 12 << u"cock.htm"_s;
    QTest::newRow("chinese 0") << chinese << 0 << QString();
    QTest::newRow("chinese 13") << chinese << 13 << QString();
    QTest::newRow("druid 1") << druid << 1 << u"appletree.htm"_s;
    QTest::newRow("druid 6") << druid << 6 << u"kartas.htm"_s;
    QTest::newRow("druid 11 rowanberry") << druid << 11 << u"rowanberry.htm"_s;
    QTest::newRow("druid 22") << druid << 22 << u"beech.htm"_s;
    QTest::newRow("druid 23") << druid << 23 << QString();
    QTest::newRow("druid -1") << druid << -1 << QString();
    QTest::newRow("numeric 1") << numeric << 1 << u"1.htm"_s;
    QTest::newRow("numeric 9") << numeric << 9 << u"9.htm"_s;
    QTest::newRow("numeric 10") << numeric << 10 << QString();
    QTest::newRow("numeric 0") << numeric << 0 << QString();
    QTest::newRow("zoroastrian 32") << zoroastrian << 32 << u"32.htm"_s;
    QTest::newRow("zoroastrian 7 no leading zero") << zoroastrian << 7 << u"7.htm"_s;
    QTest::newRow("zoroastrian 33") << zoroastrian << 33 << QString();
    QTest::newRow("myth 10") << myth << 10 << u"10.htm"_s;
    QTest::newRow("myth 11") << myth << 11 << QString();
    QTest::newRow("myth -1") << myth << -1 << QString();
}

void CatalogueTest::lookups() {
    QFETCH(Lookup, lookup);
    QFETCH(int, index);
    QFETCH(QString, expected);
    const std::optional<QString> name = lookup(index);
    if (expected.isEmpty())
        QVERIFY(!name.has_value());
    else
        QCOMPARE(name.value_or(u"<none>"_s), expected);
}

void CatalogueTest::tablesEndWhereTheSystemsEnd_data() {
    QTest::addColumn<Lookup>("lookup");
    QTest::addColumn<int>("count");
    QTest::newRow("zodiac") << Lookup(zodiacSignFolder) << 12;
    QTest::newRow("chinese") << Lookup(chineseFile) << 12;
    QTest::newRow("druid") << Lookup(druidFile) << 22;
    QTest::newRow("numeric") << Lookup(numericFile) << 9;
    QTest::newRow("zoroastrian") << Lookup(zoroastrianFile) << 32;
    QTest::newRow("myth") << Lookup(mythFile) << 10;
}

void CatalogueTest::tablesEndWhereTheSystemsEnd() {
    QFETCH(Lookup, lookup);
    QFETCH(int, count);
    QSet<QString> names;
    for (int i = 1; i <= count; ++i) {
        const auto name = lookup(i);
        QVERIFY2(name && !name->isEmpty(), qPrintable(QString::number(i)));
        names.insert(*name);
    }
    QCOMPARE(names.size(), count); // no two signs share a page
    QVERIFY(!lookup(count + 1));
}

void CatalogueTest::folderOfProgram_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("folder");
    QTest::newRow("ordinary") << u"/opt/solvenna/solvenna"_s << u"/opt/solvenna/"_s;
    QTest::newRow("root keeps one delimiter") << u"/solvenna"_s << u"/"_s;
    QTest::newRow("doubled delimiter collapses") << u"/opt/solvenna//solvenna"_s << u"/opt/solvenna/"_s;
    QTest::newRow("cyrillic folder") << u"/home/иван/Гороскоп/solvenna"_s << u"/home/иван/Гороскоп/"_s;
}

void CatalogueTest::folderOfProgram() {
    QFETCH(QString, program);
    QFETCH(QString, folder);
    QCOMPARE(solvenna::folderOfProgram(program), folder);
}

void CatalogueTest::folderValues_areConcatenatedWithOneDelimiter() {
    const Folders f = Folders::fromAppFolder(u"/opt/s/"_s);
    QCOMPARE(f.AppFolder, u"/opt/s/"_s);
    QCOMPARE(f.DataFolder, u"/opt/s/Data/"_s);
    QCOMPARE(f.ZodiacFolder, u"/opt/s/Data/Zodiac/"_s);
    QCOMPARE(f.ChineseFolder, u"/opt/s/Data/Chinese/"_s);
    QCOMPARE(f.DruidFolder, u"/opt/s/Data/Druidean/"_s);
    QCOMPARE(f.NumericFolder, u"/opt/s/Data/Numeric/"_s);
    QCOMPARE(f.ZoroastrianFolder, u"/opt/s/Data/Zoroastrian/"_s);
    QCOMPARE(f.MythFolder, u"/opt/s/Data/Myphologic/"_s);
    QCOMPARE(f.errorPage(), u"/opt/s/Data/ErrorPage/error.htm"_s);

    const Folders root = Folders::fromAppFolder(solvenna::folderOfProgram(u"/solvenna"_s));
    QCOMPARE(root.DataFolder, u"/Data/"_s);
    QCOMPARE(root.ZodiacFolder + *zodiacSignFolder(5) + u'/' + *topicFile(0),
             u"/Data/Zodiac/lion/element.htm"_s);
}

void CatalogueTest::layout_data() {
    // Folders made under a temporary root, with "bin" for the program's folder; "/" ends a folder.
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<bool>("installed");
    QTest::newRow("Data beside the program") << QStringList{u"bin/Data/"_s} << false;
    QTest::newRow("Data beside it wins over an installed tree")
        << QStringList{u"bin/Data/"_s, u"share/solvenna/Data/"_s} << false;
    QTest::newRow("installed tree") << QStringList{u"share/solvenna/Data/"_s} << true;
    QTest::newRow("no pages anywhere stays portable") << QStringList{u"share/solvenna/"_s} << false;
    QTest::newRow("a file named Data beside the program")
        << QStringList{u"bin/Data"_s, u"share/solvenna/Data/"_s} << true;
    QTest::newRow("a file named Data in the tree") << QStringList{u"share/solvenna/Data"_s} << false;
}

void CatalogueTest::layout() {
    QFETCH(QStringList, folders);
    QFETCH(bool, installed);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkpath(u"bin"_s));
    for (const QString& entry : folders) {
        if (entry.endsWith(u'/')) {
            QVERIFY(QDir(root.path()).mkpath(entry));
        } else {
            QVERIFY(QDir(root.path()).mkpath(QFileInfo(entry).path()));
            QFile file(root.filePath(entry));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    const QString program = root.filePath(u"bin/"_s), config = root.filePath(u"home/.config/solvenna"_s);
    const Folders f = Folders::forProgram(program, config);
    QCOMPARE(f.installed, installed);
    QCOMPARE(f.AppFolder, program);
    if (installed) {
        const QString shared = root.filePath(u"share/solvenna/"_s);
        QCOMPARE(f.DataFolder, shared + u"Data/"_s);
        QCOMPARE(f.MythFolder, shared + u"Data/Myphologic/"_s);
        QCOMPARE(f.errorPage(), shared + u"Data/ErrorPage/error.htm"_s);
        QCOMPARE(f.ConfigFolder, config + u'/');
    } else {
        // Exactly the portable layout of old.
        const Folders portable = Folders::fromAppFolder(program);
        QCOMPARE(f.DataFolder, portable.DataFolder);
        QCOMPARE(f.ZodiacFolder, portable.ZodiacFolder);
        QCOMPARE(f.ConfigFolder, program);
    }
    // Without a configuration folder there is nowhere else to write: portable.
    QCOMPARE(Folders::forProgram(program, QString()).ConfigFolder, program);
}

void CatalogueTest::installedLayout_followsTheTreeWhenMoved() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkpath(u"old/usr/share/solvenna/Data"_s));
    QVERIFY(QDir(root.path()).mkpath(u"old/usr/bin"_s));
    QVERIFY(QDir(root.path()).rename(u"old"_s, u"новое место"_s));
    const Folders f =
        Folders::forProgram(root.filePath(u"новое место/usr/bin/"_s), u"/home/u/.config/solvenna"_s);
    QVERIFY(f.installed);
    QCOMPARE(f.DataFolder, root.filePath(u"новое место/usr/share/solvenna/Data/"_s));
    QCOMPARE(f.ConfigFolder, u"/home/u/.config/solvenna/"_s);
}

void CatalogueTest::topicCaptions() {
    const QStringList expected{u"Стихия знака"_s,
                               u"Профессии"_s,
                               u"Эротический гороскоп"_s,
                               u"Спутники жизни"_s,
                               u"Ароматический гороскоп"_s,
                               u"Темперамент и характер"_s,
                               u"Здоровье"_s,
                               u"Психосексуальный гороскоп"_s,
                               u"Опора в жизни"_s,
                               u"Любовный гороскоп"_s,
                               u"Полезные продукты"_s};
    QStringList actual;
    for (int i = 0; i < kTopicCount; ++i)
        actual << topicCaption(i);
    QCOMPARE(actual, expected);
    QVERIFY(topicCaption(11).isEmpty());
}

void CatalogueTest::systemTable_rowsHoldTheirOwnSystemsPages_data() {
    QTest::addColumn<int>("system");
    QTest::addColumn<int>("signs");
    QTest::newRow("zodiac") << int(HoroscopeSystem::Zodiac) << 12;
    QTest::newRow("chinese") << int(HoroscopeSystem::Chinese) << 12;
    QTest::newRow("druid") << int(HoroscopeSystem::Druid) << 22;
    QTest::newRow("zoroastrian") << int(HoroscopeSystem::Zoroastrian) << 32;
    QTest::newRow("mythological") << int(HoroscopeSystem::Mythological) << 10;
    QTest::newRow("numerological") << int(HoroscopeSystem::Numerological) << 9;
}

// A row wired to another system's tables would end its pages or names at the wrong sign.
void CatalogueTest::systemTable_rowsHoldTheirOwnSystemsPages() {
    QFETCH(int, system);
    QFETCH(int, signs);
    const SystemEntry& entry = systemEntry(HoroscopeSystem(system));
    QCOMPARE(int(entry.system), system);
    QCOMPARE(entry.signCount, signs);
    QCOMPARE(signCount(HoroscopeSystem(system)), signs);
    QSet<QString> entries, names;
    for (int i = 1; i <= signs; ++i) {
        const auto held = entry.signEntry(i);
        QVERIFY2(held && !held->isEmpty(), qPrintable(QString::number(i)));
        entries.insert(*held);
        const QString name = signName(HoroscopeSystem(system), i);
        QVERIFY2(!name.isEmpty(), qPrintable(QString::number(i)));
        names.insert(name);
    }
    QCOMPARE(entries.size(), signs);
    QCOMPARE(names.size(), signs);
    QVERIFY(!entry.signEntry(signs + 1));
    QVERIFY(signName(HoroscopeSystem(system), signs + 1).isEmpty());
    QVERIFY(signName(HoroscopeSystem(system), 0).isEmpty());
}

void CatalogueTest::systemTable_namesAndFoldersAreTheSystemsOwn() {
    const Folders folders = Folders::fromAppFolder(u"/opt/s/"_s);
    QStringList menuNames, captions, pageFolders;
    for (const SystemEntry& entry : systemTable()) {
        menuNames << systemMenuName(entry.system);
        captions << systemCaption(entry.system);
        pageFolders << folders.*entry.folder;
    }
    QCOMPARE(menuNames, (QStringList{u"Зодиакальный"_s, u"Китайский"_s, u"Друидов"_s, u"Зороастрийский"_s,
                                     u"Мифологический"_s, u"Нумерологический"_s}));
    QCOMPARE(captions, (QStringList{u"Зодиакальный гороскоп"_s, u"Китайский гороскоп"_s,
                                    u"Гороскоп Друидов"_s, u"Зороастрийский гороскоп"_s,
                                    u"Мифологический гороскоп"_s, u"Нумерологический гороскоп"_s}));
    QCOMPARE(pageFolders, (QStringList{u"/opt/s/Data/Zodiac/"_s, u"/opt/s/Data/Chinese/"_s,
                                       u"/opt/s/Data/Druidean/"_s, u"/opt/s/Data/Zoroastrian/"_s,
                                       u"/opt/s/Data/Myphologic/"_s, u"/opt/s/Data/Numeric/"_s}));
}

void CatalogueTest::singlePage_data() {
    QTest::addColumn<int>("system");
    QTest::addColumn<Date>("birthDate");
    QTest::addColumn<QString>("page"); // empty: none
    QTest::addColumn<int>("messages");
    const Date august1975 = encodeDate(1975, 8, 15);
    QTest::newRow("zodiac has topics, not one page")
        << int(HoroscopeSystem::Zodiac) << august1975 << QString() << 0;
    QTest::newRow("chinese 1975 cat")
        << int(HoroscopeSystem::Chinese) << august1975 << u"/opt/s/Data/Chinese/cat.htm"_s << 0;
    QTest::newRow("druid 15.08 kartas")
        << int(HoroscopeSystem::Druid) << august1975 << u"/opt/s/Data/Druidean/kartas.htm"_s << 0;
    QTest::newRow("zoroastrian 1975 spider")
        << int(HoroscopeSystem::Zoroastrian) << august1975 << u"/opt/s/Data/Zoroastrian/6.htm"_s << 0;
    QTest::newRow("mythological 15.08 griffin")
        << int(HoroscopeSystem::Mythological) << august1975 << u"/opt/s/Data/Myphologic/7.htm"_s << 0;
    QTest::newRow("numerological 15.08.1975 is 9")
        << int(HoroscopeSystem::Numerological) << august1975 << u"/opt/s/Data/Numeric/9.htm"_s << 0;
    QTest::newRow("chinese 1905 refused")
        << int(HoroscopeSystem::Chinese) << encodeDate(1905, 3, 1) << QString() << 1;
    QTest::newRow("zoroastrian 1899 refused")
        << int(HoroscopeSystem::Zoroastrian) << encodeDate(1899, 3, 1) << QString() << 1;
}

void CatalogueTest::singlePage() {
    QFETCH(int, system);
    QFETCH(Date, birthDate);
    QFETCH(QString, page);
    QFETCH(int, messages);
    QStringList shown;
    const MessageHook previous = setMessageHook([&shown](const QString& text) { shown << text; });
    const auto found =
        solvenna::singlePage(Folders::fromAppFolder(u"/opt/s/"_s), HoroscopeSystem(system), birthDate);
    setMessageHook(previous);
    QCOMPARE(found.value_or(QString()), page);
    QCOMPARE(shown.size(), messages);
}

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
