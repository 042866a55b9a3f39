#include "main.h"

#include "about.h"
#include "compatibilitydialog.h"
#include "core/caption.h"
#include "core/compatibility.h"
#include "core/datetext.h"
#include "core/inifile.h"
#include "core/messages.h"
#include "core/pagezoom.h"
#include "core/signs.h"
#include "core/summary.h"
#include "desktopintegration.h"
#include "findbar.h"
#include "fontwarmup.h"
#include "icons.h"
#include "pageview.h"
#include "printing.h"
#include "services.h"
#include "setup.h"
#include "style.h"
#include "whoim.h"
#include "widgets.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QFileInfo>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <cstring>
#include <utility>

using namespace Qt::Literals::StringLiterals;
using solvenna::HoroscopeSystem;
using solvenna::ui::connectGuarded;
using solvenna::ui::guarded;
using solvenna::ui::guardedHandler;

TForm1* Form1 = nullptr;

namespace {

QIcon icon(int index) {
    return solvenna::ui::programIcon(QString::number(index));
}

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

namespace {

// The six systems' commands, in the order of HoroscopeSystem (checked below): the main-menu item of the
// "Выдать гороскоп" submenu with its shortcut and handler, its twin in the Гороскоп button's menu, and the
// page loader of a single-page system. Names, captions and pages are the core's table of the same order.
struct SystemCommand {
    HoroscopeSystem system;
    QAction* TForm1::*mainItem;
    const char16_t* mainName;
    int key;
    void (TForm1::*mainHandler)(QObject*);
    QAction* TForm1::*popupItem;
    const char16_t* popupName;
    void (TForm1::*popupHandler)();
    void (TForm1::*loader)(); // none for the zodiac, whose pages are its topics
};
constexpr SystemCommand kSystemCommands[] = {
    {HoroscopeSystem::Zodiac, &TForm1::N13, u"N13", Qt::Key_Z, &TForm1::N13Click, &TForm1::N18, u"N18",
     &TForm1::N18Click, nullptr},
    {HoroscopeSystem::Chinese, &TForm1::N14, u"N14", Qt::Key_K, &TForm1::N14Click, &TForm1::N19, u"N19",
     &TForm1::N19Click, &TForm1::LoadChinese},
    {HoroscopeSystem::Druid, &TForm1::N15, u"N15", Qt::Key_D, &TForm1::N15Click, &TForm1::N21, u"N21",
     &TForm1::N21Click, &TForm1::LoadDruidean},
    {HoroscopeSystem::Zoroastrian, &TForm1::N10, u"N10", Qt::Key_A, &TForm1::N10Click, &TForm1::N22, u"N22",
     &TForm1::N22Click, &TForm1::LoadZoroastrian},
    {HoroscopeSystem::Mythological, &TForm1::N20, u"N20", Qt::Key_M, &TForm1::N20Click, &TForm1::N23, u"N23",
     &TForm1::N23Click, &TForm1::LoadMyphologic},
    {HoroscopeSystem::Numerological, &TForm1::N17, u"N17", Qt::Key_N, &TForm1::N17Click, &TForm1::N24, u"N24",
     &TForm1::N24Click, &TForm1::LoadNumeric},
};

constexpr bool commandsInSystemOrder() {
    if (std::size(kSystemCommands) != std::size_t(solvenna::kSystemCount)) return false;
    for (std::size_t i = 0; i < std::size(kSystemCommands); ++i)
        if (kSystemCommands[i].system != HoroscopeSystem(i)) return false;
    return true;
}
static_assert(commandsInSystemOrder(), "every system's commands stand at the system's own index");

const SystemCommand& commandsOf(HoroscopeSystem system) {
    return kSystemCommands[std::size_t(system)];
}

QToolButton* makeToolButton(QToolBar* bar, const QString& name, const QString& caption, int iconIndex,
                            const QString& hint) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(icon(iconIndex));
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumHeight(36);
    button->setToolTip(hint);
    button->setAccessibleName(caption);
    button->setFocusPolicy(Qt::TabFocus);
    bar->addWidget(button);
    return button;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(u"Form1"_s);
    setWindowTitle(solvenna::programCaption());
    setWindowIcon(solvenna::ui::windowIcon());
    resize(644, 430);

    createActions();
    createToolBar();
    createSectionBar();

