#include "core/catalogue.h"
#include "core/compatibility.h"
#include "core/date.h"
#include "core/signs.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QXmlStreamReader>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;
using testsupport::MessageRecorder;

Q_DECLARE_METATYPE(solvenna::ZodiacRelation)
Q_DECLARE_METATYPE(solvenna::Element)
Q_DECLARE_METATYPE(solvenna::ChineseRelation)
Q_DECLARE_METATYPE(solvenna::CompatibilityPerson)

namespace {

const QString kDataDir = testsupport::dataFolder() + u'/';

// Sign indices by the names the program gives them, so the tables below read as the lists they check.
int zodiacIndex(const QString& name) {
    for (int i = 1; i <= kZodiacSigns; ++i)
        if (signName(HoroscopeSystem::Zodiac, i) == name) return i;
    return -1;
}
int animalIndex(const QString& name) {
    for (int i = 1; i <= kChineseAnimals; ++i)
        if (signName(HoroscopeSystem::Chinese, i) == name) return i;
    return -1;
}

// Links and style sheets of a page, and whether it parsed as XML.
struct PageFacts {
    QString error;
    QStringList hrefs;
    QString text;
    QString rawText; // as written, non-breaking blanks and all
};
PageFacts inspect(const QString& html) {
    PageFacts facts;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString href = xml.attributes().value(u"href"_s).toString();
            if (!href.isEmpty()) facts.hrefs << href;
        } else if (xml.isCharacters()) {
            facts.text += xml.text().toString();
        }
    }
    if (xml.hasError()) facts.error = xml.errorString() + u" at line "_s + QString::number(xml.lineNumber());
    facts.rawText = facts.text;
    facts.text = facts.text.simplified();
    return facts;
}

// A data folder of our own holding copies of the real fragments, to break.
struct FragmentCopy {
    QTemporaryDir dir;
    QString dataFolder;
    FragmentCopy() {
        dataFolder = dir.path() + u"/Data/"_s;
        QDir().mkpath(dataFolder + u"Compatibility"_s);
        for (const QString& file : allFragmentFiles())
            QFile::copy(kDataDir + file, dataFolder + file);
    }
};

CompatibilityPerson person(const QString& name, int y, int m, int d) {
    return {name, QStringLiteral("%1.%2.%3").arg(d, 2, 10, QChar(u'0')).arg(m, 2, 10, QChar(u'0')).arg(y),
            encodeDate(y, m, d)};
}

bool harmonious(ZodiacRelation r) {
    // Same or complementary elements: fire with air, earth with water.
    return r == ZodiacRelation::SameSign || r == ZodiacRelation::Sextile || r == ZodiacRelation::Trine ||
           r == ZodiacRelation::Opposition;
}

} // namespace

class CompatibilityTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void zodiacRelation_symmetricAndOnePerPair();
    void zodiacRelation_eachSignHasTheCircleCounts();
    void outsideTables_giveNoRelation_data();
    void outsideTables_giveNoRelation();
    void elements_matchTheLists_data();
    void elements_matchTheLists();
    void elementPairs_tenUnorderedPairs();
    void namedZodiacPairs_data();
    void namedZodiacPairs();
    void chineseRelation_symmetricAndOnePerPair();
    void chineseRelation_eachAnimalHasTheListCounts();
    void chineseRelation_onlyTheSameAnimalHasTwo();
    void triangles_matchTheLists_data();
    void triangles_matchTheLists();
    void namedChinesePairs_data();
    void namedChinesePairs();
    void verdict_agreeingElementsScoreAboveClashingOnes();
    void fragmentFiles_oneFilePerTextAllDistinct();
    void page_namesBothPeopleAndTheirSigns();
    void page_linksLeadToExistingPages();
    void page_yearBefore1910_saysNotAvailableWithoutMessage();
    void page_missingOrBrokenFragment_isReported_data();
    void page_missingOrBrokenFragment_isReported();
    void page_hostileNames_areEscaped();
    void page_verdictComesFirst_data();
    void page_verdictComesFirst();
    void page_dateRangesNeverBreak();
    void readFragment_takesTheBody_data();
    void readFragment_takesTheBody();
};

