// "Люди": the window over the name store, its actions, the group grid and the import preview.
#include "carddialog.h"
#include "core/contacts.h"
#include "core/date.h"
#include "core/datetext.h"
#include "core/namestore.h"
#include "core/peoplemodel.h"
#include "importpreview.h"
#include "main.h"
#include "pageview.h"
#include "peoplewindow.h"
#include "whoim.h"

#include "programwindows.h"
#include "testsupport.h"
#include "uitestsupport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <sys/stat.h>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

class PeopleWindowTest : public testsupport::ProgramWindows {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void listsEveryoneWithTheirSigns();
    void filter_ignoresCaseAndYo_data();
    void filter_ignoresCaseAndYo();
    void sort_keepsPeopleWithoutAValueLast_data();
    void sort_keepsPeopleWithoutAValueLast();
    void followsTheStore();
    void actions_openCompareDelete();
    void group_gridLeadsToPairsAndBack();
    void import_previewWithConflicts_data();
    void import_previewWithConflicts();
    void import_refusedWrite_writesNothing();
    void export_andCard_writeFiles();

private:
    // The window over a store holding these people (name, day, month, year).
    TPeopleWindow* openWith(const QList<std::tuple<QString, int, int, int>>& people);
    QString namesFile() const { return folder() + u"names.ini"_s; }
    QStringList shownNames() const;
};

void PeopleWindowTest::initTestCase() {
    startProgram();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

TPeopleWindow* PeopleWindowTest::openWith(const QList<std::tuple<QString, int, int, int>>& people) {
    createWindowsWithAnna();
    QList<NamedEntry> entries;
    for (const auto& [name, d, m, y] : people)
        entries.append({name, {encodeDate(y, m, d), false, false, 0}});
    if (!entries.isEmpty()) m_person->names().writeAll(entries);
    m_person->today = [this] { return m_today; };
    m_form->peopleClick();
    return m_form->peopleWindow();
}

QStringList PeopleWindowTest::shownNames() const {
    QStringList names;
    const PeopleModel* model = m_form->peopleWindow()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->nameAt(row);
    return names;
}

void PeopleWindowTest::listsEveryoneWithTheirSigns() {
    // More names than the dialog's 16 384-byte listing holds, and one born before the Chinese table.
    QList<std::tuple<QString, int, int, int>> people;
    for (int i = 0; i < 1200; ++i)
        people.append(
            {u"Человек номер %1"_s.arg(i, 4, 10, QChar(u'0')), 1 + i % 28, 1 + i % 12, 1950 + i % 50});
    people.append({u"Анна"_s, 15, 8, 1975});
    people.append({u"Прадед"_s, 1, 3, 1905});
    TPeopleWindow* window = openWith(people);
    QVERIFY(m_person->names().names().size() < 1202);
    const PeopleModel* model = window->model();
    QCOMPARE(model->totalCount(), 1202);
    const auto cells = [&](const QString& name) {
        QStringList texts;
        for (int c = 0; c < PeopleModel::kColumnCount - 1; ++c)
            texts << model->index(model->rowOf(name), c).data().toString();
        return texts;
    };
    QCOMPARE(cells(u"Анна"_s), (QStringList{u"Анна"_s, u"15.08.1975"_s, u"51"_s, u"Лев"_s, u"Кот"_s,
                                            u"Картас"_s, u"Паук"_s, u"Грифон"_s, u"9"_s}));
    QCOMPARE(cells(u"Прадед"_s).at(PeopleModel::Chinese), QString());
    QVERIFY(!cells(u"Прадед"_s).at(PeopleModel::Zoroastrian).isEmpty());
    QVERIFY(m_services->boxes.isEmpty()); // a date without a Chinese sign shows no message
    QVERIFY(window->UpcomingLabel->text().contains(u"Человек номер"_s));
}

void PeopleWindowTest::filter_ignoresCaseAndYo_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("е finds ё") << u"алена"_s << QStringList{u"Алёна"_s};
    QTest::newRow("Ё finds е, any case") << u"ЁЛ"_s << QStringList{u"Елена"_s, u"елизавета"_s};
    QTest::newRow("nothing") << u"ж"_s << QStringList{};
}