    // Text is measured only once the font configuration is read.
    solvenna::ui::finishReadingFontConfiguration();
    // However far the splitter narrows the bar, the single item's caption keeps each word whole: it wraps
    // between words instead, and a narrower bar would leave the item blank.
    int widestWord = 0;
    for (const HoroscopeSystem system :
         {HoroscopeSystem::Chinese, HoroscopeSystem::Druid, HoroscopeSystem::Zoroastrian,
          HoroscopeSystem::Mythological, HoroscopeSystem::Numerological})
        for (const QString& word : solvenna::systemCaption(system).split(u' '))
            widestWord =
                std::max(widestWord, int(std::ceil(QFontMetricsF(Buttons->font()).horizontalAdvance(word))));
    Buttons->setMinimumWidth(std::max(60, Buttons->widthForItemText(widestWord)));

    Panel2 = new QFrame;
    Panel2->setObjectName(u"Panel2"_s);
    Web1 = new PageView(Panel2);
    Web1->setObjectName(u"Web1"_s);
    // Small enough for a small screen, large enough that a page still reads as one.
    Web1->setMinimumSize(200, 120);
    auto* panelLayout = new QVBoxLayout(Panel2);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(Web1);
    FindBar = new TFindBar(Web1, Panel2);
    panelLayout->addWidget(FindBar);
    m_viewer = Web1;
    Web1->setContextActions({PrintItem, PreviewItem, SavePagePdfItem});
    // Another page: the find bar closes and forgets its matches.
    connectGuarded(Web1, &QTextBrowser::sourceChanged, FindBar, [this] {
        if (!FindBar->isHidden()) FindBar->close();
    });
    connectGuarded(Web1, &PageView::zoomRequested, this, [this](int direction) {
        setPageZoom(direction > 0 ? solvenna::zoomIn(Web1->zoom()) : solvenna::zoomOut(Web1->zoom()));
    });

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName(u"Splitter1"_s);
    Splitter1->setHandleWidth(5);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(Buttons);
    Splitter1->addWidget(Panel2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({209, 644 - 209});
    setCentralWidget(Splitter1);
    // The window never gets so low that a section button or the open section's items are cut off, even
    // while the bar is hidden or shows a single item: the zodiac layout is the tallest.
    Splitter1->setMinimumHeight(Buttons->minimumSizeHint().height());

    // The tool bar's captions must all show: with today's fonts the designed width may be too narrow.
    resize(std::max(width(), ToolBar1->sizeHint().width() + 8), height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - frameGeometry().center());

    // The calculators' own refusals appear in the standard message box.
    solvenna::setMessageHook(solvenna::ui::showMessage);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connectGuarded(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1->start();

    qApp->installEventFilter(this);
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::createActions() {
    const auto action = [this](QMenu* menu, const QString& name, const QString& caption, auto handler) {
        auto* a = menu->addAction(caption);
        a->setObjectName(name);
        connectGuarded(a, &QAction::triggered, this, handler);
        return a;
    };

    N1 = menuBar()->addMenu(u"&Гороскоп"_s);
    N1->setObjectName(u"N1"_s);
    N12 = action(N1, u"N12"_s, u"Ввести личные данные"_s, &TForm1::N12Click);
    N12->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    N12->setIcon(icon(0));
    N12->setToolTip(u"Ввести личные данные:"_s);
    N1->addSeparator()->setObjectName(u"N16"_s);
    N4 = action(N1, u"N4"_s, u"Общая информация"_s, &TForm1::N4Click);
    N4->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    N4->setIcon(icon(1));
    N7 = N1->addMenu(icon(2), u"Выдать гороскоп"_s);
    N7->setObjectName(u"N7"_s);
    N7->menuAction()->setObjectName(u"N7Action"_s);

    // A shortcut acts only while its item and every item above it are enabled; Qt would fire the
    // shortcut of an action inside a disabled submenu, so the horoscope items check that first.
    const auto horoscope = [this](QMenu* menu, const QString& name, const QString& caption, int key,
                                  void (TForm1::*handler)(QObject*)) {
        auto* a = menu->addAction(caption);
        a->setObjectName(name);
        a->setCheckable(true);
        if (key) a->setShortcut(QKeySequence(Qt::CTRL | key));
        a->installEventFilter(this);
        connectGuarded(a, &QAction::triggered, this, [this, a, handler] { (this->*handler)(a); });
        return a;
    };
    m_mainGroup = new QActionGroup(this);
    m_mainGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const SystemCommand& command : kSystemCommands) {
        QAction* item = horoscope(N7, QString::fromUtf16(command.mainName),
                                  solvenna::systemMenuName(command.system), command.key, command.mainHandler);
        this->*command.mainItem = item;
        m_mainGroup->addAction(item);
    }

    CompatibilityItem =
        action(N1, u"CompatibilityItem"_s, u"Совместимость..."_s, &TForm1::compatibilityClick);
    CompatibilityItem->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    CompatibilityItem->setIcon(icon(2));
    CompatibilityItem->setToolTip(
        u"Совместимость с партнёром:\nпо знакам Зодиака и по китайскому гороскопу"_s);
    CompatibilityItem->setEnabled(false);
    N1->addSeparator();
    PrintItem = action(N1, u"PrintItem"_s, u"Печать..."_s, &TForm1::printPage);
    PrintItem->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    PreviewItem = action(N1, u"PreviewItem"_s, u"Предварительный просмотр..."_s, &TForm1::previewPage);
    SavePagePdfItem =
        action(N1, u"SavePagePdfItem"_s, u"Сохранить страницу в PDF..."_s, &TForm1::savePagePdf);
    SavePagePdfItem->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    SaveHoroscopePdfItem = action(N1, u"SaveHoroscopePdfItem"_s, u"Сохранить весь гороскоп в PDF..."_s,
                                  &TForm1::saveHoroscopePdf);
    SaveHoroscopePdfItem->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    for (QAction* a : {PrintItem, PreviewItem, SavePagePdfItem, SaveHoroscopePdfItem})
        a->setEnabled(false);
    N1->addSeparator()->setObjectName(u"N5"_s);
    N6 = action(N1, u"N6"_s, u"Выход"_s, &TForm1::N6Click);
    N6->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    N6->setIcon(icon(3));

    N2 = menuBar()->addMenu(u"&Вид"_s);
    N2->setObjectName(u"N2"_s);
    // Qt toggles a checkable item before reporting it; the handlers do the toggling themselves, as they
    // are also called directly.
    N8 = action(N2, u"N8"_s, u"Показывать подсказки"_s, [this] {
        N8->toggle();
        N8Click();
    });
    N8->setCheckable(true);
    N9 = action(N2, u"N9"_s, u"Плавная прокрутка"_s, [this] {
        N9->toggle();
        N9Click();
    });
    N9->setCheckable(true);
    N9->setChecked(true);
    N2->addSeparator()->setObjectName(u"N25"_s);
    N26 = action(N2, u"N26"_s, u"Настройки..."_s, &TForm1::N26Click);
    N26->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    N26->setIcon(icon(9));
    N2->addSeparator();
    FindItem = action(N2, u"FindItem"_s, u"Найти на странице..."_s, &TForm1::findInPage);
    FindItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    N2->addSeparator();
    ZoomInItem =
        action(N2, u"ZoomInItem"_s, u"Крупнее"_s, [this] { setPageZoom(solvenna::zoomIn(Web1->zoom())); });
    ZoomInItem->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ZoomOutItem =
        action(N2, u"ZoomOutItem"_s, u"Мельче"_s, [this] { setPageZoom(solvenna::zoomOut(Web1->zoom())); });
    ZoomOutItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    ZoomNormalItem =
        action(N2, u"ZoomNormalItem"_s, u"Обычный размер"_s, [this] { setPageZoom(solvenna::kNormalZoom); });
    ZoomNormalItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));