void CompatibilityTest::zodiacRelation_symmetricAndOnePerPair() {
    for (int a = 1; a <= kZodiacSigns; ++a)
        for (int b = 1; b <= kZodiacSigns; ++b) {
            const auto ab = zodiacRelation(a, b), ba = zodiacRelation(b, a);
            QVERIFY2(ab.has_value(), qPrintable(QStringLiteral("%1-%2").arg(a).arg(b)));
            QCOMPARE(ab, ba);
            QCOMPARE(int(*ab), *zodiacDistance(a, b));
            QVERIFY(*zodiacDistance(a, b) >= 0 && *zodiacDistance(a, b) <= 6);
            QCOMPARE(elementPair(a, b), elementPair(b, a));
        }
}

void CompatibilityTest::zodiacRelation_eachSignHasTheCircleCounts() {
    // Going round from any sign: itself, two on each distance 1..5, one opposite.
    const QList<int> expected{1, 2, 2, 2, 2, 2, 1};
    for (int a = 1; a <= kZodiacSigns; ++a) {
        QList<int> counts(kZodiacRelationCount, 0);
        for (int b = 1; b <= kZodiacSigns; ++b)
            ++counts[int(*zodiacRelation(a, b))];
        QCOMPARE(counts, expected);
    }
}

void CompatibilityTest::outsideTables_giveNoRelation_data() {
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::newRow("zero") << 0 << 5;
    QTest::newRow("thirteen") << 5 << 13;
    QTest::newRow("no sign") << -1 << -1;
    QTest::newRow("huge") << 1 << 2147483647;
}

void CompatibilityTest::outsideTables_giveNoRelation() {
    QFETCH(int, a);
    QFETCH(int, b);
    QVERIFY(!zodiacRelation(a, b));
    QVERIFY(!zodiacDistance(a, b));
    QVERIFY(!elementPair(a, b));
    QVERIFY(!chineseRelation(a, b));
    QVERIFY(chineseRelationsThatHold(a, b).isEmpty());
}

void CompatibilityTest::elements_matchTheLists_data() {
    QTest::addColumn<Element>("element");
    QTest::addColumn<QStringList>("signs");
    QTest::newRow("fire") << Element::Fire << QStringList{u"Овен"_s, u"Лев"_s, u"Стрелец"_s};
    QTest::newRow("earth") << Element::Earth << QStringList{u"Телец"_s, u"Дева"_s, u"Козерог"_s};
    QTest::newRow("air") << Element::Air << QStringList{u"Близнецы"_s, u"Весы"_s, u"Водолей"_s};
    QTest::newRow("water") << Element::Water << QStringList{u"Рак"_s, u"Скорпион"_s, u"Рыбы"_s};
}

void CompatibilityTest::elements_matchTheLists() {
    QFETCH(Element, element);
    QFETCH(QStringList, signs);
    QSet<int> listed;
    for (const QString& name : signs) {
        const int sign = zodiacIndex(name);
        QVERIFY2(sign > 0, qPrintable(name));
        QCOMPARE(elementOf(sign), element);
        listed.insert(sign);
    }
    for (int sign = 1; sign <= kZodiacSigns; ++sign)
        if (!listed.contains(sign)) QVERIFY2(elementOf(sign) != element, qPrintable(zodiacTitle(sign)));
}

void CompatibilityTest::elementPairs_tenUnorderedPairs() {
    const QList<ElementPair> all = allElementPairs();
    QCOMPARE(all.size(), kElementPairCount);
    QSet<QString> files;
    for (const ElementPair& p : all) {
        QVERIFY(p.first <= p.second);
        QCOMPARE(makeElementPair(p.second, p.first), p);
        files.insert(fragmentFile(p));
    }
    QCOMPARE(files.size(), kElementPairCount);
    // Every pair occurs between some two signs, and every two signs give one of the ten.
    QSet<QString> seen;
    for (int a = 1; a <= kZodiacSigns; ++a)
        for (int b = 1; b <= kZodiacSigns; ++b) {
            const ElementPair p = *elementPair(a, b);
            QVERIFY(all.contains(p));
            seen.insert(fragmentFile(p));
        }
    QCOMPARE(seen, files);
}

