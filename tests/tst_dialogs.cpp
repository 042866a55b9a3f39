#include "core/datetext.h"
#include "main.h"
#include "pageview.h"
#include "setup.h"
#include "style.h"
#include "whoim.h"
#include "widgets.h"

#include "programwindows.h"
#include "testsupport.h"
#include "uitestsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;
using testsupport::ServiceRecorder;

class DialogsTest : public testsupport::ProgramWindows {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    // Settings dialog.
    void settingsLoaded_data();
    void settingsLoaded();
    void ok_writesAllFiveKeysAndHides();
    void cancel_undoesMenuToggles();
    void cancel_runsTheRulesInOrder();
    void viewMenu_drivesTheDialogAtOnce();
    void spin_changesTheDelayAtOnceAndClamps();
    void autoDelay_followsTheWindowState();
    void ok_inReadOnlyFolder_keepsTheDialogOpen();
    void unreadableSettingsFile_isReportedOnce_data();
    void unreadableSettingsFile_isReportedOnce();

    // Personal data dialog.
    void startsWithNoPerson();
    void dateEdit_reportsEveryChangeAndCanBeEmptied();
    void done_withBothBoxes_showsSummaryThenPage();
    void done_captionAndStore_data();
    void done_captionAndStore();
    void done_withoutHoroscopeBox_repeatsTheLastSystem();
    void startPage_withoutAPerson_saysHowToBegin();
    void startPage_linksOpenThePersonsPages_data();
    void startPage_linksOpenThePersonsPages();
    void pickName_inAnotherLetterCase_fillsTheDialog();
    void pickName_data();
    void pickName();
    void deleteName_removesThatPersonsEntry();
    void clearList_erasesEverything();
    void popupEnabling();
    void done_inReadOnlyFolder_showsErrorAfterTheDisplays();
    void dialogs_haveFixedSizes();
};

void DialogsTest::initTestCase() {
    startProgram();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void DialogsTest::settingsLoaded_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("check1");
    QTest::addColumn<bool>("check2");
    QTest::addColumn<bool>("check3");
    QTest::addColumn<int>("spin");
    QTest::addColumn<bool>("check4");
    QTest::addColumn<bool>("check4Enabled");
    QTest::addColumn<bool>("spinEnabled");
    QTest::newRow("no file") << QByteArray() << true << false << true << 20 << true << true << false;
    QTest::newRow("SoftScroll=0") << QByteArray("[main]\r\nSoftScroll=0\r\n") << true << false << false << 20
                                  << true << false << false;
    QTest::newRow("AutoDelay=0") << QByteArray("[main]\r\nAutoDelay=0\r\nSoftScroll=1\r\n") << true << false
                                 << true << 20 << false << true << true;
    QTest::newRow("ScrollDelay=1000") << QByteArray("[main]\r\nScrollDelay=1000\r\nAutoDelay=0\r\n") << true
                                      << false << true << 500 << false << true << true;
    QTest::newRow("ShowHints=yes") << QByteArray("[main]\r\nShowHints=yes\r\n") << true << false << true << 20
                                   << true << true << false;
    QTest::newRow("ShowHints=2") << QByteArray("[main]\r\nShowHints=2\r\n") << true << true << true << 20
                                 << true << true << false;
    QTest::newRow("StoreNames=0") << QByteArray("[main]\r\nStoreNames=0\r\n") << false << false << true << 20
                                  << true << true << false;
}

