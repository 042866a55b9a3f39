#include "about.h"
#include "colours.h"
#include "compatibilitydialog.h"
#include "core/date.h"
#include "core/inifile.h"
#include "findbar.h"
#include "main.h"
#include "pageview.h"
#include "services.h"
#include "setup.h"
#include "style.h"
#include "whoim.h"
#include "widgets.h"
#include "widgets/widgets_p.h"

#include "programwindows.h"
#include "testsupport.h"
#include "uitestsupport.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <map>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;
using solvenna::ui::contrastRatio;
using testsupport::ServiceRecorder;

namespace {

// The section bar's designed width, which it keeps unless its captions need more.
constexpr int kDesignedBarWidth = 209;

using testsupport::writeBytes;

// A key as a layout reports it: the key code and the text it types.
void sendKey(QWidget* target, int key, const QString& text, Qt::KeyboardModifiers modifiers) {
    QTest::sendKeyEvent(QTest::Click, target, Qt::Key(key), text, modifiers);
}

QWidget* keyTarget(QWidget* window) {
    return window->focusWidget() ? window->focusWidget() : window;
}

QString describe(const QColor& c) {
    return c.name(QColor::HexRgb);
}

// Counts the key presses that reach a widget, modifier keys aside: a key that a command took never does.
struct KeySpy : QObject {
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt && key != Qt::Key_Meta)
            ++presses;
        return false;
    }
};

// --- Palettes -------------------------------------------------------------------------------------------

QPalette paletteOf(const QColor& window, const QColor& text, const QColor& base, const QColor& highlight) {
    QPalette p;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, base);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Button, window);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Highlight, highlight);
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::Light, window.lighter(150));
        p.setColor(group, QPalette::Midlight, window.lighter(125));
        p.setColor(group, QPalette::Mid, window.darker(130));
        p.setColor(group, QPalette::Dark, window.darker(160));
        p.setColor(group, QPalette::Shadow, Qt::black);
        p.setColor(group, QPalette::ToolTipBase, base);
        p.setColor(group, QPalette::ToolTipText, text);
        p.setColor(group, QPalette::PlaceholderText, text);
        p.setColor(group, QPalette::Link, highlight.lighter(150));
    }
    p.setColor(QPalette::Disabled, QPalette::Window, window);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    p.setColor(QPalette::Disabled, QPalette::Highlight, highlight);
    return p;
}

QPalette lightPalette() {
    return QApplication::style()->standardPalette();
}

// The palettes a desktop gives the program: the style's own light one, Adwaita's dark one as Qt's GTK 3
// theme reports it, a black one with a deep blue highlight, and a mid grey where neither black nor white
// text has much to spare.
QPalette namedPalette(const QString& name) {
    if (name == u"light") return lightPalette();
    if (name == u"Adwaita dark")
        return paletteOf(QColor(0x35, 0x35, 0x35), QColor(0xee, 0xee, 0xec), QColor(0x2d, 0x2d, 0x2d),
                         QColor(0x15, 0x53, 0x9e));
    if (name == u"black") return paletteOf(Qt::black, Qt::white, Qt::black, QColor(0, 0, 0xaa));
    if (name == u"mid grey")
        return paletteOf(QColor(0x76, 0x76, 0x76), Qt::black, QColor(0x90, 0x90, 0x90),
                         QColor(0, 0x30, 0x80));
    return {};
}

// The colour a widget's text is drawn on: its own background if it fills one, else the nearest ancestor's
// that does; a window always fills its background.
QColor backgroundOf(const QWidget* widget, QPalette::ColorGroup group) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w->autoFillBackground() || w->isWindow()) return w->palette().color(group, w->backgroundRole());
    return {};
}

// The text pixels of a rendered widget: the colour farthest in contrast from the most common one (the
// background). Glyph stems cover whole pixels, so that colour is the text's own.
std::pair<QColor, QColor> inkAndPaper(const QImage& picture) {
    std::map<QRgb, int> counts;
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb paper = 0;
    int most = -1;
    for (const auto& [rgb, count] : counts)
        if (count > most) {
            most = count;
            paper = rgb;
        }
    QRgb ink = paper;
    double best = 1.0;
    for (const auto& [rgb, count] : counts)
        if (const double c = contrastRatio(QColor(rgb), QColor(paper)); c > best) {
            best = c;
            ink = rgb;
        }
    return {QColor(ink), QColor(paper)};
}

struct TextCheck {
    QString name;
    QColor text;
    QColor background;
};

// Every label (links included) and check box of a window with text to read. Disabled controls are left
// out: they are meant to read as unavailable. The section bar draws on its own gradient and is not here.
QList<TextCheck> textsOf(QWidget* window, QPalette::ColorGroup group) {
    QList<TextCheck> checks;
    const auto add = [&](QWidget* w, const QString& text) {
        if (text.trimmed().isEmpty() || !w->isEnabled()) return;
        checks.append({QString::fromLatin1(w->metaObject()->className()) + u" "_s + w->objectName() +
                           u" \""_s + text.left(40) + u'"',
                       w->palette().color(group, w->foregroundRole()), backgroundOf(w, group)});
    };
    for (QLabel* label : window->findChildren<QLabel*>())
        add(label, label->text());
    for (QCheckBox* box : window->findChildren<QCheckBox*>())
        add(box, box->text());
    return checks;
}

void checkWindowContrast(QWidget* window, const QString& what) {
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QList<TextCheck> checks = textsOf(window, group);
        QVERIFY2(!checks.isEmpty(), qPrintable(what + u": no texts found"_s));
        for (const TextCheck& c : checks) {
            const double ratio = contrastRatio(c.text, c.background);
            QVERIFY2(ratio >= 4.5, qPrintable(u"%1: %2 is %3 on %4, contrast %5"_s
                                                  .arg(what, c.name, describe(c.text), describe(c.background))
                                                  .arg(ratio, 0, 'f', 2)));
        }
    }
    // What is drawn, too: the label's pixels, whatever set their colour. Small glyphs are anti-aliased,
    // so even their darkest pixels fall a little short of the text colour itself.
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().trimmed().isEmpty() || !label->isEnabled() || label->size().isEmpty()) continue;
        const auto [ink, paper] = inkAndPaper(label->grab().toImage());
        const double ratio = contrastRatio(ink, paper);
        QVERIFY2(ratio >= 4.4, qPrintable(u"%1: %2 is drawn %3 on %4, contrast %5"_s
                                              .arg(what, label->objectName(), describe(ink), describe(paper))
                                              .arg(ratio, 0, 'f', 2)));
    }
}

// Sets the application's palette for one test and puts the one before back.
struct PaletteScope {
    QPalette before = QApplication::palette();
    explicit PaletteScope(const QPalette& palette) { QApplication::setPalette(palette); }
    ~PaletteScope() { QApplication::setPalette(before); }
};

QColor pixelAt(QWidget* widget, const QPoint& at) {
    return QColor(widget->grab().toImage().pixel(at));
}

} // namespace

class WindowTest : public testsupport::ProgramWindows {
    Q_OBJECT
private Q_SLOTS:
    void init();

    // Keys by their place on the keyboard.
    void physicalLatinKey_data();
    void physicalLatinKey();
    void russianKeyOfLatin_data();
    void russianKeyOfLatin();
    void physicalKeys_sameMappingBothWays();
    void accessKeys_data();
    void accessKeys();
    void ctrlShortcuts_data();
    void ctrlShortcuts();
    void editingKeys_data();
    void editingKeys();

    // The Гороскоп drop-down.
    void horoscopeMenu_data();
    void horoscopeMenu();

    // The page view.
    void pageView_keepsNoHistory_data();
    void pageView_keepsNoHistory();
    void pageView_followedLinkLeavesNoWayBack();
    void pageView_keyboardScrolls_data();
    void pageView_keyboardScrolls();
    void pageView_selectAndCopy();
    void pageView_showsNoTextCursor();
    void pageView_wrapsAtWordBoundaries_data();
    void pageView_wrapsAtWordBoundaries();
    void pageView_minimumPaneBreaksNoWord();

    // Sizes.
    void minimumSize_keepsEverySectionUsable_data();
    void minimumSize_keepsEverySectionUsable();
    void itemCaptions_fitTheBar_data();
    void itemCaptions_fitTheBar();
    void itemCaptions_widthForItemText();
    void toolSeparator_isDrawn();
    void messageBox_isCentredAfterLayout_data();
    void messageBox_isCentredAfterLayout();
    void messageBox_shownByTheService_isCentred();

    // The window's place across runs.
    void restorePlacement_data();
    void restorePlacement();
    void restorePlacement_maximized();
    void restorePlacement_sectionBarWidth_data();
    void restorePlacement_sectionBarWidth();
    void placement_savedAtCloseAndRestored_data();
    void placement_savedAtCloseAndRestored();

    // Colours.
    void contrastRatio_data();
    void contrastRatio();
    void readableColour_data();
    void readableColour();
    void windowsReadable_data();
    void windowsReadable();
    void lightPalette_keepsTheDesignedColours();
    void nightMode_followsThePaletteIsKeptAndReads_data();
    void nightMode_followsThePaletteIsKeptAndReads();

private:
    void createForm();
    // The main window shown with a long page in its page view, which has the focus; null when that failed.
    PageView* showLongPage();
};

void WindowTest::init() {
    beginTest();
    BirthDate = encodeDate(1900, 1, 1);
    PersonName.clear();
}

void WindowTest::createForm() {
    createMainWindow();
    m_form->Buttons->setSoftScroll(false);
}

// --- Keys by their place on the keyboard ------------------------------------------------------------------

