#pragma once

#include "core/contacts.h"
#include "core/date.h"

#include <QDate>
#include <QMainWindow>

#include <functional>

class PeopleModel;
class QAction;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace solvenna {
class NameStore;
}

// "Люди": everyone in the name store with their signs and birthdays, the birthdays to come, and what
// can be done with a few of them at once. Not modal; it follows the store as it changes, also when
// another running copy of the program writes it.
class TPeopleWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit TPeopleWindow(solvenna::NameStore& store, QWidget* parent = nullptr);

    QLabel* UpcomingLabel = nullptr;
    QLineEdit* FilterEdit = nullptr;
    QTableView* Table = nullptr;
    QLabel* CountLabel = nullptr;
    QPushButton* OpenButton = nullptr;
    QPushButton* DeleteButton = nullptr;
    QPushButton* CompareButton = nullptr;
    QPushButton* GroupButton = nullptr;
    QPushButton* CardButton = nullptr;
    QPushButton* ImportButton = nullptr;
    QPushButton* ExportButton = nullptr;
    QAction* OpenItem = nullptr;
    QAction* DeleteItem = nullptr;
    QAction* CompareItem = nullptr;
    QAction* GroupItem = nullptr;
    QAction* CardItem = nullptr;
    QAction* ImportItem = nullptr;
    QAction* ExportItem = nullptr;

    PeopleModel* model() const { return m_model; }
    // "Today" for ages and birthdays; replaceable for tests.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    // Reads the store again and shows it, keeping the filter, the order and the selected people.
    void reload();
    // The selected people's names, in the order shown.
    QStringList selectedNames() const;
    void selectNames(const QStringList& names);

    void openClick();
    void deleteClick();
    void compareClick();
    void groupClick();
    void cardClick();
    void importClick();
    // Imports a file: reads it, shows the preview, writes what the person confirms.
    void importFile(const QString& path);
    void exportClick();
    void exportTo(const QString& path, const QStringList& names);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void updateActions();
    void showUpcoming(const QList<solvenna::NamedEntry>& people);
    QList<solvenna::NamedEntry> entriesOf(const QStringList& names) const;
    void watchStore();

    solvenna::NameStore& m_store;
    PeopleModel* m_model = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_reloadSoon = nullptr;
    // As last read, and the day the ages and birthdays were counted from.
    QList<solvenna::NamedEntry> m_people;
    solvenna::Date m_shownDay = -1;
    bool m_sized = false;
};
