#include "core/date.h"
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
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;
using testsupport::ServiceRecorder;

namespace {

// The program folder with the pages, readable by the ordinary user the tests run as.

// Records what LoadFile asks of the viewer.
struct RecordingViewer : PageViewer {
    QStringList calls;
    void Navigate(const QString& path) override { calls << u"Navigate "_s + path; }
    void Quit() override { calls << u"Quit"_s; }
};

// A key press as the Russian layout reports it: the Cyrillic letter, no Latin key.
void sendRussianCtrlKey(QWidget* window, int letter) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QKeyEvent press(QEvent::KeyPress, letter, Qt::ControlModifier, QString(QChar(char16_t(letter))));
    QApplication::sendEvent(target, &press);
}

using Handler = void (TForm1::*)(QObject*);
using PopupHandler = void (TForm1::*)();

} // namespace

Q_DECLARE_METATYPE(Handler)
Q_DECLARE_METATYPE(PopupHandler)

class MainWindowTest : public testsupport::ProgramWindows {
    Q_OBJECT
private Q_SLOTS:
    void init();

    void startsEmptyWithCommandsDisabled();
    void enablingRule_data();
    void enablingRule();
    void shortcuts_areGatedByTheMenus();
    void shortcuts_workWithTheRussianLayout();
    void alwaysAvailableShortcuts();
    void guide_data();
    void guide();
    void loadFile_data();
    void loadFile();
    void zodiac_showsFirstTopicWithoutMovingTheOpenSection();
    void backAndForward_stopAtTheEnds();
    void singlePage_data();
    void singlePage();
    void singlePage_twiceRenamesTheOneItem();
    void zodiacAfterSinglePage_restoresTheSections();
    void chinese1905_refusesAndKeepsThePage();
    void summary_showsTheCoreText();
    void commandErrors_showTheErrorBoxAndGoOn();
    void errorBoxText_data();
    void errorBoxText();
    void messageCaption_isTheProgramName();
    void pageView_decodesAndLoadsStyleSheets();
    void pageView_links_data();
    void pageView_links();
    void pageView_followsLinksSafely();
    void toolBar_hasItsHintsAndOrder();
};

void MainWindowTest::init() {
    beginTest();
    BirthDate = encodeDate(1900, 1, 1);
    PersonName.clear();
    createMainWindow();
    m_form->Buttons->setSoftScroll(false);
}

void MainWindowTest::startsEmptyWithCommandsDisabled() {
    QCOMPARE(m_form->windowTitle(), u"Solvenna, версия 1.3"_s);
    QVERIFY(m_form->Buttons->isHidden());
    QVERIFY(m_form->Web1->toPlainText().isEmpty());
    QVERIFY(m_form->SignFolder.isEmpty());
    QVERIFY(m_form->N9->isChecked());
    QVERIFY(!m_form->N8->isChecked());
    for (QAction* item : {m_form->N13, m_form->N14, m_form->N15, m_form->N10, m_form->N20, m_form->N17,
                          m_form->N18, m_form->N19, m_form->N21, m_form->N22, m_form->N23, m_form->N24})
        QVERIFY(!item->isChecked());
    m_form->Timer1Timer();
    QVERIFY(!m_form->N4->isEnabled());
    QVERIFY(!m_form->N7->menuAction()->isEnabled());
    QVERIFY(m_form->N12->isEnabled());
    QVERIFY(m_form->Tool1->isEnabled());
    QCOMPARE(m_form->Timer1->interval(), 100);
    QVERIFY(m_form->Timer1->isActive());
}

void MainWindowTest::enablingRule_data() {
    QTest::addColumn<Date>("birthDate");
    QTest::addColumn<QString>("layout"); // none, zodiac, single
    QTest::addColumn<bool>("commands");
    QTest::addColumn<bool>("backForward");
    QTest::newRow("1 Jan 1900, no layout") << encodeDate(1900, 1, 1) << u"none"_s << false << false;
    QTest::newRow("2 Jan 1900, no layout") << encodeDate(1900, 1, 2) << u"none"_s << true << false;
    QTest::newRow("2 Jan 1900, zodiac") << encodeDate(1900, 1, 2) << u"zodiac"_s << true << true;
    QTest::newRow("2 Jan 1900, single page") << encodeDate(1900, 1, 2) << u"single"_s << true << false;
    QTest::newRow("1 Jan 1900, zodiac") << encodeDate(1900, 1, 1) << u"zodiac"_s << false << false;
    QTest::newRow("1850, zodiac") << encodeDate(1850, 6, 1) << u"zodiac"_s << false << false;
}

