#include "core/catalogue.h"
#include "core/compatibility.h"
#include "core/date.h"
#include "core/lunarpage.h"
#include "core/signs.h"

#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>
#include <QXmlStreamReader>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kDataDir = testsupport::dataFolder();

// What a page must say about itself, derived from the program's own tables and calculators.
struct ExpectedPage {
    QString relativePath;
    QString heading;
    QString subheading;        // zodiac topic pages only
    QStringList factsInPeriod; // texts the period line must contain
    int minWords = 350;
    int maxWords = 700;
};

QString dayMonth(Date d) {
    const YearMonthDay ymd = decodeDate(d);
    return QStringLiteral("%1.%2").arg(ymd.day, 2, 10, QChar(u'0')).arg(ymd.month, 2, 10, QChar(u'0'));
}

// The periods a date calculator gives each sign, found by walking a leap year day by day; a run over
// the year end is joined into one period ("23.12 - 01.01").
QHash<int, QStringList> periodsOf(std::int32_t (*calculator)(Date)) {
    struct Run {
        int sign;
        Date first, last;
    };
    QList<Run> runs;
    for (Date d = encodeDate(2024, 1, 1); d <= encodeDate(2024, 12, 31); d += 1) {
        const int sign = calculator(d);
        if (!runs.isEmpty() && runs.last().sign == sign)
            runs.last().last = d;
        else
            runs.append({sign, d, d});
    }
    if (runs.size() > 1 && runs.first().sign == runs.last().sign) {
        runs.last().last = runs.first().last;
        runs.removeFirst();
    }
    QHash<int, QStringList> periods;
    for (const Run& r : runs)
        periods[r.sign] << (r.first == r.last ? dayMonth(r.first)
                                              : dayMonth(r.first) + u" - "_s + dayMonth(r.last));
    return periods;
}

QString yearsOf(std::int32_t (*calculator)(std::uint16_t), int index, int from, int count) {
    QStringList years;
    for (int y = from; years.size() < count && y < 2100; ++y)
        if (calculator(std::uint16_t(y)) == index) years << QString::number(y);
    return years.join(u", "_s);
}

QString heading(HoroscopeSystem system, int index) {
    return signName(system, index) + u" — "_s + systemCaption(system);
}

QList<ExpectedPage> expectedPages() {
    QList<ExpectedPage> pages;
    const QString sep = u"/"_s;
    for (int sign = 1; sign <= kZodiacSigns; ++sign)
        for (int topic = 0; topic < kTopicCount; ++topic)
            pages.append({u"Zodiac/"_s + *zodiacSignFolder(sign) + sep + *topicFile(topic),
                          heading(HoroscopeSystem::Zodiac, sign),
                          topicCaption(topic),
                          {zodiacTitle(sign)},
                          200,
                          450});
    for (int i = 1; i <= kChineseAnimals; ++i)
        pages.append({u"Chinese/"_s + *chineseFile(i),
                      heading(HoroscopeSystem::Chinese, i),
                      {},
                      {yearsOf(GetAnimal_China, i, kFirstChineseYear, 10)}});
    const auto trees = periodsOf(GetTree);
    for (int i = 1; i <= kDruidTrees; ++i)
        pages.append(
            {u"Druidean/"_s + *druidFile(i), heading(HoroscopeSystem::Druid, i), {}, trees.value(i)});
    for (int i = 1; i <= kZoroastrianTotems; ++i)
        pages.append({u"Zoroastrian/"_s + *zoroastrianFile(i),
                      heading(HoroscopeSystem::Zoroastrian, i),
                      {},
                      {yearsOf(GetBeast, i, kFirstZoroastrianYear, 5)}});
    const auto creatures = periodsOf(GetCreature);
    for (int i = 1; i <= kMythCreatures; ++i)
        pages.append({u"Myphologic/"_s + *mythFile(i),
                      heading(HoroscopeSystem::Mythological, i),
                      {},
                      creatures.value(i)});
    for (int i = 1; i <= kBirthNumbers; ++i)
        pages.append({u"Numeric/"_s + *numericFile(i), heading(HoroscopeSystem::Numerological, i), {}, {}});
    return pages;
}

