#include "carddialog.h"

#include "core/pagebuilder.h"
#include "personcard.h"
#include "printing.h"
#include "services.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;
using solvenna::ui::connectGuarded;

TCardDialog::TCardDialog(const QString& name, solvenna::Date birthDate, QWidget* parent)
    : QDialog(parent), m_name(name), m_card(solvenna::ui::personCard(name, birthDate)) {
    setObjectName(u"CardDialog"_s);
    setWindowTitle(u"Карточка: %1"_s.arg(solvenna::displayName(name)));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    Preview = new QLabel(this);
    Preview->setObjectName(u"Preview"_s);
    // A third of the card's size: the whole card fits on a small screen and its text still reads.
    const QPixmap shown =
        QPixmap::fromImage(m_card).scaled(m_card.size() / 3, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Preview->setPixmap(shown);
    Preview->setAccessibleName(u"Карточка %1"_s.arg(solvenna::displayName(name)));
    layout->addWidget(Preview, 0, Qt::AlignHCenter);
    auto* note = new QLabel(
        u"Картинка %1×%2 точек для мессенджеров."_s.arg(m_card.width()).arg(m_card.height()), this);
    layout->addWidget(note, 0, Qt::AlignHCenter);
    auto* buttons = new QDialogButtonBox(this);
    SaveButton = buttons->addButton(u"Сохранить..."_s, QDialogButtonBox::ActionRole);
    SaveButton->setObjectName(u"SaveButton"_s);
    CopyButton = buttons->addButton(u"Копировать"_s, QDialogButtonBox::ActionRole);
    CopyButton->setObjectName(u"CopyButton"_s);
    CloseButton = buttons->addButton(u"Закрыть"_s, QDialogButtonBox::RejectRole);
    CloseButton->setObjectName(u"CloseButton"_s);
    SaveButton->setDefault(true);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connectGuarded(SaveButton, &QPushButton::clicked, this, &TCardDialog::saveClick);
    connectGuarded(CopyButton, &QPushButton::clicked, this, &TCardDialog::copyClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TCardDialog::saveClick() {
    QString path = solvenna::ui::askSaveFile(u"Сохранить карточку"_s,
                                             solvenna::ui::proposedFilePath(m_name, u"Карточка"_s, u"png"_s),
                                             u"Картинки PNG (*.png)"_s);
    if (path.isEmpty()) return;
    if (!path.endsWith(u".png"_s, Qt::CaseInsensitive)) path += u".png"_s;
    // Written whole or not at all: a full disk leaves no half picture in the file's place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !m_card.save(&file, "PNG") || !file.commit())
        throw std::runtime_error(u"Unable to write to %1"_s.arg(path).toStdString());
    accept();
}

void TCardDialog::copyClick() {
    QGuiApplication::clipboard()->setImage(m_card);
    accept();
}