void MainWindowTest::enablingRule() {
    QFETCH(Date, birthDate);
    QFETCH(QString, layout);
    QFETCH(bool, commands);
    QFETCH(bool, backForward);
    BirthDate = birthDate;
    if (layout == u"zodiac")
        m_form->N13Click();
    else if (layout == u"single")
        m_form->N15Click();
    m_form->Timer1Timer();
    QCOMPARE(m_form->N4->isEnabled(), commands);
    QCOMPARE(m_form->Tool2->isEnabled(), commands);
    QCOMPARE(m_form->N7->menuAction()->isEnabled(), commands);
    QCOMPARE(m_form->Tool3->isEnabled(), commands);
    QCOMPARE(m_form->Tool6->isEnabled(), backForward);
    QCOMPARE(m_form->Tool7->isEnabled(), backForward);
    // The items inside the submenus are never disabled themselves.
    QVERIFY(m_form->N13->isEnabled());
    QVERIFY(m_form->N18->isEnabled());
}

void MainWindowTest::shortcuts_areGatedByTheMenus() {
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_form->Timer1Timer();
    for (const Qt::Key key : {Qt::Key_Z, Qt::Key_K, Qt::Key_D, Qt::Key_A, Qt::Key_M, Qt::Key_N, Qt::Key_S})
        QTest::keyClick(m_form.get(), key, Qt::ControlModifier);
    QVERIFY(m_form->Buttons->isHidden());
    QVERIFY(m_services->boxes.isEmpty());
    QVERIFY(!m_form->N13->isChecked() && !m_form->N14->isChecked() && !m_form->N17->isChecked());

    BirthDate = encodeDate(1975, 8, 15);
    m_form->Timer1Timer();
    QTest::keyClick(m_form.get(), Qt::Key_D, Qt::ControlModifier);
    QVERIFY(m_form->N15->isChecked());
    QVERIFY(m_form->Web1->currentPage().endsWith(u"Data/Druidean/kartas.htm"_s));
    QTest::keyClick(m_form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_services->boxes.size(), 1);
}

void MainWindowTest::shortcuts_workWithTheRussianLayout() {
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    BirthDate = encodeDate(1975, 8, 15);
    m_form->Timer1Timer();
    // Ctrl and the key under "Z" while the Russian layout gives "я".
    sendRussianCtrlKey(m_form.get(), 0x042F); // Я
    QVERIFY(m_form->N13->isChecked());
    QVERIFY(m_form->Web1->currentPage().endsWith(u"Data/Zodiac/lion/element.htm"_s));
    // Ctrl + "л" (the key under "K") with no date set does nothing.
    BirthDate = encodeDate(1900, 1, 1);
    m_form->Timer1Timer();
    sendRussianCtrlKey(m_form.get(), 0x041B); // Л
    QVERIFY(!m_form->N14->isChecked());
}

