#include "importpreview.h"

#include "core/datetext.h"
#include "core/pagebuilder.h"
#include "services.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using solvenna::contacts::ConflictChoice;
using solvenna::contacts::ImportItem;
using solvenna::ui::connectGuarded;

namespace {

enum ItemColumn { LineColumn, NameColumn, DateColumn, ActionColumn };
constexpr int kChoiceRole = Qt::UserRole + 1;

const QList<ConflictChoice> kChoices = {ConflictChoice::KeepStored, ConflictChoice::Replace,
                                        ConflictChoice::AddNumbered};

QString choiceCaption(ConflictChoice choice) {
    switch (choice) {
    case ConflictChoice::KeepStored:
        return u"Оставить сохранённое"_s;
    case ConflictChoice::Replace:
        return u"Заменить"_s;
    case ConflictChoice::AddNumbered:
        return u"Добавить под другим именем"_s;
    }
    return {};
}

// A conflict's choice is edited in place with a drop-down list, from the mouse or by F2 and the arrows.
class ChoiceDelegate : public QStyledItemDelegate {
public:
    ChoiceDelegate(TImportPreview* preview) : QStyledItemDelegate(preview), m_preview(preview) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        if (!index.data(kChoiceRole).isValid()) return nullptr;
        auto* box = new QComboBox(parent);
        for (const ConflictChoice choice : kChoices)
            box->addItem(choiceCaption(choice));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QComboBox*>(editor)->setCurrentIndex(index.data(kChoiceRole).toInt());
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        const int chosen = static_cast<QComboBox*>(editor)->currentIndex();
        if (chosen >= 0) m_preview->setChoice(index.row(), kChoices[chosen]);
    }

private:
    TImportPreview* m_preview;
};

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidget* makeTable(QWidget* parent, const QString& name, const QStringList& captions) {
    auto* table = new QTableWidget(0, int(captions.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(captions);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

} // namespace

TImportPreview::TImportPreview(const QString& fileName, solvenna::contacts::ImportPlan plan, QWidget* parent)
    : QDialog(parent), m_plan(std::move(plan)) {
    setObjectName(u"ImportPreview"_s);
    setWindowTitle(u"Импорт: %1"_s.arg(QFileInfo(fileName).fileName()));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    SummaryLabel = new QLabel(this);
    SummaryLabel->setObjectName(u"SummaryLabel"_s);
    SummaryLabel->setTextFormat(Qt::PlainText);
    SummaryLabel->setWordWrap(true);
    layout->addWidget(SummaryLabel);

    auto* itemsCaption = new QLabel(u"&Будут записаны:"_s, this);
    layout->addWidget(itemsCaption);
    ItemsTable =
        makeTable(this, u"ItemsTable"_s, {u"Строка"_s, u"Имя"_s, u"Дата рождения"_s, u"Что будет"_s});
    ItemsTable->setAccessibleName(u"Будут записаны"_s);
    itemsCaption->setBuddy(ItemsTable);
    ItemsTable->setItemDelegateForColumn(ActionColumn, new ChoiceDelegate(this));
    ItemsTable->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::SelectedClicked);
    ItemsTable->setRowCount(int(m_plan.items.size()));
    for (int row = 0; row < m_plan.items.size(); ++row) {
        const ImportItem& item = m_plan.items[row];
        ItemsTable->setItem(row, LineColumn, cell(QString::number(item.contact.line)));
        ItemsTable->setItem(row, NameColumn, cell(solvenna::displayName(item.contact.name)));
        ItemsTable->setItem(row, DateColumn, cell(solvenna::dateToText(item.contact.birthDate)));
        QTableWidgetItem* action = cell(choiceText(item));
        if (item.conflict) {
            action->setFlags(action->flags() | Qt::ItemIsEditable);
            action->setData(kChoiceRole, int(kChoices.indexOf(item.choice)));
            action->setToolTip(u"Двойной щелчок или F2: выбрать, что сделать с этим именем."_s);
        }
        ItemsTable->setItem(row, ActionColumn, action);
    }
    ItemsTable->resizeColumnsToContents();
    layout->addWidget(ItemsTable, 3);

    auto* allRow = new QHBoxLayout;
    auto* allCaption = new QLabel(u"&Для всех имён, которые уже есть:"_s, this);
    AllConflicts = new QComboBox(this);
    AllConflicts->setObjectName(u"AllConflicts"_s);
    for (const ConflictChoice choice : kChoices)
        AllConflicts->addItem(choiceCaption(choice));
    allCaption->setBuddy(AllConflicts);
    allRow->addWidget(allCaption);
    allRow->addWidget(AllConflicts);
    allRow->addStretch();
    layout->addLayout(allRow);
    const bool anyConflict = std::any_of(m_plan.items.cbegin(), m_plan.items.cend(),
                                         [](const ImportItem& item) { return item.conflict; });
    allCaption->setVisible(anyConflict);
    AllConflicts->setVisible(anyConflict);
    connectGuarded(AllConflicts, &QComboBox::activated, this,
                   [this](int index) { setAllConflicts(kChoices.value(index, ConflictChoice::KeepStored)); });

    auto* skippedCaption = new QLabel(u"&Пропущены:"_s, this);
    layout->addWidget(skippedCaption);
    SkippedTable = makeTable(this, u"SkippedTable"_s, {u"Строка"_s, u"Имя"_s, u"Причина"_s});
    SkippedTable->setAccessibleName(u"Пропущены"_s);
    SkippedTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    skippedCaption->setBuddy(SkippedTable);
    SkippedTable->setRowCount(int(m_plan.skipped.size()));
    for (int row = 0; row < m_plan.skipped.size(); ++row) {
        const auto& skipped = m_plan.skipped[row];
        SkippedTable->setItem(row, 0, cell(QString::number(skipped.line)));
        SkippedTable->setItem(row, 1, cell(skipped.name));
        SkippedTable->setItem(row, 2, cell(skipped.reason));
    }
    SkippedTable->resizeColumnsToContents();
    skippedCaption->setVisible(!m_plan.skipped.isEmpty());
    SkippedTable->setVisible(!m_plan.skipped.isEmpty());
    layout->addWidget(SkippedTable, 2);

    auto* buttons = new QDialogButtonBox(this);
    ImportButton = buttons->addButton(u"Импортировать"_s, QDialogButtonBox::AcceptRole);
    ImportButton->setObjectName(u"ImportButton"_s);
    ImportButton->setDefault(true);
    CancelButton = buttons->addButton(u"Отмена"_s, QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(u"CancelButton"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 520);
    showSummary();
}

QString TImportPreview::choiceText(const ImportItem& item) {
    if (!item.conflict) return u"Добавить"_s;
    const QString stored = u"уже есть, %1"_s.arg(solvenna::dateToText(item.storedDate));
    switch (item.choice) {
    case ConflictChoice::KeepStored:
        return u"Оставить сохранённое (%1)"_s.arg(stored);
    case ConflictChoice::Replace:
        return u"Заменить (%1)"_s.arg(stored);
    case ConflictChoice::AddNumbered:
        return u"Добавить как «%1»"_s.arg(item.numberedName);
    }
    return {};
}

void TImportPreview::applyChoice(int item, ConflictChoice choice) {
    if (item < 0 || item >= m_plan.items.size() || !m_plan.items[item].conflict) return;
    m_plan.items[item].choice = choice;
    QTableWidgetItem* action = ItemsTable->item(item, ActionColumn);
    action->setText(choiceText(m_plan.items[item]));
    action->setData(kChoiceRole, int(kChoices.indexOf(choice)));
}

void TImportPreview::setChoice(int item, ConflictChoice choice) {
    applyChoice(item, choice);
    showSummary();
}

void TImportPreview::setAllConflicts(ConflictChoice choice) {
    for (int i = 0; i < m_plan.items.size(); ++i)
        applyChoice(i, choice);
    showSummary();
}

int TImportPreview::entriesToWrite() const {
    return int(solvenna::contacts::entriesToWrite(m_plan).size());
}

void TImportPreview::showSummary() {
    int added = 0, conflicts = 0;
    for (const ImportItem& item : std::as_const(m_plan.items))
        (item.conflict ? conflicts : added) += 1;
    QStringList parts{u"Новых людей: %1"_s.arg(added)};
    if (conflicts) parts << u"уже есть в списке: %1"_s.arg(conflicts);
    parts << u"пропущено: %1"_s.arg(m_plan.skipped.size());
    SummaryLabel->setText(parts.join(u", "_s) + u". Будет записано: %1."_s.arg(entriesToWrite()) +
                          u" Ничего не записывается, пока вы не нажмёте «Импортировать»."_s);
    if (ImportButton) ImportButton->setEnabled(entriesToWrite() > 0);
}
