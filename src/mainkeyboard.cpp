#include "main.h"

#include "services.h"
#include "setup.h"

#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QToolButton>

#include <cstring>
#include <utility>

// The main window's keyboard: shortcuts and access keys by the physical key on any layout, the standard
// editing keys left to the focused text field, and the Гороскоп button's menu opened by Enter.

using namespace Qt::Literals::StringLiterals;
using solvenna::ui::guarded;

namespace {

// Shortcuts and access keys go by the physical key, whatever layout is active: a shortcut is Ctrl and a
// Latin letter, an access key Alt and a Cyrillic one, and both name the key that carries the two letters
// on the standard Latin and Russian layouts.
const QString& russianLetters() {
    static const QString letters = u"ЙЦУКЕНГШЩЗФЫВАПРОЛДЯЧСМИТЬ"_s;
    return letters;
}
const QString& latinLetters() {
    static const QString letters = u"QWERTYUIOPASDFGHJKLZXCVBNM"_s;
    return letters;
}

// X11 and Wayland report the key's position as an XKB key code (the evdev code plus 8); the letter keys'
// codes are the same on every keyboard, so this holds for any Latin layout too (AZERTY, Dvorak).
int latinKeyOfKeyCode(quint32 code) {
    static const std::pair<quint32, const char*> rows[] = {
        {24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};
    for (const auto& [first, letters] : rows)
        if (code >= first && code < first + std::strlen(letters)) return letters[code - first];
    return 0;
}

bool keyCodesArePhysical() {
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform.startsWith(u"wayland");
}

// The key as the standard editing keys name it: a Latin letter as typed (AZERTY's A is A), any other letter
// by the Latin letter under it, as for the shortcuts.
int editingKeyOf(const QKeyEvent& key) {
    if (key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z) return key.key();
    const int latin = solvenna::ui::physicalLatinKey(key.key(), key.nativeScanCode());
    return latin ? latin : key.key();
}

QKeyEvent renamed(const QKeyEvent& key, QEvent::Type type, int as) {
    return QKeyEvent(type, as, key.modifiers(), key.nativeScanCode(), key.nativeVirtualKey(),
                     key.nativeModifiers(), key.text(), key.isAutoRepeat(), quint16(key.count()));
}

// Whether the widget acts on the key itself. Asked as Qt asks the focus widget before its own shortcuts: a
// text field accepts the ShortcutOverride of each standard editing key it acts on (select all, copy, paste,
// undo, a move by word), matched with QKeyEvent::matches, and leaves the rest to the shortcuts.
bool widgetTakes(QWidget* widget, const QKeyEvent& key, int as) {
    QKeyEvent probe = renamed(key, QEvent::ShortcutOverride, as);
    probe.ignore();
    QCoreApplication::sendEvent(widget, &probe);
    return probe.isAccepted();
}

} // namespace

namespace solvenna::ui {

int physicalLatinKey(int key, quint32 nativeScanCode) {
    if (nativeScanCode != 0 && keyCodesArePhysical())
        if (const int latin = latinKeyOfKeyCode(nativeScanCode)) return latin;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
    // Qt reports a letter key as its upper-case character.
    const qsizetype at = key > 0 && key <= 0xFFFF ? russianLetters().indexOf(QChar(char16_t(key))) : -1;
    return at < 0 ? 0 : latinLetters().at(at).unicode();
}

int russianKeyOfLatin(int latinKey) {
    const qsizetype at =
        latinKey > 0 && latinKey <= 0xFFFF ? latinLetters().indexOf(QChar(char16_t(latinKey))) : -1;
    return at < 0 ? 0 : russianLetters().at(at).unicode();
}

} // namespace solvenna::ui

bool TForm1::shortcutReachable(const QAction* action) const {
    if (!action->isEnabled()) return false;
    // Items of the horoscope submenu are reachable only through it.
    if (m_mainGroup->actions().contains(const_cast<QAction*>(action)))
        return N7->menuAction()->isEnabled() && N1->menuAction()->isEnabled();
    return true;
}

bool TForm1::triggerShortcutForLatinKey(int latinKey) {
    const QKeySequence wanted(Qt::CTRL | latinKey);
    for (QAction* action : findChildren<QAction*>()) {
        if (action->shortcut() != wanted) continue;
        if (shortcutReachable(action)) action->trigger();
        return true;
    }
    return false;
}

bool TForm1::openMenuForLatinKey(int latinKey) {
    const int letter = solvenna::ui::russianKeyOfLatin(latinKey);
    if (!letter) return false;
    for (QAction* item : menuBar()->actions()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(item->text());
        if (mnemonic.isEmpty() || mnemonic[0].key() != Qt::Key(letter)) continue;
        if (!item->isEnabled() || !item->isVisible()) return true;
        menuBar()->setActiveAction(item);
        // As with the access key itself: the menu opens with its first usable item selected.
        if (QMenu* menu = item->menu()) {
            for (QAction* first : menu->actions())
                if (!first->isSeparator() && first->isEnabled() && first->isVisible()) {
                    menu->setActiveAction(first);
                    break;
                }
        }
        return true;
    }
    return false;
}

bool TForm1::commandsReachableFrom(const QWidget* window) const {
    if (!window || QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
    // The settings dialog is not modal: while it is active the main window's commands stay usable.
    return window == this || (SetupFrm && window == SetupFrm);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        const auto* action = qobject_cast<const QAction*>(watched);
        if (action && !shortcutReachable(action)) return true; // swallowed: its menu is out of reach
    }
    // A Space that went down on the button but came up elsewhere clicked nothing: the next click is the
    // mouse's.
    if (watched == Tool3 && event->type() == QEvent::MouseButtonPress) m_tool3ByKeyboard = false;
    if (watched == Tool3 && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Select) {
            m_tool3ByKeyboard = true; // the click that follows comes from the keyboard
        } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && event->type() == QEvent::KeyPress &&
                   Tool3->isEnabled()) {
            m_tool3ByKeyboard = true;
            guarded([this] { Tool3Click(); });
            return true;
        }
    }
    // After Alt alone the menu bar takes its access keys without Alt; it knows them by their Cyrillic
    // letters, which a Latin layout does not type.
    if (event->type() == QEvent::KeyPress && watched == menuBar() && menuBar()->hasFocus()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && key->key() >= Qt::Key_A &&
            key->key() <= Qt::Key_Z) {
            const int latin = solvenna::ui::physicalLatinKey(key->key(), key->nativeScanCode());
            if (latin && openMenuForLatinKey(latin)) return true;
        }
    }
    // A standard editing key goes to the focused text field (or the page view's selection) even where a
    // command has the same key: Ctrl+A selects the field's text. Commands take their keys everywhere else.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        QWidget* field =
            watched->isWidgetType() ? static_cast<QWidget*>(watched) : QApplication::focusWidget();
        if (field && (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const int editingKey = editingKeyOf(*key);
            if (widgetTakes(field, *key, editingKey)) {
                if (editingKey == key->key()) return QMainWindow::eventFilter(watched, event);
                // A Russian layout names the key by its Cyrillic letter, which no editing key matches.
                QKeyEvent latin = renamed(*key, QEvent::KeyPress, editingKey);
                QCoreApplication::sendEvent(field, &latin);
                return true;
            }
        }
    }
    // A key a shortcut took never gets here; what does is a key the active layout named otherwise.
    if (event->type() == QEvent::KeyPress && commandsReachableFrom(QApplication::activeWindow())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        const int latin = solvenna::ui::physicalLatinKey(key->key(), key->nativeScanCode());
        if (latin && modifiers == Qt::ControlModifier && triggerShortcutForLatinKey(latin)) return true;
        if (latin && modifiers == Qt::AltModifier && QApplication::activeWindow() == this &&
            openMenuForLatinKey(latin))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