void DialogsTest::settingsLoaded() {
    QFETCH(QByteArray, file);
    if (!file.isEmpty()) QVERIFY(testsupport::writeBytes(folder() + u"solvenna.ini"_s, file));
    createWindows();
    QTEST(m_setup->Check1->isChecked(), "check1");
    QTEST(m_setup->Check2->isChecked(), "check2");
    QTEST(m_setup->Check3->isChecked(), "check3");
    QTEST(m_setup->Spin1->value(), "spin");
    QTEST(m_setup->Check4->isChecked(), "check4");
    QTEST(m_setup->Check4->isEnabled(), "check4Enabled");
    QTEST(m_setup->Spin1->isEnabled(), "spinEnabled");
    QCOMPARE(m_setup->Label1->isEnabled(), m_setup->Spin1->isEnabled());
    // The copies kept by the main window agree with the controls.
    QCOMPARE(m_form->N8->isChecked(), m_setup->Check2->isChecked());
    QCOMPARE(m_form->N9->isChecked(), m_setup->Check3->isChecked());
    QCOMPARE(m_form->Buttons->SoftScroll(), m_setup->Check3->isChecked());
    QCOMPARE(m_form->Buttons->ScrollDelay(), m_setup->Spin1->value());
    for (int i = 0; i < m_form->Buttons->Sections().Count(); ++i)
        QCOMPARE(m_form->Buttons->Sections()[i]->ShowHint(), m_setup->Check2->isChecked());
    QVERIFY(m_setup->Spin1->text().endsWith(u" мсек"_s));
    QVERIFY(!QFile::exists(folder() + u"solvenna.ini"_s) || !file.isEmpty()); // loading writes nothing
}

void DialogsTest::ok_writesAllFiveKeysAndHides() {
    createWindows();
    m_setup->show();
    m_setup->XPButton1->click();
    QVERIFY(!m_setup->isVisible());
    QCOMPARE(
        testsupport::readBytes(folder() + u"solvenna.ini"_s),
        QByteArray(
            "[main]\r\nStoreNames=1\r\nShowHints=0\r\nSoftScroll=1\r\nScrollDelay=20\r\nAutoDelay=1\r\n"));
    // The spin box's value is saved even when the automatic delay has set the bar to another one.
    m_form->Buttons->setScrollDelay(5);
    m_setup->Check2->setChecked(true);
    m_setup->XPButton1->click();
    QCOMPARE(
        testsupport::readBytes(folder() + u"solvenna.ini"_s),
        QByteArray(
            "[main]\r\nStoreNames=1\r\nShowHints=1\r\nSoftScroll=1\r\nScrollDelay=20\r\nAutoDelay=1\r\n"));
}

void DialogsTest::cancel_undoesMenuToggles() {
    createWindows();
    m_form->N9Click(); // smooth scrolling off from the menu
    QVERIFY(!m_form->N9->isChecked());
    QVERIFY(!m_setup->Check3->isChecked());
    QVERIFY(!m_form->Buttons->SoftScroll());
    m_form->N8Click();
    QVERIFY(m_setup->Check2->isChecked());
    QVERIFY(m_form->Buttons->Sections()[3]->ShowHint());
    m_setup->show();
    m_setup->XPButton2->click();
    QVERIFY(!m_setup->isVisible());
    QVERIFY(m_form->N9->isChecked());
    QVERIFY(m_form->Buttons->SoftScroll());
    QVERIFY(!m_form->N8->isChecked());
    QVERIFY(!m_form->Buttons->Sections()[3]->ShowHint());
    QVERIFY(!QFile::exists(folder() + u"solvenna.ini"_s)); // a menu toggle is not saved
}

void DialogsTest::cancel_runsTheRulesInOrder() {
    QVERIFY(
        testsupport::writeBytes(folder() + u"solvenna.ini"_s, "[main]\r\nSoftScroll=0\r\nAutoDelay=0\r\n"));
    createWindows();
    m_setup->Check3->setChecked(true);
    m_setup->Check4->setChecked(true);
    QVERIFY(!m_setup->Spin1->isEnabled());
    m_setup->XPButton2->click();
    QVERIFY(!m_setup->Check3->isChecked());
    QVERIFY(!m_setup->Check4->isChecked());
    QVERIFY(!m_setup->Check4->isEnabled());
    // The automatic-delay rule runs last and looks only at its own box.
    QVERIFY(m_setup->Spin1->isEnabled());
    QVERIFY(m_setup->Label1->isEnabled());
}

