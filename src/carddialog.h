#pragma once

#include "core/date.h"

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

// A person's card shown before it leaves the program: saved as a PNG file or copied to the clipboard.
class TCardDialog : public QDialog {
    Q_OBJECT
public:
    TCardDialog(const QString& name, solvenna::Date birthDate, QWidget* parent = nullptr);

    QLabel* Preview = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* CopyButton = nullptr;
    QPushButton* CloseButton = nullptr;

    const QImage& card() const { return m_card; }
    void saveClick();
    void copyClick();

private:
    QString m_name;
    QImage m_card;
};
