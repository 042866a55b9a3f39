#include "main.h"

#include "about.h"
#include "carddialog.h"
#include "compatibilitydialog.h"
#include "core/caption.h"
#include "core/compatibility.h"
#include "core/datetext.h"
#include "core/groupcompatibility.h"
#include "core/inifile.h"
#include "core/livesettings.h"
#include "core/lunarpage.h"
#include "core/messages.h"
#include "core/pagezoom.h"
#include "core/people.h"
#include "core/safefile.h"
#include "core/signs.h"
#include "core/startpage.h"
#include "core/summary.h"
#include "desktopintegration.h"
#include "findbar.h"
#include "fontwarmup.h"
#include "icons.h"
#include "maincommands.h"
#include "pageview.h"
#include "peoplewindow.h"
#include "printing.h"
#include "services.h"
#include "setup.h"
#include "style.h"
#include "whoim.h"
#include "widgets.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>
#include <utility>

using namespace Qt::Literals::StringLiterals;
using solvenna::HoroscopeSystem;
using solvenna::ui::commandsOf;
using solvenna::ui::connectGuarded;
using solvenna::ui::guarded;
using solvenna::ui::guardedHandler;
using solvenna::ui::kSystemCommands;
using solvenna::ui::SystemCommand;

TForm1* Form1 = nullptr;

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

    Panel2 = new QFrame;
    Panel2->setObjectName(u"Panel2"_s);
    Web1 = new PageView(Panel2);
    Web1->setObjectName(u"Web1"_s);
    // Small enough for a small screen, wide enough that every heading word of the pages fits a line.
    Web1->setMinimumSize(360, 120);
    auto* panelLayout = new QVBoxLayout(Panel2);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(Web1);
    FindBar = new TFindBar(Web1, Panel2);
    panelLayout->addWidget(FindBar);
    followLunarPages();
    m_viewer = Web1;
    Web1->setContextActions({PrintItem, PreviewItem, SavePagePdfItem});
    // Another page: the find bar closes and forgets its matches.
    connectGuarded(Web1, &QTextBrowser::sourceChanged, FindBar, [this] {
        if (!FindBar->isHidden()) FindBar->close();
    });
    connectGuarded(Web1, &PageView::programLinkActivated, this, &TForm1::followProgramLink);
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

    // The tool bar's captions must all show: with today's fonts the designed width may be too narrow. On a
    // small screen the window leaves a margin of it free, and the bar's overflow button shows the last ones.
    int wanted = std::max(width(), ToolBar1->sizeHint().width() + 8);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        wanted = std::min(wanted, std::max(width(), screen->availableGeometry().width() * 9 / 10));
    resize(wanted, height());
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

void TForm1::FormCreate() {
    Folders = solvenna::Folders::forProgram(
        solvenna::folderOfProgram(QCoreApplication::applicationFilePath()), solvenna::ui::userConfigFolder());
    SignFolder.clear();
    Web1->setDataFolder(Folders.DataFolder);
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
    const bool backFromPair = m_compatibilityShown && m_beforeCompatibility.has_value();
    Tool6->setEnabled(zodiacLayout || backFromPair);
    Tool7->setEnabled(zodiacLayout);
    BackItem->setEnabled(backFromPair);
    const bool dayShown = lunarDateShown() && !m_lunarMonth;
    PreviousDayItem->setEnabled(dayShown);
    NextDayItem->setEnabled(dayShown);
    const bool pageShown = readablePageShown();
    for (QAction* a : {PrintItem, PreviewItem, SavePagePdfItem, FindItem})
        a->setEnabled(pageShown);
    SaveHoroscopePdfItem->setEnabled(dateSet);
    CompatibilityItem->setEnabled(dateSet);
    CardItem->setEnabled(dateSet);
}

void TForm1::LoadFile(const QString& fileName) {
    // Only files of the data folder are shown: a path or a symbolic link leading out of it counts as missing.
    const auto inData = [this](const QString& path) {
        return !solvenna::safefile::fileInside(path, Folders.DataFolder).isEmpty();
    };
    Web1->setDataFolder(Folders.DataFolder);
    m_pageAsked = true;
    if (inData(fileName))
        m_viewer->Navigate(fileName);
    else if (const QString errorPage = Folders.errorPage(); inData(errorPage))
        m_viewer->Navigate(errorPage);
    else
        m_viewer->Quit();
}