void DialogsTest::viewMenu_drivesTheDialogAtOnce() {
    QVERIFY(testsupport::writeBytes(folder() + u"solvenna.ini"_s, "[main]\r\nAutoDelay=0\r\n"));
    createWindows();
    m_form->N9->trigger(); // as the user picks it in the menu
    QVERIFY(!m_form->N9->isChecked());
    QVERIFY(!m_setup->Check3->isChecked());
    QVERIFY(!m_setup->Check4->isEnabled());
    QVERIFY(!m_setup->Spin1->isEnabled());
    QVERIFY(!m_setup->Label1->isEnabled());
    m_form->N9->trigger();
    QVERIFY(m_form->N9->isChecked());
    QVERIFY(m_setup->Check4->isEnabled());
    QVERIFY(m_setup->Spin1->isEnabled());
    m_form->N8->trigger();
    QVERIFY(m_form->N8->isChecked());
    QVERIFY(m_setup->Check2->isChecked());
}

void DialogsTest::spin_changesTheDelayAtOnceAndClamps() {
    QVERIFY(testsupport::writeBytes(folder() + u"solvenna.ini"_s, "[main]\r\nAutoDelay=0\r\n"));
    createWindows();
    m_setup->Spin1->setValue(35);
    QCOMPARE(m_form->Buttons->ScrollDelay(), 35);
    m_setup->Spin1->setValue(1000);
    QCOMPARE(m_setup->Spin1->value(), 500);
    QCOMPARE(m_form->Buttons->ScrollDelay(), 500);
    m_setup->Spin1->setValue(100);
    m_setup->Spin1->stepBy(1);
    QCOMPARE(m_setup->Spin1->value(), 105);
    m_setup->show();
    m_setup->Spin1->setFocus();
    QTest::keyClick(m_setup->Spin1, Qt::Key_Up);
    QCOMPARE(m_setup->Spin1->value(), 110);
    QCOMPARE(m_setup->Spin1->text(), u"110 мсек"_s);
}

void DialogsTest::autoDelay_followsTheWindowState() {
    createWindows();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->showMaximized();
    QTRY_COMPARE(m_form->Buttons->ScrollDelay(), 5);
    m_form->showNormal();
    QTRY_COMPARE(m_form->Buttons->ScrollDelay(), 50);
    m_form->N9Click(); // smooth scrolling off: resizing leaves the delay alone
    m_form->Buttons->setScrollDelay(33);
    m_form->resize(700, 500);
    m_form->showMaximized();
    QTest::qWait(50);
    QCOMPARE(m_form->Buttons->ScrollDelay(), 33);
}

void DialogsTest::ok_inReadOnlyFolder_keepsTheDialogOpen() {
    createWindows();
    m_setup->show();
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    m_setup->XPButton1->click();
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes[0].kind, solvenna::ui::BoxKind::Error);
    QCOMPARE(m_services->boxes[0].text, u"Unable to write to "_s + folder() + u"solvenna.ini."_s);
    QVERIFY(m_setup->isVisible());
}

void DialogsTest::unreadableSettingsFile_isReportedOnce_data() {
    QTest::addColumn<bool>("fifo"); // else a folder
    QTest::newRow("FIFO") << true;
    QTest::newRow("folder") << false;
}

void DialogsTest::unreadableSettingsFile_isReportedOnce() {
    QFETCH(bool, fifo);
    const QString path = folder() + u"solvenna.ini"_s;
    if (fifo)
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkdir(path));
    // As the program starts: the windows, then the window's place from the same file; then it closes.
    createWindows();
    m_form->restorePlacement(m_setup->settingsFile());
    m_form->close();
    QCOMPARE(m_services->texts().size(), 1);
    QVERIFY2(m_services->texts()[0].contains(path), qPrintable(m_services->texts()[0]));
}

void DialogsTest::startsWithNoPerson() {
    BirthDate = 12345;
    PersonName = u"old"_s;
    createWindows();
    QCOMPARE(BirthDate, encodeDate(1900, 1, 1));
    QVERIFY(PersonName.isEmpty());
    QCOMPARE(m_person->HorList->currentIndex(), 0);
    QVERIFY(!m_person->HorList->isEnabled());
    QVERIFY(!m_person->Check1->isChecked());
    QVERIFY(!m_person->Check2->isChecked());
    QCOMPARE(m_person->Label4->text(), u"Ваш знак зодиака"_s);
    QVERIFY(m_person->Label4->isHidden());
    QCOMPARE(m_person->Calendar1->value(), 0.0);
    QCOMPARE(m_person->windowTitle(), u"Личные данные"_s);
    QCOMPARE(m_person->HorList->count(), 6);
    QCOMPARE(m_person->HorList->itemText(5), u"Нумерологический"_s);
    // The date edit is first in the keyboard order.
    QWidget* first = m_person->nextInFocusChain();
    while (!(first->focusPolicy() & Qt::TabFocus) && first != m_person)
        first = first->nextInFocusChain();
    QCOMPARE(first, m_person->Calendar1->editor());
}

