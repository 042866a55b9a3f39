// The personal data dialog as a person uses it: the date edit and the name box typed on the keyboard, the
// Имена menu, and the program-wide rules for message boxes and hints.
#include "core/caption.h"
#include "core/datetext.h"
#include "main.h"
#include "setup.h"
#include "style.h"
#include "whoim.h"
#include "widgets.h"

#include "programwindows.h"
#include "testsupport.h"
#include "uitestsupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;
using testsupport::ServiceRecorder;

namespace {

// QTest::keyClicks takes ASCII only: other letters go as key events that carry their text.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}
} // namespace

class PersonDialogTest : public testsupport::ProgramWindows {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void typedDate_isTakenWhenTheFocusLeaves_data();
    void typedDate_isTakenWhenTheFocusLeaves();
    void typedDate_inAmericanOrder_data();
    void typedDate_inAmericanOrder();
    void backspaceAndDelete_editTheText();
    void enterInTheDateEdit_takesTheDateBeforeDone();
    void notADate_isMarkedUntilMended();
    void done_withoutABirthDate_storesNothingAndSaysSo_data();
    void done_withoutABirthDate_storesNothingAndSaysSo();
    void upAndDown_startFromToday_thenStepThePartAtTheCursor();
    void calendarOfAnEmptyField_opensOnTheCurrentMonth();
    void typedName_fillsNothingAndIsStoredAsTyped_data();
    void typedName_fillsNothingAndIsStoredAsTyped();
    void pickFromTheList_fillsTheDialog();
    void nameBox_refusesANameLongerThan255Whole_data();
    void nameBox_refusesANameLongerThan255Whole();
    void namesMenu_opensByKeyboardAndMouse_data();
    void namesMenu_opensByKeyboardAndMouse();
    void errorBox_standsOverTheDialog();
    void messageBoxes_showPlainText();
    void hints_goAfterTenSeconds();
    void scrollDelay_takesWhatIsTypedAndBoundsItWhenLeft();
    void advice_isSmallWithAFontInPointsOrPixels_data();
    void advice_isSmallWithAFontInPointsOrPixels();

private:
    // Shows the dialog as the program does (without its modal loop) with the focus in the date edit.
    bool showDialog();
    QLineEdit* dateField() const { return m_person->Calendar1->editor(); }
};

void PersonDialogTest::init() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    m_today = QDate(2026, 12, 7);
    beginTest();
}

bool PersonDialogTest::showDialog() {
    m_person->show();
    m_person->activateWindow();
    if (!QTest::qWaitForWindowActive(m_person)) return false;
    dateField()->setFocus();
    return dateField()->hasFocus();
}

void PersonDialogTest::cleanup() {
    endTest();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void PersonDialogTest::typedDate_isTakenWhenTheFocusLeaves_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("date"); // invalid: the field holds no date
    const QDate today(2026, 12, 7);
    const QDate lion(1975, 8, 15);
    QTest::newRow("dots") << u"15.08.1975"_s << today << lion;
    QTest::newRow("no separators") << u"29021988"_s << today << QDate(1988, 2, 29);
    QTest::newRow("no leading zeros") << u"4.4.2004"_s << today << QDate(2004, 4, 4);
    QTest::newRow("blanks") << u"2 8 1990"_s << today << QDate(1990, 8, 2);
    QTest::newRow("slashes") << u"04/04/2004"_s << today << QDate(2004, 4, 4);
    QTest::newRow("month by name") << u"15 августа 1975"_s << today << lion;
    QTest::newRow("month by its first letters") << u"15 авг 1975"_s << today << lion;
    QTest::newRow("two-digit year, last century") << u"15.08.75"_s << today << lion;
    QTest::newRow("two-digit year, this century") << u"1.1.12"_s << today << QDate(2012, 1, 1);
    QTest::newRow("two-digit year 00 on New Year's Day 2000")
        << u"1.1.00"_s << QDate(2000, 1, 1) << QDate(2000, 1, 1);
    QTest::newRow("two-digit year 99 on New Year's Day 2000")
        << u"1.1.99"_s << QDate(2000, 1, 1) << QDate(1999, 1, 1);
    QTest::newRow("two-digit year 00 in 1999") << u"1.1.00"_s << QDate(1999, 12, 31) << QDate(1900, 1, 1);
    QTest::newRow("before 1900") << u"10.06.1850"_s << today << QDate(1850, 6, 10);
    QTest::newRow("impossible: 31 February") << u"31.02.1990"_s << today << QDate();
    QTest::newRow("impossible: month 13") << u"1.13.1990"_s << today << QDate();
    QTest::newRow("incomplete: no year") << u"15.08"_s << today << QDate();
    QTest::newRow("incomplete: three digits of a year") << u"15.08.197"_s << today << QDate();
    QTest::newRow("no date at all") << u"вчера"_s << today << QDate();
}