void CompatibilityTest::namedZodiacPairs_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<ZodiacRelation>("relation");
    QTest::addColumn<QString>("elementsFile");
    using R = ZodiacRelation;
    const QString f = u"Compatibility/elements-"_s;
    QTest::newRow("Лев-Стрелец") << u"Лев"_s << u"Стрелец"_s << R::Trine << f + u"fire-fire.htm"_s;
    QTest::newRow("Лев-Водолей") << u"Лев"_s << u"Водолей"_s << R::Opposition << f + u"fire-air.htm"_s;
    QTest::newRow("Лев-Рыбы") << u"Лев"_s << u"Рыбы"_s << R::Quincunx << f + u"fire-water.htm"_s;
    QTest::newRow("Рыбы-Овен over the circle's end")
        << u"Рыбы"_s << u"Овен"_s << R::Neighbours << f + u"fire-water.htm"_s;
    QTest::newRow("Овен-Телец") << u"Овен"_s << u"Телец"_s << R::Neighbours << f + u"fire-earth.htm"_s;
    QTest::newRow("Близнецы-Лев") << u"Близнецы"_s << u"Лев"_s << R::Sextile << f + u"fire-air.htm"_s;
    QTest::newRow("Рак-Весы") << u"Рак"_s << u"Весы"_s << R::Square << f + u"air-water.htm"_s;
    QTest::newRow("Козерог-Козерог") << u"Козерог"_s << u"Козерог"_s << R::SameSign
                                     << f + u"earth-earth.htm"_s;
    QTest::newRow("Дева-Водолей") << u"Дева"_s << u"Водолей"_s << R::Quincunx << f + u"earth-air.htm"_s;
    QTest::newRow("Телец-Скорпион") << u"Телец"_s << u"Скорпион"_s << R::Opposition
                                    << f + u"earth-water.htm"_s;
    QTest::newRow("Водолей-Овен") << u"Водолей"_s << u"Овен"_s << R::Sextile << f + u"fire-air.htm"_s;
    QTest::newRow("Рак-Рыбы") << u"Рак"_s << u"Рыбы"_s << R::Trine << f + u"water-water.htm"_s;
    QTest::newRow("Весы-Козерог") << u"Весы"_s << u"Козерог"_s << R::Square << f + u"earth-air.htm"_s;
}

void CompatibilityTest::namedZodiacPairs() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(ZodiacRelation, relation);
    QFETCH(QString, elementsFile);
    const int a = zodiacIndex(first), b = zodiacIndex(second);
    QCOMPARE(zodiacRelation(a, b), relation);
    QCOMPARE(fragmentFile(*elementPair(a, b)), elementsFile);
}

void CompatibilityTest::chineseRelation_symmetricAndOnePerPair() {
    for (int a = 1; a <= kChineseAnimals; ++a)
        for (int b = 1; b <= kChineseAnimals; ++b) {
            const auto ab = chineseRelation(a, b);
            QVERIFY(ab.has_value());
            QCOMPARE(ab, chineseRelation(b, a));
            QCOMPARE(chineseRelationsThatHold(a, b), chineseRelationsThatHold(b, a));
            const auto hold = chineseRelationsThatHold(a, b);
            // The relation that counts is the first that holds in the precedence order, or neutral.
            QCOMPARE(*ab, hold.isEmpty() ? ChineseRelation::Neutral : hold.first());
        }
}

void CompatibilityTest::chineseRelation_eachAnimalHasTheListCounts() {
    // From the lists: one secret friend, two triangle partners, one opposite, one harm; six neutral.
    const QList<int> expected{1, 1, 2, 1, 1, 6};
    for (int a = 1; a <= kChineseAnimals; ++a) {
        QList<int> counts(kChineseRelationCount, 0);
        for (int b = 1; b <= kChineseAnimals; ++b)
            ++counts[int(*chineseRelation(a, b))];
        QCOMPARE(counts, expected);
    }
}

void CompatibilityTest::chineseRelation_onlyTheSameAnimalHasTwo() {
    // The precedence table only ever decides between the same animal and its own triangle: the lists
    // of friends, oppositions and harms never name a pair twice.
    for (int a = 1; a <= kChineseAnimals; ++a)
        for (int b = 1; b <= kChineseAnimals; ++b) {
            const auto hold = chineseRelationsThatHold(a, b);
            if (a == b)
                QCOMPARE(hold, (QList{ChineseRelation::SameAnimal, ChineseRelation::Triangle}));
            else
                QVERIFY2(hold.size() <= 1, qPrintable(QStringLiteral("%1-%2").arg(a).arg(b)));
        }
}