// The lunar calendar's texts, named from the program's own stems so that a renamed sign or relation
// shows up as a missing page; each kind has its length.
struct LunarText {
    QString relativePath;
    int minWords;
    int maxWords;
};

QList<LunarText> lunarTexts() {
    QList<LunarText> texts;
    for (int day = 1; day <= 30; ++day)
        texts.append({u"Lunar/day-%1.htm"_s.arg(day, 2, 10, QChar(u'0')), 100, 200});
    for (int sign = 1; sign <= kZodiacSigns; ++sign)
        texts.append({u"Lunar/moon-"_s + *zodiacSignFolder(sign) + u".htm"_s, 80, 150});
    for (int r = 0; r < kZodiacRelationCount; ++r)
        texts.append(
            {fragmentFile(ZodiacRelation(r)).replace(u"Compatibility/zodiac-"_s, u"Lunar/relation-"_s), 60,
             120});
    for (int number = 1; number <= 9; ++number)
        texts.append({u"Lunar/number-%1.htm"_s.arg(number), 60, 120});
    return texts;
}

// A page read as an XML tree: enough structure for the checks below.
struct ParsedPage {
    QString error;
    bool declaresUtf8 = false;
    QStringList styleSheets;
    QList<std::pair<QString, QString>> bodyChildren; // tag, text (with class "period" marked)
    QString periodLine;
    QStringList blocks; // texts of p and li, for the uniqueness checks
    QString bodyText;
};

ParsedPage parse(const QByteArray& bytes) {
    ParsedPage page;
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        page.error = u"not UTF-8"_s;
        return page;
    }
    QXmlStreamReader xml(text);
    int bodyDepth = -1, depth = 0;
    QString currentTag, currentText, currentClass;
    int blockDepth = -1;
    QString block;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            const QString tag = xml.name().toString();
            const auto attrs = xml.attributes();
            if (tag == u"meta" &&
                attrs.value(u"content"_s).toString().contains(u"charset=utf-8", Qt::CaseInsensitive))
                page.declaresUtf8 = true;
            if (tag == u"meta" && attrs.value(u"charset"_s).compare(u"utf-8", Qt::CaseInsensitive) == 0)
                page.declaresUtf8 = true;
            if (tag == u"link" && attrs.value(u"rel"_s) == u"stylesheet")
                page.styleSheets << attrs.value(u"href"_s).toString();
            if (tag == u"body") bodyDepth = depth;
            if (bodyDepth >= 0 && depth == bodyDepth + 1) {
                currentTag = tag;
                currentText.clear();
                currentClass = attrs.value(u"class"_s).toString();
            }
            if (bodyDepth >= 0 && (tag == u"p" || tag == u"li") && blockDepth < 0) {
                blockDepth = depth;
                block.clear();
            }
            if (tag == u"script") page.error = u"has a script"_s;
        } else if (xml.isCharacters() && bodyDepth >= 0) {
            currentText += xml.text();
            block += xml.text();
            page.bodyText += xml.text().toString() + u' ';
        } else if (xml.isEndElement()) {
            if (bodyDepth >= 0 && depth == bodyDepth + 1) {
                const QString simplified = currentText.simplified();
                page.bodyChildren.append({currentTag, simplified});
                if (currentTag == u"p" && currentClass == u"period" && page.periodLine.isEmpty())
                    page.periodLine = simplified;
            }
            if (depth == blockDepth) {
                if (currentClass != u"period" || depth != bodyDepth + 1) page.blocks << block.simplified();
                blockDepth = -1;
            }
            --depth;
        }
    }
    if (xml.hasError()) page.error = xml.errorString() + u" at line "_s + QString::number(xml.lineNumber());
    return page;
}

int wordCount(const QString& text) {
    static const QRegularExpression word(u"[\\w\\-]+"_s, QRegularExpression::UseUnicodePropertiesOption);
    int count = 0;
    for (auto it = word.globalMatch(text); it.hasNext(); it.next())
        ++count;
    return count;
}

QStringList sentences(const QString& block) {
    static const QRegularExpression end(u"(?<=[.!?…])\\s+"_s);
    return block.split(end, Qt::SkipEmptyParts);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString linkedStyleSheet(const QString& pagePath, const ParsedPage& page) {
    if (page.styleSheets.isEmpty()) return {};
    return QFileInfo(QFileInfo(pagePath).dir(), page.styleSheets.first()).canonicalFilePath();
}

} // namespace

class PagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layout_holdsEveryPageAndNothingMisnamed();
    void page_data();
    void page();
    void errorPage();
    void guide();
    void compatibilityFragment_data();
    void compatibilityFragment();
    void lunarText_data();
    void lunarText();
    void noParagraphOrSentenceOnTwoPages();
};

void PagesTest::layout_holdsEveryPageAndNothingMisnamed() {
    QSet<QString> expected{u"ErrorPage/error.htm"_s};
    for (const ExpectedPage& p : expectedPages())
        expected.insert(p.relativePath);
    QCOMPARE(expected.size(), 218);
    expected.insert(u"Guide/guide.htm"_s);
    for (const QString& fragment : allFragmentFiles())
        expected.insert(fragment);
    for (const LunarText& text : lunarTexts())
        expected.insert(text.relativePath);

    QSet<QString> pages, others;
    const QDir root(kDataDir);
    for (QDirIterator it(kDataDir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString rel = root.relativeFilePath(it.next());
        (rel.endsWith(u".htm"_s) ? pages : others).insert(rel);
    }
    const QSet<QString> missing = expected - pages, unexpected = pages - expected;
    QVERIFY2(missing.isEmpty(),
             qPrintable(u"missing: "_s + QStringList(missing.begin(), missing.end()).join(u", "_s)));
    QVERIFY2(unexpected.isEmpty(),
             qPrintable(u"misnamed: "_s + QStringList(unexpected.begin(), unexpected.end()).join(u", "_s)));
    // Besides the style sheet, only the lunar calendar's drawn phases, named as its pages name them.
    QSet<QString> pictures{u"style.css"_s};
    for (int elongation = 0; elongation < 360; elongation += 10)
        pictures.insert(lunarpage::phasePicture(elongation));
    QCOMPARE(pictures.size(), 37);
    QCOMPARE(others, pictures);
}

void PagesTest::page_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("subheading");
    QTest::addColumn<QStringList>("facts");
    QTest::addColumn<int>("minWords");
    QTest::addColumn<int>("maxWords");
    for (const ExpectedPage& p : expectedPages())
        QTest::newRow(qPrintable(p.relativePath))
            << p.relativePath << p.heading << p.subheading << p.factsInPeriod << p.minWords << p.maxWords;
}

void PagesTest::page() {
    QFETCH(QString, path);
    QFETCH(QString, heading);
    QFETCH(QString, subheading);
    QFETCH(QStringList, facts);
    QFETCH(int, minWords);
    QFETCH(int, maxWords);
    const QString file = kDataDir + u'/' + path;
    const ParsedPage page = parse(readFile(file));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY(page.declaresUtf8);
    QCOMPARE(linkedStyleSheet(file, page), QFileInfo(kDataDir + u"/style.css"_s).canonicalFilePath());

    QVERIFY(!page.bodyChildren.isEmpty());
    QCOMPARE(page.bodyChildren.first(), std::pair(u"h1"_s, heading));
    if (!subheading.isEmpty()) QCOMPARE(page.bodyChildren.value(1), std::pair(u"h2"_s, subheading));
    QVERIFY(!facts.isEmpty() || path.startsWith(u"Numeric/"_s));
    for (const QString& fact : facts)
        QVERIFY2(page.periodLine.contains(fact),
                 qPrintable(u"period line «"_s + page.periodLine + u"» lacks "_s + fact));

    const int words = wordCount(page.bodyText);
    QVERIFY2(words >= minWords && words <= maxWords, qPrintable(QString::number(words) + u" words"_s));
}

void PagesTest::errorPage() {
    const QString file = kDataDir + u"/ErrorPage/error.htm"_s;
    const ParsedPage page = parse(readFile(file));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY(page.declaresUtf8);
    QCOMPARE(linkedStyleSheet(file, page), QFileInfo(kDataDir + u"/style.css"_s).canonicalFilePath());
    QCOMPARE(page.bodyChildren.value(0).first, u"h1"_s);
    QVERIFY(page.bodyText.contains(u"Data"_s)); // it tells where the data folder belongs
}

