#include "designlayout.h"
#include "setup.h"
#include "style.h"
#include "whoim.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace solvenna::ui;
using namespace Qt::Literals::StringLiterals;

namespace {
const QString kLongText = u"Слова, которых на одной строке шириной в сто пикселей никак не уместить, "
                          u"так что абзац переносится на несколько строк."_s;

// The application font for one test, put back when it ends.
struct ApplicationFont {
    QFont saved = QApplication::font();
    explicit ApplicationFont(int pixelSize) {
        if (!pixelSize) return;
        QFont f = saved;
        f.setPixelSize(pixelSize);
        QApplication::setFont(f);
    }
    ~ApplicationFont() { QApplication::setFont(saved); }
};

void addFontRows() {
    QTest::addColumn<int>("pixelSize"); // 0: the application font
    for (const int size : {0, 16, 20, 26})
        QTest::addRow("%d px", size) << size;
}
} // namespace

class DesignLayoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installProgramStyle(); }

    void wrappedText_pushesOnlyWhatIsDesignedBelowIt_data();
    void wrappedText_pushesOnlyWhatIsDesignedBelowIt();
    void rightOf_keepsTheGapButNeverMovesLeft_data();
    void rightOf_keepsTheGapButNeverMovesLeft();
    void widthHoldingChildren_keepsTheMarginOfTheWidest();

    void personDialog_adviceMovesWhatFollows_data();
    void personDialog_adviceMovesWhatFollows();
    void settingsDialog_groupAndWindowHoldTheirControls_data();
    void settingsDialog_groupAndWindowHoldTheirControls();
};

void DesignLayoutTest::wrappedText_pushesOnlyWhatIsDesignedBelowIt_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("fits as designed") << u"Коротко"_s;
    QTest::newRow("needs more lines") << kLongText;
}

void DesignLayoutTest::wrappedText_pushesOnlyWhatIsDesignedBelowIt() {
    QFETCH(QString, text);
    QWidget parent;
    auto* above = new QPushButton(u"Выше"_s, &parent);
    auto* paragraph = new QLabel(text, &parent);
    paragraph->setWordWrap(true);
    auto* beside = new QPushButton(u"Рядом"_s, &parent);
    auto* below = new QPushButton(u"Ниже"_s, &parent);
    auto* further = new QPushButton(u"Ещё ниже"_s, &parent);
    const int designHeight = paragraph->fontMetrics().height() + 2;
    const int needed = paragraph->heightForWidth(100);
    const int growth = std::max(0, needed - designHeight);
    QCOMPARE(growth > 0, text == kLongText);

    const int grown = placeAsDesigned({
        {above, 10, 0, 80, 20},
        {paragraph, 10, 30, 100, designHeight},
        {beside, 120, 30, 80, 20}, // starts beside the paragraph, not below it
        {below, 10, 30 + designHeight + 4, 80, 20},
        {further, 10, 30 + designHeight + 30, kOwnSize, kOwnSize},
    });
    QCOMPARE(grown, growth);
    QCOMPARE(above->geometry(), QRect(10, 0, 80, 20));
    QCOMPARE(paragraph->geometry(), QRect(10, 30, 100, designHeight + growth));
    QCOMPARE(beside->geometry(), QRect(120, 30, 80, 20));
    QCOMPARE(below->geometry(), QRect(10, 30 + designHeight + 4 + growth, 80, 20));
    QCOMPARE(further->geometry(), QRect(QPoint(10, 30 + designHeight + 30 + growth), further->sizeHint()));
    QVERIFY(below->geometry().top() > paragraph->geometry().bottom());
}

void DesignLayoutTest::rightOf_keepsTheGapButNeverMovesLeft_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("designX");
    QTest::newRow("short caption: design place") << u"Да"_s << 200;
    QTest::newRow("long caption: pushed right") << u"Очень длинная подпись флажка, длиннее места"_s << 60;
}

void DesignLayoutTest::rightOf_keepsTheGapButNeverMovesLeft() {
    QFETCH(QString, caption);
    QFETCH(int, designX);
    QWidget parent;
    auto* box = new QCheckBox(caption, &parent);
    auto* list = new QComboBox(&parent);
    placeAsDesigned({
        {box, 40, 10},
        {list, designX, 8, 120, 22, box, 7},
    });
    QCOMPARE(box->pos(), QPoint(40, 10));
    QCOMPARE(box->size(), box->sizeHint());
    const int clear = 40 + box->width() + 7;
    QCOMPARE(list->geometry(), QRect(std::max(designX, clear), 8, 120, 22));
    QVERIFY(list->x() >= clear);
}