    N3 = menuBar()->addMenu(u"&Справка"_s);
    N3->setObjectName(u"N3"_s);
    N11 = action(N3, u"N11"_s, u"О программе..."_s, &TForm1::N11Click);
    N11->setIcon(icon(4));

    PMenu1 = new QMenu(this);
    PMenu1->setObjectName(u"PMenu1"_s);
    const auto popup = [this](const QString& name, const QString& caption, void (TForm1::*handler)()) {
        auto* a = PMenu1->addAction(caption);
        a->setObjectName(name);
        a->setCheckable(true);
        connectGuarded(a, &QAction::triggered, this, handler);
        return a;
    };
    m_popupGroup = new QActionGroup(this);
    m_popupGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const SystemCommand& command : kSystemCommands) {
        QAction* item = popup(QString::fromUtf16(command.popupName), solvenna::systemMenuName(command.system),
                              command.popupHandler);
        this->*command.popupItem = item;
        m_popupGroup->addAction(item);
    }

    // The shortcuts also act while the settings dialog, which is not modal, is the active window; a modal
    // window still blocks them.
    for (QAction* a : findChildren<QAction*>())
        if (!a->shortcut().isEmpty()) a->setShortcutContext(Qt::ApplicationShortcut);
}

void TForm1::createToolBar() {
    ToolBar1 = addToolBar(u"Панель инструментов"_s);
    ToolBar1->setObjectName(u"ToolBar1"_s);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setMinimumHeight(38);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->toggleViewAction()->setVisible(false);
    // The overflow button appears only when the window is too narrow; a screen reader still lists it.
    if (auto* overflow = ToolBar1->findChild<QToolButton*>(u"qt_toolbar_ext_button"_s))
        overflow->setAccessibleName(u"Другие кнопки"_s);

    Tool1 = makeToolButton(ToolBar1, u"Tool1"_s, u"Личные данные"_s, 0,
                           u"Ввести/изменить личные данные:\nимя и дату рождения"_s);
    Tool2 = makeToolButton(ToolBar1, u"Tool2"_s, u"Информация"_s, 1,
                           u"Вывести общую информацию:\nзнак Зодиака, число рождения и др."_s);
    Tool3 = makeToolButton(ToolBar1, u"Tool3"_s, u"Гороскоп"_s, 2,
                           u"Вывести гороскоп:\nнажмите кнопку со стрелкой для \nвыбора нужного гороскопа"_s);
    Tool3->setMenu(PMenu1);
    Tool3->setPopupMode(QToolButton::MenuButtonPopup);
    Tool6 = makeToolButton(ToolBar1, u"Tool6"_s, u"Назад"_s, 5,
                           u"Перейти на предыдущий гороскоп \n(по Зодиаку)"_s);
    Tool7 = makeToolButton(ToolBar1, u"Tool7"_s, u"Вперед"_s, 6,
                           u"Перейти на следующий гороскоп \n(по Зодиаку)"_s);
    auto* gap = new QFrame(ToolBar1);
    gap->setObjectName(u"ToolSeparator"_s);
    gap->setFrameShape(QFrame::VLine);
    gap->setFrameShadow(QFrame::Sunken);
    gap->setFixedWidth(10);
    ToolBar1->addWidget(gap);
    Tool8 = makeToolButton(ToolBar1, u"Tool8"_s, u"Настройки"_s, 9,
                           u"Изменить настроки программы:\nподсказки, скорость прокрутки и др."_s);
    Tool4 =
        makeToolButton(ToolBar1, u"Tool4"_s, u"О программе..."_s, 4, u"Информация об авторе \nи программе"_s);
    Tool5 = makeToolButton(ToolBar1, u"Tool5"_s, u"Выход"_s, 3, u"Выход из программы"_s);

    connectGuarded(Tool1, &QToolButton::clicked, this, &TForm1::N12Click);
    connectGuarded(Tool2, &QToolButton::clicked, this, &TForm1::N4Click);
    connectGuarded(Tool3, &QToolButton::clicked, this, &TForm1::Tool3Click);
    connectGuarded(Tool6, &QToolButton::clicked, this, &TForm1::Tool6Click);
    connectGuarded(Tool7, &QToolButton::clicked, this, &TForm1::Tool7Click);
    connectGuarded(Tool8, &QToolButton::clicked, this, &TForm1::N26Click);
    connectGuarded(Tool4, &QToolButton::clicked, this, &TForm1::N11Click);
    connectGuarded(Tool5, &QToolButton::clicked, this, &TForm1::N6Click);
}

