#include "services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

namespace {

void showRealBox(BoxKind kind, const QString& caption, const QString& text) {
    QMessageBox box(kind == BoxKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon, caption, text,
                    QMessageBox::Ok, QApplication::activeWindow());
    // Names and messages are shown as they are: a name such as "<b>Zoë</b>" is no markup.
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Centred on the screen, not over whichever window is active.
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        box.move(screen->availableGeometry().center() - box.rect().center());
    box.exec();
}

Services realServices() {
    return {showRealBox, [](QDialog* dialog) { return dialog->exec(); },
            [](const QUrl& url) { QDesktopServices::openUrl(url); },
            [](const QString& caption, const QString& proposedPath, const QString& filter) {
                return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, proposedPath,
                                                    filter);
            }};
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

void openUrl(const QString& address) {
    services().openUrl(QUrl(address, QUrl::TolerantMode));
}

} // namespace solvenna::ui