void WindowTest::physicalLatinKey_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("latin");
    QTest::newRow("Latin U") << int(Qt::Key_U) << int(Qt::Key_U);
    QTest::newRow("Latin A") << int(Qt::Key_A) << int(Qt::Key_A);
    QTest::newRow("Latin Z") << int(Qt::Key_Z) << int(Qt::Key_Z);
    QTest::newRow("Г, on U") << 0x0413 << int(Qt::Key_U);
    QTest::newRow("Й, on Q") << 0x0419 << int(Qt::Key_Q);
    QTest::newRow("Щ, on O") << 0x0429 << int(Qt::Key_O);
    QTest::newRow("З, on P") << 0x0417 << int(Qt::Key_P);
    QTest::newRow("Я, on Z") << 0x042F << int(Qt::Key_Z);
    QTest::newRow("Ф, on A") << 0x0424 << int(Qt::Key_A);
    QTest::newRow("Ь, on M") << 0x042C << int(Qt::Key_M);
    QTest::newRow("Ы, on S") << 0x042B << int(Qt::Key_S);
    QTest::newRow("В, on D") << 0x0412 << int(Qt::Key_D);
    QTest::newRow("С, on C") << 0x0421 << int(Qt::Key_C);
    // Letters on keys that carry punctuation on the Latin layout name no letter key.
    QTest::newRow("Х, on [") << 0x0425 << 0;
    QTest::newRow("Ж, on ;") << 0x0416 << 0;
    QTest::newRow("Б, on ,") << 0x0411 << 0;
    QTest::newRow("Ё, on `") << 0x0401 << 0;
    QTest::newRow("digit 1") << int(Qt::Key_1) << 0;
    QTest::newRow("Space") << int(Qt::Key_Space) << 0;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0;
    QTest::newRow("Latin lower-case u is no key code") << int('u') << 0;
}

void WindowTest::physicalLatinKey() {
    QFETCH(int, key);
    QFETCH(int, latin);
    QCOMPARE(solvenna::ui::physicalLatinKey(key), latin);
    // The offscreen platform reports no key positions: a scan code changes nothing there.
    QCOMPARE(solvenna::ui::physicalLatinKey(key, 30), latin);
}

void WindowTest::russianKeyOfLatin_data() {
    QTest::addColumn<int>("latin");
    QTest::addColumn<int>("russian");
    QTest::newRow("U: Г") << int(Qt::Key_U) << 0x0413;
    QTest::newRow("D: В") << int(Qt::Key_D) << 0x0412;
    QTest::newRow("C: С") << int(Qt::Key_C) << 0x0421;
    QTest::newRow("Q: Й") << int(Qt::Key_Q) << 0x0419;
    QTest::newRow("M: Ь") << int(Qt::Key_M) << 0x042C;
    QTest::newRow("digit") << int(Qt::Key_5) << 0;
    QTest::newRow("Cyrillic is no Latin key") << 0x0413 << 0;
    QTest::newRow("zero") << 0 << 0;
}

void WindowTest::russianKeyOfLatin() {
    QFETCH(int, latin);
    QFETCH(int, russian);
    QCOMPARE(solvenna::ui::russianKeyOfLatin(latin), russian);
}

void WindowTest::physicalKeys_sameMappingBothWays() {
    QSet<int> russianLetters;
    for (int latin = Qt::Key_A; latin <= Qt::Key_Z; ++latin) {
        const int russian = solvenna::ui::russianKeyOfLatin(latin);
        QVERIFY2(russian >= 0x0410 && russian <= 0x042F, qPrintable(QString(QChar(latin))));
        QCOMPARE(solvenna::ui::physicalLatinKey(russian), latin);
        russianLetters.insert(russian);
    }
    QCOMPARE(russianLetters.size(), 26); // no two keys share a letter
}

void WindowTest::accessKeys_data() {
    QTest::addColumn<bool>("altAlone"); // Alt pressed and let go first, then the letter alone
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("menu"); // the menu that opens; empty: none
    struct Row {
        const char* name;
        int key;
        const char* text;
        const char* menu;
    };
    const Row rows[] = {
        {"Latin layout: U", Qt::Key_U, "u", "N1"},        {"Russian layout: Г", 0x0413, "г", "N1"},
        {"Latin layout: D", Qt::Key_D, "d", "N2"},        {"Russian layout: В", 0x0412, "в", "N2"},
        {"Latin layout: C", Qt::Key_C, "c", "N3"},        {"Russian layout: С", 0x0421, "с", "N3"},
        {"Latin layout: X, no menu", Qt::Key_X, "x", ""}, {"Russian layout: Ч, no menu", 0x0427, "ч", ""},
    };
    for (const bool altAlone : {false, true})
        for (const Row& row : rows)
            QTest::addRow("%s%s", altAlone ? "Alt, then " : "Alt+", row.name)
                << altAlone << row.key << QString::fromUtf8(row.text) << QString::fromLatin1(row.menu);
}

void WindowTest::accessKeys() {
    QFETCH(bool, altAlone);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(QString, menu);
    createWindows();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_services->modals.clear(); // the personal data dialog at the first show
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
    QCOMPARE(m_form->menuBar()->activeAction(), nullptr);

    if (altAlone) {
        QTest::keyClick(keyTarget(m_form.get()), Qt::Key_Alt);
        QTRY_VERIFY(m_form->menuBar()->hasFocus()); // the menu bar waits for an access key
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        sendKey(m_form->menuBar(), key, text, Qt::NoModifier);
    } else {
        sendKey(keyTarget(m_form.get()), key, text, Qt::AltModifier);
    }
    if (menu.isEmpty()) {
        QTest::qWait(50);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        if (!altAlone) QCOMPARE(m_form->menuBar()->activeAction(), nullptr);
        return;
    }
    auto* expected = m_form->findChild<QMenu*>(menu);
    QVERIFY(expected);
    QTRY_VERIFY(expected->isVisible());
    QCOMPARE(m_form->menuBar()->activeAction(), expected->menuAction());
    QCOMPARE(QApplication::activePopupWidget(), expected);
    // The menu opens with its first usable item selected, so the arrow keys and Enter go on from there.
    QAction* active = expected->activeAction();
    QVERIFY(active);
    QVERIFY(active->isEnabled() && !active->isSeparator());
    QCOMPARE(active, expected->actions().constFirst());

    // Enter on that item runs it: in Гороскоп that is "Ввести личные данные".
    if (menu == u"N1") {
        QTest::keyClick(expected, Qt::Key_Return);
        QTRY_COMPARE(m_services->modals, QList<QDialog*>{Form2});
    }
}

void WindowTest::ctrlShortcuts_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("window"); // main, settings: the active window
    QTest::addColumn<bool>("dateSet");
    QTest::addColumn<QString>("effect");

    struct Command {
        int latin;
        int russian;
        const char* effect;
        bool needsDate;
    };
    const Command commands[] = {
        {Qt::Key_Z, 0x042F, "N13", true},       {Qt::Key_K, 0x041B, "N14", true},
        {Qt::Key_D, 0x0412, "N15", true},       {Qt::Key_A, 0x0424, "N10", true},
        {Qt::Key_M, 0x042C, "N20", true},       {Qt::Key_N, 0x0422, "N17", true},
        {Qt::Key_S, 0x042B, "summary", true},   {Qt::Key_P, 0x0417, "personal data", false},
        {Qt::Key_O, 0x0429, "settings", false}, {Qt::Key_Q, 0x0419, "exit", false},
    };
    for (const QString& window : {u"main"_s, u"settings"_s})
        for (const Command& c : commands)
            for (const bool dateSet : {true, false}) {
                if (!c.needsDate && !dateSet) continue; // the same either way
                const QString effect = c.needsDate && !dateSet ? u"nothing"_s : QString::fromLatin1(c.effect);
                const QString latin = QString(QChar(c.latin)).toLower();
                const QString russian = QString(QChar(char16_t(c.russian))).toLower();
                const QString date = dateSet ? u"date set"_s : u"no date"_s;
                QTest::addRow("%s, Ctrl+%s, %s", qPrintable(window), qPrintable(latin.toUpper()),
                              qPrintable(date))
                    << c.latin << latin << window << dateSet << effect;
                QTest::addRow("%s, Ctrl+%s (Russian layout), %s", qPrintable(window),
                              qPrintable(russian.toUpper()), qPrintable(date))
                    << c.russian << russian << window << dateSet << effect;
            }
}

void WindowTest::ctrlShortcuts() {
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(QString, window);
    QFETCH(bool, dateSet);
    QFETCH(QString, effect);
    createWindows();
    TSetupFrm* setup = m_setup;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_services->modals.clear(); // the personal data dialog at the first show
    if (dateSet) BirthDate = encodeDate(1975, 8, 15);
    m_form->Timer1Timer();
    QWidget* active = m_form.get();
    if (window == u"settings") {
        QTest::keyClick(keyTarget(m_form.get()), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(setup->isVisible());
        // A dialog counts as active for QTest while its parent is; the test needs it active itself.
        QTRY_COMPARE(QApplication::activeWindow(), setup);
        QVERIFY(!setup->isModal());
        active = setup;
    }
    QCOMPARE(QApplication::activeWindow(), active);
    QVERIFY(m_form->Buttons->isHidden());
    QVERIFY(m_services->boxes.isEmpty() && m_services->modals.isEmpty());
    QWidget* target = keyTarget(active);
    KeySpy spy;
    target->installEventFilter(&spy);

    sendKey(target, key, text, Qt::ControlModifier);
    QCoreApplication::processEvents();

    // Taken as a command (or swallowed while the command is out of reach): never typed into the window.
    QCOMPARE(spy.presses, 0);
    const QStringList horoscopes{u"N13"_s, u"N14"_s, u"N15"_s, u"N10"_s, u"N20"_s, u"N17"_s};
    for (const QString& name : horoscopes) {
        auto* item = m_form->findChild<QAction*>(name);
        QCOMPARE(item->isChecked(), name == effect);
    }
    QCOMPARE(m_form->Buttons->isHidden(), !horoscopes.contains(effect));
    QCOMPARE(m_services->boxes.size(), effect == u"summary" ? 1 : 0);
    QCOMPARE(m_services->modals, effect == u"personal data" ? QList<QDialog*>{m_person} : QList<QDialog*>{});
    QCOMPARE(m_form->isVisible(), effect != u"exit");
    if (effect == u"settings") {
        QVERIFY(setup->isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), setup);
    } else if (window == u"main") {
        QVERIFY(!setup->isVisible());
    }
}