void MainWindowTest::alwaysAvailableShortcuts() {
    createDialogs();
    TSetupFrm& setup = *m_setup;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_services->modals.clear(); // the dialog opened at the first show
    m_form->Timer1Timer();

    QTest::keyClick(m_form.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(m_services->modals, QList<QDialog*>{m_person});
    QTest::keyClick(m_form.get(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(setup.isVisible());
    QVERIFY(!setup.isModal()); // the main window's commands stay usable
    setup.hide();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyClick(m_form.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!m_form->isVisible());
}

void MainWindowTest::guide_data() {
    QTest::addColumn<QString>("how");      // F1, F1 in the settings dialog, the menu item
    QTest::addColumn<bool>("shipped");     // the program folder holds the guide
    QTest::addColumn<QString>("expected"); // the page shown, relative to the program folder
    const QString guide = u"Data/Guide/guide.htm"_s;
    QTest::newRow("F1") << u"F1"_s << true << guide;
    QTest::newRow("F1 in the settings dialog") << u"settings"_s << true << guide;
    QTest::newRow("Справка, Руководство") << u"menu"_s << true << guide;
    QTest::newRow("F1 without the guide: the error page")
        << u"F1"_s << false << u"Data/ErrorPage/error.htm"_s;
}

// The guide needs no person: with no birth date set it opens all the same.
void MainWindowTest::guide() {
    QFETCH(QString, how);
    QFETCH(bool, shipped);
    QFETCH(QString, expected);
    QString app = programFolder();
    QTemporaryDir bare;
    if (!shipped) {
        app = bare.path() + u'/';
        QVERIFY(testsupport::writeBytes(app + u"Data/ErrorPage/error.htm"_s, "<p>error</p>"));
        m_form->Folders = Folders::fromAppFolder(app);
        m_form->Folders.ConfigFolder = folder();
    }
    createDialogs();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_form->Timer1Timer();

    const QList<QAction*> help = m_form->N3->actions();
    QCOMPARE(help.value(0), m_form->GuideItem);
    QCOMPARE(m_form->GuideItem->text(), u"Руководство"_s);
    QCOMPARE(m_form->GuideItem->shortcut(), QKeySequence(Qt::Key_F1));
    QVERIFY(help.indexOf(m_form->N11) > 0);
    if (how == u"menu") {
        m_form->GuideItem->trigger();
    } else if (how == u"settings") {
        m_setup->show();
        m_setup->activateWindow();
        // QTest counts a dialog as active while its parent is: the dialog itself must be.
        QTRY_COMPARE(QApplication::activeWindow(), m_setup);
        QTest::keyClick(m_setup->focusWidget() ? m_setup->focusWidget() : m_setup, Qt::Key_F1);
    } else {
        QTest::keyClick(m_form.get(), Qt::Key_F1);
    }
    QCOMPARE(m_form->Web1->currentPage(), app + expected);
    if (shipped) QVERIFY(m_form->Web1->toPlainText().startsWith(u"Руководство пользователя"_s));
    QVERIFY(m_services->boxes.isEmpty());
}

void MainWindowTest::loadFile_data() {
    QTest::addColumn<QString>("asked");    // relative to the program folder
    QTest::addColumn<bool>("errorPage");   // the error page is present
    QTest::addColumn<QString>("expected"); // the call made of the viewer
    QTest::newRow("existing page") << u"Data/Chinese/cat.htm"_s << true << u"Navigate Data/Chinese/cat.htm"_s;
    QTest::newRow("missing page, error page present")
        << u"Data/Chinese/none.htm"_s << true << u"Navigate Data/ErrorPage/error.htm"_s;
    QTest::newRow("missing page, no error page") << u"Data/Chinese/none.htm"_s << false << u"Quit"_s;
    QTest::newRow("a folder counts as missing")
        << u"Data/Chinese"_s << true << u"Navigate Data/ErrorPage/error.htm"_s;
    QTest::newRow("a folder and no error page") << u"Data/Chinese"_s << false << u"Quit"_s;
    QTest::newRow("a page that is a link out of the data folder counts as missing")
        << u"Data/Chinese/out.htm"_s << true << u"Navigate Data/ErrorPage/error.htm"_s;
    QTest::newRow("a path out of the data folder counts as missing")
        << u"Data/Chinese/../../secret.htm"_s << true << u"Navigate Data/ErrorPage/error.htm"_s;
}

void MainWindowTest::loadFile() {
    QFETCH(QString, asked);
    QFETCH(bool, errorPage);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString app = dir.path() + u'/';
    QVERIFY(testsupport::writeBytes(app + u"Data/Chinese/cat.htm"_s, "<p>cat</p>"));
    QVERIFY(testsupport::writeBytes(app + u"secret.htm"_s, "<p>secret</p>"));
    QVERIFY(QFile::link(app + u"secret.htm"_s, app + u"Data/Chinese/out.htm"_s));
    if (errorPage) QVERIFY(testsupport::writeBytes(app + u"Data/ErrorPage/error.htm"_s, "<p>error</p>"));
    m_form->Folders = Folders::fromAppFolder(app);
    RecordingViewer viewer;
    m_form->setPageViewer(&viewer);
    m_form->LoadFile(app + asked);
    m_form->LoadFile(app + asked); // no memory between calls: the same again
    expected.replace(u"Navigate "_s, u"Navigate "_s + app);
    QCOMPARE(viewer.calls, (QStringList{expected, expected}));
    m_form->setPageViewer(nullptr);
}

void MainWindowTest::zodiac_showsFirstTopicWithoutMovingTheOpenSection() {
    BirthDate = encodeDate(1975, 8, 15);
    m_form->N13Click();
    QVERIFY(!m_form->Buttons->isHidden());
    QVERIFY(m_form->N13->isChecked());
    QVERIFY(m_form->N18->isChecked());
    QCOMPARE(m_form->SignFolder, programFolder() + u"Data/Zodiac/lion/"_s);
    QCOMPARE(m_form->Web1->currentPage(), programFolder() + u"Data/Zodiac/lion/element.htm"_s);
    QVERIFY(m_form->Web1->toPlainText().contains(u"Лев"_s));

    m_form->Buttons->setActiveSection(5);
    QCOMPARE(m_form->Web1->currentPage(), programFolder() + u"Data/Zodiac/lion/temper.htm"_s);
    m_form->N13Click();
    QCOMPARE(m_form->Web1->currentPage(), programFolder() + u"Data/Zodiac/lion/element.htm"_s);
    QCOMPARE(m_form->Buttons->ActiveSection(), 5);
    m_form->Tool6Click();
    QCOMPARE(m_form->Buttons->ActiveSection(), 4);
    QCOMPARE(m_form->Web1->currentPage(), programFolder() + u"Data/Zodiac/lion/aromatic.htm"_s);
}

void MainWindowTest::backAndForward_stopAtTheEnds() {
    BirthDate = encodeDate(1980, 3, 21); // Aries
    m_form->N13Click();
    RecordingViewer viewer;
    m_form->setPageViewer(&viewer);
    m_form->Tool6Click(); // at section 0
    QCOMPARE(m_form->Buttons->ActiveSection(), 0);
    QVERIFY(viewer.calls.isEmpty());
    m_form->Buttons->setActiveSection(10);
    viewer.calls.clear();
    m_form->Tool7Click(); // at section 10
    QCOMPARE(m_form->Buttons->ActiveSection(), 10);
    QVERIFY(viewer.calls.isEmpty());
    m_form->Tool6Click();
    QCOMPARE(viewer.calls, QStringList{u"Navigate "_s + programFolder() + u"Data/Zodiac/aries/love.htm"_s});
    m_form->Buttons->setActiveSection(9); // already open: nothing is loaded again
    QCOMPARE(viewer.calls.size(), 1);
    m_form->SectionClick(11);
    QCOMPARE(viewer.calls.size(), 1);
    m_form->setPageViewer(nullptr);
}

void MainWindowTest::singlePage_data() {
    QTest::addColumn<Handler>("command");
    QTest::addColumn<PopupHandler>("popup");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("page");
    QTest::newRow("Chinese") << Handler(&TForm1::N14Click) << PopupHandler(&TForm1::N19Click)
                             << u"Китайский гороскоп"_s << u"Data/Chinese/cat.htm"_s;
    QTest::newRow("Druid") << Handler(&TForm1::N15Click) << PopupHandler(&TForm1::N21Click)
                           << u"Гороскоп Друидов"_s << u"Data/Druidean/kartas.htm"_s;
    QTest::newRow("Zoroastrian") << Handler(&TForm1::N10Click) << PopupHandler(&TForm1::N22Click)
                                 << u"Зороастрийский гороскоп"_s << u"Data/Zoroastrian/6.htm"_s;
    QTest::newRow("Mythological") << Handler(&TForm1::N20Click) << PopupHandler(&TForm1::N23Click)
                                  << u"Мифологический гороскоп"_s << u"Data/Myphologic/7.htm"_s;
    QTest::newRow("numerological") << Handler(&TForm1::N17Click) << PopupHandler(&TForm1::N24Click)
                                   << u"Нумерологический гороскоп"_s << u"Data/Numeric/9.htm"_s;
}

void MainWindowTest::singlePage() {
    QFETCH(Handler, command);
    QFETCH(PopupHandler, popup);
    QFETCH(QString, caption);
    QFETCH(QString, page);
    BirthDate = encodeDate(1975, 8, 15);
    for (const bool fromPopup : {false, true}) {
        m_form->Web1->Quit();
        if (fromPopup) {
            m_form->Tool3->setDown(true);
            (m_form.get()->*popup)();
            QVERIFY(!m_form->Tool3->isDown()); // released after a popup command
        } else {
            (m_form.get()->*command)(nullptr);
        }
        TButtonBar* bar = m_form->Buttons;
        QVERIFY(!bar->isHidden());
        QVERIFY(bar->SingleSectionMode());
        QCOMPARE(bar->ActiveSection(), 0);
        QCOMPARE(bar->SectionBtnSize(), -20);
        for (int i = 0; i < bar->Sections().Count(); ++i)
            QVERIFY(!bar->Sections()[i]->Enabled());
        QCOMPARE(bar->Sections()[0]->Items().Count(), 1);
        QCOMPARE(bar->Sections()[0]->Items()[0]->Caption(), caption);
        QCOMPARE(bar->Sections()[0]->Items()[0]->Hint(), caption);
        QCOMPARE(m_form->Web1->currentPage(), programFolder() + page);
        QCOMPARE(m_form->windowTitle(), u"Solvenna, версия 1.3"_s);
    }
    // A click on the item loads the page again, worked out afresh.
    RecordingViewer viewer;
    m_form->setPageViewer(&viewer);
    m_form->ButtonsItemClick(m_form->Buttons, 0, 0);
    QCOMPARE(viewer.calls, QStringList{u"Navigate "_s + programFolder() + page});
    m_form->setPageViewer(nullptr);
}

void MainWindowTest::singlePage_twiceRenamesTheOneItem() {
    BirthDate = encodeDate(1975, 8, 15);
    m_form->N14Click();
    m_form->N15Click();
    QCOMPARE(m_form->Buttons->Sections()[0]->Items().Count(), 1);
    QCOMPARE(m_form->Buttons->Sections()[0]->Items()[0]->Caption(), u"Гороскоп Друидов"_s);
    QVERIFY(m_form->N15->isChecked() && m_form->N21->isChecked());
    QVERIFY(!m_form->N14->isChecked() && !m_form->N19->isChecked());
}

void MainWindowTest::zodiacAfterSinglePage_restoresTheSections() {
    BirthDate = encodeDate(1975, 8, 15);
    m_form->N17Click();
    m_form->N13Click();
    TButtonBar* bar = m_form->Buttons;
    QVERIFY(!bar->SingleSectionMode());
    QCOMPARE(bar->Sections()[0]->Items().Count(), 0);
    QCOMPARE(bar->SectionBtnSize(), 25);
    for (int i = 0; i < bar->Sections().Count(); ++i)
        QVERIFY(bar->Sections()[i]->Enabled());
    QVERIFY(!m_form->N17->isChecked());
    QCOMPARE(m_form->Web1->currentPage(), programFolder() + u"Data/Zodiac/lion/element.htm"_s);
    // In the zodiac layout an item click does nothing.
    RecordingViewer viewer;
    m_form->setPageViewer(&viewer);
    m_form->ItemClick();
    QVERIFY(viewer.calls.isEmpty());
    m_form->setPageViewer(nullptr);
}

void MainWindowTest::chinese1905_refusesAndKeepsThePage() {
    BirthDate = encodeDate(1975, 8, 15);
    m_form->N15Click();
    const QString before = m_form->Web1->currentPage();
    BirthDate = encodeDate(1905, 5, 5);
    m_form->N14Click();
    QCOMPARE(m_services->texts(), QStringList{u"Год рождения не должен быть меньше, чем 1910."_s});
    QCOMPARE(m_form->Web1->currentPage(), before);
    QCOMPARE(m_form->Buttons->Sections()[0]->Items()[0]->Caption(), u"Китайский гороскоп"_s);
    QVERIFY(m_form->N14->isChecked());
}

void MainWindowTest::summary_showsTheCoreText() {
    BirthDate = encodeDate(1975, 8, 15);
    PersonName = u"Иван"_s;
    m_form->N4Click();
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes[0].kind, solvenna::ui::BoxKind::Message);
    QVERIFY(
        m_services->boxes[0].text.startsWith(u"Иван, по знаку Зодиака Вы Лев (23.07 - 22.08)\n\rВашему"_s));
    QVERIFY(m_services->boxes[0].text.endsWith(u"Вам соответствует Грифон"_s));
}

void MainWindowTest::commandErrors_showTheErrorBoxAndGoOn() {
    QTemporaryDir dir;
    const QString page = dir.path() + u"/Data/Chinese/cat.htm"_s;
    QVERIFY(testsupport::writeBytes(page, "<p>cat</p>"));
    QFile::setPermissions(page, QFileDevice::WriteOwner); // exists, but cannot be read
    m_form->Folders = Folders::fromAppFolder(dir.path() + u'/');
    BirthDate = encodeDate(1975, 8, 15);
    // Through the menu item, as a user would run it.
    m_form->N14->trigger();
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes[0].kind, solvenna::ui::BoxKind::Error);
    QCOMPARE(m_services->boxes[0].text, u"Unable to open "_s + page + u'.');
    // The command got as far as it did: the layout is set, and the program goes on.
    QVERIFY(m_form->N14->isChecked());
    QVERIFY(m_form->Buttons->SingleSectionMode());
    m_form->Folders = Folders::fromAppFolder(programFolder());
    m_form->N15->trigger();
    QCOMPARE(m_services->boxes.size(), 1);
    QVERIFY(m_form->Web1->currentPage().endsWith(u"kartas.htm"_s));
}

void MainWindowTest::errorBoxText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << u"Unable to write to /x/names.ini"_s << u"Unable to write to /x/names.ini."_s;
    QTest::newRow("already a full stop") << u"Готово."_s << u"Готово."_s;
    QTest::newRow("exclamation sorts before the stop") << u"Ошибка!"_s << u"Ошибка!"_s;
    QTest::newRow("closing bracket sorts before") << u"(1)"_s << u"(1)"_s;
    QTest::newRow("slash sorts after") << u"/tmp/"_s << u"/tmp/."_s;
    QTest::newRow("digit sorts after") << u"code 5"_s << u"code 5."_s;
    QTest::newRow("empty") << QString() << QString();
}

