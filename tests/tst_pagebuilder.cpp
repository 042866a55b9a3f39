#include "core/date.h"
#include "core/pagebuilder.h"
#include "core/startpage.h"

#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QXmlStreamReader>

#include <functional>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

namespace {
const QString kHostile = u"<script>Анна & \"Ко\"</script>"_s;

QString built(const std::function<void(PageBuilder&)>& write) {
    PageBuilder page;
    write(page);
    return page.html();
}

// The links of a page in their order, and its text; a page that does not parse gives an error.
struct Links {
    QString error;
    QStringList hrefs;
    QString text;
};
Links linksOf(const QString& html) {
    Links links;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"a")
            links.hrefs << xml.attributes().value(u"href"_s).toString();
        if (xml.isCharacters()) links.text += xml.text();
    }
    if (xml.hasError()) links.error = xml.errorString();
    links.text = links.text.simplified();
    return links;
}
} // namespace

class PageBuilderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hostileName_isShownAsText_data();
    void hostileName_isShownAsText();
    void displayName_data();
    void displayName();
    void startPage_data();
    void startPage();
};

// Every place a person's name can go: none may take it as markup.
void PageBuilderTest::hostileName_isShownAsText_data() {
    QTest::addColumn<QString>("html");
    QTest::newRow("title") << built([](PageBuilder& p) { p.beginDocument(kHostile, u"x"_s); });
    QTest::newRow("heading") << built([](PageBuilder& p) { p.heading(2, kHostile); });
    QTest::newRow("paragraph") << built([](PageBuilder& p) { p.paragraph(kHostile); });
    QTest::newRow("bold in a paragraph")
        << built([](PageBuilder& p) { p.paragraph(Html::text(kHostile).bold() + Html::text(kHostile)); });
    QTest::newRow("head cell") << built([](PageBuilder& p) { p.headRow({Html::text(kHostile)}); });
    const auto cellWithAttributes = [](PageBuilder& p) {
        p.row({{Html::text(kHostile), u"align=\"right\""_s}});
    };
    QTest::newRow("cell") << built(cellWithAttributes);
    QTest::newRow("link text") << built(
        [](PageBuilder& p) { p.row({PageBuilder::dataLink(u"Chinese/cat.htm"_s, kHostile)}); });
}

void PageBuilderTest::hostileName_isShownAsText() {
    QFETCH(QString, html);
    QVERIFY2(html.contains(u"&lt;script&gt;Анна &amp; &quot;Ко&quot;&lt;/script&gt;"_s), qPrintable(html));
    QVERIFY2(!html.contains(u"<script>"_s) && !html.contains(u"& "_s), qPrintable(html));
}

void PageBuilderTest::displayName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("none") << QString() << u"Без имени"_s;
    QTest::newRow("a name") << u"Анна"_s << u"Анна"_s;
    // Blanks are the caller's to trim: the caption shows the name as typed, the compatibility page trims.
    QTest::newRow("blanks as given") << u"  "_s << u"  "_s;
}

void PageBuilderTest::displayName() {
    QFETCH(QString, name);
    QTEST(solvenna::displayName(name), "shown");
}

// Without a person the way to begin; with one, the name as typed and a link to each sign's page, in the
// systems' order, as a page of the start page's folder.
void PageBuilderTest::startPage_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("signPages"); // in the data folder
    QTest::addColumn<bool>("birthdays");
    const QString guide = u"Guide/guide.htm"_s;
    QTest::newRow("no person") << welcomePage() << QStringList{u"Личные данные"_s, u"Ctrl+P"_s, u"Готово"_s}
                               << QStringList{guide} << false;
    const QList<UpcomingBirthday> upcoming{{kHostile, encodeDate(1975, 8, 15), 3, 50, 5},
                                           {u"Ольга"_s, encodeDate(2000, 2, 29), 0, 25, 12}};
    const QStringList upcomingLines{kHostile + u" — 15 августа, через 3 дня, исполнится 50, Лев"_s,
                                    u"Ольга — 29 февраля, сегодня, исполнится 25, Рыбы"_s};
    QTest::newRow("no person, upcoming birthdays")
        << welcomePage(upcoming) << upcomingLines << QStringList{guide} << true;
    QTest::newRow("a person, upcoming birthdays")
        << personStartPage(u"Вера"_s, u"01.05.1905"_s, encodeDate(1905, 5, 1), upcoming.mid(1))
        << upcomingLines.mid(1)
        << QStringList{u"Zodiac/taurus/element.htm"_s, u"Druidean/jasmine.htm"_s, u"Zoroastrian/32.htm"_s,
                       u"Myphologic/4.htm"_s,          u"Numeric/3.htm"_s,        guide}
        << true;
    QTest::newRow("a hostile name, 15.08.1975")
        << personStartPage(kHostile, u"15.08.1975"_s, encodeDate(1975, 8, 15))
        << QStringList{kHostile,    u"15.08.1975"_s, u"Лев"_s,    u"Кот"_s,
                       u"Картас"_s, u"Паук"_s,       u"Грифон"_s, u"Число 9"_s}
        << QStringList{u"Zodiac/lion/element.htm"_s,
                       u"Chinese/cat.htm"_s,
                       u"Druidean/kartas.htm"_s,
                       u"Zoroastrian/6.htm"_s,
                       u"Myphologic/7.htm"_s,
                       u"Numeric/9.htm"_s,
                       guide}
        << false;
    QTest::newRow("no name, born 1905: no animal")
        << personStartPage(QString(), u"01.05.1905"_s, encodeDate(1905, 5, 1))
        << QStringList{u"Без имени"_s, u"китайский гороскоп составляется для годов с 1910"_s}
        << QStringList{u"Zodiac/taurus/element.htm"_s, u"Druidean/jasmine.htm"_s, u"Zoroastrian/32.htm"_s,
                       u"Myphologic/4.htm"_s,          u"Numeric/3.htm"_s,        guide}
        << false;
}

void PageBuilderTest::startPage() {
    QFETCH(QString, html);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, signPages);
    QFETCH(bool, birthdays);
    const Links links = linksOf(html);
    QVERIFY2(links.error.isEmpty(), qPrintable(links.error));
    QCOMPARE(links.text.contains(u"Ближайшие дни рождения"_s), birthdays);
    QVERIFY(!html.contains(u"<script>"_s));
    for (const QString& text : texts)
        QVERIFY2(links.text.contains(text), qPrintable(text));
    QStringList pages;
    const QDir base(testsupport::dataFolder() + u'/' + QString::fromUtf16(kStartPageFolder));
    for (const QString& href : links.hrefs) {
        QVERIFY2(QFileInfo(base.filePath(href)).isFile(), qPrintable(href));
        pages << QDir::cleanPath(QString::fromUtf16(kStartPageFolder) + u'/' + href);
    }
    QCOMPARE(pages, signPages);
}

QTEST_GUILESS_MAIN(PageBuilderTest)
#include "tst_pagebuilder.moc"
