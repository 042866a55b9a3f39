#include "core/date.h"
#include "core/groupcompatibility.h"
#include "pagecheck.h"

#include "testsupport.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

using namespace solvenna;
using testsupport::inspectPage;
using testsupport::PageFacts;
using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(solvenna::PairVerdict)

namespace {

CompatibilityPerson person(const QString& name, int y, int m, int d) {
    return {name, u"%1.%2.%3"_s.arg(d).arg(m).arg(y), encodeDate(y, m, d)};
}

QList<CompatibilityPerson> group(int size, bool sameDate) {
    QList<CompatibilityPerson> people;
    for (int i = 0; i < size; ++i)
        people << (sameDate ? person(u"Человек номер %1"_s.arg(i), 1990, 8, 15)
                            : person(u"Человек номер %1"_s.arg(i), 1950 + 3 * i, 1 + i % 12, 1 + 7 * i % 28));
    return people;
}

// The viewer's check, with the shipped style sheet read as the viewer reads it.
QString refusal(const QString& html) {
    const QString folder = testsupport::dataFolder() + u"/Compatibility/"_s;
    return ui::pageRefusal(html, QUrl::fromLocalFile(folder), [](const QUrl& url) {
        return QString::fromUtf8(testsupport::readBytes(url.toLocalFile()));
    });
}

} // namespace

class GroupPageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void grid_everyPairLinkedOnceAndPageChecked_data();
    void grid_everyPairLinkedOnceAndPageChecked();
    void grid_hostileName_isEscaped();
    void summary_namesBestAndHardestFirstOnTies();
    void pairScore_verdicts_data();
    void pairScore_verdicts();
    void pairOfLink_takesOnlyItsOwnForm_data();
    void pairOfLink_takesOnlyItsOwnForm();
};

void GroupPageTest::grid_everyPairLinkedOnceAndPageChecked_data() {
    QTest::addColumn<QList<CompatibilityPerson>>("people");
    QTest::newRow("3 people") << group(3, false);
    QTest::newRow("20 people") << group(20, false);
    QTest::newRow("20 people, one birth date") << group(20, true);
    QTest::newRow("20 people with 255-letter names") << [] {
        QList<CompatibilityPerson> people = group(20, false);
        for (CompatibilityPerson& p : people)
            p.name = QString(255, u'Щ');
        return people;
    }();
}

