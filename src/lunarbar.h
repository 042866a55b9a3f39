#pragma once

#include <QDate>
#include <QWidget>

class QToolButton;
class TDateEdit;

// The slim bar above a page of the lunar calendar: "Вчера", the date field, "Завтра", "Сегодня" and
// "Месяц". The date is typed as the birth date is; Enter (or the focus leaving) asks for that day.
class TLunarBar : public QWidget {
    Q_OBJECT
public:
    explicit TLunarBar(QWidget* parent = nullptr);

    // The day the page shows, in the field; asks for nothing.
    void showDate(const QDate& date);
    // "Вчера" and "Завтра" act on the day's page only.
    void setDayStepsEnabled(bool on);

    TDateEdit* DateField = nullptr;
    QToolButton* PreviousDay = nullptr;
    QToolButton* NextDay = nullptr;
    QToolButton* Today = nullptr;
    QToolButton* Month = nullptr;

Q_SIGNALS:
    // A date typed into the field and confirmed.
    void dateEntered(const QDate& date);

private:
    QDate m_shown;
};