// Ctrl+A, also the Zoroastrian horoscope's shortcut, selects the text of the focused text field on either
// layout, and the page shown stays.
void WindowTest::editingKeys_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    for (const char* field :
         {"find field", "personal data: name", "personal data: date", "settings: scroll delay",
          "compatibility: partner name", "compatibility: partner date", "page view"}) {
        QTest::addRow("%s, Ctrl+A", field) << QString::fromLatin1(field) << int(Qt::Key_A) << u"a"_s;
        QTest::addRow("%s, Ctrl+Ф (Russian layout)", field) << QString::fromLatin1(field) << 0x0424 << u"ф"_s;
    }
}

void WindowTest::editingKeys() {
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(QString, text);
    createWindowsWithAnna();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_form->Timer1Timer();
    m_form->N14->trigger();
    const QString page = m_form->Web1->currentPage();
    QVERIFY(page.endsWith(u"Data/Chinese/cat.htm"_s));
    m_services->modals.clear(); // the personal data dialog at the first show

    QLineEdit* edit = nullptr; // none for the page view
    QString whole;             // what Ctrl+A selects in it
    if (field == u"find field") {
        m_form->FindItem->trigger();
        edit = m_form->FindBar->field();
    } else if (field.startsWith(u"personal data")) {
        m_person->open();
        QTRY_COMPARE(QApplication::activeWindow(), m_person);
        edit = field.endsWith(u"name") ? m_person->edit1->lineEdit() : m_person->Calendar1->editor();
    } else if (field.startsWith(u"compatibility")) {
        m_form->CompatibilityItem->trigger();
        QCOMPARE(m_services->modals.size(), 1);
        auto* dialog = qobject_cast<TCompatibilityDialog*>(m_services->modals.takeFirst());
        QVERIFY(dialog);
        dialog->open();
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        edit = field.endsWith(u"name") ? dialog->PartnerName->lineEdit() : dialog->PartnerDate->editor();
    } else if (field == u"settings: scroll delay") {
        m_form->N26->trigger();
        QTRY_COMPARE(QApplication::activeWindow(), m_setup);
        // The box takes a delay typed by hand only with soft scrolling on and the automatic delay off.
        if (!m_setup->Check3->isChecked()) m_setup->Check3->click();
        if (m_setup->Check4->isChecked()) m_setup->Check4->click();
        QVERIFY(m_setup->Spin1->isEnabled());
        edit = m_setup->Spin1->findChild<QLineEdit*>();
    }
    QWidget* target = m_form->Web1;
    if (edit) {
        edit->setFocus();
        QVERIFY(edit->hasFocus());
        target = QApplication::focusWidget(); // an editable box's own, or the field
        if (edit->text().isEmpty()) QTest::keyClicks(target, u"15"_s);
        edit->end(false);
        QVERIFY(!edit->hasSelectedText());
        // The delay box selects its number, not the unit after it.
        whole = target == m_setup->Spin1 ? m_setup->Spin1->cleanText() : edit->text();
    } else {
        target->setFocus();
        QVERIFY(target->hasFocus());
        QVERIFY(!m_form->Web1->textCursor().hasSelection());
    }

    sendKey(target, key, text, Qt::ControlModifier);
    QCoreApplication::processEvents();

    QVERIFY(target->hasFocus()); // the find bar stays open, the dialog active
    if (edit) {
        QCOMPARE(edit->selectedText(), whole);
    } else {
        const QTextCursor selection = m_form->Web1->textCursor();
        QCOMPARE(selection.selectionStart(), 0);
        QCOMPARE(selection.selectionEnd(), m_form->Web1->document()->characterCount() - 1);
    }
    QCOMPARE(m_form->Web1->currentPage(), page);
    QVERIFY(m_form->N14->isChecked() && !m_form->N10->isChecked());
    QVERIFY(m_services->modals.isEmpty() && m_services->boxes.isEmpty());
}

// --- The Гороскоп drop-down ------------------------------------------------------------------------------

void WindowTest::horoscopeMenu_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("underButton"); // otherwise at the pointer
    QTest::newRow("Space") << u"Space"_s << true;
    QTest::newRow("Return") << u"Return"_s << true;
    QTest::newRow("Enter on the keypad") << u"Enter"_s << true;
    QTest::newRow("a click on the arrow") << u"arrow"_s << true;
    QTest::newRow("a click on the button") << u"click"_s << false;
    QTest::newRow("a click after Space let go elsewhere") << u"Space elsewhere, click"_s << false;
    QTest::newRow("a click after the keyboard's menu") << u"Space, click"_s << false;
}

void WindowTest::horoscopeMenu() {
    QFETCH(QString, how);
    QFETCH(bool, underButton);
    createForm();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    BirthDate = encodeDate(1975, 8, 15);
    m_form->Timer1Timer();
    QToolButton* button = m_form->Tool3;
    QMenu* menu = m_form->PMenu1;
    QVERIFY(button->isEnabled());
    QVERIFY(!menu->isVisible());
    // The pointer rests on the middle of the button's face, left of the arrow.
    const QPoint onFace(button->width() / 3, button->height() / 2);
    QCursor::setPos(button->mapToGlobal(onFace));

    // The arrow's drop-down runs its own event loop: the menu is looked at and closed from inside it.
    QRect shown;
    const auto closeWhenShown = [&] {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [&, timer] {
            if (!menu->isVisible()) return;
            shown = menu->geometry();
            menu->close();
            timer->deleteLater();
        });
        timer->start(10);
    };
    const auto clickFace = [&] { QTest::mouseClick(button, Qt::LeftButton, {}, onFace); };

    button->setFocus();
    QVERIFY(button->hasFocus());
    if (how == u"Space") {
        QTest::keyClick(button, Qt::Key_Space);
    } else if (how == u"Return") {
        QTest::keyClick(button, Qt::Key_Return);
    } else if (how == u"Enter") {
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    } else if (how == u"arrow") {
        closeWhenShown();
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() - 3, button->height() / 2));
    } else if (how == u"click") {
        clickFace();
    } else if (how == u"Space elsewhere, click") {
        // Space goes down on the button, the focus moves on before it comes up: no click, no menu.
        QTest::keyPress(button, Qt::Key_Space);
        m_form->Tool1->setFocus();
        QTest::keyRelease(m_form->Tool1, Qt::Key_Space);
        QCoreApplication::processEvents();
        QVERIFY(!menu->isVisible());
        clickFace();
    } else if (how == u"Space, click") {
        QTest::keyClick(button, Qt::Key_Space);
        QTRY_VERIFY(menu->isVisible());
        menu->close();
        QTRY_VERIFY(!menu->isVisible());
        clickFace();
    }
    if (shown.isNull()) {
        QTRY_VERIFY(menu->isVisible());
        shown = menu->geometry();
    }
    const QRect face(button->mapToGlobal(QPoint(0, 0)), button->size());
    if (underButton) {
        // Its top-left corner at the button's bottom-left one.
        QVERIFY2(std::abs(shown.top() - (face.bottom() + 1)) <= 1,
                 qPrintable(u"menu top %1, button bottom %2"_s.arg(shown.top()).arg(face.bottom())));
        QVERIFY2(std::abs(shown.left() - face.left()) <= 1,
                 qPrintable(u"menu left %1, button left %2"_s.arg(shown.left()).arg(face.left())));
    } else {
        QCOMPARE(shown.topLeft(), QCursor::pos());
        QVERIFY(face.contains(shown.topLeft()));
    }
}

// --- The page view ---------------------------------------------------------------------------------------

void WindowTest::pageView_keepsNoHistory_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier);
    QTest::newRow("Alt+Left") << int(Qt::Key_Left) << int(Qt::AltModifier);
    QTest::newRow("Alt+Right") << int(Qt::Key_Right) << int(Qt::AltModifier);
    QTest::newRow("Alt+Up (home)") << int(Qt::Key_Up) << int(Qt::AltModifier);
    QTest::newRow("Alt+Home") << int(Qt::Key_Home) << int(Qt::AltModifier);
    QTest::newRow("the Back key") << int(Qt::Key_Back) << int(Qt::NoModifier);
    QTest::newRow("the Forward key") << int(Qt::Key_Forward) << int(Qt::NoModifier);
}

