#include "peoplewindow.h"

#include "carddialog.h"
#include "core/datetext.h"
#include "core/groupcompatibility.h"
#include "core/inifile.h"
#include "core/namestore.h"
#include "core/pagebuilder.h"
#include "core/people.h"
#include "core/peoplemodel.h"
#include "core/signs.h"
#include "importpreview.h"
#include "main.h"
#include "printing.h"
#include "services.h"
#include "whoim.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;
using solvenna::ui::connectGuarded;

namespace {

// How many of the coming birthdays the window lists above the table; the rest are counted.
constexpr int kUpcomingShown = 5;

QString birthdayLine(const solvenna::UpcomingBirthday& b) {
    const QString sign = solvenna::signName(solvenna::HoroscopeSystem::Zodiac, b.zodiac);
    return u"%1 — %2, %3, исполнится %4%5"_s
        .arg(solvenna::displayName(b.name), solvenna::dayMonthText(b.birthDate), solvenna::daysText(b.days))
        .arg(b.turns)
        .arg(sign.isEmpty() ? QString() : u", "_s + sign);
}

} // namespace

TPeopleWindow::TPeopleWindow(solvenna::NameStore& store, QWidget* parent)
    : QMainWindow(parent), m_store(store) {
    setObjectName(u"PeopleWindow"_s);
    setWindowTitle(u"Люди"_s);
    // A main window of its own, so the desktop and screen readers take it for one.
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);

    auto* upcomingCaption = new QLabel(u"Ближайшие дни рождения"_s, this);
    QFont bold = upcomingCaption->font();
    bold.setBold(true);
    upcomingCaption->setFont(bold);
    layout->addWidget(upcomingCaption);
    UpcomingLabel = new QLabel(this);
    UpcomingLabel->setObjectName(u"UpcomingLabel"_s);
    UpcomingLabel->setTextFormat(Qt::PlainText); // names are shown as typed, never as markup
    UpcomingLabel->setAccessibleName(u"Ближайшие дни рождения"_s);
    UpcomingLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(UpcomingLabel);

    auto* filterRow = new QHBoxLayout;
    auto* filterCaption = new QLabel(u"&Найти:"_s, this);
    FilterEdit = new QLineEdit(this);
    FilterEdit->setObjectName(u"FilterEdit"_s);
    FilterEdit->setPlaceholderText(u"часть имени"_s);
    FilterEdit->setClearButtonEnabled(true);
    FilterEdit->setAccessibleName(u"Найти по имени"_s);
    filterCaption->setBuddy(FilterEdit);
    filterRow->addWidget(filterCaption);
    filterRow->addWidget(FilterEdit, 1);
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(u"CountLabel"_s);
    filterRow->addWidget(CountLabel);
    layout->addLayout(filterRow);

    m_model = new PeopleModel(this);
    Table = new QTableView(this);
    Table->setObjectName(u"Table"_s);
    Table->setAccessibleName(u"Люди"_s);
    Table->setModel(m_model);
    Table->setSortingEnabled(true);
    Table->sortByColumn(PeopleModel::Name, Qt::AscendingOrder);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setWordWrap(false);
    Table->setAlternatingRowColors(true);
    Table->verticalHeader()->hide();
    // Rows of one height, known without asking every row: twenty thousand people show at once.
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 8);
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setTabKeyNavigation(false);
    layout->addWidget(Table, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](QPushButton*& target, const QString& name, const QString& caption,
                            const QString& hint) {
        target = new QPushButton(caption, this);
        target->setObjectName(name);
        target->setToolTip(hint);
        buttons->addWidget(target);
    };
    button(OpenButton, u"OpenButton"_s, u"Открыть"_s, u"Сделать этого человека текущим (Enter)"_s);
    button(DeleteButton, u"DeleteButton"_s, u"Удалить"_s, u"Удалить из списка имён (Del)"_s);
    button(CompareButton, u"CompareButton"_s, u"Сравнить"_s, u"Совместимость двух выбранных людей"_s);
    button(GroupButton, u"GroupButton"_s, u"Совместимость группы"_s,
           u"Таблица совместимости для %1–%2 выбранных людей"_s.arg(solvenna::kMinGroupSize)
               .arg(solvenna::kMaxGroupSize));
    button(CardButton, u"CardButton"_s, u"Карточка..."_s, u"Картинка с именем и знаками для мессенджеров"_s);
    buttons->addStretch();
    button(ImportButton, u"ImportButton"_s, u"Импорт..."_s,
           u"Добавить людей из файла vCard (.vcf) или CSV"_s);
    button(ExportButton, u"ExportButton"_s, u"Экспорт..."_s,
           u"Сохранить выбранных (или всех) в файл CSV или vCard"_s);
    layout->addLayout(buttons);

    const auto action = [this](QAction*& target, const QString& name, const QString& caption,
                               const QKeySequence& key, QPushButton* twin, void (TPeopleWindow::*handler)()) {
        target = new QAction(caption, this);
        target->setObjectName(name);
        target->setShortcut(key);
        target->setShortcutContext(Qt::WindowShortcut);
        addAction(target);
        connectGuarded(target, &QAction::triggered, this, handler);
        connectGuarded(twin, &QPushButton::clicked, this, handler);
    };
    action(OpenItem, u"OpenItem"_s, u"Открыть"_s, {}, OpenButton, &TPeopleWindow::openClick);
    action(DeleteItem, u"DeleteItem"_s, u"Удалить"_s, QKeySequence::Delete, DeleteButton,
           &TPeopleWindow::deleteClick);
    action(CompareItem, u"CompareItem"_s, u"Сравнить"_s, {}, CompareButton, &TPeopleWindow::compareClick);
    action(GroupItem, u"GroupItem"_s, u"Совместимость группы"_s, {}, GroupButton, &TPeopleWindow::groupClick);
    action(CardItem, u"CardItem"_s, u"Карточка..."_s, {}, CardButton, &TPeopleWindow::cardClick);
    action(ImportItem, u"ImportItem"_s, u"Импорт..."_s, {}, ImportButton, &TPeopleWindow::importClick);
    action(ExportItem, u"ExportItem"_s, u"Экспорт..."_s, {}, ExportButton, &TPeopleWindow::exportClick);
    // Enter on a row opens it, as a double click does; Enter elsewhere stays the field's.
    connectGuarded(Table, &QTableView::activated, this, &TPeopleWindow::openClick);

    connect(FilterEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QStringList selected = selectedNames();
        m_model->setFilter(text);
        selectNames(selected);
        updateActions();
    });
    // Down from the filter goes to the people found.
    FilterEdit->installEventFilter(this);
    connect(Table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateActions(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { updateActions(); });

    m_reloadSoon = new QTimer(this);
    m_reloadSoon->setSingleShot(true);
    m_reloadSoon->setInterval(150);
    connectGuarded(m_reloadSoon, &QTimer::timeout, this, &TPeopleWindow::reload);
    watchStore();
    setTabOrder(FilterEdit, Table);
    resize(980, 560);
}