void MainWindowTest::errorBoxText() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(solvenna::ui::errorBoxText(text), shown);
}

void MainWindowTest::messageCaption_isTheProgramName() {
    solvenna::ui::showMessage(u"x"_s);
    QCOMPARE(m_services->boxes.value(0).caption,
             QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QCOMPARE(m_services->boxes.value(0).caption, u"tst_mainwindow"_s);
}

void MainWindowTest::pageView_decodesAndLoadsStyleSheets() {
    QTemporaryDir dir;
    QVERIFY(testsupport::writeBytes(dir.path() + u"/style.css"_s, "h1 { color: #123456; }"));
    QVERIFY(testsupport::writeBytes(
        dir.path() + u"/a/cp.htm"_s,
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
        "<link rel=\"stylesheet\" type=\"text/css\" "
        "href=\"../style.css\"></head><body><h1>\xCB\xE5\xE2</h1></body></html>"));
    PageView view;
    view.setDataFolder(dir.path());
    view.Navigate(dir.path() + u"/a/cp.htm"_s);
    QCOMPARE(view.toPlainText().trimmed(), u"Лев"_s);
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(0x12, 0x34, 0x56));
    view.Quit();
    QVERIFY(view.toPlainText().isEmpty());
    QVERIFY(view.currentPage().isEmpty());
}