void DialogsTest::dateEdit_reportsEveryChangeAndCanBeEmptied() {
    createWindows();
    QSignalSpy changes(m_person->Calendar1, &TDateEdit::valueChanged);
    m_person->Calendar1->setValue(encodeDate(1850, 6, 10)); // before 1900 is a real date
    QCOMPARE(m_person->Calendar1->value(), encodeDate(1850, 6, 10));
    QCOMPARE(m_person->Label4->text(), u"Близнецы (21.05 - 20.06)"_s);
    m_person->Calendar1->setValue(encodeDate(1975, 8, 15));
    QCOMPARE(m_person->Label4->text(), u"Лев (23.07 - 22.08)"_s);
    QCOMPARE(m_person->Calendar1->editor()->text(), u"15   августа 1975"_s);
    m_person->Calendar1->todayButton()->click();
    QCOMPARE(m_person->Calendar1->value(), encodeDate(2026, 12, 7));
    m_person->Calendar1->clearDate();
    QCOMPARE(m_person->Calendar1->value(), 0.0);
    QCOMPARE(changes.size(), 4);
}

void DialogsTest::done_withBothBoxes_showsSummaryThenPage() {
    createWindows();
    m_person->edit1->setEditText(u"Иван"_s);
    m_person->Calendar1->setValue(encodeDate(1975, 8, 15));
    m_person->Check1->setChecked(true);
    m_person->Check2->setChecked(true);
    m_person->HorList->setCurrentIndex(1);
    // The summary must already be shown when the page is asked for.
    struct OrderViewer : PageViewer {
        ServiceRecorder* services;
        QStringList order;
        void Navigate(const QString& path) override {
            order << u"boxes=%1 "_s.arg(services->boxes.size()) + path;
        }
        void Quit() override {}
    } viewer;
    viewer.services = m_services.get();
    m_form->setPageViewer(&viewer);
    m_person->Button1->click();
    QCOMPARE(m_services->boxes.size(), 1);
    QVERIFY(m_services->boxes[0].text.startsWith(u"Иван, по знаку Зодиака Вы Лев (23.07 - 22.08)"_s));
    QCOMPARE(viewer.order, QStringList{u"boxes=1 "_s + programFolder() + u"Data/Chinese/cat.htm"_s});
    QCOMPARE(m_form->windowTitle(), u"Solvenna, версия 1.3  [Иван, 15.08.1975, Лев (23.07 - 22.08)]"_s);
    QCOMPARE(BirthDate, encodeDate(1975, 8, 15));
    QCOMPARE(PersonName, u"Иван"_s);
    QCOMPARE(
        testsupport::readBytes(folder() + u"names.ini"_s),
        QByteArray(
            "[\xC8\xE2\xE0\xED]\r\nDate=15.08.1975\r\nShowMain=1\r\nShowHoroscop=1\r\nHoroscopType=1\r\n"));
    m_form->setPageViewer(nullptr);
}

void DialogsTest::done_captionAndStore_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("setDate");
    QTest::addColumn<bool>("storeNames");
    QTest::addColumn<int>("listIndex"); // with Check2 ticked
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("stored"); // empty: no file
    QTest::newRow("no name") << QString() << true << true << 0
                             << u"Solvenna, версия 1.3  [Без имени, 15.08.1975, Лев (23.07 - 22.08)]"_s
                             << QByteArray();
    // Day 0 is shown as the design has it, but never stored: it would come back as a real date.
    QTest::newRow("no date ever reported")
        << u"Ann"_s << false << true << 0 << u"Solvenna, версия 1.3  [Ann, 30.12.1899, Ваш знак зодиака]"_s
        << QByteArray();
    QTest::newRow("no list entry selected")
        << u"Ann"_s << true << true << -1 << u"Solvenna, версия 1.3  [Ann, 15.08.1975, Лев (23.07 - 22.08)]"_s
        << QByteArray("[Ann]\r\nDate=15.08.1975\r\nShowMain=0\r\nShowHoroscop=1\r\n"
                      "HoroscopType=-1\r\n");
    QTest::newRow("remembering off") << u"Ann"_s << true << false << 0
                                     << u"Solvenna, версия 1.3  [Ann, 15.08.1975, Лев (23.07 - 22.08)]"_s
                                     << QByteArray();
}

