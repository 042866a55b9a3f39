#include "services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

namespace {

void showRealBox(BoxKind kind, const QString& caption, const QString& text) {
    const std::unique_ptr<QMessageBox> box =
        makeStandardBox(kind, caption, text, QApplication::activeWindow());
    box->exec();
}

// A message box lays itself out only when it is shown; it is centred once that size is known.
class CentredMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        centreOnScreen(this);
    }
};

} // namespace

void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

std::unique_ptr<QMessageBox> makeStandardBox(BoxKind kind, const QString& caption, const QString& text,
                                             QWidget* parent) {
    auto box = std::make_unique<CentredMessageBox>(kind == BoxKind::Error ? QMessageBox::Critical
                                                                          : QMessageBox::NoIcon,
                                                   caption, text, QMessageBox::Ok, parent);
    // Names and messages are shown as they are: a name such as "<b>Zoë</b>" is no markup.
    box->setTextFormat(Qt::PlainText);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return box;
}

namespace {

bool askRealQuestion(const QString& caption, const QString& text) {
    const std::unique_ptr<QMessageBox> box =
        makeStandardBox(BoxKind::Message, caption, text, QApplication::activeWindow());
    box->setIcon(QMessageBox::Question);
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(QMessageBox::No);
    return box->exec() == QMessageBox::Yes;
}

Services realServices() {
    return {showRealBox,
            [](QDialog* dialog) { return dialog->exec(); },
            [](const QUrl& url) { QDesktopServices::openUrl(url); },
            [](const QString& caption, const QString& proposedPath, const QString& filter) {
                return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, proposedPath,
                                                    filter);
            },
            [](const QString& caption, const QString& folder, const QString& filter) {
                return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, folder, filter);
            },
            askRealQuestion};
}

} // namespace

Services& services() {
    static Services instance = realServices();
    return instance;
}

void resetServices() {
    services() = realServices();
}

QString applicationTitle() {
    const QString program = QCoreApplication::applicationFilePath();
    return program.isEmpty() ? QCoreApplication::applicationName() : QFileInfo(program).completeBaseName();
}

QString errorBoxText(const QString& text) {
    if (!text.isEmpty() && text.back() > u'.') return text + u'.';
    return text;
}

void showMessage(const QString& text) {
    services().showBox(BoxKind::Message, applicationTitle(), text);
}

void showError(const QString& text) {
    services().showBox(BoxKind::Error, applicationTitle(), errorBoxText(text));
}

int execModal(QDialog* dialog) {
    return services().execModal(dialog);
}

QString askSaveFile(const QString& caption, const QString& proposedPath, const QString& filter) {
    return services().askSaveFile(caption, proposedPath, filter);
}

QString askOpenFile(const QString& caption, const QString& folder, const QString& filter) {
    return services().askOpenFile(caption, folder, filter);
}

bool askYesNo(const QString& text) {
    return services().askYesNo(applicationTitle(), text);
}

void openUrl(const QString& address) {
    services().openUrl(QUrl(address, QUrl::TolerantMode));
}

} // namespace solvenna::ui
