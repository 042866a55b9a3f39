#include "core/pagebuilder.h"

#include <QTest>

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
} // namespace

class PageBuilderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hostileName_isShownAsText_data();
    void hostileName_isShownAsText();
    void displayName_data();
    void displayName();
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

QTEST_GUILESS_MAIN(PageBuilderTest)
#include "tst_pagebuilder.moc"