void PersonDialogTest::typedDate_isTakenWhenTheFocusLeaves() {
    QFETCH(QString, typed);
    QFETCH(QDate, today);
    QFETCH(QDate, date);
    m_today = today;
    createWindows();
    QVERIFY(showDialog());
    QSignalSpy changes(m_person->Calendar1, &TDateEdit::valueChanged);
    typeText(dateField(), typed);
    QCOMPARE(dateField()->text(), typed); // no keystroke lost, the first one included
    QCOMPARE(changes.size(), 0);          // nothing is taken while typing
    QTest::keyClick(dateField(), Qt::Key_Tab);
    QVERIFY(!dateField()->hasFocus()); // Tab always leaves
    QCOMPARE(m_person->Calendar1->hasDate(), date.isValid());
    QCOMPARE(m_person->Calendar1->textIsDate(), date.isValid());
    if (date.isValid()) {
        QCOMPARE(m_person->Calendar1->value(), fromQDate(date));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(dateField()->text(), QLocale(QLocale::Russian).toString(date, u"d   MMMM yyyy"_s));
    } else {
        QCOMPARE(m_person->Calendar1->value(), 0.0);
        QCOMPARE(changes.size(), 0); // it held no date before either
        QCOMPARE(dateField()->text(), typed);
    }
}

void PersonDialogTest::typedDate_inAmericanOrder_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::newRow("month first") << u"8/15/1975"_s << QDate(1975, 8, 15);
    QTest::newRow("no separators") << u"08151975"_s << QDate(1975, 8, 15);
    QTest::newRow("two-digit year") << u"12 25 80"_s << QDate(1980, 12, 25);
    QTest::newRow("the shown text, day first with a month name")
        << u"15   августа 1975"_s << QDate(1975, 8, 15);
    QTest::newRow("day first with digits is no date") << u"25.12.1980"_s << QDate();
}

void PersonDialogTest::typedDate_inAmericanOrder() {
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    createWindows();
    QVERIFY(showDialog());
    typeText(dateField(), typed);
    QTest::keyClick(dateField(), Qt::Key_Tab);
    QCOMPARE(m_person->Calendar1->hasDate(), date.isValid());
    if (date.isValid()) QCOMPARE(m_person->Calendar1->value(), fromQDate(date));
}

void PersonDialogTest::backspaceAndDelete_editTheText() {
    createWindows();
    QVERIFY(showDialog());
    typeText(dateField(), u"15.09"_s);
    QTest::keyClick(dateField(), Qt::Key_Backspace);
    typeText(dateField(), u"8.1975"_s);
    QTest::keyClick(dateField(), Qt::Key_Tab);
    QCOMPARE(m_person->Calendar1->value(), encodeDate(1975, 8, 15));

    // Mending the shown text: "15   августа 1975" loses its day and gets another.
    dateField()->setFocus();
    QTest::keyClick(dateField(), Qt::Key_Home);
    QTest::keyClick(dateField(), Qt::Key_Delete);
    QTest::keyClick(dateField(), Qt::Key_Delete);
    typeText(dateField(), u"25"_s);
    QTest::keyClick(dateField(), Qt::Key_Tab);
    QCOMPARE(m_person->Calendar1->value(), encodeDate(1975, 8, 25));

    // Everything deleted: the field holds no date, and is not marked for it.
    dateField()->setFocus();
    dateField()->selectAll();
    QTest::keyClick(dateField(), Qt::Key_Delete);
    QTest::keyClick(dateField(), Qt::Key_Tab);
    QVERIFY(!m_person->Calendar1->hasDate());
    QVERIFY(m_person->Calendar1->textIsDate());
}

void PersonDialogTest::enterInTheDateEdit_takesTheDateBeforeDone() {
    createWindows();
    QVERIFY(showDialog());
    m_person->edit1->setEditText(u"Анна"_s);
    typeText(dateField(), u"15081975"_s);
    QTest::keyClick(dateField(), Qt::Key_Return);
    QVERIFY(!m_person->isVisible()); // Enter pressed "Готово"
    QCOMPARE(BirthDate, encodeDate(1975, 8, 15));
    QCOMPARE(m_form->windowTitle(), u"Solvenna, версия 1.3  [Анна, 15.08.1975, Лев (23.07 - 22.08)]"_s);
    QVERIFY(testsupport::readBytes(folder() + u"names.ini"_s).contains("Date=15.08.1975"));
}