void CompatibilityTest::triangles_matchTheLists_data() {
    QTest::addColumn<QStringList>("animals");
    QTest::newRow("rat-dragon-monkey") << QStringList{u"Крыса"_s, u"Дракон"_s, u"Обезьяна"_s};
    QTest::newRow("ox-snake-rooster") << QStringList{u"Бык"_s, u"Змея"_s, u"Петух"_s};
    QTest::newRow("tiger-horse-dog") << QStringList{u"Тигр"_s, u"Лошадь"_s, u"Собака"_s};
    QTest::newRow("cat-goat-pig") << QStringList{u"Кот"_s, u"Коза"_s, u"Свинья"_s};
}

void CompatibilityTest::triangles_matchTheLists() {
    QFETCH(QStringList, animals);
    QSet<int> members;
    for (const QString& name : animals) {
        const int i = animalIndex(name);
        QVERIFY2(i > 0, qPrintable(name));
        members.insert(i);
    }
    const auto triangle = chineseTriangle(*members.begin());
    QVERIFY(triangle.has_value());
    for (int a = 1; a <= kChineseAnimals; ++a) {
        QCOMPARE(chineseTriangle(a) == triangle, members.contains(a));
        for (int b : members)
            if (a != b && members.contains(a)) QCOMPARE(chineseRelation(a, b), ChineseRelation::Triangle);
    }
}

void CompatibilityTest::namedChinesePairs_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<ChineseRelation>("relation");
    using R = ChineseRelation;
    QTest::newRow("rat-horse") << u"Крыса"_s << u"Лошадь"_s << R::Opposition;
    QTest::newRow("dragon-dog over the table's end") << u"Дракон"_s << u"Собака"_s << R::Opposition;
    QTest::newRow("snake-pig") << u"Змея"_s << u"Свинья"_s << R::Opposition;
    QTest::newRow("cat-dog") << u"Кот"_s << u"Собака"_s << R::SecretFriends;
    QTest::newRow("rat-ox") << u"Крыса"_s << u"Бык"_s << R::SecretFriends;
    QTest::newRow("tiger-pig") << u"Тигр"_s << u"Свинья"_s << R::SecretFriends;
    QTest::newRow("dragon-rooster") << u"Дракон"_s << u"Петух"_s << R::SecretFriends;
    QTest::newRow("snake-monkey") << u"Змея"_s << u"Обезьяна"_s << R::SecretFriends;
    QTest::newRow("horse-goat") << u"Лошадь"_s << u"Коза"_s << R::SecretFriends;
    QTest::newRow("rat-goat") << u"Крыса"_s << u"Коза"_s << R::Harm;
    QTest::newRow("ox-horse") << u"Бык"_s << u"Лошадь"_s << R::Harm;
    QTest::newRow("tiger-snake") << u"Тигр"_s << u"Змея"_s << R::Harm;
    QTest::newRow("cat-dragon") << u"Кот"_s << u"Дракон"_s << R::Harm;
    QTest::newRow("monkey-pig") << u"Обезьяна"_s << u"Свинья"_s << R::Harm;
    QTest::newRow("dog-rooster") << u"Собака"_s << u"Петух"_s << R::Harm;
    QTest::newRow("rat-monkey") << u"Крыса"_s << u"Обезьяна"_s << R::Triangle;
    QTest::newRow("rooster-rooster") << u"Петух"_s << u"Петух"_s << R::SameAnimal;
    QTest::newRow("cat-monkey") << u"Кот"_s << u"Обезьяна"_s << R::Neutral;
    QTest::newRow("rat-tiger") << u"Крыса"_s << u"Тигр"_s << R::Neutral;
}

void CompatibilityTest::namedChinesePairs() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(ChineseRelation, relation);
    QCOMPARE(chineseRelation(animalIndex(first), animalIndex(second)), relation);
}