void PeopleWindowTest::filter_ignoresCaseAndYo() {
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    TPeopleWindow* window =
        openWith({{u"Алёна"_s, 1, 2, 1990}, {u"Елена"_s, 2, 3, 1991}, {u"елизавета"_s, 3, 4, 1992}});
    window->FilterEdit->setText(typed);
    QCOMPARE(shownNames(), found);
    QVERIFY(window->CountLabel->text().contains(u"из 3"_s));
}

void PeopleWindowTest::sort_keepsPeopleWithoutAValueLast_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("expected");
    // Вера has no Chinese animal (1905); Борис's birthday is today (7 December).
    QTest::newRow("name") << int(PeopleModel::Name) << int(Qt::AscendingOrder)
                          << QStringList{u"Борис"_s, u"Вера"_s, u"Ёжик"_s, u"Юрий"_s};
    QTest::newRow("date, descending") << int(PeopleModel::BirthDate) << int(Qt::DescendingOrder)
                                      << QStringList{u"Ёжик"_s, u"Юрий"_s, u"Борис"_s, u"Вера"_s};
    // Signs sort in their table's order: Змея (2001) 8, Тигр (1950) 5, Бык (1961) 4.
    QTest::newRow("Chinese, descending") << int(PeopleModel::Chinese) << int(Qt::DescendingOrder)
                                         << QStringList{u"Ёжик"_s, u"Борис"_s, u"Юрий"_s, u"Вера"_s};
    QTest::newRow("birthday") << int(PeopleModel::Birthday) << int(Qt::AscendingOrder)
                              << QStringList{u"Борис"_s, u"Ёжик"_s, u"Вера"_s, u"Юрий"_s};
}

void PeopleWindowTest::sort_keepsPeopleWithoutAValueLast() {
    QFETCH(int, column);
    QFETCH(int, order);
    QFETCH(QStringList, expected);
    TPeopleWindow* window = openWith({{u"Юрий"_s, 12, 4, 1961},
                                      {u"Вера"_s, 1, 3, 1905},
                                      {u"Ёжик"_s, 1, 1, 2001},
                                      {u"Борис"_s, 7, 12, 1950}});
    window->Table->sortByColumn(column, Qt::SortOrder(order));
    QCOMPARE(shownNames(), expected);
}

void PeopleWindowTest::followsTheStore() {
    TPeopleWindow* window = openWith({{u"Анна"_s, 15, 8, 1975}});
    // Another running copy of the program writes the same file.
    NameStore other(folder());
    other.write(u"Пётр"_s, {encodeDate(1980, 1, 2), false, false, 0});
    QTRY_VERIFY(shownNames().contains(u"Пётр"_s));
    // "Готово" in the personal data dialog.
    m_person->edit1->setEditText(u"Ольга"_s);
    m_person->Calendar1->setValue(encodeDate(1982, 5, 6));
    m_person->Button1Click();
    QVERIFY(shownNames().contains(u"Ольга"_s));
    // Removed from the dialog's "Имена" menu.
    m_person->edit1->setEditText(u"Анна"_s);
    m_person->N2Click();
    QCOMPARE(shownNames(), (QStringList{u"Ольга"_s, u"Пётр"_s}));
    QVERIFY(window->isVisible());
}