void TPeopleWindow::watchStore() {
    // The store is replaced by a rename at every write: the folder is watched for it, the file for writes
    // made in place.
    m_watcher = new QFileSystemWatcher(this);
    const QFileInfo file(m_store.fileName());
    if (file.absoluteDir().exists()) m_watcher->addPath(file.absolutePath());
    if (file.exists()) m_watcher->addPath(file.absoluteFilePath());
    const auto changed = [this] {
        const QFileInfo f(m_store.fileName());
        if (f.exists() && !m_watcher->files().contains(f.absoluteFilePath()))
            m_watcher->addPath(f.absoluteFilePath());
        m_reloadSoon->start();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
}

void TPeopleWindow::reload() {
    const QStringList selected = selectedNames();
    const QList<solvenna::NamedEntry> people = m_store.readAll();
    const solvenna::Date day = solvenna::fromQDate(today());
    // The folder also holds the settings file: its writes change nobody here.
    const bool same =
        day == m_shownDay && people.size() == m_people.size() &&
        std::equal(people.cbegin(), people.cend(), m_people.cbegin(), [](const auto& a, const auto& b) {
            return a.name == b.name && a.entry.date == b.entry.date;
        });
    if (same) return;
    m_people = people;
    m_shownDay = day;
    m_model->setPeople(m_people, day);
    selectNames(selected);
    showUpcoming(m_people);
    updateActions();
}

void TPeopleWindow::showUpcoming(const QList<solvenna::NamedEntry>& people) {
    QList<solvenna::NamedDate> dates;
    dates.reserve(people.size());
    for (const solvenna::NamedEntry& p : people)
        dates.append({p.name, p.entry.date});
    const QList<solvenna::UpcomingBirthday> upcoming =
        solvenna::upcomingBirthdays(dates, solvenna::fromQDate(today()));
    if (upcoming.isEmpty()) {
        UpcomingLabel->setText(u"В ближайшие %1 дней дней рождения нет."_s.arg(solvenna::kUpcomingDays));
        return;
    }
    QStringList lines;
    for (qsizetype i = 0; i < upcoming.size() && i < kUpcomingShown; ++i)
        lines << birthdayLine(upcoming[i]);
    if (upcoming.size() > kUpcomingShown)
        lines << u"и ещё %1 — отсортируйте таблицу по столбцу «До дня рождения»."_s.arg(upcoming.size() -
                                                                                        kUpcomingShown);
    UpcomingLabel->setText(lines.join(u'\n'));
}

QStringList TPeopleWindow::selectedNames() const {
    QStringList names;
    if (!Table->selectionModel()) return names;
    QModelIndexList rows = Table->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& row : std::as_const(rows))
        names << m_model->nameAt(row.row());
    return names;
}

