#include "core/date.h"
#include "personcard.h"

#include <QTest>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

namespace {
// Where the header band with the name ends; below it the card depends on the birth date alone.
constexpr int kBelowBand = 330;
constexpr int kEdge = 50;

int differingPixels(const QImage& a, const QImage& b, int fromRow = 0) {
    int count = 0;
    for (int y = fromRow; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}
} // namespace

class PersonCardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void card_sizeAndDeterministic();
    void card_differentPeopleDiffer();
    void longName_staysInTheBand_data();
    void longName_staysInTheBand();
};

void PersonCardTest::card_sizeAndDeterministic() {
    const QImage card = ui::personCard(u"Анна"_s, encodeDate(1975, 8, 15));
    QCOMPARE(card.size(), QSize(1080, 1350));
    QCOMPARE(card, ui::personCard(u"Анна"_s, encodeDate(1975, 8, 15)));
}

void PersonCardTest::card_differentPeopleDiffer() {
    const QImage anna = ui::personCard(u"Анна"_s, encodeDate(1975, 8, 15));
    // The same name on another date: the date, the glyph and the signs below the band change.
    QVERIFY(differingPixels(anna, ui::personCard(u"Анна"_s, encodeDate(1980, 3, 3)), kBelowBand) > 5000);
    // Another name on the same date: the band changes, nothing below it.
    const QImage petr = ui::personCard(u"Пётр"_s, encodeDate(1975, 8, 15));
    QVERIFY(differingPixels(anna, petr) > 1000);
    QCOMPARE(differingPixels(anna, petr, kBelowBand), 0);
}

void PersonCardTest::longName_staysInTheBand_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("300 letters, no blank") << QString(300, u'Щ');
    QTest::newRow("300 letters in words") << u"Анна "_s.repeated(60);
    QTest::newRow("a name of wide glyphs") << u"ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ"_s;
}

// The name keeps to its two lines inside the band's margins: the rest of the card is as for a short name,
// and the band's edges keep the band's own colour in every row.
void PersonCardTest::longName_staysInTheBand() {
    QFETCH(QString, name);
    const Date date = encodeDate(1975, 8, 15);
    const QImage card = ui::personCard(name, date);
    QCOMPARE(differingPixels(card, ui::personCard(u"Анна"_s, date), kBelowBand), 0);
    for (int y = 0; y < kBelowBand; ++y)
        for (int x = 0; x < kEdge; ++x) {
            QCOMPARE(card.pixel(x, y), card.pixel(0, y));
            QCOMPARE(card.pixel(card.width() - 1 - x, y), card.pixel(card.width() - 1, y));
        }
}

QTEST_MAIN(PersonCardTest)
#include "tst_personcard.moc"
