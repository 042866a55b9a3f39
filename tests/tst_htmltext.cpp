#include "core/htmltext.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class HtmlTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decode_data();
    void decode();
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

QTEST_GUILESS_MAIN(HtmlTextTest)
#include "tst_htmltext.moc"