void TForm1::createSectionBar() {
    Buttons = new TButtonBar;
    Buttons->setObjectName(u"Buttons"_s);
    Buttons->setAccessibleName(u"Разделы гороскопа"_s);
    Buttons->resize(209, Buttons->height());
    Buttons->setSectionBtnSize(25);
    Buttons->setSmallItemHeight(30);
    Buttons->setScrollDelay(20);
    Buttons->setTransparentButtons(true);
    Buttons->setFillSelectedItem(false);
    Buttons->setCursor(Qt::PointingHandCursor);
    Buttons->setGradient(QColor(0, 91, 136), Qt::white, 236);
    Buttons->setBevelInner(TButtonBar::Bevel::Lowered);
    Buttons->setBevelOuter(TButtonBar::Bevel::Lowered);
    QFont barFont(u"Microsoft Sans Serif"_s);
    barFont.setPixelSize(11);
    Buttons->setFont(barFont);
    QFont sectionFont(u"Arial"_s);
    sectionFont.setPixelSize(13);
    for (int i = 0; i < solvenna::kTopicCount; ++i) {
        TButtonBarSection* section = Buttons->Sections().Add();
        section->setCaption(solvenna::topicCaption(i));
        section->setUseSmallImages(true);
        section->setFont(sectionFont);
        section->setCaptionColor(Qt::black);
        section->setFont3D({TextEffect3D::Style::Sunken, QColor(Qt::green), Qt::darkGray, 1}); // lime
        section->setCaptionAlignment(i == 0 ? Qt::AlignHCenter | Qt::AlignBottom
                                            : Qt::AlignLeft | Qt::AlignVCenter);
    }
    Buttons->OnSectionChanged = guardedHandler(this, &TForm1::ButtonsSectionChanged);
    Buttons->OnItemClick = guardedHandler(this, &TForm1::ButtonsItemClick);
    Buttons->hide();
}