void CompatibilityTest::verdict_agreeingElementsScoreAboveClashingOnes() {
    for (int i = 0; i < kZodiacRelationCount; ++i) {
        const ZodiacVerdict v = zodiacVerdict(ZodiacRelation(i));
        QVERIFY(v.score >= 1 && v.score <= kVerdictScale);
        QVERIFY(!v.text.isEmpty());
        for (int k = 0; k < kZodiacRelationCount; ++k)
            if (harmonious(ZodiacRelation(i)) && !harmonious(ZodiacRelation(k)))
                QVERIFY2(v.score > zodiacVerdict(ZodiacRelation(k)).score,
                         qPrintable(zodiacRelationCaption(ZodiacRelation(i)) + u" vs "_s +
                                    zodiacRelationCaption(ZodiacRelation(k))));
    }
    // The one aspect of one element scores highest.
    for (int k = 0; k < kZodiacRelationCount; ++k)
        if (ZodiacRelation(k) != ZodiacRelation::Trine)
            QVERIFY(zodiacVerdict(ZodiacRelation::Trine).score > zodiacVerdict(ZodiacRelation(k)).score);
}

void CompatibilityTest::fragmentFiles_oneFilePerTextAllDistinct() {
    const QStringList files = allFragmentFiles();
    QCOMPARE(files.size(), 25);
    QCOMPARE(QSet<QString>(files.begin(), files.end()).size(), 25);
    for (const QString& f : files)
        QVERIFY2(f.startsWith(u"Compatibility/"_s) && f.endsWith(u".htm"_s), qPrintable(f));
    QCOMPARE(fragmentFile(ZodiacRelation::Trine), u"Compatibility/zodiac-trine.htm"_s);
    QCOMPARE(fragmentFile(makeElementPair(Element::Water, Element::Fire)),
             u"Compatibility/elements-fire-water.htm"_s);
    QCOMPARE(fragmentFile(ChineseRelation::SecretFriends), u"Compatibility/chinese-secret-friends.htm"_s);
    QCOMPARE(fragmentPath(u"/opt/app/Data/"_s, fragmentFile(ZodiacRelation::SameSign)),
             u"/opt/app/Data/Compatibility/zodiac-same.htm"_s);
}

void CompatibilityTest::page_namesBothPeopleAndTheirSigns() {
    MessageRecorder messages;
    const CompatibilityPage page =
        compatibilityPage(kDataDir, person(u"Анна"_s, 1975, 8, 15), person(u"Ольга"_s, 1980, 3, 3));
    QVERIFY2(page.ok(), qPrintable(page.missing.join(u", "_s)));
    const PageFacts facts = inspect(page.html);
    QVERIFY2(facts.error.isEmpty(), qPrintable(facts.error));
    QVERIFY(page.html.contains(u"charset=utf-8"_s));
    QVERIFY(facts.hrefs.contains(u"../style.css"_s));
    for (const QString& expected :
         {u"Анна"_s, u"Ольга"_s, u"15.08.1975"_s, u"03.03.1980"_s, u"Лев (23.07 \u2011 22.08)"_s,
          u"Рыбы (19.02 \u2011 20.03)"_s, u"Огонь"_s, u"Вода"_s, u"Квинконс"_s, u"Кот"_s, u"Обезьяна"_s,
          u"Нейтральные знаки"_s, u"Оценка: 3 из 10."_s})
        QVERIFY2(facts.text.contains(expected), qPrintable(expected));
    // The fragments' own texts are in it, not just the headings.
    QVERIFY(facts.text.contains(u"Квинконс — отношение знаков"_s));
    QVERIFY(facts.text.contains(u"Огонь и Вода — самое драматичное сочетание"_s));
    QVERIFY(messages.messages.isEmpty());
    QCOMPARE(compatibilityHint(person(u"Анна"_s, 1975, 8, 15), person(u"  "_s, 1980, 3, 3)),
             u"Совместимость: Анна и Без имени"_s);
}

void CompatibilityTest::page_linksLeadToExistingPages() {
    const CompatibilityPerson a = person(u"Анна"_s, 1975, 8, 15), b = person(u"Ольга"_s, 1980, 3, 3);
    const CompatibilityPage page = compatibilityPage(kDataDir, a, b);
    QVERIFY(page.ok());
    const PageFacts facts = inspect(page.html);
    const QDir base(kDataDir + u"Compatibility"_s);
    for (const QString& href : facts.hrefs)
        QVERIFY2(QFileInfo(base.filePath(href)).isFile(), qPrintable(href));
    // Both people's signs of the other systems, each a link to its page.
    const PersonSigns sa = personSigns(a.birthDate), sb = personSigns(b.birthDate);
    for (const PersonSigns& s : {sa, sb}) {
        QVERIFY(facts.hrefs.contains(u"../Druidean/"_s + *druidFile(s.tree)));
        QVERIFY(facts.hrefs.contains(u"../Zoroastrian/"_s + *zoroastrianFile(s.totem)));
        QVERIFY(facts.hrefs.contains(u"../Myphologic/"_s + *mythFile(s.creature)));
        QVERIFY(facts.hrefs.contains(u"../Numeric/"_s + *numericFile(s.number)));
        QVERIFY(facts.hrefs.contains(u"../Chinese/"_s + *chineseFile(s.chinese)));
    }
    QCOMPARE(facts.hrefs.size(), 1 + 2 * 6); // the style sheet, and six signs of each person
}

