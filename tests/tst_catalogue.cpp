#include "core/catalogue.h"

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

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