void PersonDialogTest::notADate_isMarkedUntilMended() {
    createWindows();
    QVERIFY(showDialog());
    const QString hint = dateField()->toolTip();
    QVERIFY(hint.startsWith(u"Введите дату своего рождения"_s));
    m_person->Calendar1->setValue(encodeDate(1975, 8, 15));
    QVERIFY(m_person->Calendar1->textIsDate());
    dateField()->selectAll();
    typeText(dateField(), u"31.02"_s);
    QVERIFY(m_person->Calendar1->textIsDate()); // a beginning is not marked while typing
    typeText(dateField(), u".1990"_s);
    QVERIFY(!m_person->Calendar1->textIsDate()); // no more typing can make it a date
    QTest::keyClick(dateField(), Qt::Key_Tab);
    QVERIFY(!m_person->Calendar1->textIsDate());
    QVERIFY(!m_person->Calendar1->hasDate()); // never silently another real date
    QCOMPARE(m_person->Calendar1->value(), 0.0);
    QCOMPARE(dateField()->text(), u"31.02.1990"_s);
    QCOMPARE(dateField()->accessibleDescription(), u"Это не дата"_s);
    QVERIFY(dateField()->toolTip().startsWith(
        u"Такой даты нет. Введите число, месяц и год, например 15.08.1975."_s));
    QVERIFY(dateField()->toolTip().endsWith(hint));

    dateField()->setFocus();
    QTest::keyClick(dateField(), Qt::Key_End);
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(dateField(), Qt::Key_Backspace);
    typeText(dateField(), u"8.1990"_s); // "31.08.1990"
    QCOMPARE(dateField()->text(), u"31.8.1990"_s);
    QVERIFY(m_person->Calendar1->textIsDate());
    QTest::keyClick(dateField(), Qt::Key_Tab);
    QCOMPARE(m_person->Calendar1->value(), encodeDate(1990, 8, 31));
    QVERIFY(dateField()->accessibleDescription().isEmpty());
    QCOMPARE(dateField()->toolTip(), hint);
}

void PersonDialogTest::done_withoutABirthDate_storesNothingAndSaysSo_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("staysOpen");
    QTest::addColumn<QString>("notice");
    const QString notADate = u"Такой даты нет: исправьте дату рождения. Имя не сохранено."_s;
    QTest::newRow("31.02.1990") << u"31.02.1990"_s << true << notADate;
    QTest::newRow("00.00.0000") << u"00.00.0000"_s << true << notADate;
    QTest::newRow("15.08") << u"15.08"_s << true << notADate;
    QTest::newRow("nothing") << QString() << false << u"Дата рождения не введена: имя не сохранено."_s;
}

void PersonDialogTest::done_withoutABirthDate_storesNothingAndSaysSo() {
    QFETCH(QString, typed);
    QFETCH(bool, staysOpen);
    QFETCH(QString, notice);
    createWindows();
    QVERIFY(showDialog());
    typeText(dateField(), typed);
    QLineEdit* nameField = m_person->edit1->lineEdit();
    nameField->setFocus();
    typeText(nameField, u"Анна"_s);
    QTest::keyClick(nameField, Qt::Key_Return); // Enter presses "Готово"
    QCOMPARE(m_person->isVisible(), staysOpen);
    if (staysOpen) {
        QVERIFY(dateField()->hasFocus());
        QVERIFY(!m_person->Calendar1->textIsDate()); // framed red
        QCOMPARE(BirthDate, kNoBirthDate);           // nothing taken
    } else {
        QCOMPARE(BirthDate, 0.0); // the design's day 0, shown but never stored
    }
    QCOMPARE(m_form->statusBar()->currentMessage(), notice);
    QVERIFY(!QFile::exists(folder() + u"names.ini"_s));
}