void DialogsTest::done_captionAndStore() {
    QFETCH(QString, name);
    QFETCH(bool, setDate);
    QFETCH(bool, storeNames);
    QFETCH(int, listIndex);
    QFETCH(QString, caption);
    QFETCH(QByteArray, stored);
    createWindows();
    m_setup->Check1->setChecked(storeNames);
    m_person->edit1->setEditText(name);
    if (setDate) m_person->Calendar1->setValue(encodeDate(1975, 8, 15));
    m_person->Check2->setChecked(true);
    m_person->HorList->setCurrentIndex(listIndex);
    m_person->Button1->click();
    QCOMPARE(m_form->windowTitle(), caption);
    QCOMPARE(testsupport::readBytes(folder() + u"names.ini"_s), stored);
    if (listIndex < 0) QVERIFY(m_form->Buttons->isHidden()); // no system chosen: nothing shown
}

void DialogsTest::done_withoutHoroscopeBox_repeatsTheLastSystem() {
    createWindows();
    m_person->Calendar1->setValue(encodeDate(1975, 8, 15));
    m_person->Button1->click();
    QVERIFY(m_form->Buttons->isHidden()); // a fresh run: the caption changes, the start page shows the person
    QVERIFY(m_form->startPageShown());
    m_form->N13Click();
    m_person->Calendar1->setValue(encodeDate(1980, 3, 25));
    m_person->Button1->click();
    QCOMPARE(m_form->Web1->currentPage(), programFolder() + u"Data/Zodiac/aries/element.htm"_s);
}

// A first run closed without a person: a welcome that names the way to begin, and no reading tools for it.
void DialogsTest::startPage_withoutAPerson_saysHowToBegin() {
    createWindows();
    m_form->N12Click(); // the dialog closed at once: cancelled
    QCOMPARE(m_services->modals, QList<QDialog*>{m_person});
    QVERIFY(m_form->startPageShown());
    const QString text = m_form->Web1->toPlainText();
    QVERIFY2(text.contains(u"«Личные данные»"_s) && text.contains(u"Ctrl+P"_s), qPrintable(text));
    m_form->Timer1Timer();
    for (QAction* command :
         {m_form->PrintItem, m_form->PreviewItem, m_form->SavePagePdfItem, m_form->FindItem, m_form->N4})
        QVERIFY2(!command->isEnabled(), qPrintable(command->text()));
    // A horoscope asked for replaces it for good.
    BirthDate = encodeDate(1975, 8, 15);
    m_form->N14Click();
    m_form->N12Click();
    QVERIFY(!m_form->startPageShown());
    QVERIFY(m_form->Web1->currentPage().endsWith(u"cat.htm"_s));
}

// "Готово" with no horoscope chosen: the person's name and six signs, each a link to its page.
void DialogsTest::startPage_linksOpenThePersonsPages_data() {
    QTest::addColumn<int>("link"); // in the page's order
    QTest::addColumn<QString>("page");
    QTest::newRow("zodiac") << 0 << u"Zodiac/lion/element.htm"_s;
    QTest::newRow("Chinese") << 1 << u"Chinese/cat.htm"_s;
    QTest::newRow("Druid") << 2 << u"Druidean/kartas.htm"_s;
    QTest::newRow("Zoroastrian") << 3 << u"Zoroastrian/6.htm"_s;
    QTest::newRow("Mythological") << 4 << u"Myphologic/7.htm"_s;
    QTest::newRow("Numerological") << 5 << u"Numeric/9.htm"_s;
}