void PeopleWindowTest::actions_openCompareDelete() {
    TPeopleWindow* window =
        openWith({{u"Ольга"_s, 3, 3, 1980}, {u"Пётр"_s, 2, 1, 1980}, {u"Иван"_s, 4, 4, 1970}});
    window->selectNames({u"Ольга"_s});
    QVERIFY(window->OpenItem->isEnabled() && !window->CompareItem->isEnabled());
    window->OpenItem->trigger();
    QVERIFY(m_form->windowTitle().contains(u"[Ольга, 03.03.1980, Рыбы"_s));
    QCOMPARE(PersonName, u"Ольга"_s);

    window->selectNames({u"Ольга"_s, u"Пётр"_s});
    QVERIFY(window->CompareItem->isEnabled() && !window->GroupItem->isEnabled());
    window->CompareItem->trigger();
    QVERIFY(m_form->Web1->generatedHtml().contains(u"Ольга"_s));
    QVERIFY(m_form->Web1->generatedHtml().contains(u"Пётр"_s));

    // Several people are deleted only when the person confirms.
    window->selectNames({u"Ольга"_s, u"Пётр"_s});
    window->DeleteItem->trigger();
    QCOMPARE(m_services->questions.size(), 1);
    QCOMPARE(shownNames().size(), 3);
    m_services->questionAnswer = true;
    window->DeleteItem->trigger();
    QCOMPARE(shownNames(), QStringList{u"Иван"_s});
    QCOMPARE(m_person->names().readAll().size(), 1);
    QCOMPARE(m_person->edit1->findText(u"Ольга"_s), -1);
    // One person goes without a question.
    window->selectNames({u"Иван"_s});
    window->DeleteItem->trigger();
    QCOMPARE(m_services->questions.size(), 2);
    QVERIFY(shownNames().isEmpty());
}

void PeopleWindowTest::group_gridLeadsToPairsAndBack() {
    TPeopleWindow* window = openWith(
        {{u"Ольга"_s, 3, 3, 1980}, {u"Пётр"_s, 2, 1, 1980}, {u"Иван"_s, 4, 4, 1970}, {u"Зоя"_s, 5, 6, 1999}});
    m_form->LoadFile(m_form->Folders.errorPage()); // any page: "Назад" ends there
    window->selectNames({u"Ольга"_s, u"Пётр"_s, u"Иван"_s, u"Зоя"_s});
    QVERIFY(window->GroupItem->isEnabled());
    window->GroupItem->trigger();
    QVERIFY(m_form->groupCompatibilityShown());
    const QString grid = m_form->Web1->generatedHtml();
    QCOMPARE(grid.count(u"solvenna:pair?"_s), 4 * 3);
    QVERIFY(m_form->PrintItem->isEnabled() && m_form->FindItem->isEnabled());
    // A cell: the pair's own page; "Назад" returns to the grid, then to the page before it.
    Q_EMIT m_form->Web1->programLinkActivated(QUrl(u"solvenna:pair?a=0&b=3"_s));
    QVERIFY(!m_form->groupCompatibilityShown());
    QVERIFY(m_form->Web1->generatedHtml().contains(u"Зоя"_s));
    QVERIFY(m_form->BackItem->isEnabled());
    m_form->BackItem->trigger();
    QCOMPARE(m_form->Web1->generatedHtml(), grid);
    m_form->BackItem->trigger();
    QCOMPARE(m_form->Web1->currentPage(), m_form->Folders.errorPage());
}

void PeopleWindowTest::import_previewWithConflicts_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("annaDate");
    QTest::newRow("keep") << int(contacts::ConflictChoice::KeepStored)
                          << QStringList{u"Анна"_s, u"Борис"_s, u"Вера"_s} << u"15.08.1975"_s;
    QTest::newRow("replace") << int(contacts::ConflictChoice::Replace)
                             << QStringList{u"Анна"_s, u"Борис"_s, u"Вера"_s} << u"01.02.1990"_s;
    QTest::newRow("add numbered") << int(contacts::ConflictChoice::AddNumbered)
                                  << QStringList{u"Анна"_s, u"Анна (2)"_s, u"Борис"_s, u"Вера"_s}
                                  << u"15.08.1975"_s;
}