void TForm1::FormCreate() {
    Folders = solvenna::Folders::forProgram(
        solvenna::folderOfProgram(QCoreApplication::applicationFilePath()), solvenna::ui::userConfigFolder());
    SignFolder.clear();
}

void TForm1::setPageViewer(PageViewer* viewer) {
    m_viewer = viewer ? viewer : Web1;
}

// --- Calculators ---------------------------------------------------------------------------------------

std::int32_t TForm1::GetSign(solvenna::Date date) const {
    return ::GetSign(date);
}
std::int32_t TForm1::GetTree(solvenna::Date date) const {
    return ::GetTree(date);
}
std::int32_t TForm1::GetAnimal_China(std::uint16_t year) const {
    return ::GetAnimal_China(year);
}
std::int32_t TForm1::GetBeast(std::uint16_t year) const {
    return ::GetBeast(year);
}
std::int32_t TForm1::GetCreature(solvenna::Date date) const {
    return ::GetCreature(date);
}
std::int32_t TForm1::GetNumber(solvenna::Date date) const {
    return ::GetNumber(date);
}
std::uint16_t TForm1::GetYear() const {
    return static_cast<std::uint16_t>(solvenna::decodeDate(BirthDate).year);
}

void TForm1::CollectInfo(std::uint16_t& year, std::int32_t& sign, std::int32_t& tree, std::int32_t& animal,
                         std::int32_t& totem, std::int32_t& creature, std::int32_t& number) const {
    ::CollectInfo(BirthDate, year, sign, tree, animal, totem, creature, number);
}

void TForm1::DecodeInfo(QString& yearText, QString& numberText, QString& signText, QString& treeText,
                        QString& animalText, QString& totemText, QString& creatureText) const {
    ::DecodeInfo(BirthDate, yearText, numberText, signText, treeText, animalText, totemText, creatureText);
}

// --- Enabling rule, page loading -----------------------------------------------------------------------

void TForm1::Timer1Timer() {
    const bool dateSet = solvenna::birthDateIsSet(BirthDate);
    N4->setEnabled(dateSet);
    Tool2->setEnabled(N4->isEnabled());
    N7->menuAction()->setEnabled(dateSet);
    N7->setEnabled(dateSet);
    Tool3->setEnabled(N7->menuAction()->isEnabled());
    const bool zodiacLayout = Tool2->isEnabled() && !Buttons->SingleSectionMode() && !Buttons->isHidden();
    Tool6->setEnabled(zodiacLayout);
    Tool7->setEnabled(zodiacLayout);
    const bool pageShown = !Web1->currentPage().isEmpty();
    for (QAction* a : {PrintItem, PreviewItem, SavePagePdfItem, FindItem})
        a->setEnabled(pageShown);
    SaveHoroscopePdfItem->setEnabled(dateSet);
    CompatibilityItem->setEnabled(dateSet);
}

void TForm1::LoadFile(const QString& fileName) {
    if (QFileInfo(fileName).isFile())
        m_viewer->Navigate(fileName);
    else if (const QString errorPage = Folders.errorPage(); QFileInfo(errorPage).isFile())
        m_viewer->Navigate(errorPage);
    else
        m_viewer->Quit();
}

// --- Commands -----------------------------------------------------------------------------------------

void TForm1::N12Click() {
    if (Form2) solvenna::ui::execModal(Form2);
}

void TForm1::N4Click() {
    solvenna::ui::showMessage(solvenna::summaryText(BirthDate, PersonName));
}

void TForm1::N6Click() {
    close();
}

void TForm1::N8Click() {
    N8->setChecked(!N8->isChecked());
    const bool on = N8->isChecked();
    if (SetupFrm) SetupFrm->Check2->setChecked(on);
    for (int i = 0; i < Buttons->Sections().Count(); ++i)
        Buttons->Sections()[i]->setShowHint(on);
}

void TForm1::N9Click() {
    N9->setChecked(!N9->isChecked());
    const bool on = N9->isChecked();
    if (SetupFrm) SetupFrm->Check3->setChecked(on);
    Buttons->setSoftScroll(on);
}

void TForm1::N26Click() {
    if (!SetupFrm) return;
    SetupFrm->show();
    SetupFrm->raise();
    SetupFrm->activateWindow();
}

void TForm1::N11Click() {
    if (AboutBox) solvenna::ui::execModal(AboutBox);
}

void TForm1::Tool3Click() {
    // From the keyboard the menu drops down under the button, as from its arrow; a mouse click pops it up
    // at the pointer.
    const bool byKeyboard = std::exchange(m_tool3ByKeyboard, false);
    PMenu1->popup(byKeyboard ? Tool3->mapToGlobal(QPoint(0, Tool3->height())) : QCursor::pos());
}