void WindowTest::pageView_keepsNoHistory() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    createForm();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    BirthDate = encodeDate(1975, 8, 15);
    const QString lion = programFolder() + u"Data/Zodiac/lion/"_s;
    // Three pages in turn: the view has been on a page before and after the one the bar says.
    m_form->N13Click();
    m_form->Buttons->setActiveSection(2);
    m_form->Tool6Click();
    QCOMPARE(m_form->Buttons->ActiveSection(), 1);
    PageView* view = m_form->Web1;
    const QString page = lion + u"professions.htm"_s;
    QCOMPARE(view->currentPage(), page);
    QCOMPARE(view->source(), QUrl::fromLocalFile(page));
    const QString text = view->toPlainText();
    QVERIFY(text.contains(u"Профессии"_s));
    view->setFocus();
    QVERIFY(view->hasFocus());

    QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCoreApplication::processEvents();
    QCOMPARE(view->source(), QUrl::fromLocalFile(page));
    QCOMPARE(view->currentPage(), page);
    QCOMPARE(view->toPlainText(), text);
    QCOMPARE(m_form->Buttons->ActiveSection(), 1);
    // The view's own history commands lead nowhere either.
    view->backward();
    view->forward();
    view->home();
    QCOMPARE(view->source(), QUrl::fromLocalFile(page));
    QCOMPARE(view->toPlainText(), text);
}

void WindowTest::pageView_followedLinkLeavesNoWayBack() {
    createForm();
    const QString a = folder() + u"a.htm"_s;
    const QString b = folder() + u"b.htm"_s;
    QVERIFY(writeBytes(a, "<html><body><p>Первая страница: <a href=\"b.htm\">дальше</a></p></body></html>"));
    QVERIFY(writeBytes(b, "<html><body><p>Вторая страница</p></body></html>"));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    PageView* view = m_form->Web1;
    view->setDataFolder(folder());
    view->Navigate(a);
    view->setFocus();
    QVERIFY(view->toPlainText().startsWith(u"Первая"_s));
    // The link by the keyboard: Tab to it, Enter follows it.
    QTest::keyClick(view, Qt::Key_Tab);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(view->toPlainText().startsWith(u"Вторая"_s));
    QCOMPARE(view->currentPage(), QFileInfo(b).absoluteFilePath());
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Backspace, Qt::NoModifier}, std::pair{Qt::Key_Left, Qt::AltModifier}}) {
        QTest::keyClick(view, key, modifiers);
        QCOMPARE(view->toPlainText().left(6), u"Вторая"_s);
    }
    QVERIFY(!view->isBackwardAvailable());
}

namespace {
// A page much longer than the view: numbered paragraphs, so a scroll position reads as one.
QByteArray longPage() {
    QByteArray html = "<html><body>";
    for (int i = 1; i <= 120; ++i)
        html += "<p>Абзац " + QByteArray::number(i) +
                ": Лев невольно становится центром, вокруг которого "
                "собирается жизнь.</p>";
    return html + "</body></html>";
}
} // namespace

PageView* WindowTest::showLongPage() {
    createForm();
    const QString page = folder() + u"long.htm"_s;
    if (!writeBytes(page, longPage())) return nullptr;
    m_form->show();
    if (!QTest::qWaitForWindowActive(m_form.get())) return nullptr;
    m_form->Web1->setDataFolder(folder());
    m_form->Web1->Navigate(page);
    m_form->Web1->setFocus();
    return m_form->Web1;
}

void WindowTest::pageView_keyboardScrolls_data() {
    QTest::addColumn<QString>("start"); // top, bottom
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expected"); // step, page, end, top; each from the start
    QTest::newRow("Down") << u"top"_s << int(Qt::Key_Down) << int(Qt::NoModifier) << u"+step"_s;
    QTest::newRow("Page Down") << u"top"_s << int(Qt::Key_PageDown) << int(Qt::NoModifier) << u"+page"_s;
    QTest::newRow("Space") << u"top"_s << int(Qt::Key_Space) << int(Qt::NoModifier) << u"+page"_s;
    QTest::newRow("End") << u"top"_s << int(Qt::Key_End) << int(Qt::NoModifier) << u"end"_s;
    QTest::newRow("Ctrl+End") << u"top"_s << int(Qt::Key_End) << int(Qt::ControlModifier) << u"end"_s;
    QTest::newRow("Up") << u"bottom"_s << int(Qt::Key_Up) << int(Qt::NoModifier) << u"-step"_s;
    QTest::newRow("Page Up") << u"bottom"_s << int(Qt::Key_PageUp) << int(Qt::NoModifier) << u"-page"_s;
    QTest::newRow("Shift+Space") << u"bottom"_s << int(Qt::Key_Space) << int(Qt::ShiftModifier) << u"-page"_s;
    QTest::newRow("Home") << u"bottom"_s << int(Qt::Key_Home) << int(Qt::NoModifier) << u"top"_s;
    QTest::newRow("Ctrl+Home") << u"bottom"_s << int(Qt::Key_Home) << int(Qt::ControlModifier) << u"top"_s;
}

void WindowTest::pageView_keyboardScrolls() {
    QFETCH(QString, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, expected);
    PageView* view = showLongPage();
    QVERIFY(view);
    QScrollBar* bar = view->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 4 * bar->pageStep());
    bar->setValue(start == u"top" ? 0 : bar->maximum());
    const int before = bar->value();
    QCOMPARE(before, start == u"top" ? 0 : bar->maximum());

    QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    const int wanted = expected == u"+step"   ? before + bar->singleStep()
                       : expected == u"-step" ? before - bar->singleStep()
                       : expected == u"+page" ? before + bar->pageStep()
                       : expected == u"-page" ? before - bar->pageStep()
                       : expected == u"end"   ? bar->maximum()
                                              : 0;
    QCOMPARE(bar->value(), wanted);
    // Scrolling moved no text cursor and selected nothing.
    QVERIFY(!view->textCursor().hasSelection());
}

void WindowTest::pageView_selectAndCopy() {
    PageView* view = showLongPage();
    QVERIFY(view);
    QGuiApplication::clipboard()->clear();
    QVERIFY(!view->textCursor().hasSelection());

    // With the mouse: a drag over the first line selects part of it; Ctrl+C copies what is selected.
    QWidget* viewport = view->viewport();
    const QRect firstLine = view->cursorRect(QTextCursor(view->document()));
    const QPoint from(firstLine.left() + 2, firstLine.center().y());
    const QPoint to(from.x() + 120, from.y());
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    const QString dragged = view->textCursor().selectedText();
    QVERIFY2(dragged.startsWith(u"Абзац 1"_s) && dragged.size() < 60, qPrintable(dragged));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), dragged);

    // Shift and a click extend the selection, far down the page.
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    const QRect lastLine = view->cursorRect(QTextCursor(view->document()->lastBlock()));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(lastLine.left() + 150, lastLine.center().y()));
    const QString extended = view->textCursor().selectedText();
    QVERIFY2(extended.startsWith(u"Абзац 1"_s) && extended.contains(u"Абзац 120"_s),
             qPrintable(extended.right(80)));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text().left(20), extended.left(20));
    QVERIFY(QGuiApplication::clipboard()->text().contains(u"Абзац 120"_s));
}

void WindowTest::pageView_showsNoTextCursor() {
    createForm();
    BirthDate = encodeDate(1975, 8, 15);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_form->N13Click();
    PageView* view = m_form->Web1;
    view->setFocus();
    QVERIFY(view->hasFocus());
    // A text cursor blinks at half the flash time; pictures a little further apart than that would show
    // it on and off.
    const int half = std::max(100, QApplication::cursorFlashTime() / 2);
    QTest::qWait(50);
    const QImage first = view->viewport()->grab().toImage();
    for (int i = 0; i < 3; ++i) {
        QTest::qWait(half + 60);
        QCOMPARE(view->viewport()->grab().toImage(), first);
    }
    // Arrow keys with Shift select nothing: there is no cursor to move.
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QVERIFY(!view->textCursor().hasSelection());
}

namespace {

// Lays the document out and returns the first line break inside a word that would have fitted a line of
// its own ("…before|after"), or an empty string; counts the breaks.
QString wordBrokenInside(QTextDocument* document, int* breaks = nullptr, bool longWordsMayBreak = true) {
    (void)document->documentLayout()->documentSize(); // lays the whole page out
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        const QString text = block.text();
        for (int i = 1; i < layout->lineCount(); ++i) {
            if (breaks) ++*breaks;
            const QTextLine line = layout->lineAt(i);
            const QTextLine before = layout->lineAt(i - 1);
            const int at = line.textStart();
            const bool atWordBoundary = at > 0 && (text.at(at - 1).isSpace() || !text.at(at - 1).isLetter() ||
                                                   !text.at(at).isLetter());
            if (atWordBoundary) continue;
            // Inside a word: only where the word alone is longer than the line.
            const QString previous = text.mid(before.textStart(), before.textLength());
            if (previous.contains(u' ') || !longWordsMayBreak)
                return u"\"%1|%2\""_s.arg(previous.right(20), text.mid(at, 12));
        }
    }
    return {};
}

} // namespace

void WindowTest::pageView_wrapsAtWordBoundaries_data() {
    QTest::addColumn<QString>("page"); // a file under the program folder, or empty for the text below
    QTest::addColumn<int>("width");
    const QString own;
    QTest::newRow("own text, narrow") << own << 150;
    QTest::newRow("own text, minimum pane") << own << 200;
    QTest::newRow("own text, wide") << own << 400;
    QTest::newRow("the lion's element, minimum pane") << u"Data/Zodiac/lion/element.htm"_s << 200;
    QTest::newRow("the lion's element, narrow") << u"Data/Zodiac/lion/element.htm"_s << 260;
    QTest::newRow("a Chinese page, minimum pane") << u"Data/Chinese/cat.htm"_s << 200;
}