void PersonDialogTest::upAndDown_startFromToday_thenStepThePartAtTheCursor() {
    createWindows();
    QVERIFY(showDialog());
    QVERIFY(!m_person->Calendar1->hasDate());
    QTest::keyClick(dateField(), Qt::Key_Up);
    QCOMPARE(m_person->Calendar1->value(), fromQDate(m_today)); // never the year 100
    dateField()->setCursorPosition(0);
    QTest::keyClick(dateField(), Qt::Key_Up);
    QCOMPARE(m_person->Calendar1->value(), encodeDate(2026, 12, 8));
    QTest::keyClick(dateField(), Qt::Key_Down);
    QTest::keyClick(dateField(), Qt::Key_Down);
    QCOMPARE(m_person->Calendar1->value(), encodeDate(2026, 12, 6));
    dateField()->setCursorPosition(6); // in the month's name
    QTest::keyClick(dateField(), Qt::Key_Down);
    QCOMPARE(m_person->Calendar1->value(), encodeDate(2026, 11, 6));
    dateField()->end(false); // in the year
    QTest::keyClick(dateField(), Qt::Key_Down);
    QCOMPARE(m_person->Calendar1->value(), encodeDate(2025, 11, 6));
    QVERIFY(dateField()->hasFocus());
}

void PersonDialogTest::calendarOfAnEmptyField_opensOnTheCurrentMonth() {
    createWindows();
    QVERIFY(showDialog());
    QVERIFY(!m_person->Calendar1->calendarPopup()); // made only when first opened
    QTest::keyClick(dateField(), Qt::Key_Down, Qt::AltModifier);
    QWidget* popup = m_person->Calendar1->calendarPopup();
    QVERIFY(popup && popup->isVisible());
    auto* calendar = popup->findChild<QCalendarWidget*>();
    QVERIFY(calendar);
    QCOMPARE(calendar->yearShown(), 2026);
    QCOMPARE(calendar->monthShown(), 12);
    QVERIFY(!m_person->Calendar1->hasDate()); // opening it takes nothing
    Q_EMIT calendar->activated(QDate(1975, 8, 15));
    QVERIFY(!popup->isVisible());
    QCOMPARE(m_person->Calendar1->value(), encodeDate(1975, 8, 15));

    // With a date, it opens on that date's month.
    m_person->Calendar1->showCalendar();
    QCOMPARE(calendar->yearShown(), 1975);
    QCOMPARE(calendar->monthShown(), 8);
    QCOMPARE(calendar->selectedDate(), QDate(1975, 8, 15));
    popup->hide();
}

void PersonDialogTest::typedName_fillsNothingAndIsStoredAsTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("leaveBy"); // the key that ends the typing
    QTest::newRow("same name, Tab") << u"Иван"_s << int(Qt::Key_Tab);
    QTest::newRow("same name, Enter") << u"Иван"_s << int(Qt::Key_Return);
    QTest::newRow("other letter case, Enter") << u"иВАН"_s << int(Qt::Key_Return);
    QTest::newRow("a beginning, Tab") << u"Ива"_s << int(Qt::Key_Tab);
}

void PersonDialogTest::typedName_fillsNothingAndIsStoredAsTyped() {
    QFETCH(QString, typed);
    QFETCH(int, leaveBy);
    QVERIFY(testsupport::writeBytes(
        folder() + u"names.ini"_s,
        "[\xC8\xE2\xE0\xED]\r\nDate=01.02.1980\r\nShowMain=1\r\nShowHoroscop=1\r\nHoroscopType=3\r\n"));
    createWindows();
    QCOMPARE(m_person->edit1->count(), 1);
    QVERIFY(showDialog());
    typeText(dateField(), u"15.08.1975"_s);
    QTest::keyClick(dateField(), Qt::Key_Tab);
    QLineEdit* nameField = m_person->edit1->lineEdit();
    nameField->setFocus();
    typeText(nameField, typed);
    QCOMPARE(nameField->text(), typed); // no completion rewrote it
    QSignalSpy done(m_person->Button1, &QPushButton::clicked);
    QTest::keyClick(nameField, Qt::Key(leaveBy));
    QCOMPARE(done.size(), leaveBy == Qt::Key_Return ? 1 : 0); // Enter in the name box presses "Готово"
    if (leaveBy != Qt::Key_Return) m_person->Button1->click();
    // Nothing was filled from the stored entry, and the name is what was typed.
    QCOMPARE(m_person->edit1->currentText(), typed);
    QCOMPARE(PersonName, typed);
    QCOMPARE(BirthDate, encodeDate(1975, 8, 15));
    QVERIFY(!m_person->Check1->isChecked());
    QVERIFY(!m_person->Check2->isChecked());
    QVERIFY(m_services->boxes.isEmpty()); // no summary: ShowMain of the stored entry was not taken
    const QByteArray stored = testsupport::readBytes(folder() + u"names.ini"_s);
    if (typed.size() == 4) {
        // The stored entry gets the typed date and keeps its place and spelling.
        QVERIFY(stored.startsWith("[\xC8\xE2\xE0\xED]\r\nDate=15.08.1975\r\nShowMain=0\r\n"));
        QCOMPARE(stored.count('['), 1);
    } else {
        QVERIFY(stored.contains("Date=01.02.1980"));
        QCOMPARE(stored.count('['), 2);
    }
}

