#pragma once

#include "core/date.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class TDateEdit;

// "Совместимость": the current person and a partner, whose name may be picked from the stored names (a
// pick fills the partner's date; a typed name fills nothing) and whose birth date is typed as in the
// personal data dialog. Nothing is stored.
class TCompatibilityDialog : public QDialog {
    Q_OBJECT
public:
    explicit TCompatibilityDialog(QWidget* parent = nullptr);

    QLabel* PersonLabel = nullptr;
    QComboBox* PartnerName = nullptr;
    TDateEdit* PartnerDate = nullptr;
    QPushButton* ShowButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // Fills the dialog for the current person; the partner's fields keep what they held last time.
    void prepare(const QString& personName, solvenna::Date birthDate, const QStringList& storedNames);
    // The stored birth date of a picked name; set by the program, replaceable for tests.
    std::function<solvenna::Date(const QString& name)> storedDate;
    // "Today" for the date edit.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    QString partnerName() const;
    solvenna::Date partnerDate() const;

    void PartnerNameClick();
    void ShowButtonClick();
};
