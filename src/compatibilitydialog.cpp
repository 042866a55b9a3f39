#include "compatibilitydialog.h"

#include "core/datetext.h"
#include "core/pagebuilder.h"
#include "core/signs.h"
#include "services.h"
#include "whoim.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using solvenna::ui::connectGuarded;

TCompatibilityDialog::TCompatibilityDialog(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(u"CompatibilityDialog"_s);
    setWindowTitle(u"Совместимость"_s);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* you = new QLabel(u"Вы:"_s, this);
    QFont bold = you->font();
    bold.setBold(true);
    you->setFont(bold);
    PersonLabel = new QLabel(this);
    PersonLabel->setObjectName(u"PersonLabel"_s);
    PersonLabel->setTextFormat(Qt::PlainText); // a name is shown as typed, never as markup
    layout->addWidget(you);
    layout->addWidget(PersonLabel);

    auto* partner = new QLabel(u"Партнёр:"_s, this);
    partner->setFont(bold);
    layout->addSpacing(6);
    layout->addWidget(partner);
    auto* form = new QFormLayout;
    PartnerName = new QComboBox(this);
    PartnerName->setObjectName(u"PartnerName"_s);
    PartnerName->setAccessibleName(u"Имя партнёра"_s);
    PartnerName->setToolTip(u"Имя партнёра: выберите его из списка сохранённых имён \nили введите."_s);
    configureTypedNameBox(PartnerName);
    PartnerName->lineEdit()->setAccessibleName(u"Имя партнёра"_s);
    PartnerName->setMinimumWidth(260);
    PartnerDate = new TDateEdit(this);
    PartnerDate->setObjectName(u"PartnerDate"_s);
    PartnerDate->editor()->setAccessibleName(u"Дата рождения партнёра"_s);
    PartnerDate->editor()->setToolTip(
        u"Дата рождения партнёра: число, месяц и год, например 3.3.1980 или 3 мар 1980."_s);
    PartnerDate->today = [this] { return today(); };
    auto* nameLabel = new QLabel(u"&Имя:"_s, this);
    nameLabel->setBuddy(PartnerName);
    auto* dateLabel = new QLabel(u"&Дата рождения:"_s, this);
    dateLabel->setBuddy(PartnerDate->editor());
    form->addRow(nameLabel, PartnerName);
    form->addRow(dateLabel, PartnerDate);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ShowButton = new QPushButton(u"Показать"_s, this);
    ShowButton->setObjectName(u"ShowButton"_s);
    ShowButton->setDefault(true);
    ShowButton->setToolTip(u"Показать совместимость \nна странице гороскопа."_s);
    CancelButton = new QPushButton(u"Отмена"_s, this);
    CancelButton->setObjectName(u"CancelButton"_s);
    buttons->addWidget(ShowButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(PartnerName, PartnerDate->editor());
    setTabOrder(PartnerDate->editor(), PartnerDate->todayButton());
    setTabOrder(PartnerDate->todayButton(), ShowButton);
    setTabOrder(ShowButton, CancelButton);

    connectGuarded(PartnerName, &QComboBox::activated, this, &TCompatibilityDialog::PartnerNameClick);
    connectGuarded(ShowButton, &QPushButton::clicked, this, &TCompatibilityDialog::ShowButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TCompatibilityDialog::prepare(const QString& personName, solvenna::Date birthDate,
                                   const QStringList& storedNames) {
    PersonLabel->setText(solvenna::displayName(personName) + u", "_s + solvenna::dateToText(birthDate) +
                         u", "_s + solvenna::zodiacTitle(GetSign(birthDate)));
    const QString typed = PartnerName->currentText();
    PartnerName->clear();
    PartnerName->addItems(storedNames);
    PartnerName->setCurrentIndex(-1);
    PartnerName->setEditText(typed);
    PartnerName->setFocus();
}

QString TCompatibilityDialog::partnerName() const {
    return PartnerName->currentText();
}

solvenna::Date TCompatibilityDialog::partnerDate() const {
    return PartnerDate->value();
}

void TCompatibilityDialog::PartnerNameClick() {
    if (storedDate) PartnerDate->setValue(storedDate(PartnerName->currentText()));
}

void TCompatibilityDialog::ShowButtonClick() {
    PartnerDate->commit();
    if (!PartnerDate->hasDate()) {
        // Without a date there is nothing to compare: the field says so and keeps the focus.
        PartnerDate->editor()->setFocus();
        return;
    }
    accept();
}
