#pragma once

#include "core/date.h"
#include "core/namestore.h"

#include <QDate>
#include <QDialog>

#include <functional>
#include <memory>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

// The current person, written only by the personal data dialog.
extern solvenna::Date BirthDate;
extern QString PersonName;

// A date edit typed by hand, with a drop-down calendar and a button that sets today's date. It can also
// hold no date (shown empty, read as day 0, 30 December 1899). The typed text becomes the value when the
// focus leaves or Enter is pressed; text that is no date is marked and reads as no date until mended.
// Every change of the value is reported, also one made by the program.
class TDateEdit : public QWidget {
    Q_OBJECT
public:
    explicit TDateEdit(QWidget* parent = nullptr);

    // The value as a Date; day 0 when the edit holds no date.
    solvenna::Date value() const;
    void setValue(solvenna::Date date);
    bool hasDate() const;
    void clearDate();
    // Takes what was typed as the value.
    void commit();
    // False while the text is not a date (the field is then marked).
    bool textIsDate() const { return !m_marked; }

    QLineEdit* editor() const { return m_edit; }
    QToolButton* dropDownButton() const { return m_drop; }
    QToolButton* todayButton() const { return m_today; }
    QWidget* calendarPopup() const { return m_popup; }
    void showCalendar();
    // "Today" for the button, the calendar and two-digit years; replaceable for tests.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

Q_SIGNALS:
    void valueChanged(solvenna::Date date);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setDate(const QDate& date);
    void setMarked(bool marked);
    void stepPartAtCursor(int steps);

    QLineEdit* m_edit = nullptr;
    QToolButton* m_drop = nullptr;
    QToolButton* m_today = nullptr;
    QWidget* m_popup = nullptr; // made when first opened
    QCalendarWidget* m_calendar = nullptr;
    QDate m_date; // invalid: no date
    bool m_marked = false;
    QString m_hint; // the field's own hint, while a marked one stands in its place
};

// The personal data dialog: the name, the birth date and what to show after "Готово".
class TForm2 : public QDialog {
    Q_OBJECT
public:
    // The name store lives in the program folder; tests pass a folder of their own.
    explicit TForm2(QWidget* parent = nullptr, const QString& programFolder = QString());
    ~TForm2() override;

    QLabel* XPLabel1 = nullptr;
    QComboBox* edit1 = nullptr;
    QLabel* XPLabel3 = nullptr;
    TDateEdit* Calendar1 = nullptr;
    QLabel* XPLabel4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* XPLabel2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QComboBox* HorList = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Button1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N2 = nullptr; // Удалить текущее имя
    QAction* N1 = nullptr; // Очистить список

    solvenna::NameStore& names() { return *m_names; }
    // The current date for names without a stored one; replaceable for tests.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    void FormCreate();
    void LoadNames();
    void Calendar1Change();
    void Check2Click();
    void edit1Click();
    void Button1Click();
    void PopupMenu1BeforePopUp();
    void N2Click();
    void N1Click();

    // What picking a stored name from the list and pressing "Готово" does, for a name from elsewhere (the
    // people window); the name need not be in the list.
    void openStoredName(const QString& name);
    // Removes stored names from the store and from the list, in one write.
    void removeStoredNames(const QStringList& names);
    // Opens "Имена" at a point on the screen.
    void openNamesMenu(const QPoint& globalPos);

Q_SIGNALS:
    // The dialog wrote to the name store or removed from it.
    void namesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<solvenna::NameStore> m_names;
    bool m_keepOpen = false; // "Готово" found text that is no date: the dialog stays for mending
};

extern TForm2* Form2;

// A name box that takes a typed name as it is: no completion that rewrites it, and no typed name taken
// as a pick from its list. Only a pick (the list, or the arrow keys) reports activated(). Typing or
// pasting that would make the name longer than the store keeps is refused whole, and the box says so.
void configureTypedNameBox(QComboBox* box);
