#include "core/htmltext.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class HtmlTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decode_data();
    void decode();
    void measure_data();
    void measure();
    void refusal_data();
    void refusal();
};

void HtmlTextTest::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    // "Лев" in Windows-1251 and in UTF-8.
    QTest::newRow("declared windows-1251")
        << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                      "charset=windows-1251\"><p>\xCB\xE5\xE2")
        << u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"><p>Лев"_s;
    QTest::newRow("declared utf-8, html5 form")
        << QByteArray("<meta charset=\"UTF-8\"><p>\xD0\x9B\xD0\xB5\xD0\xB2")
        << u"<meta charset=\"UTF-8\"><p>Лев"_s;
    QTest::newRow("byte-order mark wins")
        << QByteArray("\xEF\xBB\xBF<p>\xD0\x9B\xD0\xB5\xD0\xB2") << u"<p>Лев"_s;
    QTest::newRow("undeclared utf-8") << QByteArray("<p>\xD0\x9B\xD0\xB5\xD0\xB2") << u"<p>Лев"_s;
    QTest::newRow("undeclared windows-1251") << QByteArray("<p>\xCB\xE5\xE2") << u"<p>Лев"_s;
    QTest::newRow("declared cp1251 in capitals")
        << QByteArray("<META CONTENT='text/html; CHARSET=CP1251'>\xCB")
        << u"<META CONTENT='text/html; CHARSET=CP1251'>Л"_s;
}

void HtmlTextTest::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(solvenna::decodeHtml(bytes), text);
}

void HtmlTextTest::measure_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("nesting");
    QTest::addColumn<int>("tableNesting");
    QTest::addColumn<int>("elements");
    QTest::addColumn<int>("tableCost");
    QTest::addColumn<int>("longestWord");
    QTest::newRow("plain text") << u"один два трёх\nпятерых"_s << 0 << 0 << 0 << 0 << 7;
    QTest::newRow("closed elements") << u"<html><body><p><b>Лев</b></p></body></html>"_s << 4 << 0 << 4 << 0
                                     << 3;
    QTest::newRow("void elements do not nest") << u"<p>a<br>b<img src=x><hr/>c"_s << 1 << 0 << 4 << 0 << 1;
    QTest::newRow("unclosed paragraphs close each other") << u"<p>a<p>b<p>c<p>d"_s << 1 << 0 << 4 << 0 << 1;
    QTest::newRow("unclosed items close each other")
        << u"<ul><li>a<li>b<li>c</ul>"_s << 2 << 0 << 4 << 0 << 1;
    QTest::newRow("an item of a nested list keeps the outer one open")
        << u"<ul><li>a<ul><li>b<li>c</ul><li>d</ul>"_s << 4 << 0 << 6 << 0 << 1;
    QTest::newRow("cells of a plain table cost 2 each")
        << u"<table><tr><td>a<td>b<tr><td>c</table>"_s << 3 << 1 << 6 << 6 << 1;
    QTest::newRow("nested tables double the cost")
        << u"<table><tr><td><table><tr><td>x</td></tr></table></td></tr></table>"_s << 6 << 2 << 6 << 6 << 1;
    QTest::newRow("an end tag closes what it encloses")
        << u"<div><b><i>x</div><div>y</div>"_s << 3 << 0 << 4 << 0 << 1;
    QTest::newRow("stray end tags are ignored") << u"</b></table><b>x</b>"_s << 1 << 0 << 1 << 0 << 1;
    QTest::newRow("comments and declarations are no markup")
        << u"<!DOCTYPE html><!-- <table><table> --><b>x</b>"_s << 1 << 0 << 1 << 0 << 1;
    QTest::newRow("a > inside a quoted value")
        << u"<a title=\"a > b\" href='c>d'>link</a>"_s << 1 << 0 << 1 << 0 << 4;
    // As the viewer reads them: "<b)" opens an element inside the script, and its tag runs to the next ">".
    QTest::newRow("script text is markup")
        << u"<script>if (a<b) { <table> }</script><p>x"_s << 2 << 0 << 3 << 0 << 2;
    QTest::newRow("a lone < opens a tag to the next >") << u"a<5 and 1 < 2"_s << 1 << 0 << 1 << 0 << 1;
    QTest::newRow("a quote inside an unquoted value opens nothing")
        << u"<p title=a'b><table><tr><td>x"_s << 4 << 1 << 4 << 2 << 1;
    QTest::newRow("an escaped quote stays inside a quoted value")
        << u"<p title='a\\'b>c'><table><tr><td>x"_s << 4 << 1 << 4 << 2 << 1;
    QTest::newRow("a cell without a row or table gets both") << u"<td>x<td>y"_s << 3 << 1 << 4 << 4 << 1;
    QTest::newRow("a table named by character references")
        << u"<t&#97;ble><tr><td>x"_s << 3 << 1 << 3 << 2 << 1;
    QTest::newRow("an item inside an item's bold text nests")
        << u"<ul><li><b>a<li><b>b"_s << 5 << 0 << 5 << 0 << 1;
    QTest::newRow("upper-case names") << u"<TABLE><TR><TD>x</td></TR></table>"_s << 3 << 1 << 3 << 2 << 1;
}