void CompatibilityTest::page_yearBefore1910_saysNotAvailableWithoutMessage() {
    MessageRecorder messages;
    FragmentCopy copy;
    // Not needed when one animal is unknown: the page must not ask for them.
    for (int r = 0; r < kChineseRelationCount; ++r)
        QFile::remove(copy.dataFolder + fragmentFile(ChineseRelation(r)));
    const CompatibilityPage page =
        compatibilityPage(copy.dataFolder, person(u"Анна"_s, 1975, 8, 15), person(u"Пётр"_s, 1895, 5, 1));
    QVERIFY2(page.ok(), qPrintable(page.missing.join(u", "_s)));
    const PageFacts facts = inspect(page.html);
    QVERIFY2(facts.error.isEmpty(), qPrintable(facts.error));
    QVERIFY(facts.text.contains(u"недоступен: год рождения раньше 1910"_s));
    QVERIFY(facts.text.contains(u"недоступен: год рождения раньше 1900"_s)); // no Zoroastrian totem either
    QVERIFY(!facts.text.contains(u"Отношение знаков: Нейтральные"_s));
    QVERIFY(messages.messages.isEmpty());
    QCOMPARE(personSigns(encodeDate(1909, 12, 31)).chinese, -1);
    QCOMPARE(personSigns(encodeDate(1910, 1, 1)).chinese, GetAnimal_China(1910));
}

void CompatibilityTest::page_missingOrBrokenFragment_isReported_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("damage");
    QTest::newRow("zodiac relation missing") << fragmentFile(ZodiacRelation::Quincunx) << u"remove"_s;
    QTest::newRow("element pair missing")
        << fragmentFile(makeElementPair(Element::Fire, Element::Water)) << u"remove"_s;
    QTest::newRow("chinese relation missing") << fragmentFile(ChineseRelation::Neutral) << u"remove"_s;
    QTest::newRow("introduction too large") << introductionFragmentFile() << u"huge"_s;
    QTest::newRow("closing text is a folder") << otherSystemsFragmentFile() << u"folder"_s;
}

void CompatibilityTest::page_missingOrBrokenFragment_isReported() {
    QFETCH(QString, file);
    QFETCH(QString, damage);
    FragmentCopy copy;
    const QString path = copy.dataFolder + file;
    QVERIFY(QFile::remove(path));
    if (damage == u"huge") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(kMaxFragmentBytes + 1, 'x'));
    } else if (damage == u"folder") {
        QVERIFY(QDir().mkpath(path));
    }
    const CompatibilityPage page =
        compatibilityPage(copy.dataFolder, person(u"Анна"_s, 1975, 8, 15), person(u"Ольга"_s, 1980, 3, 3));
    QVERIFY(!page.ok());
    QVERIFY(page.html.isEmpty());
    QCOMPARE(page.missing, QStringList{fragmentPath(copy.dataFolder, file)});
}

void CompatibilityTest::page_hostileNames_areEscaped() {
    const QString hostile = u"<b>Анна</b> & \"Ко\" <script>"_s;
    const CompatibilityPage page =
        compatibilityPage(kDataDir, person(hostile, 1975, 8, 15), person(QString(), 1980, 3, 3));
    QVERIFY(page.ok());
    const PageFacts facts = inspect(page.html);
    QVERIFY2(facts.error.isEmpty(), qPrintable(facts.error));
    QVERIFY(facts.text.contains(hostile)); // shown as typed, not taken as markup
    QVERIFY(!page.html.contains(u"<script>"_s));
    QVERIFY(facts.text.contains(u"Без имени"_s));
}

