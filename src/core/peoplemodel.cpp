#include "core/peoplemodel.h"

#include "core/catalogue.h"
#include "core/datetext.h"
#include "core/pagebuilder.h"
#include "core/people.h"

#include <QCollator>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using solvenna::HoroscopeSystem;

namespace {

QString signText(HoroscopeSystem system, int index) {
    return index > 0 ? solvenna::signName(system, index) : QString();
}

} // namespace

PeopleModel::PeopleModel(QObject* parent) : QAbstractTableModel(parent) {}

void PeopleModel::setPeople(const QList<solvenna::NamedEntry>& people, solvenna::Date today) {
    beginResetModel();
    m_people.clear();
    m_people.reserve(people.size());
    m_nameKeys.clear();
    m_nameKeys.reserve(people.size());
    QCollator collator(QLocale(QLocale::Russian, QLocale::Russia));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    for (const solvenna::NamedEntry& entry : people) {
        Person p;
        p.name = entry.name;
        p.date = entry.entry.date;
        if (p.date > 0) {
            p.signs = solvenna::personSigns(p.date);
            p.age = solvenna::ageOn(p.date, today);
            p.days = solvenna::daysUntilBirthday(p.date, today);
        }
        p.filterKey = solvenna::filterKey(p.name);
        m_nameKeys.append(collator.sortKey(p.name));
        m_people.append(std::move(p));
    }
    applyOrderAndFilter();
    endResetModel();
}

void PeopleModel::setFilter(const QString& text) {
    if (text == m_filter) return;
    beginResetModel();
    m_filter = text;
    m_filterKey = solvenna::filterKey(text.trimmed());
    applyFilter();
    endResetModel();
}

void PeopleModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumnCount) return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QList<qsizetype> rowsBefore;
    for (const QModelIndex& index : before)
        rowsBefore.append(m_shown.value(index.row(), -1));
    m_sortColumn = column;
    m_sortOrder = order;
    applyOrderAndFilter();
    // Selected people stay selected wherever the new order puts them.
    QHash<qsizetype, int> rowOfPerson;
    rowOfPerson.reserve(m_shown.size());
    for (int row = 0; row < m_shown.size(); ++row)
        rowOfPerson.insert(m_shown[row], row);
    QModelIndexList after;
    for (qsizetype k = 0; k < before.size(); ++k) {
        const int row = rowOfPerson.value(rowsBefore[k], -1);
        after.append(row < 0 ? QModelIndex() : index(row, before[k].column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::optional<double> PeopleModel::key(const Person& p) const {
    const auto present = [](double value) { return value > 0 ? std::optional<double>(value) : std::nullopt; };
    switch (m_sortColumn) {
    case BirthDate:
        return present(p.date);
    case Age:
        return p.age >= 0 ? std::optional<double>(p.age) : std::nullopt;
    case Zodiac:
        return present(p.signs.zodiac);
    case Chinese:
        return present(p.signs.chinese);
    case Druid:
        return present(p.signs.tree);
    case Zoroastrian:
        return present(p.signs.totem);
    case Mythological:
        return present(p.signs.creature);
    case Number:
        return present(p.signs.number);
    case Birthday:
        return p.days >= 0 ? std::optional<double>(p.days) : std::nullopt;
    default:
        return std::nullopt;
    }
}

bool PeopleModel::less(qsizetype a, qsizetype b) const {
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    if (m_sortColumn != Name) {
        // People without the value (no date, no sign for it) go last whichever way the column is sorted.
        const std::optional<double> ka = key(m_people[a]), kb = key(m_people[b]);
        if (ka.has_value() != kb.has_value()) return ka.has_value();
        if (ka && *ka != *kb) return (*ka < *kb) == ascending;
    }
    const int byName = m_nameKeys[a].compare(m_nameKeys[b]);
    if (byName != 0) return (byName < 0) == (ascending || m_sortColumn != Name);
    return a < b;
}

void PeopleModel::applyOrderAndFilter() {
    m_order.resize(m_people.size());
    for (qsizetype i = 0; i < m_order.size(); ++i)
        m_order[i] = i;
    std::sort(m_order.begin(), m_order.end(), [this](qsizetype a, qsizetype b) { return less(a, b); });
    applyFilter();
}

void PeopleModel::applyFilter() {
    m_shown.clear();
    m_shown.reserve(m_order.size());
    for (const qsizetype i : std::as_const(m_order))
        if (m_filterKey.isEmpty() || m_people[i].filterKey.contains(m_filterKey)) m_shown.append(i);
}

int PeopleModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_shown.size());
}

int PeopleModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant PeopleModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown.size()) return {};
    const Person& p = m_people[m_shown[index.row()]];
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == Age || index.column() == Number || index.column() == Birthday;
        return QVariant::fromValue(
            Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    if (role == Qt::ToolTipRole && index.column() != Name) return {};
    switch (Column(index.column())) {
    case Name:
        return solvenna::displayName(p.name);
    case BirthDate:
        // Written when shown: formatting every date of a long list up front would cost more than the rest.
        return p.date > 0 ? solvenna::dateToText(p.date) : QString();
    case Age:
        return p.age >= 0 ? QString::number(p.age) : QString();
    case Zodiac:
        return signText(HoroscopeSystem::Zodiac, p.signs.zodiac);
    case Chinese:
        return signText(HoroscopeSystem::Chinese, p.signs.chinese);
    case Druid:
        return signText(HoroscopeSystem::Druid, p.signs.tree);
    case Zoroastrian:
        return signText(HoroscopeSystem::Zoroastrian, p.signs.totem);
    case Mythological:
        return signText(HoroscopeSystem::Mythological, p.signs.creature);
    case Number:
        return p.signs.number > 0 ? QString::number(p.signs.number) : QString();
    case Birthday:
        return p.days == 0 ? u"сегодня"_s : p.days > 0 ? QString::number(p.days) : QString();
    }
    return {};
}

QVariant PeopleModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const QString captions[kColumnCount] = {
        u"Имя"_s,     u"Дата рождения"_s,  u"Возраст"_s,        u"Зодиак"_s, u"Китайский"_s,
        u"Друидов"_s, u"Зороастрийский"_s, u"Мифологический"_s, u"Число"_s,  u"До дня рождения"_s};
    return section >= 0 && section < kColumnCount ? captions[section] : QVariant();
}

QString PeopleModel::nameAt(int row) const {
    return row >= 0 && row < m_shown.size() ? m_people[m_shown[row]].name : QString();
}

solvenna::Date PeopleModel::dateAt(int row) const {
    return row >= 0 && row < m_shown.size() ? m_people[m_shown[row]].date : 0;
}

int PeopleModel::rowOf(const QString& name) const {
    for (int row = 0; row < m_shown.size(); ++row)
        if (m_people[m_shown[row]].name.compare(name, Qt::CaseInsensitive) == 0) return row;
    return -1;
}