void DialogsTest::startPage_linksOpenThePersonsPages() {
    QFETCH(int, link);
    QFETCH(QString, page);
    createWindows();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_person->edit1->setEditText(u"Анна"_s);
    m_person->Calendar1->setValue(encodeDate(1975, 8, 15));
    m_person->Check2->setChecked(false);
    m_person->Button1->click();
    QVERIFY(m_form->startPageShown());
    QVERIFY(m_form->Buttons->isHidden());
    QVERIFY(m_form->Web1->toPlainText().startsWith(u"Анна"_s));
    // By the keyboard, as a person reaches a link: Tab to it, Enter.
    m_form->Web1->setFocus();
    for (int i = 0; i <= link; ++i)
        QTest::keyClick(m_form->Web1, Qt::Key_Tab);
    QTest::keyClick(m_form->Web1, Qt::Key_Return);
    QTRY_COMPARE(m_form->Web1->currentPage(), programFolder() + u"Data/"_s + page);
    QVERIFY(!m_form->startPageShown());
    m_form->Timer1Timer();
    QVERIFY(m_form->PrintItem->isEnabled()); // a page to read, as any
}

void DialogsTest::pickName_inAnotherLetterCase_fillsTheDialog() {
    QVERIFY(testsupport::writeBytes(
        folder() + u"names.ini"_s,
        "[\xC8\xE2\xE0\xED]\r\nDate=15.08.1975\r\nShowMain=1\r\nShowHoroscop=1\r\nHoroscopType=3\r\n"));
    createWindows();
    QCOMPARE(m_person->edit1->count(), 1);
    m_person->edit1->setEditText(u"иВАН"_s);
    m_person->edit1Click();
    QCOMPARE(m_person->Calendar1->value(), encodeDate(1975, 8, 15));
    QVERIFY(m_person->Check1->isChecked());
    QVERIFY(m_person->Check2->isChecked());
    QVERIFY(m_person->HorList->isEnabled());
    QCOMPARE(m_person->HorList->currentIndex(), 3);
    QCOMPARE(m_person->Label4->text(), u"Лев (23.07 - 22.08)"_s);
    // Picked through the list as a user does.
    m_person->Calendar1->clearDate();
    m_person->edit1->setCurrentIndex(0);
    Q_EMIT m_person->edit1->activated(0);
    QCOMPARE(m_person->Calendar1->value(), encodeDate(1975, 8, 15));
}

void DialogsTest::pickName_data() {
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<double>("date");
    QTest::addColumn<bool>("check2");
    QTest::addColumn<int>("listIndex");
    QTest::newRow("no Date: today") << QByteArray("ShowMain=1\r\n") << encodeDate(2026, 12, 7) << false << 2;
    QTest::newRow("Date in another locale's format: today")
        << QByteArray("Date=8/15/1975\r\n") << encodeDate(2026, 12, 7) << false << 2;
    QTest::newRow("HoroscopType -1: no selection")
        << QByteArray("ShowHoroscop=1\r\nHoroscopType=-1\r\n") << encodeDate(2026, 12, 7) << true << -1;
    QTest::newRow("HoroscopType 0x3")
        << QByteArray("ShowHoroscop=1\r\nHoroscopType=0x3\r\n") << encodeDate(2026, 12, 7) << true << 3;
    QTest::newRow("HoroscopType abc: 0")
        << QByteArray("ShowHoroscop=1\r\nHoroscopType=abc\r\n") << encodeDate(2026, 12, 7) << true << 0;
    QTest::newRow("ShowHoroscop off keeps the selection")
        << QByteArray("ShowHoroscop=0\r\nHoroscopType=4\r\n") << encodeDate(2026, 12, 7) << false << 2;
}

void DialogsTest::pickName() {
    QFETCH(QByteArray, entry);
    QFETCH(double, date);
    QFETCH(bool, check2);
    QFETCH(int, listIndex);
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s, "[Ann]\r\n" + entry));
    createWindows();
    m_person->HorList->setCurrentIndex(2);
    m_person->edit1->setEditText(u"ann"_s);
    m_person->edit1Click();
    QCOMPARE(m_person->Calendar1->value(), date);
    QCOMPARE(m_person->Check2->isChecked(), check2);
    QCOMPARE(m_person->HorList->isEnabled(), check2);
    QCOMPARE(m_person->HorList->currentIndex(), listIndex);
}