// The relations and their one-line meanings open the page; the general introduction comes after them.
void CompatibilityTest::page_verdictComesFirst_data() {
    QTest::addColumn<CompatibilityPerson>("partner");
    QTest::addColumn<QStringList>("verdict");
    QTest::newRow("Лев and Рыбы, Кот and Обезьяна")
        << person(u"Ольга"_s, 1980, 3, 3)
        << QStringList{u"Знаки зодиака: Лев и Рыбы — Квинконс."_s,
                       u"Оценка: 3 из 10."_s,
                       u"Стихии: Огонь и Вода."_s,
                       elementPairVerdict({Element::Fire, Element::Water}),
                       u"Китайский гороскоп: Кот и Обезьяна — Нейтральные знаки."_s,
                       chineseRelationVerdict(ChineseRelation::Neutral)};
    QTest::newRow("one element, secret friends")
        << person(u"Пётр"_s, 1970, 4, 10) // Овен, Собака
        << QStringList{u"Знаки зодиака: Лев и Овен — Трин."_s, u"Стихия: Огонь у обоих."_s,
                       elementPairVerdict({Element::Fire, Element::Fire}), u"Кот и Собака — Тайные друзья."_s,
                       chineseRelationVerdict(ChineseRelation::SecretFriends)};
    QTest::newRow("no Chinese sign")
        << person(u"Пётр"_s, 1895, 5, 1)
        << QStringList{u"Знаки зодиака: Лев и Телец — Квадрат."_s,
                       u"Китайский гороскоп: недоступен для года рождения раньше 1910."_s};
}

void CompatibilityTest::page_verdictComesFirst() {
    QFETCH(CompatibilityPerson, partner);
    QFETCH(QStringList, verdict);
    const CompatibilityPage page = compatibilityPage(kDataDir, person(u"Анна"_s, 1975, 8, 15), partner);
    QVERIFY(page.ok());
    const QString text = inspect(page.html).text;
    const qsizetype introduction = text.indexOf(u"Эта страница сравнивает двух людей"_s);
    QVERIFY(introduction > 0);
    for (const QString& line : verdict) {
        const qsizetype at = text.indexOf(line);
        QVERIFY2(at >= 0 && at < introduction, qPrintable(line));
    }
}

// However narrow the column, a sign's date range stays on one line.
void CompatibilityTest::page_dateRangesNeverBreak() {
    const CompatibilityPage page =
        compatibilityPage(kDataDir, person(u"Анна"_s, 1975, 8, 15), person(u"Ольга"_s, 1980, 3, 3));
    const QString text = inspect(page.html).rawText;
    const QRegularExpression range(u"\\d\\d\\.\\d\\d\\P{L}{1,3}?\\d\\d\\.\\d\\d\\)"_s);
    int ranges = 0;
    for (auto it = range.globalMatch(text); it.hasNext(); ++ranges) {
        const QRegularExpressionMatch match = it.next();
        QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, match.captured());
        while (breaks.toNextBoundary() > 0)
            QVERIFY2(breaks.position() == match.capturedLength(), qPrintable(match.captured()));
    }
    QCOMPARE(ranges, 2); // one for each person's sign
}

void CompatibilityTest::readFragment_takesTheBody_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("body");
    QTest::newRow("whole page") << QByteArray("<html><head><meta charset=\"utf-8\"></head><body class=\"x\">"
                                              "<p>\xD0\x9B\xD0\xB5\xD0\xB2</p></body></html>")
                                << u"<p>Лев</p>"_s;
    QTest::newRow("bare fragment") << QByteArray("<p>one</p>\n<p>two</p>") << u"<p>one</p>\n<p>two</p>"_s;
    QTest::newRow("windows-1251 declared")
        << QByteArray("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                      "charset=windows-1251\"></head><BODY><p>\xCB\xE5\xE2</p></BODY></html>")
        << u"<p>Лев</p>"_s;
    QTest::newRow("body never closed") << QByteArray("<html><body><p>cut") << u"<p>cut"_s;
    QTest::newRow("empty file") << QByteArray() << QString();
}

void CompatibilityTest::readFragment_takesTheBody() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, body);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"fragment.htm"_s);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const auto read = readFragment(path);
    QVERIFY(read.has_value());
    QCOMPARE(*read, body);
    QVERIFY(!readFragment(dir.filePath(u"absent.htm"_s)));
}

QTEST_GUILESS_MAIN(CompatibilityTest)
#include "tst_compatibility.moc"