void PeopleWindowTest::import_previewWithConflicts() {
    QFETCH(int, choice);
    QFETCH(QStringList, stored);
    QFETCH(QString, annaDate);
    TPeopleWindow* window = openWith({{u"Анна"_s, 15, 8, 1975}});
    const QString file = folder() + u"friends.vcf"_s;
    QVERIFY(testsupport::writeBytes(
        file, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Анна\r\nBDAY:1990-02-01\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Борис\r\nBDAY:19610412\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Гена\r\nBDAY:--0815\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Вера\r\nBDAY:1999-01-01T00:00:00Z\r\n"
              "END:VCARD\r\n"));
    const QByteArray before = testsupport::readBytes(namesFile());
    int skippedShown = -1;
    m_services->answerModal = [&](QDialog* dialog) {
        auto* preview = qobject_cast<TImportPreview*>(dialog);
        if (!preview) return int(QDialog::Rejected);
        // Nothing is written while the preview is open.
        if (testsupport::readBytes(namesFile()) != before) return int(QDialog::Rejected);
        skippedShown = preview->SkippedTable->rowCount();
        preview->AllConflicts->setCurrentIndex(choice);
        Q_EMIT preview->AllConflicts->activated(choice);
        return int(QDialog::Accepted);
    };
    m_services->openAnswer = file;
    window->ImportItem->trigger();
    QCOMPARE(skippedShown, 1);
    QStringList names;
    for (const NamedEntry& e : m_person->names().readAll())
        names << e.name;
    QCOMPARE(names, stored);
    QCOMPARE(m_person->names().read(u"Анна"_s, 0).date, textToDate(annaDate).value());
    QCOMPARE(window->model()->totalCount(), stored.size());
}

void PeopleWindowTest::import_refusedWrite_writesNothing() {
    TPeopleWindow* window = openWith({{u"Анна"_s, 15, 8, 1975}});
    const QString file = folder() + u"two.csv"_s;
    QVERIFY(testsupport::writeBytes(file, "Имя;Дата рождения\r\nБорис;12.04.1961\r\nВера;01.01.1999\r\n"));
    const QByteArray before = testsupport::readBytes(namesFile());
    m_services->modalResult = QDialog::Accepted;
    // The folder takes no new file and the file itself is read-only: the store cannot be written.
    QVERIFY(QFile::setPermissions(namesFile(), QFile::ReadOwner));
    QVERIFY(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner));
    m_services->openAnswer = file;
    window->ImportItem->trigger();
    QVERIFY(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QCOMPARE(m_services->boxes.size(), 1);
    QVERIFY2(m_services->boxes[0].text.contains(u"ни одно из 2 имён не сохранено"_s),
             qPrintable(m_services->boxes[0].text));
    QCOMPARE(testsupport::readBytes(namesFile()), before);
    QCOMPARE(window->model()->totalCount(), 1);
}

void PeopleWindowTest::export_andCard_writeFiles() {
    TPeopleWindow* window = openWith({{u"=Анна"_s, 15, 8, 1975}, {u"Борис"_s, 12, 4, 1961}});
    window->exportTo(folder() + u"out.csv"_s, {u"=Анна"_s, u"Борис"_s});
    const contacts::ReadResult csv = contacts::readCsv(testsupport::readBytes(folder() + u"out.csv"_s));
    QCOMPARE(csv.contacts.size(), 2);
    QCOMPARE(csv.contacts[0].name, u"=Анна"_s);
    window->exportTo(folder() + u"out.vcf"_s, {u"Борис"_s});
    const contacts::ReadResult vcf = contacts::readVCards(testsupport::readBytes(folder() + u"out.vcf"_s));
    QCOMPARE(vcf.contacts.size(), 1);
    QCOMPARE(vcf.contacts[0].birthDate, encodeDate(1961, 4, 12));

    m_services->saveAnswer = folder() + u"card"_s;
    TCardDialog card(u"Борис"_s, encodeDate(1961, 4, 12));
    card.SaveButton->click();
    QCOMPARE(QImage(folder() + u"card.png"_s).size(), QSize(1080, 1350));
    QVERIFY(m_services->boxes.isEmpty());
}

QTEST_MAIN(PeopleWindowTest)
#include "tst_peoplewindow.moc"
