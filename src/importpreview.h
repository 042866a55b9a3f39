#pragma once

#include "core/contacts.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// What an import would do, shown before anything is written: the people to be added, the names already
// stored with the choice for each (keep the stored entry, replace it, or add the new one under a
// numbered name), and every card or row left out with the reason.
class TImportPreview : public QDialog {
    Q_OBJECT
public:
    TImportPreview(const QString& fileName, solvenna::contacts::ImportPlan plan, QWidget* parent = nullptr);

    QLabel* SummaryLabel = nullptr;
    QTableWidget* ItemsTable = nullptr;
    QComboBox* AllConflicts = nullptr; // one choice for every conflict
    QTableWidget* SkippedTable = nullptr;
    QPushButton* ImportButton = nullptr;
    QPushButton* CancelButton = nullptr;

    const solvenna::contacts::ImportPlan& plan() const { return m_plan; }
    // The choice for one item of the plan (a conflict), and for every conflict at once.
    void setChoice(int item, solvenna::contacts::ConflictChoice choice);
    void setAllConflicts(solvenna::contacts::ConflictChoice choice);
    // How many entries the confirmed import would write.
    int entriesToWrite() const;

    static QString choiceText(const solvenna::contacts::ImportItem& item);

private:
    void applyChoice(int item, solvenna::contacts::ConflictChoice choice);
    void showSummary();
    solvenna::contacts::ImportPlan m_plan;
};