void HtmlTextTest::measure() {
    QFETCH(QString, html);
    const solvenna::PageShape shape = solvenna::measurePage(html);
    QTEST(shape.nesting, "nesting");
    QTEST(shape.tableNesting, "tableNesting");
    QTEST(int(shape.elements), "elements");
    QTEST(int(shape.tableCost), "tableCost");
    QTEST(int(shape.longestWord), "longestWord");
}

void HtmlTextTest::refusal_data() {
    using solvenna::PageLimits;
    const auto times = [](const QString& piece, qsizetype n) { return piece.repeated(n); };
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("reason"); // a part of the reason; empty: shown
    QTest::newRow("tables 8 deep") << times(u"<table><tr><td>"_s, 8) << QString();
    QTest::newRow("tables 9 deep") << times(u"<table><tr><td>"_s, 9) << u"таблицы вложены"_s;
    QTest::newRow("elements 100 deep") << times(u"<div>"_s, 100) << QString();
    QTest::newRow("elements 101 deep") << times(u"<div>"_s, 101) << u"глубже 100 уровней"_s;
    QTest::newRow("20 000 elements") << times(u"<br>"_s, PageLimits::kMaxElements) << QString();
    QTest::newRow("20 001 elements") << times(u"<br>"_s, PageLimits::kMaxElements + 1)
                                     << u"20000 элементов"_s;
    QTest::newRow("2 048 cells of a plain table") << u"<table>"_s + times(u"<tr><td>x"_s, 2048) << QString();
    QTest::newRow("2 049 cells of a plain table") << u"<table>"_s + times(u"<tr><td>x"_s, 2049) << u"ячеек"_s;
    QTest::newRow("300 cells 4 tables deep")
        << times(u"<table><tr><td>"_s, 3) + u"<table>"_s + times(u"<tr><td>x"_s, 300) << u"ячеек"_s;
    QTest::newRow("a cell spanning 100 columns") << u"<table><tr><td colspan=100>x"_s << QString();
    QTest::newRow("a cell spanning 101 rows") << u"<table><tr><td rowspan='101'>x"_s << u"ячеек"_s;
    QTest::newRow("a span written in character references")
        << u"<table><tr><td colspan=\"&#49;&#48;&#x30;&#48;\">x"_s << u"ячеек"_s;
    QTest::newRow("a word of 20 000") << QString(PageLimits::kMaxWordLength, u'ж') << QString();
    QTest::newRow("a word of 20 001") << QString(PageLimits::kMaxWordLength + 1, u'ж') << u"слово"_s;
}

void HtmlTextTest::refusal() {
    QFETCH(QString, html);
    QFETCH(QString, reason);
    const QString refusal = solvenna::pageRefusal(html);
    if (reason.isEmpty())
        QVERIFY2(refusal.isEmpty(), qPrintable(refusal));
    else
        QVERIFY2(refusal.contains(reason), qPrintable(refusal));
}

QTEST_GUILESS_MAIN(HtmlTextTest)
#include "tst_htmltext.moc"
