// Compatibility in the main window: the command, the dialog typed and picked as a person does, and the
// page shown in the single-page layout.
#include "compatibilitydialog.h"
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
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;
using testsupport::ServiceRecorder;

class CompatibilityWindowTest : public testsupport::ProgramWindows {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void command_followsTheDateRule();
    void dialog_showsThePersonAndTakesATypedPartner();
    void dialog_pickFillsTheDate_typedNameFillsNothing();
    void dialog_withoutADate_staysOpen();
    void page_namesBothWithSignsAndRelations();
    void page_linksOpenThePartnersPages();
    void page_canBeSavedAsPdfAndFound();
    void page_missingFragment_showsTheErrorPage();
    void back_returnsToThePageBefore_data();
    void back_returnsToThePageBefore();

private:
    void showOlga();
};

void CompatibilityWindowTest::initTestCase() {
    startProgram();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void CompatibilityWindowTest::showOlga() {
    m_form->showCompatibility(u"Ольга"_s, encodeDate(1980, 3, 3));
}

void CompatibilityWindowTest::command_followsTheDateRule() {
    createWindowsWithAnna();
    BirthDate = encodeDate(1900, 1, 1);
    m_form->Timer1Timer();
    QVERIFY(!m_form->CompatibilityItem->isEnabled());
    BirthDate = encodeDate(1975, 8, 15);
    m_form->Timer1Timer();
    QVERIFY(m_form->CompatibilityItem->isEnabled());
    QVERIFY(!m_form->CompatibilityItem->toolTip().isEmpty());
    QCOMPARE(m_form->CompatibilityItem->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    // The dialog runs modally through the service; cancelled, nothing is shown.
    m_form->CompatibilityItem->trigger();
    QCOMPARE(m_services->modals.size(), 1);
    QCOMPARE(m_services->modals[0]->windowTitle(), u"Совместимость"_s);
    QVERIFY(m_form->Web1->currentPage().isEmpty());
}

void CompatibilityWindowTest::dialog_showsThePersonAndTakesATypedPartner() {
    createWindowsWithAnna();
    m_services->modalResult = QDialog::Accepted;
    m_form->Timer1Timer();
    m_form->CompatibilityItem->trigger();
    auto* dialog = qobject_cast<TCompatibilityDialog*>(m_services->modals.value(0));
    QVERIFY(dialog);
    QCOMPARE(dialog->PersonLabel->text(), u"Анна, 15.08.1975, Лев (23.07 - 22.08)"_s);
    QVERIFY(dialog->ShowButton->isDefault());
    QTest::keyClicks(dialog->PartnerDate->editor(), u"3.3.1980"_s);
    dialog->PartnerDate->commit();
    QCOMPARE(dialog->partnerDate(), encodeDate(1980, 3, 3));
}

void CompatibilityWindowTest::dialog_pickFillsTheDate_typedNameFillsNothing() {
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s, "[Olga]\r\nDate=03.03.1980\r\n"));
    createWindowsWithAnna();
    TCompatibilityDialog dialog;
    dialog.storedDate = [](const QString& name) { return Form2->names().read(name, 0).date; };
    dialog.prepare(PersonName, BirthDate, Form2->names().names());
    QCOMPARE(dialog.PartnerName->count(), 1);
    QTest::keyClicks(dialog.PartnerName->lineEdit(), u"Olga"_s);
    QTest::keyClick(dialog.PartnerName->lineEdit(), Qt::Key_Tab);
    QVERIFY(!dialog.PartnerDate->hasDate()); // a typed name fills nothing
    QCOMPARE(dialog.partnerName(), u"Olga"_s);
    dialog.PartnerName->setFocus();
    QTest::keyClick(dialog.PartnerName, Qt::Key_Down); // a pick
    QCOMPARE(dialog.partnerDate(), encodeDate(1980, 3, 3));
}

void CompatibilityWindowTest::dialog_withoutADate_staysOpen() {
    createWindowsWithAnna();
    TCompatibilityDialog dialog;
    dialog.prepare(PersonName, BirthDate, {});
    dialog.show();
    QTest::keyClicks(dialog.PartnerDate->editor(), u"31.02.1980"_s);
    dialog.ShowButton->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.PartnerDate->textIsDate());
    dialog.PartnerDate->editor()->selectAll();
    QTest::keyClicks(dialog.PartnerDate->editor(), u"3.3.1980"_s);
    dialog.ShowButton->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void CompatibilityWindowTest::page_namesBothWithSignsAndRelations() {
    createWindowsWithAnna();
    showOlga();
    QVERIFY(m_form->Web1->showsGenerated());
    const QString text = m_form->Web1->toPlainText();
    for (const char* word : {"Анна", "Ольга", "Лев", "Рыбы", "Кот", "Обезьяна"})
        QVERIFY2(text.contains(QString::fromUtf8(word)), word);
    QVERIFY(m_form->Buttons->SingleSectionMode());
    QVERIFY(!m_form->Buttons->isHidden());
    TButtonBarItems& items = m_form->Buttons->Sections()[0]->Items();
    QCOMPARE(items.Count(), 1);
    QCOMPARE(items[0]->Caption(), u"Совместимость"_s);
    QVERIFY(items[0]->Hint().contains(u"Анна"_s) && items[0]->Hint().contains(u"Ольга"_s));
    for (QAction* a : {m_form->N13, m_form->N14, m_form->N15, m_form->N10, m_form->N20, m_form->N17})
        QVERIFY(!a->isChecked());
    // The bar's item shows it again; a system's command takes over from it.
    m_form->Web1->Quit();
    m_form->ItemClick();
    QVERIFY(m_form->Web1->toPlainText().contains(u"Ольга"_s));
    m_form->N14Click();
    QVERIFY(m_form->Web1->currentPage().endsWith(u"cat.htm"_s));
    m_form->ItemClick();
    QVERIFY(m_form->Web1->currentPage().endsWith(u"cat.htm"_s));
}