void DesignLayoutTest::widthHoldingChildren_keepsTheMarginOfTheWidest() {
    QWidget parent;
    auto* narrow = new QWidget(&parent);
    narrow->setGeometry(10, 0, 50, 10);
    QCOMPARE(widthHoldingChildren(&parent, 100, 11), 100);
    auto* wide = new QWidget(&parent);
    wide->setGeometry(20, 20, 150, 10);
    QCOMPARE(widthHoldingChildren(&parent, 100, 11), 20 + 150 + 11);
    // A window of its own is no child to hold.
    auto* window = new QWidget(&parent, Qt::Window);
    window->setGeometry(0, 0, 900, 10);
    QCOMPARE(widthHoldingChildren(&parent, 100, 11), 181);
}

void DesignLayoutTest::personDialog_adviceMovesWhatFollows_data() {
    addFontRows();
}

void DesignLayoutTest::personDialog_adviceMovesWhatFollows() {
    QFETCH(int, pixelSize);
    const ApplicationFont font(pixelSize);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    TForm2 dialog(nullptr, folder.path() + u'/');
    const QRect advice = dialog.Label1->geometry();
    QCOMPARE(advice.topLeft(), QPoint(24, 128));
    QVERIFY(advice.height() >= dialog.Label1->heightForWidth(advice.width()));
    QVERIFY(advice.height() >= 52);
    const int growth = advice.height() - 52;
    // What is designed below the advice keeps its design place plus the advice's growth.
    QCOMPARE(dialog.XPLabel2->pos(), QPoint(24, 184 + growth));
    QCOMPARE(dialog.Check1->pos(), QPoint(40, 203 + growth));
    QCOMPARE(dialog.Check2->pos(), QPoint(40, 224 + growth));
    QCOMPARE(dialog.HorList->y(), 222 + growth);
    QVERIFY(dialog.HorList->x() >= std::max(159, dialog.Check2->geometry().right() + 1));
    QCOMPARE(dialog.Button1->geometry(), QRect(167, 256 + growth, 143, 32));
    QCOMPARE(dialog.size(), QSize(477, 300 + growth));
    // What is above it stays.
    QCOMPARE(dialog.XPLabel4->pos(), QPoint(24, 112));
    QCOMPARE(dialog.edit1->pos(), QPoint(24, 38));
    QCOMPARE(dialog.Calendar1->pos(), QPoint(23, 85));
}

void DesignLayoutTest::settingsDialog_groupAndWindowHoldTheirControls_data() {
    addFontRows();
}

void DesignLayoutTest::settingsDialog_groupAndWindowHoldTheirControls() {
    QFETCH(int, pixelSize);
    const ApplicationFont font(pixelSize);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    TSetupFrm dialog(nullptr, folder.path() + u'/');
    const QRect group = dialog.XPGroupBox1->geometry();
    QCOMPARE(group.topLeft(), QPoint(8, 8));
    QVERIFY(group.width() >= 265);
    for (QWidget* control : {static_cast<QWidget*>(dialog.Check1), static_cast<QWidget*>(dialog.Check2),
                             static_cast<QWidget*>(dialog.Check3), static_cast<QWidget*>(dialog.Label1),
                             static_cast<QWidget*>(dialog.Spin1), static_cast<QWidget*>(dialog.Check4)}) {
        QCOMPARE(control->parentWidget(), dialog.XPGroupBox1);
        QVERIFY2(control->geometry().right() + 12 <= group.width(), qPrintable(control->objectName()));
    }
    QVERIFY(dialog.Spin1->x() >= std::max(142, dialog.Label1->geometry().right() + 6));
    for (const QPushButton* button : {dialog.XPButton1, dialog.XPButton2}) {
        QCOMPARE(button->x(), std::max(288, group.right() + 15));
        QVERIFY(button->geometry().right() + 9 < dialog.width());
    }
    QCOMPARE(dialog.XPButton1->y(), 16);
    QCOMPARE(dialog.XPButton2->y(), 48);
    // The place of the lunar calendar in a group of its own under them, which the window holds whole.
    const QRect places = dialog.XPGroupBox2->geometry();
    QCOMPARE(places.topLeft(), QPoint(8, 169));
    for (QWidget* control : dialog.XPGroupBox2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QVERIFY2(control->geometry().right() + 12 <= places.width(), qPrintable(control->objectName()));
        QVERIFY2(control->geometry().bottom() < places.height(), qPrintable(control->objectName()));
    }
    QCOMPARE(dialog.height(), places.bottom() + 1 + 18);
}

QTEST_MAIN(DesignLayoutTest)
#include "tst_designlayout.moc"