void DialogsTest::deleteName_removesThatPersonsEntry() {
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s,
                                    "[Anna]\r\nDate=01.01.1990\r\n[Boris]\r\nDate=02.02.1980\r\n"));
    createWindows();
    // Another person is selected in the list, then the user types "BORIS" and deletes it.
    m_person->edit1->setCurrentIndex(0);
    m_person->edit1->setEditText(u"BORIS"_s);
    m_person->N2Click();
    QCOMPARE(m_person->edit1->count(), 1);
    QCOMPARE(m_person->edit1->itemText(0), u"Anna"_s);
    QVERIFY(m_person->edit1->currentText().isEmpty());
    QCOMPARE(testsupport::readBytes(folder() + u"names.ini"_s), QByteArray("[Anna]\r\nDate=01.01.1990\r\n"));
    // A typed name without an entry only empties the box.
    m_person->edit1->setEditText(u"Nobody"_s);
    m_person->N2Click();
    QVERIFY(m_person->edit1->currentText().isEmpty());
    QCOMPARE(m_person->edit1->count(), 1);
    QCOMPARE(testsupport::readBytes(folder() + u"names.ini"_s), QByteArray("[Anna]\r\nDate=01.01.1990\r\n"));
}

void DialogsTest::clearList_erasesEverything() {
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s,
                                    "[Anna]\r\nDate=01.01.1990\r\n[Boris]\r\nDate=02.02.1980\r\n"));
    createWindows();
    m_setup->Check1->setChecked(false); // clearing does not depend on remembering names
    m_person->edit1->setEditText(u"Anna"_s);
    m_person->N1Click();
    QCOMPARE(m_person->edit1->count(), 0);
    QVERIFY(m_person->edit1->currentText().isEmpty());
    QVERIFY(!testsupport::readBytes(folder() + u"names.ini"_s).contains("Date"));
}

void DialogsTest::popupEnabling() {
    createWindows();
    m_person->PopupMenu1BeforePopUp();
    QVERIFY(!m_person->N2->isEnabled());
    QVERIFY(!m_person->N1->isEnabled()); // no file: nothing to clear
    m_person->edit1->setEditText(u"Ann"_s);
    m_person->edit1->addItem(u"Ann"_s);
    m_person->PopupMenu1BeforePopUp();
    QVERIFY(m_person->N2->isEnabled());
    QVERIFY(m_person->N1->isEnabled());
}

void DialogsTest::done_inReadOnlyFolder_showsErrorAfterTheDisplays() {
    createWindows();
    m_person->edit1->setEditText(u"Ann"_s);
    m_person->Calendar1->setValue(encodeDate(1975, 8, 15));
    m_person->Check1->setChecked(true);
    m_person->Check2->setChecked(true);
    m_person->HorList->setCurrentIndex(4);
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    m_person->show(); // as the modal run shows it: the dialog must really go
    QVERIFY(m_person->isVisible());
    m_person->Button1->click();
    QCOMPARE(m_services->boxes.size(), 2);
    QCOMPARE(m_services->boxes[0].kind, solvenna::ui::BoxKind::Message); // the summary first
    QCOMPARE(m_services->boxes[1].kind, solvenna::ui::BoxKind::Error);
    QCOMPARE(m_services->boxes[1].text, u"Unable to write to "_s + folder() + u"names.ini."_s);
    QCOMPARE(m_form->Web1->currentPage(), programFolder() + u"Data/Myphologic/7.htm"_s);
    QVERIFY(!m_person->isVisible());
    // The program goes on.
    m_form->N15Click();
    QVERIFY(m_form->Web1->currentPage().endsWith(u"kartas.htm"_s));
}

void DialogsTest::dialogs_haveFixedSizes() {
    createWindows();
    for (QWidget* dialog : {static_cast<QWidget*>(m_person), static_cast<QWidget*>(m_setup)}) {
        const QSize before = dialog->size();
        dialog->resize(before + QSize(100, 100));
        QCOMPARE(dialog->size(), before);
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    }
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