void PersonDialogTest::pickFromTheList_fillsTheDialog() {
    QVERIFY(testsupport::writeBytes(
        folder() + u"names.ini"_s,
        "[\xC8\xE2\xE0\xED]\r\nDate=1.2.80\r\nShowMain=1\r\nShowHoroscop=1\r\nHoroscopType=3\r\n"));
    createWindows();
    QVERIFY(showDialog());
    QVERIFY(!m_person->Check1->isChecked());
    m_person->edit1->setFocus();
    QTest::keyClick(m_person->edit1, Qt::Key_Down); // the next entry of the list, as a pick
    QCOMPARE(m_person->edit1->currentText(), u"Иван"_s);
    QCOMPARE(m_person->Calendar1->value(), encodeDate(1980, 2, 1)); // a stored date without zeros
    QVERIFY(m_person->Check1->isChecked());
    QVERIFY(m_person->Check2->isChecked());
    QCOMPARE(m_person->HorList->currentIndex(), 3);
}

void PersonDialogTest::nameBox_refusesANameLongerThan255Whole_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<bool>("pasted");
    QTest::newRow("a pasted 100 000 characters") << QString() << QString(100000, u'ж') << true;
    QTest::newRow("a 256th character typed") << QString(255, u'ж') << u"я"_s << false;
}

void PersonDialogTest::nameBox_refusesANameLongerThan255Whole() {
    QFETCH(QString, before);
    QFETCH(QString, added);
    QFETCH(bool, pasted);
    createWindows();
    QVERIFY(showDialog());
    QLineEdit* nameField = m_person->edit1->lineEdit();
    m_person->edit1->setEditText(before);
    nameField->setFocus();
    nameField->end(false);
    if (pasted) {
        QApplication::clipboard()->setText(added);
        QTest::keyClick(nameField, Qt::Key_V, Qt::ControlModifier);
    } else {
        typeText(nameField, added);
    }
    QCOMPARE(nameField->text(), before); // refused whole, never cut
    QTRY_COMPARE(m_services->texts(),
                 QStringList{u"Имя может быть не длиннее 255 знаков: лишний текст не принят."_s});
}

void PersonDialogTest::namesMenu_opensByKeyboardAndMouse_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("Menu key") << 0;
    QTest::newRow("Shift+F10") << 1;
    QTest::newRow("right-click on the text") << 2;
    QTest::newRow("right-click on the arrow") << 3;
}

void PersonDialogTest::namesMenu_opensByKeyboardAndMouse() {
    QFETCH(int, way);
    createWindows();
    QVERIFY(showDialog());
    QLineEdit* nameField = m_person->edit1->lineEdit();
    nameField->setFocus();
    QVERIFY(!m_person->PopupMenu1->isVisible());
    switch (way) {
    case 0:
        QTest::keyClick(nameField, Qt::Key_Menu);
        break;
    case 1:
        QTest::keyClick(nameField, Qt::Key_F10, Qt::ShiftModifier);
        break;
    default: {
        QWidget* target = way == 2 ? static_cast<QWidget*>(nameField) : m_person->edit1;
        const QPoint at = way == 2 ? nameField->rect().center() : QPoint(m_person->edit1->width() - 5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
    }
    }
    QTRY_VERIFY(m_person->PopupMenu1->isVisible());
    // Only "Имена" opens: no other menu (Qt's English edit menu) is up.
    const auto menus = QApplication::topLevelWidgets();
    const auto shownMenus = std::count_if(
        menus.begin(), menus.end(), [](QWidget* w) { return qobject_cast<QMenu*>(w) && w->isVisible(); });
    QCOMPARE(shownMenus, 1);
    m_person->PopupMenu1->hide();
}

void PersonDialogTest::errorBox_standsOverTheDialog() {
    createWindows();
    QVERIFY(showDialog());
    bool dialogShownWithTheError = false;
    solvenna::ui::services().showBox = [&](solvenna::ui::BoxKind kind, const QString& caption,
                                           const QString& text) {
        m_services->boxes.append({kind, caption, text});
        if (kind == solvenna::ui::BoxKind::Error) dialogShownWithTheError = m_person->isVisible();
    };
    m_person->edit1->setEditText(u"Анна"_s);
    m_person->Calendar1->setValue(encodeDate(1975, 8, 15));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    m_person->Button1->click();
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes[0].text, u"Unable to write to "_s + folder() + u"names.ini."_s);
    QVERIFY(dialogShownWithTheError);
    QVERIFY(!m_person->isVisible()); // and it goes once the box is closed
}

