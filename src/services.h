#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <exception>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

class QDialog;
class QMessageBox;
class QWidget;

// Everything modal or leaving the program (message boxes, the error box, modal dialogs, opening an
// address in the desktop's program) goes through these replaceable handlers, so tests run the windows
// without blocking and can see what would have been shown.
namespace solvenna::ui {

enum class BoxKind { Message, Error };

struct Services {
    // A modal box with one OK button; caption is the application title.
    std::function<void(BoxKind kind, const QString& caption, const QString& text)> showBox;
    // Runs a dialog modally and returns its result.
    std::function<int(QDialog* dialog)> execModal;
    // Hands an address ("https://...", "mailto:...") to the desktop.
    std::function<void(const QUrl& url)> openUrl;
    // Asks where to save a file, proposing a path; empty when the person cancels.
    std::function<QString(const QString& caption, const QString& proposedPath, const QString& filter)>
        askSaveFile;
    // Asks which file to open; empty when the person cancels.
    std::function<QString(const QString& caption, const QString& folder, const QString& filter)> askOpenFile;
    // A question with "Да" and "Нет"; true for "Да". "Нет" is the default, so Enter does not destroy.
    std::function<bool(const QString& caption, const QString& text)> askYesNo;
};

// The handlers in force; the defaults show real boxes, run real modal loops and ask the desktop.
Services& services();
// Puts the real handlers back.
void resetServices();

// The program file's name without its extension, read at run time ("solvenna").
QString applicationTitle();

// The standard message box: the text, one OK button, no icon, centred on the screen.
void showMessage(const QString& text);
// The error box: the error's text with a full stop added when its last character sorts after ".".
void showError(const QString& text);
QString errorBoxText(const QString& text);

// The box showMessage and showError show: it centres itself on the screen when shown, after its layout.
std::unique_ptr<QMessageBox> makeStandardBox(BoxKind kind, const QString& caption, const QString& text,
                                             QWidget* parent = nullptr);
// Moves a window so that its frame is centred on the available area of its screen.
void centreOnScreen(QWidget* window);

int execModal(QDialog* dialog);
QString askSaveFile(const QString& caption, const QString& proposedPath, const QString& filter);
QString askOpenFile(const QString& caption, const QString& folder, const QString& filter);
bool askYesNo(const QString& text);
void openUrl(const QString& address);

// Runs a command handler so that no exception leaves it into Qt's event loop: an error ends the command
// where it happened, is shown in the error box, and the program goes on.
template <typename Body> void guarded(Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    } catch (...) {
        showError(QStringLiteral("Unknown error"));
    }
}

// A command handler wrapped in the guard, to hand to a signal or a callback: a member function of the
// receiver, or any callable. It takes the arguments it is given where it can, and otherwise none, so a
// handler taking nothing also serves a signal with arguments.
template <typename Receiver, typename Handler> auto guardedHandler(Receiver* receiver, Handler handler) {
    return [receiver, handler](auto&&... args) {
        guarded([&] {
            if constexpr (std::is_member_function_pointer_v<Handler>) {
                if constexpr (std::is_invocable_v<Handler, Receiver*, decltype(args)...>)
                    (receiver->*handler)(std::forward<decltype(args)>(args)...);
                else
                    (receiver->*handler)();
            } else {
                if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                    handler(std::forward<decltype(args)>(args)...);
                else
                    handler();
            }
        });
    };
}

// Connects a signal to a command handler through the guard: the one way the windows wire their controls.
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, Receiver* receiver, Handler handler) {
    return QObject::connect(sender, signal, receiver, guardedHandler(receiver, handler));
}

} // namespace solvenna::ui