void GroupPageTest::grid_everyPairLinkedOnceAndPageChecked() {
    QFETCH(QList<CompatibilityPerson>, people);
    const QString html = groupCompatibilityPage(people);
    const PageFacts facts = inspectPage(html);
    QVERIFY2(facts.error.isEmpty(), qPrintable(facts.error));
    const qsizetype n = people.size();
    QCOMPARE(facts.hrefs.size(), n * (n - 1));
    QSet<std::pair<int, int>> pairs;
    for (const QString& href : facts.hrefs) {
        const QUrl link(href);
        const auto pair = pairOfLink(link);
        QVERIFY2(pair && pair->first < n && pair->second < n, qPrintable(link.toString()));
        pairs.insert(*pair);
    }
    QCOMPARE(pairs.size(), n * (n - 1));
    const QString why = refusal(html);
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

void GroupPageTest::grid_hostileName_isEscaped() {
    const QString hostile = u"<b>Ян</b>&"_s;
    QList<CompatibilityPerson> people = group(3, false);
    people[1].name = hostile;
    const QString html = groupCompatibilityPage(people);
    const PageFacts facts = inspectPage(html);
    QVERIFY2(facts.error.isEmpty(), qPrintable(facts.error));
    QVERIFY(facts.text.contains(hostile));
    QVERIFY(!html.contains(u"<b>Ян"_s));
}

// Born before 1910, so that the zodiac alone decides: Ольга is Анна's trine, Пётр and Вера her squares.
void GroupPageTest::summary_namesBestAndHardestFirstOnTies() {
    const QString html =
        groupCompatibilityPage({person(u"Анна"_s, 1905, 8, 15), person(u"Пётр"_s, 1905, 5, 5),
                                person(u"Ольга"_s, 1905, 12, 10), person(u"Вера"_s, 1905, 11, 10)});
    QVERIFY(inspectPage(html).text.contains(u"Анна — лучшая пара: Ольга; труднее всего: Пётр."_s));
}

void GroupPageTest::pairScore_verdicts_data() {
    QTest::addColumn<CompatibilityPerson>("a");
    QTest::addColumn<CompatibilityPerson>("b");
    QTest::addColumn<PairVerdict>("verdict");
    // Лев, born in a year of the Cat, with ...
    const CompatibilityPerson leo = person(u"А"_s, 1975, 8, 15);
    QTest::newRow("trine, neutral animals") << leo << person(u"Б"_s, 1984, 12, 10) << PairVerdict::Good;
    QTest::newRow("trine, opposed animals (Петух)")
        << leo << person(u"Б"_s, 1981, 12, 10) << PairVerdict::Fair;
    QTest::newRow("square, secret friends (Собака)")
        << leo << person(u"Б"_s, 1982, 5, 5) << PairVerdict::Fair;
    QTest::newRow("square, no animal before 1910") << leo << person(u"Б"_s, 1905, 5, 5) << PairVerdict::Hard;
    QTest::newRow("quincunx, neutral animals") << leo << person(u"Б"_s, 1984, 1, 10) << PairVerdict::Hard;
}

void GroupPageTest::pairScore_verdicts() {
    QFETCH(CompatibilityPerson, a);
    QFETCH(CompatibilityPerson, b);
    QFETCH(PairVerdict, verdict);
    const PersonSigns first = personSigns(a.birthDate), second = personSigns(b.birthDate);
    QCOMPARE(pairScore(first, second).verdict, verdict);
    QCOMPARE(pairScore(second, first).value, pairScore(first, second).value);
}

void GroupPageTest::pairOfLink_takesOnlyItsOwnForm_data() {
    QTest::addColumn<QUrl>("link");
    QTest::addColumn<int>("a"); // -1: no pair
    QTest::addColumn<int>("b");
    QTest::newRow("pairLink(0, 3)") << pairLink(0, 3) << 0 << 3;
    QTest::newRow("as written on the page") << QUrl(u"solvenna:pair?a=19&b=0"_s) << 19 << 0;
    const auto refused = [](const char* name, const QString& link) {
        QTest::newRow(name) << QUrl(link) << -1 << -1;
    };
    refused("the same person twice", u"solvenna:pair?a=2&b=2"_s);
    refused("negative", u"solvenna:pair?a=-1&b=2"_s);
    refused("plus sign", u"solvenna:pair?a=+1&b=2"_s);
    refused("blank", u"solvenna:pair?a= 1&b=2"_s);
    refused("hexadecimal", u"solvenna:pair?a=0x1&b=2"_s);
    refused("too large", u"solvenna:pair?a=99999999999&b=2"_s);
    refused("b missing", u"solvenna:pair?a=1"_s);
    refused("a given twice", u"solvenna:pair?a=1&a=3&b=2"_s);
    refused("one more item", u"solvenna:pair?a=1&b=2&c=3"_s);
    refused("empty value", u"solvenna:pair?a=&b=2"_s);
    refused("other scheme", u"https:pair?a=1&b=2"_s);
    refused("a host", u"solvenna://pair?a=1&b=2"_s);
    refused("other path", u"solvenna:pairs?a=1&b=2"_s);
    refused("deeper path", u"solvenna:pair/x?a=1&b=2"_s);
    refused("a fragment", u"solvenna:pair?a=1&b=2#x"_s);
    refused("a file", u"file:///tmp/pair?a=1&b=2"_s);
}

void GroupPageTest::pairOfLink_takesOnlyItsOwnForm() {
    QFETCH(QUrl, link);
    QFETCH(int, a);
    QFETCH(int, b);
    const auto pair = pairOfLink(link);
    QCOMPARE(pair.has_value(), a >= 0);
    if (pair) QCOMPARE(*pair, std::pair(a, b));
}

QTEST_MAIN(GroupPageTest)
#include "tst_grouppage.moc"