void WindowTest::pageView_wrapsAtWordBoundaries() {
    QFETCH(QString, page);
    QFETCH(int, width);
    QString path = programFolder() + page;
    if (page.isEmpty()) {
        path = folder() + u"words.htm"_s;
        QVERIFY(writeBytes(path, u"<html><body><p>Зодиакальный гороскоп и Нумерологический гороскоп, "
                                 u"Мифологический гороскоп; "
                                 u"Сверхдлинноесловокотороенеуместитсяводнустрокуникак и снова слова.</p>"
                                 u"</body></html>"_s.toUtf8()));
    }
    PageView standalone;
    PageView* view = &standalone;
    view->resize(width, 300);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    view->setDataFolder(page.isEmpty() ? folder() : programFolder() + u"Data"_s);
    view->Navigate(path);
    QCoreApplication::processEvents();
    QTextDocument* document = view->document();
    QVERIFY2(document->textWidth() > 0 && document->textWidth() <= width,
             qPrintable(QString::number(document->textWidth())));
    int breaks = 0;
    const QString broken = wordBrokenInside(document, &breaks);
    QVERIFY2(broken.isEmpty(), qPrintable(u"broken inside a word: "_s + broken));
    QVERIFY(breaks > 0); // the width was narrow enough to wrap at all
}

void WindowTest::pageView_minimumPaneBreaksNoWord() {
    // At the narrowest the window allows, every word of every page, headings included, fits a line.
    createForm();
    const int width = m_form->Web1->minimumWidth();
    QDirIterator pages(programFolder() + u"Data"_s, {u"*.htm"_s}, QDir::Files, QDirIterator::Subdirectories);
    int checked = 0;
    PageView view;
    view.setDataFolder(programFolder() + u"Data"_s);
    view.resize(width, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    while (pages.hasNext()) {
        const QString path = pages.next();
        view.Navigate(path);
        QCoreApplication::processEvents();
        const QString broken = wordBrokenInside(view.document(), nullptr, false);
        QVERIFY2(broken.isEmpty(), qPrintable(path + u": "_s + broken));
        ++checked;
    }
    QVERIFY(checked > 200);
}

// --- Sizes -----------------------------------------------------------------------------------------------

void WindowTest::minimumSize_keepsEverySectionUsable_data() {
    QTest::addColumn<QString>("layout"); // zodiac, single, hidden then zodiac
    QTest::addColumn<int>("section");
    for (int section = 0; section < 11; ++section)
        QTest::addRow("zodiac, section %d open", section) << u"zodiac"_s << section;
    QTest::newRow("single page") << u"single"_s << 0;
    QTest::newRow("shrunk before the bar shows, then zodiac, last section") << u"hidden then zodiac"_s << 10;
}

void WindowTest::minimumSize_keepsEverySectionUsable() {
    QFETCH(QString, layout);
    QFETCH(int, section);
    createForm();
    BirthDate = encodeDate(1975, 8, 15);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    TButtonBar* bar = m_form->Buttons;
    const auto showLayout = [&] {
        if (layout == u"single") {
            m_form->N20Click();
        } else {
            m_form->N13Click();
            bar->setActiveSection(section);
            QCOMPARE(bar->ActiveSection(), section);
        }
    };
    if (layout != u"hidden then zodiac") showLayout();
    // As small as the window lets itself be made.
    m_form->resize(1, 1);
    QTRY_COMPARE(m_form->size(), m_form->minimumSize());
    QVERIFY(m_form->width() > 1 && m_form->height() > 1);
    if (layout == u"hidden then zodiac") {
        const QSize before = m_form->size();
        showLayout();
        // The window grows by the bar's own least width, and no more.
        QTRY_VERIFY(m_form->width() > before.width());
        QCOMPARE(m_form->height(), before.height());
    }
    QTRY_COMPARE(m_form->minimumSize(), m_form->minimumSizeHint());
    QTRY_COMPARE(m_form->size(), m_form->minimumSize());

    const QRect client = m_form->rect();
    const QRect barRect(bar->mapTo(m_form.get(), QPoint(0, 0)), bar->size());
    QVERIFY(!bar->isHidden());
    QVERIFY2(client.contains(barRect), qPrintable(u"bar %1x%2 at %3,%4"_s.arg(barRect.width())
                                                      .arg(barRect.height())
                                                      .arg(barRect.x())
                                                      .arg(barRect.y())));
    const TButtonBarGeometry g = TButtonBarInternals::barGeometry(*bar);
    const TButtonBarSection* open = bar->Sections()[bar->ActiveSection()];
    const int itemHeight = TButtonBarInternals::itemHeight(*bar, open);
    if (layout == u"single") {
        QCOMPARE(g.items.size(), 1);
        QVERIFY2(g.itemArea.contains(g.items[0]), "the single item is cut off");
    } else {
        for (int b = 0; b < int(g.buttons.size()); ++b) {
            QVERIFY2(g.inner.contains(g.buttons[b]), qPrintable(u"section button %1 is cut off"_s.arg(b)));
            QCOMPARE(g.buttons[b].height(), bar->SectionBtnSize());
            QCOMPARE(TButtonBarInternals::shownSectionCaption(*bar, b), bar->Sections()[b]->Caption());
            if (b > 0) QVERIFY(g.buttons[b].top() > g.buttons[b - 1].bottom());
        }
    }
    // Under the open section, room for at least one whole item.
    QVERIFY2(g.itemArea.height() >= itemHeight,
             qPrintable(u"item area %1 pixels, an item %2"_s.arg(g.itemArea.height()).arg(itemHeight)));
    // The page view keeps a size a page reads in.
    PageView* view = m_form->Web1;
    const QRect viewRect(view->mapTo(m_form.get(), QPoint(0, 0)), view->size());
    QVERIFY2(client.contains(viewRect),
             qPrintable(u"page view %1x%2 at %3,%4 in %5x%6"_s.arg(viewRect.width())
                            .arg(viewRect.height())
                            .arg(viewRect.x())
                            .arg(viewRect.y())
                            .arg(client.width())
                            .arg(client.height())));
    QVERIFY(view->width() >= view->minimumWidth() && view->height() >= view->minimumHeight());
    QVERIFY(view->width() >= 150 && view->height() >= 100);
    QVERIFY(!barRect.intersects(viewRect));
}

void WindowTest::itemCaptions_fitTheBar_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("command");  // the single-page command that shows it
    QTest::addColumn<int>("barWidth"); // 0: the default width
    QTest::addColumn<bool>("whole");   // no ellipsis expected
    const std::pair<const char*, int> systems[] = {{"Китайский гороскоп", 14},
                                                   {"Гороскоп Друидов", 15},
                                                   {"Зороастрийский гороскоп", 10},
                                                   {"Мифологический гороскоп", 20},
                                                   {"Нумерологический гороскоп", 17}};
    for (const auto& [caption, command] : systems) {
        QTest::addRow("%s, default width", caption) << QString::fromUtf8(caption) << command << 0 << true;
        // A single word longer than the line ends in an ellipsis there.
        QTest::addRow("%s, 150 pixels", caption) << QString::fromUtf8(caption) << command << 150 << false;
        // Narrower the splitter does not go: every word still whole.
        QTest::addRow("%s, narrowest bar", caption) << QString::fromUtf8(caption) << command << -1 << true;
    }
}

void WindowTest::itemCaptions_fitTheBar() {
    QFETCH(QString, caption);
    QFETCH(int, command);
    QFETCH(int, barWidth);
    QFETCH(bool, whole);
    createForm();
    BirthDate = encodeDate(1975, 8, 15);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    switch (command) {
    case 14:
        m_form->N14Click();
        break;
    case 15:
        m_form->N15Click();
        break;
    case 10:
        m_form->N10Click();
        break;
    case 20:
        m_form->N20Click();
        break;
    default:
        m_form->N17Click();
        break;
    }
    QCoreApplication::processEvents(); // the splitter gives the bar its place
    TButtonBar* bar = m_form->Buttons;
    QCOMPARE(bar->Sections()[0]->Items()[0]->Caption(), caption);
    // The designed 209 pixels, unless the captions need more with the fonts at hand.
    int width = kDesignedBarWidth;
    if (barWidth != 0) {
        width = barWidth > 0 ? barWidth : 1;
        m_form->Splitter1->setSizes({width, m_form->Splitter1->width() - width});
        QCoreApplication::processEvents();
    }
    QCOMPARE(bar->width(), std::max({width, bar->minimumWidth(), bar->minimumSizeHint().width()}));
    const QStringList lines = bar->itemCaptionLines(0);
    const QFontMetrics metrics(bar->font());
    const QString font = QFontInfo(bar->font()).family();
    const QString shown = lines.join(u" | "_s);
    const TButtonBarGeometry g = TButtonBarInternals::barGeometry(*bar);
    QVERIFY(lines.size() == 1 || lines.size() == 2);
    for (const QString& line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= g.items[0].width(),
                 qPrintable(u"\"%1\" is wider than the item in %2"_s.arg(line, font)));
    if (lines.size() == 2) QVERIFY(2 * metrics.height() <= g.items[0].height());
    // Drawn, a line is elided to the item's text width once more: a line said to fit must come through.
    const int textWidth = bar->width() - bar->widthForItemText(0);
    for (const QString& line : lines)
        QVERIFY2(metrics.elidedText(line, Qt::ElideRight, textWidth) == line,
                 qPrintable(u"\"%1\" would be drawn \"%2\""_s.arg(
                     line, metrics.elidedText(line, Qt::ElideRight, textWidth))));
    if (whole) {
        QVERIFY2(!shown.contains(u'…'),
                 qPrintable(u"\"%1\" in %2, %3 pixels"_s.arg(shown, font).arg(bar->width())));
        QCOMPARE(lines.join(u' '), caption);
    } else if (!shown.contains(u'…') && !lines.join(QString()).isEmpty()) {
        QCOMPARE(lines.join(u' '), caption);
    }
}