void TPeopleWindow::selectNames(const QStringList& names) {
    QItemSelection selection;
    int first = -1;
    for (const QString& name : names) {
        const int row = m_model->rowOf(name);
        if (row < 0) continue;
        if (first < 0) first = row;
        selection.select(m_model->index(row, 0), m_model->index(row, PeopleModel::kColumnCount - 1));
    }
    Table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (first >= 0)
        Table->selectionModel()->setCurrentIndex(m_model->index(first, 0), QItemSelectionModel::NoUpdate);
}

void TPeopleWindow::updateActions() {
    const int selected = int(selectedNames().size());
    OpenItem->setEnabled(selected == 1);
    DeleteItem->setEnabled(selected >= 1);
    CompareItem->setEnabled(selected == 2);
    GroupItem->setEnabled(selected >= solvenna::kMinGroupSize && selected <= solvenna::kMaxGroupSize);
    CardItem->setEnabled(selected == 1);
    ExportItem->setEnabled(m_model->totalCount() > 0);
    for (auto [button, item] : {std::pair{OpenButton, OpenItem},
                                {DeleteButton, DeleteItem},
                                {CompareButton, CompareItem},
                                {GroupButton, GroupItem},
                                {CardButton, CardItem},
                                {ExportButton, ExportItem}})
        button->setEnabled(item->isEnabled());
    const int shown = m_model->rowCount();
    const int total = m_model->totalCount();
    QString count = shown == total ? u"Людей: %1"_s.arg(total) : u"Найдено: %1 из %2"_s.arg(shown).arg(total);
    if (selected > 1) count += u", выбрано: %1"_s.arg(selected);
    CountLabel->setText(count);
}

QList<solvenna::NamedEntry> TPeopleWindow::entriesOf(const QStringList& names) const {
    QHash<QString, qsizetype> at;
    for (qsizetype i = 0; i < m_people.size(); ++i)
        at.insert(m_people[i].name.toCaseFolded(), i);
    QList<solvenna::NamedEntry> entries;
    for (const QString& name : names)
        if (const auto i = at.find(name.toCaseFolded()); i != at.end()) entries.append(m_people[*i]);
    return entries;
}

void TPeopleWindow::openClick() {
    const QStringList names = selectedNames();
    if (names.size() != 1 || !Form2) return;
    Form2->openStoredName(names.first());
    if (Form1) {
        Form1->raise();
        Form1->activateWindow();
    }
}

void TPeopleWindow::deleteClick() {
    const QStringList names = selectedNames();
    if (names.isEmpty()) return;
    if (names.size() > 1 &&
        !solvenna::ui::askYesNo(u"Удалить из списка имён %1 чел.: %2?"_s.arg(names.size())
                                    .arg(QStringList(names.mid(0, 5)).join(u", "_s) +
                                         (names.size() > 5 ? u" и других"_s : QString()))))
        return;
    if (Form2)
        Form2->removeStoredNames(names);
    else
        m_store.removeAll(names);
    reload();
}

void TPeopleWindow::compareClick() {
    const QList<solvenna::NamedEntry> pair = entriesOf(selectedNames());
    if (pair.size() != 2 || !Form1) return;
    const auto person = [](const solvenna::NamedEntry& e) {
        return solvenna::CompatibilityPerson{e.name, solvenna::dateToText(e.entry.date), e.entry.date};
    };
    Form1->showPairCompatibility(person(pair[0]), person(pair[1]));
    Form1->raise();
    Form1->activateWindow();
}

void TPeopleWindow::groupClick() {
    const QList<solvenna::NamedEntry> group = entriesOf(selectedNames());
    if (group.size() < solvenna::kMinGroupSize || group.size() > solvenna::kMaxGroupSize || !Form1) return;
    QList<solvenna::CompatibilityPerson> people;
    for (const solvenna::NamedEntry& e : group)
        people.append({e.name, solvenna::dateToText(e.entry.date), e.entry.date});
    Form1->showGroupCompatibility(people);
    Form1->raise();
    Form1->activateWindow();
}

void TPeopleWindow::cardClick() {
    const QList<solvenna::NamedEntry> one = entriesOf(selectedNames());
    if (one.size() != 1) return;
    TCardDialog dialog(one.first().name, one.first().entry.date, this);
    solvenna::ui::execModal(&dialog);
}