void MainWindowTest::pageView_links_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("action");
    using A = PageView::LinkAction;
    QTest::newRow("relative page") << u"../Chinese/cat.htm"_s << int(A::OpenPage);
    QTest::newRow("file page") << u"file:///tmp/x.html"_s << int(A::OpenPage);
    QTest::newRow("anchor") << u"#advice"_s << int(A::ScrollToAnchor);
    QTest::newRow("web") << u"https://ru.wikipedia.org/wiki/Гороскоп"_s << int(A::OpenOutside);
    QTest::newRow("plain web") << u"http://example.org/"_s << int(A::OpenOutside);
    QTest::newRow("mail") << u"mailto:someone@example.org"_s << int(A::OpenOutside);
    QTest::newRow("a program") << u"file:///usr/bin/xterm"_s << int(A::Ignore);
    QTest::newRow("a relative program") << u"../../solvenna"_s << int(A::Ignore);
    QTest::newRow("a script file") << u"run.sh"_s << int(A::Ignore);
    QTest::newRow("unknown scheme") << u"javascript:alert(1)"_s << int(A::Ignore);
    QTest::newRow("ftp") << u"ftp://example.org/a.htm"_s << int(A::Ignore);
}

void MainWindowTest::pageView_links() {
    QFETCH(QString, link);
    QFETCH(int, action);
    QCOMPARE(int(PageView::linkAction(QUrl(link))), action);
}