// The user guide (F1): a page in the pages' style, of a length one reads through.
void PagesTest::guide() {
    const QString file = kDataDir + u"/Guide/guide.htm"_s;
    const ParsedPage page = parse(readFile(file));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY(page.declaresUtf8);
    QCOMPARE(linkedStyleSheet(file, page), QFileInfo(kDataDir + u"/style.css"_s).canonicalFilePath());
    QCOMPARE(page.bodyChildren.value(0), std::pair(u"h1"_s, u"Руководство пользователя"_s));
    const int words = wordCount(page.bodyText);
    QVERIFY2(words >= 600 && words <= 1400, qPrintable(QString::number(words) + u" words"_s));
}

// A text of the data folder that a page the program makes puts under its own headings: a page of its own
// that can be read alone, whose body is nothing but paragraphs of prose, of a length in words.
static void checkProseFragment(const QString& path, int minWords, int maxWords, int minParagraphs) {
    const QString file = kDataDir + u'/' + path;
    QVERIFY2(QFileInfo(file).isFile(), qPrintable(u"missing: "_s + path));
    const ParsedPage page = parse(readFile(file));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY(page.declaresUtf8);
    QCOMPARE(linkedStyleSheet(file, page), QFileInfo(kDataDir + u"/style.css"_s).canonicalFilePath());
    QVERIFY(page.bodyChildren.size() >= minParagraphs);
    for (const auto& [tag, text] : page.bodyChildren) {
        QCOMPARE(tag, u"p"_s);
        QVERIFY2(wordCount(text) >= 20, qPrintable(text));
    }
    const int words = wordCount(page.bodyText);
    QVERIFY2(words >= minWords && words <= maxWords, qPrintable(QString::number(words) + u" words"_s));
}

void PagesTest::compatibilityFragment_data() {
    QTest::addColumn<QString>("path");
    for (const QString& file : allFragmentFiles())
        QTest::newRow(qPrintable(file)) << file;
}

// The texts the compatibility page is put together from: each a page of its own that can be read alone,
// whose body is nothing but prose (the page gives the headings).
void PagesTest::compatibilityFragment() {
    QFETCH(QString, path);
    checkProseFragment(path, 150, 300, 3);
}

void PagesTest::lunarText_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("minWords");
    QTest::addColumn<int>("maxWords");
    for (const LunarText& text : lunarTexts())
        QTest::newRow(qPrintable(text.relativePath)) << text.relativePath << text.minWords << text.maxWords;
}

// These texts stand under headings given by the page that shows them, so each is prose alone, like the
// compatibility fragments; the paragraph bound is theirs too: the shortest texts still hold three paragraphs.
void PagesTest::lunarText() {
    QFETCH(QString, path);
    QFETCH(int, minWords);
    QFETCH(int, maxWords);
    checkProseFragment(path, minWords, maxWords, 1);
}

void PagesTest::noParagraphOrSentenceOnTwoPages() {
    QHash<QString, QString> blockSeen, sentenceSeen;
    QStringList clashes;
    QStringList files;
    for (const ExpectedPage& p : expectedPages())
        files << p.relativePath;
    files << allFragmentFiles() << u"Guide/guide.htm"_s;
    for (const LunarText& text : lunarTexts())
        files << text.relativePath;
    for (const QString& relativePath : files) {
        const ExpectedPage p{relativePath, {}, {}, {}};
        const ParsedPage page = parse(readFile(kDataDir + u'/' + p.relativePath));
        for (const QString& block : page.blocks) {
            if (wordCount(block) >= 4) {
                const QString other = blockSeen.value(block);
                if (!other.isEmpty() && other != p.relativePath)
                    clashes << p.relativePath + u" ~ "_s + other + u": "_s + block;
                blockSeen.insert(block, p.relativePath);
            }
            for (const QString& sentence : sentences(block)) {
                if (wordCount(sentence) < 8) continue;
                const QString other = sentenceSeen.value(sentence);
                if (!other.isEmpty() && other != p.relativePath)
                    clashes << p.relativePath + u" ~ "_s + other + u": "_s + sentence;
                sentenceSeen.insert(sentence, p.relativePath);
            }
        }
    }
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.mid(0, 5).join(u'\n')));
    QVERIFY(blockSeen.size() > 2000); // the check saw the pages' text
}

QTEST_GUILESS_MAIN(PagesTest)
#include "tst_pages.moc"
