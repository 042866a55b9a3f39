#pragma once

#include "core/compatibility.h"
#include "core/date.h"
#include "core/namestore.h"

#include <QAbstractTableModel>
#include <QCollatorSortKey>
#include <QList>
#include <QLocale>

#include <optional>

// The table of "Люди": every remembered person with their age, six signs and the days to their birthday.
// It sorts and filters itself over precomputed keys, so that twenty thousand people sort and filter
// between two keystrokes.
class PeopleModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Name, BirthDate, Age, Zodiac, Chinese, Druid, Zoroastrian, Mythological, Number, Birthday };
    static constexpr int kColumnCount = Birthday + 1;

    explicit PeopleModel(QObject* parent = nullptr);

    // Replaces the people; the sort order and the filter stay.
    void setPeople(const QList<solvenna::NamedEntry>& people, solvenna::Date today);
    // Shows only the people whose name holds the text, letter case ignored and "ё" taken as "е".
    void setFilter(const QString& text);
    const QString& filter() const { return m_filter; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The person of a shown row.
    QString nameAt(int row) const;
    solvenna::Date dateAt(int row) const;
    // The shown row of a name (letter case ignored); -1 when it is not shown.
    int rowOf(const QString& name) const;
    // Everyone, shown or not.
    int totalCount() const { return int(m_people.size()); }

private:
    struct Person {
        QString name;
        solvenna::Date date = 0;
        solvenna::PersonSigns signs;
        int age = -1;
        int days = -1;
        QString filterKey;
    };
    void applyOrderAndFilter();
    void applyFilter();
    std::optional<double> key(const Person& p) const;
    bool less(qsizetype a, qsizetype b) const;

    QList<Person> m_people;
    QList<QCollatorSortKey> m_nameKeys; // by person, for sorting names in the language's order
    QList<qsizetype> m_order;           // everyone, sorted
    QList<qsizetype> m_shown;           // the shown rows, in that order
    QString m_filter;
    QString m_filterKey;
    int m_sortColumn = Name;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