void WindowTest::itemCaptions_widthForItemText() {
    createForm();
    BirthDate = encodeDate(1975, 8, 15);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->N17Click();
    TButtonBar* bar = m_form->Buttons;
    const QString word = u"Нумерологический"_s;
    const int textWidth = int(std::ceil(QFontMetricsF(bar->font()).horizontalAdvance(word)));
    bar->Sections()[0]->Items()[0]->setCaption(word);
    // Exactly wide enough: the word on one line; a pixel less: it no longer fits whole.
    bar->setMinimumWidth(0);
    for (const int less : {0, 1}) {
        m_form->Splitter1->setSizes({bar->widthForItemText(textWidth) - less, 400});
        QCoreApplication::processEvents();
        QCOMPARE(bar->width(), bar->widthForItemText(textWidth) - less);
        QCOMPARE(bar->itemCaptionLines(0) == QStringList{word}, less == 0);
    }
}

void WindowTest::toolSeparator_isDrawn() {
    createForm();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    auto* separator = m_form->ToolBar1->findChild<QWidget*>(u"ToolSeparator"_s);
    QVERIFY(separator);
    QCOMPARE(separator->width(), 10);
    // Between Вперед and Настройки.
    QVERIFY(separator->x() > m_form->Tool7->geometry().right());
    QVERIFY(separator->geometry().right() < m_form->Tool8->x());
    // A line down its middle stands out from the tool bar's background at its edges.
    const QImage picture = separator->grab().toImage();
    const QColor edge(picture.pixel(0, picture.height() / 2));
    bool line = false;
    for (int x = 3; x <= 6; ++x)
        line = line || QColor(picture.pixel(x, picture.height() / 2)) != edge;
    QVERIFY(line);
}

void WindowTest::messageBox_isCentredAfterLayout_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("offCentreParent");
    QTest::newRow("short") << int(solvenna::ui::BoxKind::Message)
                           << u"Год рождения не должен быть меньше, чем 1910."_s << false;
    QTest::newRow("the six-line summary")
        << int(solvenna::ui::BoxKind::Message)
        << u"Анна, по знаку Зодиака Вы Лев (23.07 - 22.08)\n\rВашему году рождения (1975) по Китайскому "
           "гороскопу соответствует год Кота\n\rПо гороскопу Друидов Вашим деревом является Картас\n\rЧисло "
           "Вашего дня рождения - 9\n\rВ Зороастрийском гороскопе Вам соответствует год Паука\n\rПо "
           "Мифологическому гороскопу Вам соответствует Грифон"_s
        << false;
    QTest::newRow("one long line") << int(solvenna::ui::BoxKind::Message)
                                   << QString(u"очень длинный текст "_s).repeated(12) << false;
    QTest::newRow("error box") << int(solvenna::ui::BoxKind::Error)
                               << u"Unable to write to /nowhere/names.ini."_s << false;
    QTest::newRow("over a window in a corner") << int(solvenna::ui::BoxKind::Message) << u"Готово."_s << true;
}

void WindowTest::messageBox_isCentredAfterLayout() {
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(bool, offCentreParent);
    createForm();
    if (offCentreParent) {
        m_form->move(0, 0);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    const std::unique_ptr<QMessageBox> box = solvenna::ui::makeStandardBox(
        solvenna::ui::BoxKind(kind), u"solvenna"_s, text, offCentreParent ? m_form.get() : nullptr);
    QVERIFY(!box->isVisible());
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QCoreApplication::processEvents();
    const QRect screen = box->screen()->availableGeometry();
    const QPoint off = box->frameGeometry().center() - screen.center();
    QVERIFY2(std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1,
             qPrintable(u"%1, %2 pixels from the centre (box %3x%4)"_s.arg(off.x())
                            .arg(off.y())
                            .arg(box->width())
                            .arg(box->height())));
    QCOMPARE(box->text(), text);
    QCOMPARE(box->windowTitle(), u"solvenna"_s);
}

void WindowTest::messageBox_shownByTheService_isCentred() {
    m_services.reset(); // the real boxes
    // Over an active window in a corner: centred on that window would be off the screen's centre.
    createForm();
    m_form->move(0, 0);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTRY_COMPARE(QApplication::activeWindow(), m_form.get());
    QVERIFY(
        (m_form->frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center())
            .manhattanLength() > 100);
    QRect shown;
    QString seen;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown = box->frameGeometry();
        seen = box->text();
        box->accept();
    });
    timer.start(20);
    solvenna::ui::showMessage(u"Анна, по знаку Зодиака Вы Лев (23.07 - 22.08)"_s);
    timer.stop();
    QCOMPARE(seen, u"Анна, по знаку Зодиака Вы Лев (23.07 - 22.08)"_s);
    const QPoint off = shown.center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2(std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1,
             qPrintable(u"%1, %2 pixels from the centre"_s.arg(off.x()).arg(off.y())));
}

// --- The window's place across runs ---------------------------------------------------------------------

void WindowTest::restorePlacement_data() {
    QTest::addColumn<QByteArray>("window");
    QTest::addColumn<QRect>("expected"); // null: where a first start puts it; an empty size: the smallest
    const QRect first;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const auto place = [](int left, int top, int width, int height) {
        return QByteArray("Left=%1\r\nTop=%2\r\nWidth=%3\r\nHeight=%4\r\n")
            .replace("%1", QByteArray::number(left))
            .replace("%2", QByteArray::number(top))
            .replace("%3", QByteArray::number(width))
            .replace("%4", QByteArray::number(height));
    };
    QTest::newRow("no file") << QByteArray() << first;
    QTest::newRow("good") << place(20, 30, 700, 500) << QRect(20, 30, 700, 500);
    QTest::newRow("not a number") << QByteArray("Left=20\r\nTop=30\r\nWidth=wide\r\nHeight=500\r\n") << first;
    QTest::newRow("a key missing") << QByteArray("Left=20\r\nWidth=700\r\nHeight=500\r\n") << first;
    QTest::newRow("no size") << place(20, 30, 0, 0) << first;
    QTest::newRow("right of the screen") << place(area.right() + 100, 100, 700, 500) << first;
    QTest::newRow("below the screen") << place(20, area.bottom() + 100, 700, 500) << first;
    QTest::newRow("title above the screen") << place(20, area.top() - 200, 700, 500) << first;
    QTest::newRow("title at the bottom edge") << place(20, area.bottom() - 20, 700, 500) << first;
    QTest::newRow("a sliver left of the screen") << place(area.left() - 690, 100, 700, 500) << first;
    QTest::newRow("over the right edge: pulled in")
        << place(area.right() - 199, 100, 500, 400) << QRect(area.right() - 499, 100, 500, 400);
    QTest::newRow("larger than the screen: made to fit")
        << place(area.left(), area.top(), 3000, 2000) << area;
    QTest::newRow("smaller than the window can be") << place(20, 30, 50, 40) << QRect(20, 30, 1, 0);
}

void WindowTest::restorePlacement() {
    QFETCH(QByteArray, window);
    QFETCH(QRect, expected);
    // Where the window comes up without a stored place.
    QRect firstStart;
    {
        TForm1 reference;
        reference.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reference));
        firstStart = reference.geometry();
        Form1 = nullptr;
    }
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(firstStart));
    createForm();
    const QString ini = folder() + u"solvenna.ini"_s;
    if (!window.isEmpty()) QVERIFY(writeBytes(ini, "[main]\r\nStoreNames=1\r\n[window]\r\n" + window));
    m_form->restorePlacement(ini);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCoreApplication::processEvents();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    if (expected.isNull()) {
        QCOMPARE(m_form->geometry(), firstStart);
    } else if (expected.isEmpty()) {
        QCOMPARE(m_form->geometry(), QRect(expected.topLeft(), m_form->minimumSize()));
    } else if (expected == area) {
        // The screen's size; the window system may move it by its frame.
        QCOMPARE(m_form->size(), area.size());
        QVERIFY(area.contains(m_form->geometry().topLeft()));
    } else {
        QCOMPARE(m_form->geometry(), expected);
    }
    QVERIFY(!m_form->isMaximized());
    // Reading changed nothing in the file.
    QCOMPARE(testsupport::readBytes(ini),
             window.isEmpty() ? QByteArray() : "[main]\r\nStoreNames=1\r\n[window]\r\n" + window);
}

void WindowTest::restorePlacement_maximized() {
    createForm();
    const QString ini = folder() + u"solvenna.ini"_s;
    QVERIFY(writeBytes(ini, "[window]\r\nLeft=20\r\nTop=30\r\nWidth=500\r\nHeight=400\r\nMaximized=1\r\n"));
    m_form->restorePlacement(ini);
    QVERIFY(m_form->windowState().testFlag(Qt::WindowMaximized)); // before the first show: no jump
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QTRY_VERIFY(m_form->isMaximized());
    QTRY_COMPARE(m_form->frameGeometry(), QGuiApplication::primaryScreen()->availableGeometry());
    // Un-maximized, it goes back to the stored place.
    m_form->showNormal();
    QTRY_COMPARE(m_form->geometry(), QRect(20, 30, 500, 400));
}