// --- Reading tools ---------------------------------------------------------------------------------------

void TForm1::printPage() {
    if (Web1->currentPage().isEmpty()) return;
    solvenna::ui::printPage(this, {Web1->currentPage(), Web1->generatedHtml(), Web1->generatedBase()},
                            solvenna::ui::footerText(PersonName, BirthDate));
}

void TForm1::previewPage() {
    if (Web1->currentPage().isEmpty()) return;
    solvenna::ui::previewPage(this, {Web1->currentPage(), Web1->generatedHtml(), Web1->generatedBase()},
                              solvenna::ui::footerText(PersonName, BirthDate));
}

void TForm1::savePagePdf() {
    if (Web1->currentPage().isEmpty()) return;
    const QString title = Web1->documentTitle();
    const QString path = solvenna::ui::askSaveFile(
        u"Сохранить страницу в PDF"_s,
        solvenna::ui::proposedPdfPath(PersonName, title.isEmpty() ? u"Гороскоп"_s : title),
        u"Документы PDF (*.pdf)"_s);
    if (path.isEmpty()) return;
    solvenna::ui::writePagePdf({Web1->currentPage(), Web1->generatedHtml(), Web1->generatedBase()},
                               solvenna::ui::footerText(PersonName, BirthDate), path);
}

void TForm1::saveHoroscopePdf() {
    if (!solvenna::birthDateIsSet(BirthDate)) return;
    const QString path = solvenna::ui::askSaveFile(
        u"Сохранить весь гороскоп в PDF"_s,
        solvenna::ui::proposedPdfPath(PersonName, u"Персональный гороскоп"_s), u"Документы PDF (*.pdf)"_s);
    if (path.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    solvenna::ui::writeHoroscopePdf(Folders, BirthDate, PersonName, path);
}

void TForm1::compatibilityClick() {
    if (!solvenna::birthDateIsSet(BirthDate)) return;
    if (!m_compatibility) {
        m_compatibility = new TCompatibilityDialog(this);
        m_compatibility->storedDate = [](const QString& name) {
            return Form2 ? Form2->names().read(name, solvenna::fromQDate(Form2->today())).date : 0.0;
        };
        m_compatibility->today = [] { return Form2 ? Form2->today() : QDate::currentDate(); };
    }
    m_compatibility->prepare(PersonName, BirthDate, Form2 ? Form2->names().names() : QStringList());
    if (solvenna::ui::execModal(m_compatibility) != QDialog::Accepted) return;
    showCompatibility(m_compatibility->partnerName(), m_compatibility->partnerDate());
}

void TForm1::showCompatibility(const QString& partnerName, solvenna::Date partnerDate) {
    m_partnerName = partnerName;
    m_partnerDate = partnerDate;
    m_compatibilityShown = true;
    const solvenna::CompatibilityPerson person{PersonName, solvenna::dateToText(BirthDate), BirthDate};
    const solvenna::CompatibilityPerson partner{partnerName, solvenna::dateToText(partnerDate), partnerDate};
    // The single-page layout with one item; no system's menu item is checked for it.
    for (QAction* a : m_mainGroup->actions())
        a->setChecked(false);
    for (QAction* a : m_popupGroup->actions())
        a->setChecked(false);
    EnableButtons(false);
    TButtonBarItems& items = Buttons->Sections()[0]->Items();
    if (items.Count() == 0)
        Buttons->AddItem(0, u"Совместимость"_s);
    else
        items[0]->setCaption(u"Совместимость"_s);
    items[0]->setHint(solvenna::compatibilityHint(person, partner));
    Buttons->setSingleSectionMode(true);
    Buttons->show();
    const solvenna::CompatibilityPage page = solvenna::compatibilityPage(Folders.DataFolder, person, partner);
    if (page.ok())
        Web1->showGenerated(page.html, Folders.DataFolder +
                                           QString::fromUtf16(solvenna::kCompatibilityFolder) +
                                           solvenna::pathDelimiter());
    else
        LoadFile(QString()); // a missing fragment: the data folder's error page, as for a missing page
}

void TForm1::findInPage() {
    if (!Web1->currentPage().isEmpty()) FindBar->open();
}

void TForm1::setPageZoom(int percent) {
    Web1->setZoom(percent);
    if (SetupFrm) solvenna::writeZoom(SetupFrm->settingsStore(), percent);
}

void TForm1::releaseTool3() {
    if (Tool3->isDown()) Tool3->setDown(false);
}

// --- Zodiac navigation ----------------------------------------------------------------------------------

void TForm1::N13Click(QObject*) {
    m_compatibilityShown = false;
    checkSystemItems(HoroscopeSystem::Zodiac);
    TButtonBarSection* first = Buttons->Sections()[0];
    if (first->Items().Count() > 0) first->Items().Clear();
    Buttons->setSingleSectionMode(false);
    EnableButtons(true);
    Buttons->show();
    const std::int32_t sign = GetSign(BirthDate);
    if (const auto folder = solvenna::zodiacSignFolder(sign))
        SignFolder = Folders.ZodiacFolder + *folder + solvenna::pathDelimiter();
    SectionClick(0);
}

void TForm1::N18Click() {
    runPopup(HoroscopeSystem::Zodiac);
}

void TForm1::SectionClick(unsigned index) {
    const auto file = solvenna::topicFile(int(std::min(index, 1000u)));
    if (!file || Buttons->SingleSectionMode()) return;
    LoadFile(SignFolder + *file);
}

void TForm1::ButtonsSectionChanged(TButtonBar*, int currentSection, int) {
    if (currentSection >= 0) SectionClick(unsigned(currentSection));
}

void TForm1::EnableButtons(bool on) {
    Buttons->setSectionBtnSize(on ? 25 : -20);
    for (int i = 0; i < Buttons->Sections().Count(); ++i)
        Buttons->Sections()[i]->setEnabled(on);
}

void TForm1::Tool6Click() {
    Buttons->PreviousSection();
}
void TForm1::Tool7Click() {
    Buttons->NextSection();
}

// --- Single-page systems ----------------------------------------------------------------------------------

void TForm1::checkSystemItems(HoroscopeSystem system) {
    const SystemCommand& command = commandsOf(system);
    (this->*command.mainItem)->setChecked(true);
    (this->*command.popupItem)->setChecked(true);
}

void TForm1::showSinglePage(HoroscopeSystem system) {
    m_compatibilityShown = false;
    checkSystemItems(system);
    EnableButtons(false);
    const QString caption = solvenna::systemCaption(system);
    TButtonBarItems& items = Buttons->Sections()[0]->Items();
    if (items.Count() == 0)
        Buttons->AddItem(0, caption);
    else
        items[0]->setCaption(caption);
    items[0]->setHint(items[0]->Caption());
    Buttons->setSingleSectionMode(true);
    Buttons->show();
    ItemClick();
}

void TForm1::N14Click(QObject*) {
    showSinglePage(HoroscopeSystem::Chinese);
}
void TForm1::N15Click(QObject*) {
    showSinglePage(HoroscopeSystem::Druid);
}
void TForm1::N10Click(QObject*) {
    showSinglePage(HoroscopeSystem::Zoroastrian);
}
void TForm1::N20Click(QObject*) {
    showSinglePage(HoroscopeSystem::Mythological);
}
void TForm1::N17Click(QObject*) {
    showSinglePage(HoroscopeSystem::Numerological);
}

void TForm1::runPopup(HoroscopeSystem system) {
    const SystemCommand& command = commandsOf(system);
    QAction* item = this->*command.popupItem;
    item->setChecked(true);
    (this->*command.mainHandler)(item);
    releaseTool3();
}

void TForm1::N19Click() {
    runPopup(HoroscopeSystem::Chinese);
}
void TForm1::N21Click() {
    runPopup(HoroscopeSystem::Druid);
}
void TForm1::N22Click() {
    runPopup(HoroscopeSystem::Zoroastrian);
}
void TForm1::N23Click() {
    runPopup(HoroscopeSystem::Mythological);
}
void TForm1::N24Click() {
    runPopup(HoroscopeSystem::Numerological);
}

QAction* TForm1::systemItem(HoroscopeSystem system) const {
    return this->*commandsOf(system).mainItem;
}

void TForm1::showSystem(HoroscopeSystem system, QObject* sender) {
    (this->*commandsOf(system).mainHandler)(sender);
}

void TForm1::ItemClick() {
    if (!Buttons->SingleSectionMode()) return;
    if (m_compatibilityShown) {
        showCompatibility(m_partnerName, m_partnerDate);
        return;
    }
    // The first checked single-page system, in the menu's order.
    for (const SystemCommand& command : kSystemCommands)
        if (command.loader && (this->*command.mainItem)->isChecked()) {
            (this->*command.loader)();
            return;
        }
}

void TForm1::ButtonsItemClick(TButtonBar*, int, int) {
    ItemClick();
}

void TForm1::loadSinglePage(HoroscopeSystem system) {
    if (const auto page = solvenna::singlePage(Folders, system, BirthDate)) LoadFile(*page);
}

void TForm1::LoadChinese() {
    loadSinglePage(HoroscopeSystem::Chinese);
}
void TForm1::LoadDruidean() {
    loadSinglePage(HoroscopeSystem::Druid);
}
void TForm1::LoadZoroastrian() {
    loadSinglePage(HoroscopeSystem::Zoroastrian);
}
void TForm1::LoadMyphologic() {
    loadSinglePage(HoroscopeSystem::Mythological);
}
void TForm1::LoadNumeric() {
    loadSinglePage(HoroscopeSystem::Numerological);
}

// --- Window events
// ------------------------------------------------------------------------------------------

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    // The personal data dialog opens over the window once it is on screen, from the event loop.
    QMetaObject::invokeMethod(this, guardedHandler(this, &TForm1::N12Click), Qt::QueuedConnection);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (SetupFrm) guarded([] { SetupFrm->flushSettings(); });
    guarded([this] { savePlacement(); });
    event->accept();
}