void CompatibilityWindowTest::page_linksOpenThePartnersPages() {
    createWindowsWithAnna();
    showOlga();
    // The partner's tree, 3 March 1980: its link opens its page of the data folder in the view.
    const QString partnerTree = m_form->Folders.DruidFolder;
    const QRegularExpression link(u"href=\"(\\.\\./Druidean/[a-z]+\\.htm)\""_s);
    QStringList links;
    for (auto it = link.globalMatch(m_form->Web1->generatedHtml()); it.hasNext();)
        links << it.next().captured(1);
    QCOMPARE(links.size(), 2); // one for each person
    Q_EMIT m_form->Web1->anchorClicked(QUrl(links[1]));
    QVERIFY2(m_form->Web1->currentPage().startsWith(partnerTree), qPrintable(m_form->Web1->currentPage()));
    QVERIFY(!m_form->Web1->showsGenerated());
    QVERIFY(m_form->Web1->toPlainText().contains(u"Гороскоп Друидов"_s));
}

void CompatibilityWindowTest::page_canBeSavedAsPdfAndFound() {
    createWindowsWithAnna();
    showOlga();
    m_form->Timer1Timer();
    QVERIFY(m_form->SavePagePdfItem->isEnabled());
    m_services->saveAnswer = folder() + u"pair.pdf"_s;
    m_form->SavePagePdfItem->trigger();
    QVERIFY2(m_services->boxes.isEmpty(), qPrintable(m_services->texts().join(u'|')));
    QFile pdf(m_services->saveAnswer);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
}

void CompatibilityWindowTest::page_missingFragment_showsTheErrorPage() {
    QTemporaryDir copy;
    const QString app = testsupport::readableProgramFolder(testsupport::dataFolder(), copy);
    QVERIFY(QFile::remove(app + u"Data/Compatibility/zodiac-quincunx.htm"_s));
    createWindowsWithAnna(app);
    showOlga(); // Лев and Рыбы stand five signs apart
    QVERIFY(!m_form->Web1->showsGenerated());
    QCOMPARE(m_form->Web1->currentPage(), m_form->Folders.errorPage());
}

// "Назад" and Alt+Left lead from the compatibility page back to the page and the section bar before it, once;
// afterwards "Назад" steps through the zodiac's sections again and Alt+Left does nothing.
void CompatibilityWindowTest::back_returnsToThePageBefore_data() {
    QTest::addColumn<QString>("before"); // zodiac (its fourth section), chinese, start
    QTest::addColumn<bool>("byKey");     // Alt+Left, or the tool bar's button
    QTest::newRow("zodiac section, Назад") << u"zodiac"_s << false;
    QTest::newRow("zodiac section, Alt+Left") << u"zodiac"_s << true;
    QTest::newRow("Chinese page, Назад") << u"chinese"_s << false;
    QTest::newRow("start page, Alt+Left") << u"start"_s << true;
}

void CompatibilityWindowTest::back_returnsToThePageBefore() {
    QFETCH(QString, before);
    QFETCH(bool, byKey);
    createWindowsWithAnna();
    m_form->Buttons->setSoftScroll(false);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    const QString lion = programFolder() + u"Data/Zodiac/lion/"_s;
    if (before == u"zodiac") {
        m_form->N13Click();
        m_form->Buttons->setActiveSection(3);
    } else if (before == u"chinese") {
        m_form->N14Click();
    } else {
        m_form->N12Click();
        QVERIFY(m_form->startPageShown());
    }
    const QString page = m_form->Web1->currentPage();
    const QString text = m_form->Web1->toPlainText();
    m_form->Timer1Timer();
    QCOMPARE(m_form->Tool6->isEnabled(), before == u"zodiac");

    showOlga();
    QVERIFY(m_form->Tool6->isEnabled());
    QVERIFY(!m_form->Tool7->isEnabled());
    const auto back = [this, byKey] {
        m_form->Web1->setFocus();
        if (byKey)
            QTest::keyClick(m_form->Web1, Qt::Key_Left, Qt::AltModifier);
        else
            m_form->Tool6->click();
    };
    back();
    QCOMPARE(m_form->Web1->currentPage(), page);
    QCOMPARE(m_form->Web1->toPlainText(), text);
    QCOMPARE(m_form->N13->isChecked(), before == u"zodiac");
    QCOMPARE(m_form->N14->isChecked(), before == u"chinese");
    QCOMPARE(m_form->Buttons->isHidden(), before == u"start");
    if (before == u"zodiac") {
        QVERIFY(!m_form->Buttons->SingleSectionMode());
        QCOMPARE(m_form->Buttons->ActiveSection(), 3);
        QCOMPARE(page, lion + u"companions.htm"_s);
    } else if (before == u"chinese") {
        QCOMPARE(m_form->Buttons->Sections()[0]->Items()[0]->Caption(), u"Китайский гороскоп"_s);
    } else {
        QVERIFY(m_form->startPageShown());
    }

    // Once back, the keys do what they did before the compatibility page.
    m_form->Timer1Timer();
    QCOMPARE(m_form->Tool6->isEnabled(), before == u"zodiac");
    QVERIFY(!m_form->BackItem->isEnabled());
    QTest::keyClick(m_form->Web1, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(m_form->Web1->currentPage(), page);
    if (before == u"zodiac") {
        m_form->Tool6->click();
        QCOMPARE(m_form->Buttons->ActiveSection(), 2);
    }
}

QTEST_MAIN(CompatibilityWindowTest)
#include "tst_compatibilitywindow.moc"