void WindowTest::restorePlacement_sectionBarWidth_data() {
    QTest::addColumn<QByteArray>("stored");
    // The width asked for, which the bar's least width may raise; -1: as wide as the page view lets it be.
    QTest::addColumn<int>("expected");
    QTest::newRow("none stored") << QByteArray() << kDesignedBarWidth;
    QTest::newRow("wider") << QByteArray("SectionBarWidth=300\r\n") << 300;
    QTest::newRow("narrower") << QByteArray("SectionBarWidth=200\r\n") << 200;
    QTest::newRow("narrower than the bar's least width") << QByteArray("SectionBarWidth=100\r\n") << 100;
    QTest::newRow("narrower than the bar can be") << QByteArray("SectionBarWidth=10\r\n") << 10;
    QTest::newRow("wider than the window") << QByteArray("SectionBarWidth=5000\r\n") << -1;
    QTest::newRow("not a number") << QByteArray("SectionBarWidth=abc\r\n") << kDesignedBarWidth;
}

void WindowTest::restorePlacement_sectionBarWidth() {
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);
    createForm();
    const QString ini = folder() + u"solvenna.ini"_s;
    QVERIFY(writeBytes(ini, "[window]\r\nLeft=20\r\nTop=30\r\nWidth=700\r\nHeight=500\r\n" + stored));
    m_form->restorePlacement(ini);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    // The bar shows only with the first horoscope; it comes as wide as it was.
    BirthDate = encodeDate(1975, 8, 15);
    QVERIFY(m_form->Buttons->isHidden());
    m_form->N13Click();
    QCoreApplication::processEvents();
    PageView* view = m_form->Web1;
    TButtonBar* bar = m_form->Buttons;
    const int least = std::max(bar->minimumWidth(), bar->minimumSizeHint().width());
    QVERIFY(least > 10);
    if (expected < 0) {
        QVERIFY(bar->width() > std::max(kDesignedBarWidth, least));
        QCOMPARE(view->width(), view->minimumWidth());
    } else {
        QCOMPARE(bar->width(), std::max(expected, least));
    }
    QCOMPARE(m_form->Buttons->width() + m_form->Splitter1->handleWidth() + m_form->Panel2->width(),
             m_form->Splitter1->width());
}

void WindowTest::placement_savedAtCloseAndRestored_data() {
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<bool>("barShown");
    QTest::newRow("normal, bar shown") << false << true;
    QTest::newRow("normal, no horoscope asked for") << false << false;
    QTest::newRow("maximized, bar shown") << true << true;
}

void WindowTest::placement_savedAtCloseAndRestored() {
    QFETCH(bool, maximized);
    QFETCH(bool, barShown);
    const QString ini = folder() + u"solvenna.ini"_s;
    const QByteArray settings = "[main]\r\nStoreNames=0\r\nShowHints=1\r\nSoftScroll=0\r\nScrollDelay=35\r\n"
                                "AutoDelay=0\r\n";
    // The bar's width of an earlier run.
    QVERIFY(writeBytes(ini, settings + "[window]\r\nSectionBarWidth=240\r\n"));
    createForm();
    m_form->restorePlacement(ini);
    m_form->setGeometry(40, 50, 660, 470);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    BirthDate = encodeDate(1975, 8, 15);
    if (barShown) {
        m_form->N13Click();
        QCoreApplication::processEvents();
        m_form->Splitter1->setSizes({260, m_form->Splitter1->width() - 260 - 5});
        QCoreApplication::processEvents();
        QCOMPARE(m_form->Buttons->width(), 260);
    }
    if (maximized) {
        m_form->showMaximized();
        QTRY_VERIFY(m_form->isMaximized());
    }
    QCOMPARE(testsupport::readBytes(ini),
             settings + "[window]\r\nSectionBarWidth=240\r\n"); // nothing before the close
    QVERIFY(m_form->close());

    const QByteArray written = testsupport::readBytes(ini);
    // The five settings stay as they were, byte for byte, ahead of the window's own section.
    QVERIFY2(written.startsWith(settings + "[window]\r\n"), written.constData());
    IniFile file(ini);
    QCOMPARE(file.readInteger(u"window"_s, u"Left"_s, -1), 40);
    QCOMPARE(file.readInteger(u"window"_s, u"Top"_s, -1), 50);
    QCOMPARE(file.readInteger(u"window"_s, u"Width"_s, -1), 660);
    QCOMPARE(file.readInteger(u"window"_s, u"Height"_s, -1), 470);
    QCOMPARE(file.readBool(u"window"_s, u"Maximized"_s, !maximized), maximized);
    // A bar that never showed leaves the earlier width as it was.
    QCOMPARE(file.readInteger(u"window"_s, u"SectionBarWidth"_s, -1), barShown ? 260 : 240);

    // The next run comes up the same.
    m_form.reset();
    createForm();
    m_form->restorePlacement(ini);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QTRY_COMPARE(m_form->isMaximized(), maximized);
    if (maximized) m_form->showNormal();
    QTRY_COMPARE(m_form->geometry(), QRect(40, 50, 660, 470));
    m_form->N13Click();
    QCoreApplication::processEvents();
    QCOMPARE(m_form->Buttons->width(), barShown ? 260 : 240);
}

// --- Colours ---------------------------------------------------------------------------------------------

void WindowTest::contrastRatio_data() {
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("white on black") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
    QTest::newRow("white on white") << QColor(Qt::white) << QColor(Qt::white) << 1.0;
    QTest::newRow("#777 on white, just below AA") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.48;
    QTest::newRow("#767676 on white, just above AA") << QColor(0x76, 0x76, 0x76) << QColor(Qt::white) << 4.54;
    QTest::newRow("red on white") << QColor(Qt::red) << QColor(Qt::white) << 4.00;
    QTest::newRow("navy on white") << QColor(0, 0, 128) << QColor(Qt::white) << 16.01;
    QTest::newRow("blue on white") << QColor(0, 0, 255) << QColor(Qt::white) << 8.59;
    QTest::newRow("navy on Adwaita dark") << QColor(0, 0, 128) << QColor(0x35, 0x35, 0x35) << 1.31;
}

void WindowTest::contrastRatio() {
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY2(std::abs(solvenna::ui::contrastRatio(a, b) - ratio) < 0.006 * ratio,
             qPrintable(QString::number(solvenna::ui::contrastRatio(a, b), 'f', 4)));
    QCOMPARE(solvenna::ui::contrastRatio(a, b), solvenna::ui::contrastRatio(b, a));
}

void WindowTest::readableColour_data() {
    QTest::addColumn<QColor>("designed");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QString>("expected"); // same, lighter, darker
    QTest::newRow("navy on the light window") << QColor(0, 0, 128) << QColor(0xef, 0xef, 0xef) << u"same"_s;
    QTest::newRow("blue on the light window") << QColor(0, 0, 255) << QColor(0xef, 0xef, 0xef) << u"same"_s;
    QTest::newRow("frame blue on the light window")
        << QColor(0, 83, 208) << QColor(0xef, 0xef, 0xef) << u"same"_s;
    QTest::newRow("navy on Adwaita dark") << QColor(0, 0, 128) << QColor(0x35, 0x35, 0x35) << u"lighter"_s;
    QTest::newRow("blue on Adwaita dark") << QColor(0, 0, 255) << QColor(0x35, 0x35, 0x35) << u"lighter"_s;
    QTest::newRow("frame blue on black") << QColor(0, 83, 208) << QColor(Qt::black) << u"lighter"_s;
    QTest::newRow("navy on mid grey") << QColor(0, 0, 128) << QColor(0x76, 0x76, 0x76) << u"darker"_s;
    QTest::newRow("#777 on white") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << u"darker"_s;
    QTest::newRow("yellow on white") << QColor(Qt::yellow) << QColor(Qt::white) << u"darker"_s;
    QTest::newRow("a deep blue highlight on black")
        << QColor(0x15, 0x53, 0x9e) << QColor(Qt::black) << u"lighter"_s;
}

void WindowTest::readableColour() {
    QFETCH(QColor, designed);
    QFETCH(QColor, background);
    QFETCH(QString, expected);
    const QColor result = solvenna::ui::readableColour(designed, background);
    const double ratio = solvenna::ui::contrastRatio(result, background);
    QVERIFY2(ratio >= 4.5, qPrintable(u"%1: %2"_s.arg(describe(result)).arg(ratio)));
    if (expected == u"same") {
        QCOMPARE(result, designed);
        return;
    }
    QVERIFY(solvenna::ui::contrastRatio(designed, background) < 4.5);
    const QColor d = designed.toHsl();
    const QColor r = result.toHsl();
    if (expected == u"lighter")
        QVERIFY2(r.lightnessF() > d.lightnessF(), qPrintable(describe(result)));
    else
        QVERIFY2(r.lightnessF() < d.lightnessF(), qPrintable(describe(result)));
    // The same hue, where the colour has one (a grey has none).
    if (d.hslSaturationF() > 0.05 && r.hslSaturationF() > 0.05) {
        const int turn = std::abs(r.hslHue() - d.hslHue());
        QVERIFY2(std::min(turn, 360 - turn) <= 3,
                 qPrintable(u"hue %1 became %2"_s.arg(d.hslHue()).arg(r.hslHue())));
    }
    // The nearest shade that reads: a step back towards the designed colour does not.
    const double step = expected == u"lighter" ? -0.02 : 0.02;
    const QColor nearer = QColor::fromHslF(r.hslHueF(), r.hslSaturationF(),
                                           std::clamp(r.lightnessF() + float(step), 0.0f, 1.0f));
    QVERIFY2(solvenna::ui::contrastRatio(nearer, background) < 4.5, qPrintable(describe(result)));
}