solvenna::WindowPlacement TForm1::placement() const {
    solvenna::WindowPlacement placement;
    placement.maximized = isMaximized();
    const QRect normal = placement.maximized || isFullScreen() ? normalGeometry() : geometry();
    if (normal.isValid()) placement.normalGeometry = normal;
    // A bar that never showed has no width of its own yet: the one in the file stays.
    if (Buttons->isVisibleTo(Splitter1))
        placement.sectionBarWidth = Splitter1->sizes().value(0, Buttons->width());
    return placement;
}

void TForm1::restorePlacement(const QString& settingsFile) {
    m_settingsFile = settingsFile;
    const auto stored = solvenna::WindowPlacement::load(solvenna::IniFile(settingsFile));
    if (QRect wanted = stored.normalGeometry; !wanted.isNull()) {
        wanted.setSize(wanted.size().expandedTo(minimumSizeHint()).expandedTo(minimumSize()));
        // Only a place on one of today's screens counts: a screen may have gone since the last run.
        for (const QScreen* screen : QGuiApplication::screens()) {
            const QRect area = screen->availableGeometry();
            const QRect common = wanted.intersected(area);
            const bool titleOnScreen = wanted.top() >= area.top() && wanted.top() < area.bottom() - 40;
            if (!titleOnScreen || common.width() < std::min(wanted.width(), 100) || common.height() < 50)
                continue;
            // A window larger than its screen is made to fit it.
            wanted.setSize(wanted.size().boundedTo(area.size()).expandedTo(minimumSizeHint()));
            if (wanted.right() > area.right()) wanted.moveRight(std::max(area.left(), area.right()));
            setGeometry(wanted);
            break;
        }
    }
    const int narrowestBar = std::max(Buttons->minimumWidth(), Buttons->minimumSizeHint().width());
    if (stored.sectionBarWidth >= narrowestBar) {
        const int total = std::max(Splitter1->width(), width());
        const int bar =
            std::min(stored.sectionBarWidth, total - Splitter1->handleWidth() - Web1->minimumWidth());
        if (bar >= narrowestBar) {
            Buttons->resize(bar, Buttons->height());
            Splitter1->setSizes({bar, total - bar - Splitter1->handleWidth()});
        }
    }
    if (stored.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::savePlacement() const {
    if (m_settingsFile.isEmpty()) return;
    solvenna::IniFile file(m_settingsFile);
    try {
        placement().save(file);
    } catch (const solvenna::IniWriteError&) {
        // The window's place is a convenience: a folder that refuses it is no reason for a box at exit.
    }
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    guarded([this] { FormCanResize(); });
}

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) guarded([this] { FormCanResize(); });
}

void TForm1::FormCanResize() {
    if (SetupFrm && SetupFrm->Check3->isChecked() && SetupFrm->Check4->isChecked())
        Buttons->setScrollDelay(isMaximized() ? 5 : 50);
}

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

void CreateApplicationWindows() {
    // The dialogs need the main window's folder values, and the settings dialog applies the settings to
    // the main window's section bar and menus.
    solvenna::ui::announceDesktopEntry();
    solvenna::ui::installQtTranslations();
    solvenna::ui::installProgramStyle();
    Form1 = new TForm1;
    // The INI files live where the main window's folder values say: beside the program, or in the user's
    // configuration folder when the program is installed.
    Form2 = new TForm2(Form1, Form1->Folders.ConfigFolder);
    AboutBox = new TAboutBox(Form1);
    SetupFrm = new TSetupFrm(Form1, Form1->Folders.ConfigFolder);
    // Before the first show, so the window appears where it was, with no jump.
    Form1->restorePlacement(SetupFrm->settingsFile());
}
