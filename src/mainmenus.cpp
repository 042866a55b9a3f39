#include "main.h"

#include "core/catalogue.h"
#include "core/pagezoom.h"
#include "icons.h"
#include "maincommands.h"
#include "pageview.h"
#include "services.h"
#include "widgets.h"

#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

// The main window's menus, tool bar and section bar, built once by the constructor.

using namespace Qt::Literals::StringLiterals;
using solvenna::ui::connectGuarded;
using solvenna::ui::guardedHandler;
using solvenna::ui::kSystemCommands;
using solvenna::ui::SystemCommand;

namespace {

QIcon icon(int index) {
    return solvenna::ui::programIcon(QString::number(index));
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
    PeopleItem = action(N1, u"PeopleItem"_s, u"Люди..."_s, &TForm1::peopleClick);
    PeopleItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    PeopleItem->setIcon(solvenna::ui::programIcon(u"people"_s));
    PeopleItem->setToolTip(
        u"Все сохранённые имена: знаки, дни рождения, \nсовместимость группы, импорт и экспорт"_s);
    CardItem = action(N1, u"CardItem"_s, u"Карточка..."_s, &TForm1::cardClick);
    CardItem->setToolTip(u"Картинка с именем, датой и знаками \nдля мессенджеров"_s);
    CardItem->setEnabled(false);
    N1->addSeparator();
    // The lunar calendar needs no person; with one, the day's page also speaks to the person's sign.
    TodayItem = action(N1, u"TodayItem"_s, u"Сегодня"_s, &TForm1::todayClick);
    TodayItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    TodayItem->setIcon(solvenna::ui::programIcon(u"moon"_s));
    TodayItem->setToolTip(u"Лунный календарь на сегодня: \nлунный день, фаза и знак Луны"_s);
    MonthItem = action(N1, u"MonthItem"_s, u"Календарь на месяц"_s, &TForm1::monthClick);
    MonthItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    MonthItem->setToolTip(u"Лунный календарь на месяц: \nфазы, лунные дни и знаки Луны"_s);
    // Alt+Left and Alt+Right are the history's; the days step as a browser's tabs do.
    PreviousDayItem = action(N1, u"PreviousDayItem"_s, u"Вчера"_s, &TForm1::previousDayClick);
    PreviousDayItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    NextDayItem = action(N1, u"NextDayItem"_s, u"Завтра"_s, &TForm1::nextDayClick);
    NextDayItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    for (QAction* a : {PreviousDayItem, NextDayItem})
        a->setEnabled(false);
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
    N2->addSeparator();
    // Qt has checked or unchecked the item already; the settings confirm it.
    NightItem =
        action(N2, u"NightItem"_s, u"Ночной режим"_s, [this] { setNightMode(NightItem->isChecked()); });
    NightItem->setCheckable(true);

    N3 = menuBar()->addMenu(u"&Справка"_s);
    N3->setObjectName(u"N3"_s);
    // F1 is no letter: Qt's own shortcut takes it on every layout, and the loop below makes it act from the
    // settings dialog too.
    GuideItem = action(N3, u"GuideItem"_s, u"Руководство"_s, &TForm1::guideClick);
    GuideItem->setShortcut(QKeySequence(Qt::Key_F1));
    N3->addSeparator();
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

    // The browser's key for "Назад", in this window only; enabled while it leads back from the
    // compatibility page, so that elsewhere the key stays the page view's, which keeps no history.
    BackItem = new QAction(u"Назад"_s, this);
    BackItem->setObjectName(u"BackItem"_s);
    BackItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    BackItem->setEnabled(false);
    addAction(BackItem);
    connectGuarded(BackItem, &QAction::triggered, this, [this] { backFromCompatibility(); });
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
    PeopleTool = makeToolButton(ToolBar1, u"PeopleTool"_s, u"Люди"_s, 0,
                                u"Все сохранённые имена:\nзнаки, дни рождения, совместимость группы"_s);
    PeopleTool->setIcon(solvenna::ui::programIcon(u"people"_s));
    TodayTool = makeToolButton(ToolBar1, u"TodayTool"_s, u"Сегодня"_s, 0,
                               u"Лунный календарь на сегодня:\nлунный день, фаза и знак Луны"_s);
    TodayTool->setIcon(solvenna::ui::programIcon(u"moon"_s));
    auto* gap = new QFrame(ToolBar1);
    gap->setObjectName(u"ToolSeparator"_s);
    gap->setFrameShape(QFrame::VLine);
    gap->setFrameShadow(QFrame::Sunken);
    gap->setFixedWidth(10);
    ToolBar1->addWidget(gap);
    Tool8 = makeToolButton(ToolBar1, u"Tool8"_s, u"Настройки"_s, 9,
                           u"Изменить настройки программы:\nподсказки, скорость прокрутки и др."_s);
    Tool4 =
        makeToolButton(ToolBar1, u"Tool4"_s, u"О программе..."_s, 4, u"Информация об авторе \nи программе"_s);
    Tool5 = makeToolButton(ToolBar1, u"Tool5"_s, u"Выход"_s, 3, u"Выход из программы"_s);

    connectGuarded(Tool1, &QToolButton::clicked, this, &TForm1::N12Click);
    connectGuarded(Tool2, &QToolButton::clicked, this, &TForm1::N4Click);
    connectGuarded(Tool3, &QToolButton::clicked, this, &TForm1::Tool3Click);
    connectGuarded(Tool6, &QToolButton::clicked, this, &TForm1::Tool6Click);
    connectGuarded(Tool7, &QToolButton::clicked, this, &TForm1::Tool7Click);
    connectGuarded(PeopleTool, &QToolButton::clicked, this, &TForm1::peopleClick);
    connectGuarded(TodayTool, &QToolButton::clicked, this, &TForm1::todayClick);
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
    Buttons->setScrollDelay(solvenna::settingKey(&solvenna::Settings::scrollDelay).byDefault);
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