void WindowTest::windowsReadable_data() {
    QTest::addColumn<QString>("palette");
    QTest::addColumn<QString>("switchTo"); // a palette the desktop switches to after the windows are built
    QTest::addColumn<QString>("window");
    const QStringList windows{u"main window"_s,   u"personal data"_s,  u"settings"_s,        u"about box"_s,
                              u"compatibility"_s, u"overflow arrow"_s, u"check box frames"_s};
    for (const QString& palette : {u"light"_s, u"Adwaita dark"_s, u"black"_s, u"mid grey"_s})
        for (const QString& window : windows)
            QTest::addRow("%s, %s", qPrintable(palette), qPrintable(window))
                << palette << QString() << window;
    for (const QString& window : windows) {
        QTest::addRow("light, then dark, %s", qPrintable(window))
            << u"light"_s << u"Adwaita dark"_s << window;
        QTest::addRow("dark, then light, %s", qPrintable(window))
            << u"Adwaita dark"_s << u"light"_s << window;
    }
}

void WindowTest::windowsReadable() {
    QFETCH(QString, palette);
    QFETCH(QString, switchTo);
    QFETCH(QString, window);
    PaletteScope scope(namedPalette(palette));
    createWindows();
    QWidget* shown = nullptr;
    if (window == u"overflow arrow") {
        // The narrowest window hides the last tool buttons behind the bar's overflow button.
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->resize(m_form->minimumSize());
        if (!switchTo.isEmpty()) QApplication::setPalette(namedPalette(switchTo));
        QCoreApplication::processEvents();
        auto* overflow = m_form->ToolBar1->findChild<QToolButton*>(u"qt_toolbar_ext_button"_s);
        QTRY_VERIFY(overflow && overflow->isVisible());
        // Grabbed from the window, which paints what lies behind the button.
        const QImage arrow =
            m_form->grab(QRect(overflow->mapTo(m_form.get(), QPoint(0, 0)), overflow->size())).toImage();
        const auto [ink, paper] = inkAndPaper(arrow);
        QVERIFY2(solvenna::ui::contrastRatio(ink, paper) >= solvenna::ui::kMinimumGraphicContrast,
                 qPrintable(u"arrow %1 on %2"_s.arg(describe(ink), describe(paper))));
        return;
    }
    if (window == u"check box frames") {
        m_person->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_person));
        if (!switchTo.isEmpty()) QApplication::setPalette(namedPalette(switchTo));
        QCoreApplication::processEvents();
        const QList<QCheckBox*> boxes = m_person->findChildren<QCheckBox*>();
        QVERIFY(!boxes.isEmpty());
        for (QCheckBox* box : boxes) {
            QStyleOptionButton option;
            option.initFrom(box);
            const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
            const QImage picture =
                m_person->grab(QRect(box->mapTo(m_person, indicator.topLeft()), indicator.size())).toImage();
            // The frame's left edge, half-way down, against the window behind the box.
            const QColor frame(picture.pixel(0, picture.height() / 2));
            const QColor behind = backgroundOf(box, QPalette::Active);
            QVERIFY2(solvenna::ui::contrastRatio(frame, behind) >= solvenna::ui::kMinimumGraphicContrast,
                     qPrintable(u"%1: frame %2 on %3"_s.arg(box->text(), describe(frame), describe(behind))));
        }
        return;
    }
    if (window == u"main window") {
        m_form->FindBar->show(); // the find bar's labels too
        shown = m_form.get();
    } else if (window == u"personal data") {
        shown = m_person;
    } else if (window == u"settings") {
        m_setup->Check4->setChecked(false); // the scroll delay's label enabled
        shown = m_setup;
    } else if (window == u"about box") {
        AboutBox->ensureControls();
        shown = AboutBox;
    } else {
        auto* compatibility = new TCompatibilityDialog(m_form.get());
        compatibility->prepare(u"Анна"_s, encodeDate(1975, 8, 15), {});
        shown = compatibility;
    }
    if (!switchTo.isEmpty()) QApplication::setPalette(namedPalette(switchTo));
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QCoreApplication::processEvents();
    checkWindowContrast(shown, palette + (switchTo.isEmpty() ? QString() : u" then "_s + switchTo));
    if (window == u"settings") {
        // The group's frame and title: the designed blue where it reads, a lighter one where it would not.
        QGroupBox* group = static_cast<TSetupFrm*>(shown)->XPGroupBox1;
        const QColor frame = pixelAt(group, QPoint(0, group->height() / 2));
        const QColor window = group->palette().color(QPalette::Window);
        QVERIFY2(solvenna::ui::contrastRatio(frame, window) >= 4.5,
                 qPrintable(u"frame %1 on %2"_s.arg(describe(frame), describe(window))));
    }
}

void WindowTest::lightPalette_keepsTheDesignedColours() {
    PaletteScope scope(lightPalette());
    createWindows();
    TForm2* person = m_person;
    TSetupFrm* setup = m_setup;
    person->show();
    setup->show();
    QVERIFY(QTest::qWaitForWindowExposed(person));
    QVERIFY(QTest::qWaitForWindowExposed(setup));
    const QColor navy(0, 0, 128);
    for (QLabel* label : {person->XPLabel1, person->XPLabel3, person->XPLabel4, person->XPLabel2}) {
        QCOMPARE(label->palette().color(QPalette::WindowText), navy);
        QCOMPARE(inkAndPaper(label->grab().toImage()).first, navy);
    }
    QCOMPARE(person->Label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(inkAndPaper(person->Label1->grab().toImage()).first, QColor(0, 0, 255));
    QGroupBox* group = setup->XPGroupBox1;
    QCOMPARE(pixelAt(group, QPoint(0, group->height() / 2)), QColor(0, 83, 208));
}

void WindowTest::nightMode_followsThePaletteIsKeptAndReads_data() {
    QTest::addColumn<QString>("palette");
    QTest::addColumn<bool>("dark");
    QTest::newRow("light desktop") << u"light"_s << false;
    QTest::newRow("Adwaita dark desktop") << u"Adwaita dark"_s << true;
}

void WindowTest::nightMode_followsThePaletteIsKeptAndReads() {
    QFETCH(QString, palette);
    QFETCH(bool, dark);
    PaletteScope scope(namedPalette(palette));
    createWindowsWithAnna();
    PageView* view = m_form->Web1;
    const QString ini = folder() + u"solvenna.ini"_s;
    // By default as the desktop is, and nothing stored for it.
    QCOMPARE(view->nightMode(), dark);
    QCOMPARE(m_form->NightItem->isChecked(), dark);
    QVERIFY(!testsupport::readBytes(ini).contains("NightMode"));
    // The View item toggles it, and the choice is kept.
    m_form->NightItem->trigger();
    QCOMPARE(view->nightMode(), !dark);
    QCOMPARE(m_form->NightItem->isChecked(), !dark);
    QVERIFY(testsupport::readBytes(ini).contains(dark ? "NightMode=0" : "NightMode=1"));
    if (dark) m_form->NightItem->trigger();
    QVERIFY(view->nightMode());

    // Every text of a page with headings and of the generated compatibility page, links included, reads on
    // the night sheet, and so does what is drawn.
    m_form->resize(800, 600);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    for (const QString& page : {u"zodiac"_s, u"compatibility"_s}) {
        if (page == u"zodiac")
            m_form->LoadFile(m_form->Folders.ZodiacFolder + u"lion/element.htm"_s);
        else
            m_form->showCompatibility(u"Ольга"_s, encodeDate(1980, 3, 3));
        QCoreApplication::processEvents();
        const QTextDocument* document = view->document();
        const QColor sheet = document->rootFrame()->frameFormat().background().color();
        int texts = 0;
        bool links = false;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                const QColor text = format.hasProperty(QTextFormat::ForegroundBrush)
                                        ? format.foreground().color()
                                        : view->palette().color(QPalette::Text);
                links = links || format.isAnchor();
                ++texts;
                QVERIFY2(solvenna::ui::contrastRatio(text, sheet) >= 4.5,
                         qPrintable(u"%1: \"%2\" is %3 on %4"_s.arg(page, it.fragment().text().left(30),
                                                                    describe(text), describe(sheet))));
            }
        QVERIFY(texts > 5);
        QCOMPARE(links, page == u"compatibility");
        const auto [ink, paper] = inkAndPaper(view->viewport()->grab().toImage());
        QVERIFY2(solvenna::ui::relativeLuminance(paper) < 0.05, qPrintable(describe(paper)));
        QVERIFY2(solvenna::ui::contrastRatio(ink, paper) >= 4.5,
                 qPrintable(describe(ink) + u" on "_s + describe(paper)));
    }

    // Paper stays black on white.
    m_form->LoadFile(m_form->Folders.ZodiacFolder + u"lion/element.htm"_s);
    m_services->saveAnswer = folder() + u"night.pdf"_s;
    m_form->SavePagePdfItem->trigger();
    QProcess render;
    render.start(u"pdftoppm"_s, {u"-r"_s, u"40"_s, u"-png"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s,
                                 m_services->saveAnswer, folder() + u"night"_s});
    QVERIFY(render.waitForFinished(20000));
    const QImage printed(folder() + u"night-1.png"_s);
    QVERIFY2(!printed.isNull(), render.readAllStandardError().constData());
    const auto [ink, paper] = inkAndPaper(printed);
    QCOMPARE(paper, QColor(Qt::white));
    QVERIFY2(solvenna::ui::contrastRatio(ink, paper) >= 15, qPrintable(describe(ink)));

    // The stored choice outweighs the desktop's palette in the next run.
    endTest();
    init();
    QVERIFY(writeBytes(folder() + u"solvenna.ini"_s,
                       dark ? "[main]\r\nNightMode=0\r\n" : "[main]\r\nNightMode=1\r\n"));
    createWindowsWithAnna();
    QCOMPARE(m_form->Web1->nightMode(), !dark);
    QCOMPARE(m_form->NightItem->isChecked(), !dark);
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