void MainWindowTest::pageView_followsLinksSafely() {
    QTemporaryDir dir;
    QVERIFY(testsupport::writeBytes(dir.path() + u"/a/first.htm"_s, "<p>first</p>"));
    QVERIFY(testsupport::writeBytes(dir.path() + u"/b/second.htm"_s, "<p>second</p>"));
    QVERIFY(testsupport::writeBytes(dir.path() + u"/a/run.sh"_s, "#!/bin/sh\n"));
    PageView view;
    view.setDataFolder(dir.path());
    view.Navigate(dir.path() + u"/a/first.htm"_s);
    // A relative link to another local page opens in the view.
    Q_EMIT view.anchorClicked(QUrl(u"../b/second.htm"_s));
    QCOMPARE(view.currentPage(), dir.path() + u"/b/second.htm"_s);
    QCOMPARE(view.toPlainText().trimmed(), u"second"_s);
    // A web address goes to the desktop, the view stays where it was.
    Q_EMIT view.anchorClicked(QUrl(u"https://ru.wikipedia.org/wiki/Гороскоп"_s));
    QCOMPARE(m_services->urls, QList<QUrl>{QUrl(u"https://ru.wikipedia.org/wiki/Гороскоп"_s)});
    QCOMPARE(view.currentPage(), dir.path() + u"/b/second.htm"_s);
    // A program file or an unknown scheme does nothing at all.
    Q_EMIT view.anchorClicked(QUrl(u"../a/run.sh"_s));
    Q_EMIT view.anchorClicked(QUrl(u"javascript:alert(1)"_s));
    QCOMPARE(view.currentPage(), dir.path() + u"/b/second.htm"_s);
    QCOMPARE(m_services->urls.size(), 1);
    // A link to a page that does not exist leaves the view as it was.
    Q_EMIT view.anchorClicked(QUrl(u"../b/none.htm"_s));
    QCOMPARE(view.currentPage(), dir.path() + u"/b/second.htm"_s);
}

void MainWindowTest::toolBar_hasItsHintsAndOrder() {
    QStringList order;
    for (QToolButton* b : m_form->ToolBar1->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
        if (b->objectName().startsWith(u"Tool"_s)) order << b->objectName();
    QCOMPARE(order, (QStringList{u"Tool1"_s, u"Tool2"_s, u"Tool3"_s, u"Tool6"_s, u"Tool7"_s, u"Tool8"_s,
                                 u"Tool4"_s, u"Tool5"_s}));
    QCOMPARE(m_form->Tool3->toolTip(),
             u"Вывести гороскоп:\nнажмите кнопку со стрелкой для \nвыбора нужного гороскопа"_s);
    QCOMPARE(m_form->Tool8->toolTip(),
             u"Изменить настройки программы:\nподсказки, скорость прокрутки и др."_s);
    QCOMPARE(m_form->Tool3->menu(), m_form->PMenu1);
    QCOMPARE(m_form->N13->shortcut(), QKeySequence(u"Ctrl+Z"_s));
    QCOMPARE(m_form->N10->shortcut(), QKeySequence(u"Ctrl+A"_s));
    QCOMPARE(m_form->N1->title(), u"&Гороскоп"_s);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