void PersonDialogTest::messageBoxes_showPlainText() {
    solvenna::ui::resetServices(); // the real box
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        format = box->textFormat();
        shown = box->text();
        box->accept();
    });
    solvenna::ui::showMessage(u"Zoë <b>Тест</b>, по знаку Зодиака\n\rВы Лев"_s);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(shown, u"Zoë <b>Тест</b>, по знаку Зодиака\n\rВы Лев"_s);
}

void PersonDialogTest::hints_goAfterTenSeconds() {
    createWindows();
    QVERIFY(showDialog());
    QVERIFY(m_person->Button1->toolTip().size() > 0);
    QWidget* target = dateField();
    // The date edit's hint is long: Qt alone would keep it up for longer than ten seconds.
    QVERIFY(target->toolTip().size() > 150);
    const QPoint at = target->rect().center();
    QHelpEvent event(QEvent::ToolTip, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), target->toolTip());
    QTest::qWait(9000);
    QVERIFY(QToolTip::isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 2500);
}

void PersonDialogTest::scrollDelay_takesWhatIsTypedAndBoundsItWhenLeft() {
    QVERIFY(testsupport::writeBytes(folder() + u"solvenna.ini"_s, "[main]\r\nAutoDelay=0\r\n"));
    createWindows();
    m_setup->show();
    m_setup->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_setup));
    TSpinEdit* spin = m_setup->Spin1;
    QVERIFY(spin->isEnabled());
    spin->setFocus();
    spin->selectAll();
    typeText(spin, u"1000"_s);
    QCOMPARE(spin->value(), 1000); // taken as it stands while typing
    QCOMPARE(m_form->Buttons->ScrollDelay(), 1000);
    QTest::keyClick(spin, Qt::Key_Tab);
    QCOMPARE(spin->value(), 500); // brought to the bound when the focus leaves
    QCOMPARE(m_form->Buttons->ScrollDelay(), 500);

    spin->setFocus();
    spin->selectAll();
    typeText(spin, u"-"_s);
    QVERIFY(spin->text().startsWith(u'-')); // a minus sign is taken
    typeText(spin, u"5"_s);
    QCOMPARE(spin->value(), -5);
    QCOMPARE(m_form->Buttons->ScrollDelay(), 0); // the bar's timer never gets a negative interval
    QTest::keyClick(spin, Qt::Key_Tab);
    QCOMPARE(spin->value(), 0);

    // Enter presses "ОК" before the focus leaves: what is written is bounded too.
    spin->setFocus();
    spin->selectAll();
    typeText(spin, u"700"_s);
    m_setup->XPButton1->click();
    QVERIFY(testsupport::readBytes(folder() + u"solvenna.ini"_s).contains("ScrollDelay=500"));
}

void PersonDialogTest::advice_isSmallWithAFontInPointsOrPixels_data() {
    QTest::addColumn<bool>("inPixels");
    QTest::addColumn<int>("size");
    QTest::newRow("large, in points") << false << 14;
    QTest::newRow("small, in points") << false << 7;
    QTest::newRow("large, in pixels") << true << 20;
    QTest::newRow("small, in pixels") << true << 9;
}

void PersonDialogTest::advice_isSmallWithAFontInPointsOrPixels() {
    QFETCH(bool, inPixels);
    QFETCH(int, size);
    const QFont before = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
    QFont font = before;
    if (inPixels)
        font.setPixelSize(size);
    else
        font.setPointSize(size);
    QApplication::setFont(font);
    QTest::failOnWarning(QRegularExpression(u"QFont"_s));
    createWindows();
    const QFont advice = m_person->Label1->font();
    QVERIFY(advice.underline());
    if (inPixels) {
        QCOMPARE(advice.pixelSize(), std::min(size, 11));
    } else {
        QCOMPARE(advice.pointSizeF(), std::min(qreal(size), 8.0));
    }
}

QTEST_MAIN(PersonDialogTest)
#include "tst_persondialog.moc"
