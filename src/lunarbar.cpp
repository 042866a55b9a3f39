#include "lunarbar.h"

#include "whoim.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

TLunarBar::TLunarBar(QWidget* parent) : QWidget(parent) {
    setObjectName(u"LunarBar"_s);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    const auto button = [this](const QString& name, const QString& text, const QString& hint) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(hint);
        b->setAccessibleName(text);
        b->setAccessibleDescription(hint);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    PreviousDay = button(u"LunarPreviousDay"_s, u"Вчера"_s, u"Предыдущий день (Ctrl+PgUp)"_s);
    NextDay = button(u"LunarNextDay"_s, u"Завтра"_s, u"Следующий день (Ctrl+PgDown)"_s);
    Today = button(u"LunarToday"_s, u"Сегодня"_s, u"Лунный календарь на сегодня (Ctrl+T)"_s);
    Month = button(u"LunarMonth"_s, u"Месяц"_s, u"Календарь на месяц (Ctrl+G)"_s);

    DateField = new TDateEdit(this);
    DateField->setObjectName(u"LunarDate"_s);
    DateField->editor()->setObjectName(u"LunarDateEdit"_s);
    DateField->editor()->setAccessibleName(u"Дата лунного календаря"_s);
    DateField->editor()->setToolTip(
        u"Любой день с 1900 по 2100 год: число, месяц и год, например 9.12.2026 или 9 дек 2026; Enter "
        "показывает этот день."_s);
    // The bar has a "Сегодня" of its own, which shows the page and not only the date.
    DateField->todayButton()->hide();
    DateField->setMaximumWidth(DateField->editor()->fontMetrics().horizontalAdvance(u"30   сентября 2026"_s) +
                               60);
    auto* label = new QLabel(u"&Дата:"_s, this);
    label->setBuddy(DateField->editor());

    layout->addWidget(PreviousDay);
    layout->addWidget(label);
    layout->addWidget(DateField, 1);
    layout->addWidget(NextDay);
    layout->addSpacing(8);
    layout->addWidget(Today);
    layout->addWidget(Month);
    layout->addStretch();
    setTabOrder(PreviousDay, DateField->editor());
    setTabOrder(DateField->editor(), NextDay);
    setTabOrder(NextDay, Today);
    setTabOrder(Today, Month);

    // The field reports every change, also the one showDate makes: only another date is asked for.
    connect(DateField, &TDateEdit::valueChanged, this, [this] {
        if (!DateField->hasDate()) return;
        const QDate typed = solvenna::toQDate(DateField->value());
        if (typed != m_shown) Q_EMIT dateEntered(typed);
    });
    hide();
}

void TLunarBar::showDate(const QDate& date) {
    m_shown = date;
    DateField->setValue(solvenna::fromQDate(date));
}

void TLunarBar::setDayStepsEnabled(bool on) {
    PreviousDay->setEnabled(on);
    NextDay->setEnabled(on);
}