void TPeopleWindow::importClick() {
    const QString path = solvenna::ui::askOpenFile(
        u"Импорт людей"_s, QDir::homePath(),
        u"Контакты (*.vcf *.vcard *.csv *.txt);;vCard (*.vcf *.vcard);;CSV (*.csv *.txt);;Все файлы (*)"_s);
    if (!path.isEmpty()) importFile(path);
}

void TPeopleWindow::importFile(const QString& path) {
    const solvenna::contacts::ReadResult read = solvenna::contacts::readContactsFile(path);
    if (read.refused()) {
        solvenna::ui::showError(read.refusal);
        return;
    }
    const solvenna::contacts::ImportPlan plan = solvenna::contacts::planImport(read, m_store.readAll());
    TImportPreview preview(path, plan, this);
    if (solvenna::ui::execModal(&preview) != QDialog::Accepted) return;
    const QList<solvenna::NamedEntry> entries = solvenna::contacts::entriesToWrite(preview.plan());
    if (entries.isEmpty()) return;
    try {
        m_store.writeAll(entries);
    } catch (const solvenna::IniWriteError& e) {
        throw std::runtime_error(
            (e.text() + u". Импорт не записан: ни одно из %1 имён не сохранено"_s.arg(entries.size()))
                .toStdString());
    }
    reload();
    QStringList names;
    for (const solvenna::NamedEntry& e : entries)
        names << e.name;
    FilterEdit->clear();
    selectNames(names);
    CountLabel->setText(CountLabel->text() + u"; записано из файла: %1"_s.arg(entries.size()));
}

void TPeopleWindow::exportClick() {
    // Several selected people are exported by themselves; otherwise everyone is.
    QStringList names = selectedNames();
    const bool all = names.size() < 2;
    QString proposed =
        QDir(solvenna::ui::documentsFolder()).filePath(all ? u"Люди.csv"_s : u"Люди (выбранные).csv"_s);
    const QString path = solvenna::ui::askSaveFile(
        all ? u"Экспорт: все (%1)"_s.arg(m_people.size()) : u"Экспорт: выбранные (%1)"_s.arg(names.size()),
        proposed, u"Таблица CSV (*.csv);;Контакты vCard (*.vcf)"_s);
    if (path.isEmpty()) return;
    if (all) {
        names.clear();
        for (const solvenna::NamedEntry& e : std::as_const(m_people))
            names << e.name;
    }
    exportTo(path, names);
}

void TPeopleWindow::exportTo(const QString& path, const QStringList& names) {
    const QList<solvenna::NamedEntry> entries = entriesOf(names);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool vcard = suffix == u"vcf" || suffix == u"vcard";
    const QByteArray bytes =
        vcard ? solvenna::contacts::writeVCards(entries) : solvenna::contacts::writeCsv(entries);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error(u"Unable to write to %1"_s.arg(path).toStdString());
    CountLabel->setText(u"Сохранено людей: %1 в %2"_s.arg(entries.size()).arg(QFileInfo(path).fileName()));
}

bool TPeopleWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FilterEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Down or Enter from the filter goes to the people found, the first of them selected.
        const bool toTable =
            key->key() == Qt::Key_Down || ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                                           key->modifiers() == Qt::NoModifier);
        if (toTable && m_model->rowCount() > 0) {
            if (selectedNames().isEmpty()) Table->selectRow(0);
            Table->setFocus();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TPeopleWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_sized) return;
    m_sized = true;
    // Read at the first show, once "today" is known: the window is made and then shown at once.
    reload();
    // The columns fit their captions and the first screenful, not all twenty thousand rows.
    Table->horizontalHeader()->setResizeContentsPrecision(40);
    Table->resizeColumnsToContents();
    // As wide as the columns need, as far as the screen allows.
    const int wanted = Table->horizontalHeader()->length() + Table->verticalScrollBar()->sizeHint().width() +
                       2 * Table->frameWidth() + width() - Table->width();
    const QScreen* shownOn = screen();
    if (shownOn && wanted > width())
        resize(std::min(wanted, shownOn->availableGeometry().width() * 95 / 100), height());
    // Over the main window at first, as its dialogs are, and whole on the screen.
    if (parentWidget() && shownOn) {
        QRect frame = frameGeometry();
        frame.moveCenter(parentWidget()->window()->frameGeometry().center());
        const QRect area = shownOn->availableGeometry();
        frame.moveLeft(
            std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width())));
        frame.moveTop(
            std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height())));
        move(frame.topLeft());
    }
}

void TPeopleWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (!Table->viewport()->geometry().contains(Table->mapFrom(this, event->pos()))) return;
    QMenu menu(this);
    menu.addActions({OpenItem, DeleteItem, CompareItem, GroupItem, CardItem});
    menu.addSeparator();
    menu.addActions({ImportItem, ExportItem});
    menu.exec(event->globalPos());
}