// --- Commands -----------------------------------------------------------------------------------------

void TForm1::N12Click() {
    if (Form2) solvenna::ui::execModal(Form2);
    // Closed without a horoscope (or cancelled on a first run): the start page rather than an empty pane.
    showStartPage();
}

void TForm1::N4Click() {
    solvenna::ui::showMessage(solvenna::summaryText(BirthDate, PersonName));
}

void TForm1::N6Click() {
    close();
}

void TForm1::N8Click() {
    const bool on = !N8->isChecked();
    if (m_settings)
        m_settings->setShowHints(on); // the menu and the bar follow
    else
        showItemHints(on);
}

void TForm1::N9Click() {
    const bool on = !N9->isChecked();
    if (m_settings)
        m_settings->setSoftScroll(on);
    else
        scrollSmoothly(on);
}

void TForm1::showItemHints(bool on) {
    N8->setChecked(on);
    for (int i = 0; i < Buttons->Sections().Count(); ++i)
        Buttons->Sections()[i]->setShowHint(on);
}

void TForm1::scrollSmoothly(bool on) {
    N9->setChecked(on);
    Buttons->setSoftScroll(on);
}

const solvenna::LiveSettings* TForm1::settings() const {
    return m_settings;
}

void TForm1::followSettings(solvenna::LiveSettings* settings) {
    if (m_settings) m_settings->disconnect(this);
    m_settings = settings;
    if (!settings) return;
    using solvenna::LiveSettings;
    connectGuarded(settings, &LiveSettings::showHintsChanged, this, &TForm1::showItemHints);
    connectGuarded(settings, &LiveSettings::softScrollChanged, this, &TForm1::scrollSmoothly);
    connectGuarded(settings, &LiveSettings::scrollDelayChanged, this, [this](int milliseconds) {
        // The bar's timer takes no negative interval: a minus sign typed on its own way to a number gives 0.
        Buttons->setScrollDelay(std::clamp(milliseconds, 0, 65535));
    });
    connectGuarded(settings, &LiveSettings::pageZoomChanged, this, &TForm1::showZoom);
    connectGuarded(settings, &LiveSettings::nightModeChanged, this, &TForm1::showNightMode);
    // A lunar page shown is worked out anew for another place.
    connectGuarded(settings, &LiveSettings::placeChanged, this, [this] {
        if (const auto shown = lunarDateShown()) showLunarPage(*shown, m_lunarMonth);
    });
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

void TForm1::guideClick() {
    LoadFile(Folders.guidePage());
}

void TForm1::Tool3Click() {
    // From the keyboard the menu drops down under the button, as from its arrow; a mouse click pops it up
    // at the pointer.
    const bool byKeyboard = std::exchange(m_tool3ByKeyboard, false);
    PMenu1->popup(byKeyboard ? Tool3->mapToGlobal(QPoint(0, Tool3->height())) : QCursor::pos());
}

// --- Reading tools ---------------------------------------------------------------------------------------

solvenna::ui::PrintSource TForm1::shownPage() {
    // A page file carries the person's note as the view shows it; a page the program made has none.
    return {Web1->currentPage(), Web1->generatedHtml(), Web1->generatedBase(), Web1->dataFolder(),
            Web1->showsGenerated() ? QString() : pageNote(Web1->currentPage())};
}

void TForm1::printPage() {
    if (!readablePageShown()) return;
    const QString file =
        solvenna::ui::printPage(this, shownPage(), solvenna::ui::footerText(PersonName, BirthDate));
    if (!file.isEmpty()) showSavedNotice(u"Страница напечатана в файл"_s, file);
}

void TForm1::previewPage() {
    if (!readablePageShown()) return;
    solvenna::ui::previewPage(this, shownPage(), solvenna::ui::footerText(PersonName, BirthDate));
}

void TForm1::savePagePdf() {
    if (!readablePageShown()) return;
    const QString title = Web1->documentTitle();
    const QString path = solvenna::ui::askSaveFile(
        u"Сохранить страницу в PDF"_s,
        solvenna::ui::proposedPdfPath(PersonName, title.isEmpty() ? u"Гороскоп"_s : title),
        u"Документы PDF (*.pdf)"_s);
    if (path.isEmpty()) return;
    solvenna::ui::writePagePdf(shownPage(), solvenna::ui::footerText(PersonName, BirthDate), path);
    showSavedNotice(u"Страница сохранена в PDF"_s, path);
}

void TForm1::saveHoroscopePdf() {
    if (!solvenna::birthDateIsSet(BirthDate)) return;
    const QString path = solvenna::ui::askSaveFile(
        u"Сохранить весь гороскоп в PDF"_s,
        solvenna::ui::proposedPdfPath(PersonName, u"Персональный гороскоп"_s), u"Документы PDF (*.pdf)"_s);
    if (path.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const int pages = solvenna::ui::writeHoroscopePdf(Folders, BirthDate, PersonName, path,
                                                      [this](const QString& page) { return pageNote(page); });
    showSavedNotice(u"Весь гороскоп (%1 стр.) сохранён в PDF"_s.arg(pages), path);
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
    showPairCompatibility({PersonName, solvenna::dateToText(BirthDate), BirthDate},
                          {partnerName, solvenna::dateToText(partnerDate), partnerDate});
}

void TForm1::peopleClick() {
    if (!Form2) return;
    if (!m_people) {
        m_people = new TPeopleWindow(Form2->names(), this);
        m_people->today = [] { return Form2 ? Form2->today() : QDate::currentDate(); };
        connectGuarded(Form2, &TForm2::namesChanged, m_people, &TPeopleWindow::reload);
    }
    m_people->show();
    m_people->raise();
    m_people->activateWindow();
}

void TForm1::cardClick() {
    if (!solvenna::birthDateIsSet(BirthDate)) return;
    TCardDialog dialog(PersonName, BirthDate, this);
    solvenna::ui::execModal(&dialog);
}

void TForm1::rememberPageBefore() {
    // Another partner, or the page again from the bar, still goes back to what was shown before the first.
    if (m_compatibilityShown) return;
    PageBefore before;
    for (const SystemCommand& command : kSystemCommands)
        if ((this->*command.mainItem)->isChecked()) before.system = command.system;
    before.barShown = !Buttons->isHidden();
    before.section = Buttons->ActiveSection();
    before.page = Web1->currentPage();
    if (Web1->showsGenerated()) {
        before.generatedHtml = Web1->generatedHtml();
        before.generatedBase = Web1->generatedBase().toLocalFile();
    }
    before.scroll = Web1->verticalScrollBar()->value();
    m_beforeCompatibility = before;
}

void TForm1::showCompatibilityLayout(const QString& caption, const QString& hint) {
    m_compatibilityShown = true;
    // The single-page layout with one item; no system's menu item is checked for it.
    for (QAction* a : m_mainGroup->actions())
        a->setChecked(false);
    for (QAction* a : m_popupGroup->actions())
        a->setChecked(false);
    EnableButtons(false);
    TButtonBarItems& items = Buttons->Sections()[0]->Items();
    if (items.Count() == 0)
        Buttons->AddItem(0, caption);
    else
        items[0]->setCaption(caption);
    items[0]->setHint(hint);
    Buttons->setSingleSectionMode(true);
    showSectionBar();
    Web1->setDataFolder(Folders.DataFolder);
    m_pageAsked = true;
}

void TForm1::showPairCompatibility(const solvenna::CompatibilityPerson& first,
                                   const solvenna::CompatibilityPerson& second) {
    rememberPageBefore();
    m_lunarShown = false;
    m_pairFromGroup = m_compatibilityShown ? (m_showingGroup || m_pairFromGroup) : false;
    m_showingGroup = false;
    m_pair[0] = first;
    m_pair[1] = second;
    showCompatibilityLayout(u"Совместимость"_s, solvenna::compatibilityHint(first, second));
    const solvenna::CompatibilityPage page = solvenna::compatibilityPage(Folders.DataFolder, first, second);
    if (page.ok())
        Web1->showGenerated(page.html, Folders.DataFolder +
                                           QString::fromUtf16(solvenna::kCompatibilityFolder) +
                                           solvenna::pathDelimiter());
    else
        LoadFile(QString()); // a missing fragment: the data folder's error page, as for a missing page
    Timer1Timer();           // "Назад" leads back from here at once
}

void TForm1::showGroupCompatibility(const QList<solvenna::CompatibilityPerson>& people) {
    if (people.size() < solvenna::kMinGroupSize || people.size() > solvenna::kMaxGroupSize) return;
    rememberPageBefore();
    m_lunarShown = false;
    m_group = people;
    m_showingGroup = true;
    m_pairFromGroup = false;
    showCompatibilityLayout(u"Совместимость группы"_s, u"Совместимость группы: %1 чел."_s.arg(people.size()));
    Web1->showGenerated(solvenna::groupCompatibilityPage(people),
                        Folders.DataFolder + QString::fromUtf16(solvenna::kCompatibilityFolder) +
                            solvenna::pathDelimiter());
    Timer1Timer();
}

void TForm1::followProgramLink(const QUrl& link) {
    if (const auto day = solvenna::lunarpage::dayOfLink(link)) {
        showLunarDay(*day);
        return;
    }
    if (const auto month = solvenna::lunarpage::monthOfLink(link)) {
        showLunarMonth(*month);
        return;
    }
    const auto pair = solvenna::pairOfLink(link);
    if (!pair || !groupCompatibilityShown()) return;
    const auto [first, second] = *pair;
    if (first >= m_group.size() || second >= m_group.size()) return;
    showPairCompatibility(m_group[first], m_group[second]);
}

bool TForm1::backFromCompatibility() {
    if (!m_compatibilityShown || !m_beforeCompatibility) return false;
    if (m_lunarShown && !m_lunarMonth && m_lunarDayFromMonth) {
        showLunarMonth(m_lunarDate);
        return true;
    }
    if (!m_lunarShown && !m_showingGroup && m_pairFromGroup) {
        showGroupCompatibility(m_group);
        return true;
    }
    const PageBefore before = *std::exchange(m_beforeCompatibility, std::nullopt);
    m_compatibilityShown = false;
    m_lunarShown = false;
    // The section bar as it was; the page comes after, as it was, whichever page that is.
    m_restoringLayout = true;
    const auto restored = qScopeGuard([this] { m_restoringLayout = false; });
    for (QAction* a : m_mainGroup->actions())
        a->setChecked(false);
    for (QAction* a : m_popupGroup->actions())
        a->setChecked(false);
    if (before.system == HoroscopeSystem::Zodiac) {
        checkSystemItems(HoroscopeSystem::Zodiac);
        if (Buttons->Sections()[0]->Items().Count() > 0) Buttons->Sections()[0]->Items().Clear();
        Buttons->setSingleSectionMode(false);
        EnableButtons(true);
        Buttons->setActiveSection(before.section);
    } else if (before.system) {
        checkSystemItems(*before.system);
        TButtonBarItems& items = Buttons->Sections()[0]->Items();
        items[0]->setCaption(solvenna::systemCaption(*before.system));
        items[0]->setHint(items[0]->Caption());
    }
    if (!before.barShown) Buttons->hide();

    if (!before.generatedHtml.isEmpty())
        Web1->showGenerated(before.generatedHtml, before.generatedBase);
    else if (!before.page.isEmpty())
        LoadFile(before.page);
    else
        m_viewer->Quit();
    Web1->verticalScrollBar()->setValue(before.scroll);
    Timer1Timer();
    return true;
}

void TForm1::findInPage() {
    if (readablePageShown()) FindBar->open();
}

bool TForm1::readablePageShown() const {
    return !Web1->currentPage().isEmpty() && !startPageShown();
}

bool TForm1::startPageShown() const {
    return !m_startHtml.isEmpty() && Web1->showsGenerated() && Web1->generatedHtml() == m_startHtml;
}

void TForm1::showStartPage() {
    // Only until a page is asked for, and never over a page reached by a link from the start page.
    if (m_pageAsked || !(Web1->currentPage().isEmpty() || startPageShown())) return;
    const QList<solvenna::UpcomingBirthday> upcoming =
        upcomingBirthdays ? upcomingBirthdays() : QList<solvenna::UpcomingBirthday>();
    const QString html =
        solvenna::birthDateIsSet(BirthDate)
            ? solvenna::personStartPage(PersonName, solvenna::dateToText(BirthDate), BirthDate, upcoming)
            : solvenna::welcomePage(upcoming);
    if (html == m_startHtml && startPageShown()) return;
    m_startHtml = html;
    Web1->setDataFolder(Folders.DataFolder);
    Web1->showGenerated(m_startHtml, Folders.DataFolder + QString::fromUtf16(solvenna::kStartPageFolder) +
                                         solvenna::pathDelimiter());
}

void TForm1::setPageZoom(int percent) {
    if (m_settings)
        m_settings->setPageZoom(percent); // the page view follows, the settings file keeps it
    else
        showZoom(percent);
}

void TForm1::setNightMode(bool on) {
    if (m_settings)
        m_settings->setNightMode(on); // the page view and the menu follow, the settings file keeps it
    else
        showNightMode(on);
}

void TForm1::showNightMode(bool on) {
    Web1->setNightMode(on);
    NightItem->setChecked(on);
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
    showSectionBar();
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
    if (!file || Buttons->SingleSectionMode() || m_restoringLayout) return;
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
    if (!backFromCompatibility()) Buttons->PreviousSection();
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
    showSectionBar();
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
        if (m_lunarShown)
            showLunarPage(m_lunarDate, m_lunarMonth);
        else if (m_showingGroup)
            showGroupCompatibility(m_group);
        else
            showPairCompatibility(m_pair[0], m_pair[1]);
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
    m_storedBarWidth = stored.sectionBarWidth;
    if (m_barFitted) applyStoredBarWidth();
    if (stored.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::applyStoredBarWidth() {
    const int narrowestBar = std::max(Buttons->minimumWidth(), Buttons->minimumSizeHint().width());
    if (m_storedBarWidth < narrowestBar) return;
    const int total = std::max(Splitter1->width(), width());
    const int bar = std::min(m_storedBarWidth, total - Splitter1->handleWidth() - Web1->minimumWidth());
    if (bar >= narrowestBar) {
        Buttons->resize(bar, Buttons->height());
        Splitter1->setSizes({bar, total - bar - Splitter1->handleWidth()});
    }
}

// The bar stays hidden until the first horoscope; measuring its captions loads its font, which nothing
// before that needs, so start-up leaves it to then.
void TForm1::showSectionBar() {
    if (!m_barFitted) {
        m_barFitted = true;
        fitSectionBarToCaptions();
        applyStoredBarWidth();
    }
    Buttons->show();
}

void TForm1::fitSectionBarToCaptions() {
    // However far the splitter narrows the bar, the single item's caption keeps each word whole: it wraps
    // between words instead, and a narrower bar would leave the item blank.
    const QFontMetricsF metrics(Buttons->font());
    int widestWord = 0;
    for (const solvenna::SystemEntry& entry : solvenna::systemTable()) {
        if (entry.system == HoroscopeSystem::Zodiac) continue; // its topics are sections, not an item
        for (const QString& word : QString::fromUtf16(entry.caption).split(u' '))
            widestWord = std::max(widestWord, int(std::ceil(metrics.horizontalAdvance(word))));
    }
    // Every section's caption shows whole too.
    Buttons->setMinimumWidth(
        std::max({60, Buttons->widthForItemText(widestWord), Buttons->widthForSectionCaptions()}));
}

QStatusBar* TForm1::notices() {
    if (!m_notices) {
        m_notices = statusBar();
        m_notices->setSizeGripEnabled(false);
        m_zoomShown = new QLabel(m_notices);
        m_zoomShown->setObjectName(u"ZoomShown"_s);
        m_zoomShown->setAccessibleName(u"Масштаб"_s);
        m_zoomShown->hide();
        m_notices->addPermanentWidget(m_zoomShown);
        connect(m_notices, &QStatusBar::messageChanged, m_notices, [this](const QString& message) {
            if (!message.isEmpty()) return;
            // The saved file's buttons go with its notice; the zoom stays while it is not 100 %.
            hideSavedFileButtons();
            if (m_zoomShown->isHidden()) m_notices->hide();
        });
    }
    return m_notices;
}

void TForm1::showNotice(const QString& text) {
    notices()->showMessage(text, 10000);
    m_notices->show();
    hideSavedFileButtons(); // they belong to the saved file's notice only
}

void TForm1::hideSavedFileButtons() {
    for (QToolButton* button : {OpenSavedFileButton, OpenSavedFolderButton})
        if (button) button->hide();
}

void TForm1::showSavedNotice(const QString& what, const QString& path) {
    const QFileInfo file(path);
    showNotice(
        u"%1: «%2», папка %3"_s.arg(what, file.fileName(), QDir::toNativeSeparators(file.absolutePath())));
    m_savedPath = file.absoluteFilePath();
    if (!OpenSavedFileButton) {
        const auto button = [this](const QString& name, const QString& text, auto open) {
            auto* b = new QToolButton(m_notices);
            b->setObjectName(name);
            b->setText(text);
            b->setAutoRaise(true);
            connectGuarded(b, &QToolButton::clicked, this, open);
            m_notices->addPermanentWidget(b);
            return b;
        };
        OpenSavedFileButton = button(u"OpenSavedFileButton"_s, u"Открыть файл"_s, [this] {
            solvenna::ui::services().openUrl(QUrl::fromLocalFile(m_savedPath));
        });
        OpenSavedFolderButton = button(u"OpenSavedFolderButton"_s, u"Открыть папку"_s, [this] {
            solvenna::ui::services().openUrl(QUrl::fromLocalFile(QFileInfo(m_savedPath).absolutePath()));
        });
    }
    OpenSavedFileButton->show();
    OpenSavedFolderButton->show();
}

void TForm1::showZoom(int percent) {
    Web1->setZoom(percent);
    const bool normal = percent == solvenna::kNormalZoom;
    if (normal && !m_notices) return; // no status bar for what is as always
    notices();
    m_zoomShown->setText(u"Масштаб: %1\u00A0%"_s.arg(percent));
    m_zoomShown->setVisible(!normal);
    m_notices->setVisible(!normal || !m_notices->currentMessage().isEmpty());
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
    if (m_settings && m_settings->values().softScroll && m_settings->values().autoDelay)
        Buttons->setScrollDelay(isMaximized() ? 5 : 50);
}

void CreateApplicationWindows() {
    solvenna::ui::announceDesktopEntry();
    solvenna::ui::installQtTranslations();
    solvenna::ui::installProgramStyle();
    Form1 = new TForm1;
    CreateDialogWindows();
}

void CreateDialogWindows() {
    // The dialogs need the main window's folder values, and the settings dialog applies the settings to
    // the main window's section bar and menus.
    // The INI files live where the main window's folder values say: beside the program, or in the user's
    // configuration folder when the program is installed.
    Form2 = new TForm2(Form1, Form1->Folders.ConfigFolder);
    // The start page lists the birthdays to come of everyone stored, read when the page is made.
    Form1->upcomingBirthdays = [] {
        QList<solvenna::NamedDate> people;
        for (const solvenna::NamedEntry& e : Form2->names().readAll())
            people.append({e.name, e.entry.date});
        return solvenna::upcomingBirthdays(people, solvenna::fromQDate(Form2->today()));
    };
    AboutBox = new TAboutBox(Form1);
    SetupFrm = new TSetupFrm(Form1, Form1->Folders.ConfigFolder);
    // Before the first show, so the window appears where it was, with no jump.
    Form1->restorePlacement(SetupFrm->settingsFile());
}
