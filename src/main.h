#pragma once

#include "core/catalogue.h"
#include "core/compatibility.h"
#include "core/date.h"
#include "core/pagenotes.h"
#include "core/people.h"
#include "core/settings.h"

#include <QDate>
#include <QDateTime>
#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>

class PageView;
class PageViewer;
class QAction;
class QActionGroup;
class QMenu;
class QSplitter;
class QLabel;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class QFrame;
class TButtonBar;
class TFindBar;
class TLunarBar;
class TCompatibilityDialog;
class TPeopleWindow;
namespace solvenna {
class LiveSettings;
}
namespace solvenna::ui {
struct PrintSource;
}

// The main window: tool bar, menus, the section bar at the left and the page view at the right.
// Command handlers keep the program's own names (N13Click is the menu item N13, and so on).
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Folder values, each ending in one path delimiter.
    solvenna::Folders Folders;
    // The birthdays the start page lists; none while unset.
    std::function<QList<solvenna::UpcomingBirthday>()> upcomingBirthdays;
    QString SignFolder;

    // Menus and their items.
    QMenu* N1 = nullptr; // &Гороскоп
    QAction* N12 = nullptr;
    QAction* N4 = nullptr;
    QMenu* N7 = nullptr; // Выдать гороскоп
    QAction* N13 = nullptr;
    QAction* N14 = nullptr;
    QAction* N15 = nullptr;
    QAction* N10 = nullptr;
    QAction* N20 = nullptr;
    QAction* N17 = nullptr;
    QAction* N6 = nullptr;
    QMenu* N2 = nullptr; // &Вид
    QAction* N8 = nullptr;
    QAction* N9 = nullptr;
    QAction* N26 = nullptr;
    QMenu* N3 = nullptr;          // &Справка
    QAction* GuideItem = nullptr; // Руководство
    QAction* N11 = nullptr;
    QMenu* PMenu1 = nullptr;
    QAction* N18 = nullptr;
    QAction* N19 = nullptr;
    QAction* N21 = nullptr;
    QAction* N22 = nullptr;
    QAction* N23 = nullptr;
    QAction* N24 = nullptr;
    // Reading tools.
    QAction* PrintItem = nullptr;
    QAction* PreviewItem = nullptr;
    QAction* SavePagePdfItem = nullptr;
    QAction* SaveHoroscopePdfItem = nullptr;
    QAction* CompatibilityItem = nullptr;
    // Люди..., Карточка...
    QAction* PeopleItem = nullptr;
    QAction* CardItem = nullptr;
    QAction* FindItem = nullptr;
    QAction* ZoomInItem = nullptr;
    QAction* ZoomOutItem = nullptr;
    QAction* ZoomNormalItem = nullptr;
    // Alt+Left: "Назад" from the compatibility page; in no menu, as a browser's key.
    QAction* BackItem = nullptr;
    QAction* NightItem = nullptr; // Ночной режим
    // The lunar calendar: "Сегодня" (Ctrl+T), "Календарь на месяц" (Ctrl+G), and while the day's page
    // shows "Вчера" (Ctrl+PgUp) and "Завтра" (Ctrl+PgDown).
    QAction* TodayItem = nullptr;
    QAction* MonthItem = nullptr;
    QAction* PreviousDayItem = nullptr;
    QAction* NextDayItem = nullptr;

    QToolBar* ToolBar1 = nullptr;
    QToolButton* Tool1 = nullptr;
    QToolButton* Tool2 = nullptr;
    QToolButton* Tool3 = nullptr;
    QToolButton* Tool6 = nullptr;
    QToolButton* Tool7 = nullptr;
    QToolButton* Tool8 = nullptr;
    QToolButton* PeopleTool = nullptr;
    QToolButton* TodayTool = nullptr;
    QToolButton* Tool4 = nullptr;
    QToolButton* Tool5 = nullptr;
    // In the status bar while a saved file's notice shows; made at the first.
    QToolButton* OpenSavedFileButton = nullptr;
    QToolButton* OpenSavedFolderButton = nullptr;

    TButtonBar* Buttons = nullptr;
    QSplitter* Splitter1 = nullptr;
    QFrame* Panel2 = nullptr;
    PageView* Web1 = nullptr;
    TFindBar* FindBar = nullptr;
    TLunarBar* LunarBar = nullptr; // above the page while a lunar page shows; made at the first
    QTimer* Timer1 = nullptr;

    // The calculators, on the current person's birth date where they take none.
    std::int32_t GetSign(solvenna::Date date) const;
    std::int32_t GetTree(solvenna::Date date) const;
    std::int32_t GetAnimal_China(std::uint16_t year) const;
    std::int32_t GetBeast(std::uint16_t year) const;
    std::int32_t GetCreature(solvenna::Date date) const;
    std::int32_t GetNumber(solvenna::Date date) const;
    std::uint16_t GetYear() const;
    void CollectInfo(std::uint16_t& year, std::int32_t& sign, std::int32_t& tree, std::int32_t& animal,
                     std::int32_t& totem, std::int32_t& creature, std::int32_t& number) const;
    void DecodeInfo(QString& yearText, QString& numberText, QString& signText, QString& treeText,
                    QString& animalText, QString& totemText, QString& creatureText) const;

    void FormCreate();
    void Timer1Timer();
    void LoadFile(const QString& fileName);

    // Commands.
    void N12Click();
    void N4Click();
    void N6Click();
    void N8Click();
    void N9Click();
    void N26Click();
    void N11Click();
    // The user guide, a page of the data folder, in the page view; the horoscope's choices stay as they are.
    void guideClick();
    void N13Click(QObject* sender = nullptr);
    void N14Click(QObject* sender = nullptr);
    void N15Click(QObject* sender = nullptr);
    void N10Click(QObject* sender = nullptr);
    void N20Click(QObject* sender = nullptr);
    void N17Click(QObject* sender = nullptr);
    void N18Click();
    void N19Click();
    void N21Click();
    void N22Click();
    void N23Click();
    void N24Click();
    void Tool3Click();
    void Tool6Click();
    void Tool7Click();
    void printPage();
    void previewPage();
    void savePagePdf();
    void saveHoroscopePdf();
    void findInPage();
    // Compatibility of the current person and a partner: the dialog, then the page.
    void compatibilityClick();
    void showCompatibility(const QString& partnerName, solvenna::Date partnerDate);
    // The compatibility page of any two people, and the grid of a group (3 to 20 people), whose cells
    // lead to the pairs' pages; "Назад" from such a pair page returns to the grid.
    void showPairCompatibility(const solvenna::CompatibilityPerson& first,
                               const solvenna::CompatibilityPerson& second);
    void showGroupCompatibility(const QList<solvenna::CompatibilityPerson>& people);
    bool groupCompatibilityShown() const { return m_compatibilityShown && m_showingGroup; }
    // "Люди": everyone in the name store; made at first use.
    void peopleClick();
    TPeopleWindow* peopleWindow() const { return m_people; }
    // The current person's card for messengers.
    void cardClick();
    // From the compatibility page back to the page and the section bar shown before it ("Назад",
    // Alt+Left); false when the compatibility page is not shown.
    bool backFromCompatibility();

    // The lunar calendar at the place of the settings in force (Moscow without them). The day's page and
    // the month's calendar of a date; a date outside the calendar's years is refused with a message, and
    // false returned. "Назад" leads back to the page shown before, as from the compatibility page.
    void todayClick();
    void monthClick();
    void previousDayClick();
    void nextDayClick();
    bool showLunarDay(const QDate& date);
    bool showLunarMonth(const QDate& anyDayOfIt);
    // The lunar page shown: its date (the month's first day for the month), or nothing.
    std::optional<QDate> lunarDateShown() const;
    bool lunarMonthShown() const;
    // The moment the lunar calendar takes as now; replaceable for tests.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTimeUtc(); };
    // Today at the place.
    QDate lunarToday() const;

    // The start page: while no page has been asked for, the page view shows a welcome, or the person's
    // name and signs as links to their pages. Shown after the personal data dialog.
    void showStartPage();
    bool startPageShown() const;
    // The page view's zoom and night mode, kept in the settings file.
    void setPageZoom(int percent);
    void setNightMode(bool on);

    // Zodiac navigation and the single-page systems.
    void SectionClick(unsigned index);
    void ButtonsSectionChanged(TButtonBar* sender, int currentSection, int oldSection);
    void EnableButtons(bool on);
    void ItemClick();
    void ButtonsItemClick(TButtonBar* sender, int section, int item);
    void LoadChinese();
    void LoadDruidean();
    void LoadZoroastrian();
    void LoadMyphologic();
    void LoadNumeric();
    // The main-menu item of a system, and its command as the menu runs it (the personal data dialog's way).
    QAction* systemItem(solvenna::HoroscopeSystem system) const;
    void showSystem(solvenna::HoroscopeSystem system, QObject* sender);

    // The window's place and the section bar's width, kept in the settings file across runs: restored
    // before the first show (a broken or off-screen place is ignored), stored when the window closes.
    solvenna::WindowPlacement placement() const;
    void restorePlacement(const QString& settingsFile);
    void savePlacement() const;

    // The settings the window follows from now on: the View menu's check marks, the section bar, the
    // page zoom and night mode. Without them the View menu's items and the zoom act on the window alone.
    void followSettings(solvenna::LiveSettings* settings);
    const solvenna::LiveSettings* settings() const;

    // Replaces the page viewer LoadFile talks to (tests); the page view itself by default.
    void setPageViewer(PageViewer* viewer);

    // A word to the person that needs no answer, in a status bar that shows only while it speaks, for as
    // long as a hint stays.
    void showNotice(const QString& text);
    // The pages at a zoom, and the zoom in the status bar, which shows while it is not 100 %.
    void showZoom(int percent);
    // The pages in night mode or not, and the View menu's check mark.
    void showNightMode(bool on);
    // The notice after a file was written: what it holds, its name and its folder, with buttons that open
    // the file and the folder in the desktop's programs.
    void showSavedNotice(const QString& what, const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createToolBar();
    void createSectionBar();
    void checkSystemItems(solvenna::HoroscopeSystem system);
    void showSinglePage(solvenna::HoroscopeSystem system);
    void runPopup(solvenna::HoroscopeSystem system);
    void loadSinglePage(solvenna::HoroscopeSystem system);
    void releaseTool3();
    void showSectionBar();
    void fitSectionBarToCaptions();
    void applyStoredBarWidth();
    void FormCanResize();
    void showItemHints(bool on);
    void scrollSmoothly(bool on);
    bool shortcutReachable(const QAction* action) const;
    bool triggerShortcutForLatinKey(int latinKey);
    bool openMenuForLatinKey(int latinKey);
    bool commandsReachableFrom(const QWidget* window) const;

    // A page a person reads: the reading tools act on it (the start page is none).
    bool readablePageShown() const;

    PageViewer* m_viewer = nullptr;
    QStatusBar* m_notices = nullptr; // made at the first notice or zoom
    QLabel* m_zoomShown = nullptr;   // in the status bar
    QStatusBar* notices();
    void hideSavedFileButtons();
    QString m_savedPath;                         // the file the saved notice names
    QPointer<solvenna::LiveSettings> m_settings; // the settings dialog's, while it lives
    QActionGroup* m_mainGroup = nullptr;
    QActionGroup* m_popupGroup = nullptr;
    bool m_shown = false;
    TCompatibilityDialog* m_compatibility = nullptr; // made when first asked for
    // The pair or group of the compatibility page shown, to show it again from the section bar.
    solvenna::CompatibilityPerson m_pair[2];
    QList<solvenna::CompatibilityPerson> m_group;
    bool m_compatibilityShown = false;
    // The grid, not a pair, is shown; the pair shown was reached from the grid, which "Назад" returns to.
    bool m_showingGroup = false;
    bool m_pairFromGroup = false;
    void rememberPageBefore();
    void showCompatibilityLayout(const QString& caption, const QString& hint);
    void followProgramLink(const QUrl& link);
    // The lunar calendar's part of the main window (mainlunar.cpp).
    void followLunarPages();
    void createLunarBar();
    bool showLunarPage(const QDate& date, bool month);
    void lunarPageLeft();
    QString pageNote(const QString& pagePath);
    // The page shown, as printing and the PDF writer read it.
    solvenna::ui::PrintSource shownPage();
    solvenna::PageNotes m_notes; // the current person's boundary notes, worked out when first shown
    // The lunar page shown (m_compatibilityShown holds then too, for the layout and "Назад"): its html,
    // to know it is still shown, its date and whether it is the month's; the day was reached from the
    // month's calendar, to which "Назад" returns.
    bool m_lunarShown = false;
    QString m_lunarHtml;
    QDate m_lunarDate;
    bool m_lunarMonth = false;
    bool m_lunarDayFromMonth = false;
    TPeopleWindow* m_people = nullptr; // made when first asked for
    // What the view and the section bar showed before the compatibility page, to go back to.
    struct PageBefore {
        std::optional<solvenna::HoroscopeSystem> system; // the layout's system; none: no layout
        bool barShown = false;
        int section = 0;
        QString page; // the file shown, empty for none
        QString generatedHtml;
        QString generatedBase;
        int scroll = 0;
    };
    std::optional<PageBefore> m_beforeCompatibility;
    bool m_restoringLayout = false; // the bar's section changes load no page meanwhile
    QString m_startHtml;            // the start page last shown
    bool m_pageAsked = false;       // a page was asked for: the start page is done
    bool m_tool3ByKeyboard = false;
    QString m_settingsFile;   // where the window's place is kept; empty: not kept
    int m_storedBarWidth = 0; // the section bar's width from the settings file, given at its first show
    bool m_barFitted = false;
};

extern TForm1* Form1;

namespace solvenna::ui {
// The Latin letter key (Qt::Key_A..Qt::Key_Z) under a pressed key, from its position where the platform
// reports one and otherwise from the letter of the Latin or Russian layout; 0 for any other key.
int physicalLatinKey(int key, quint32 nativeScanCode = 0);
// The Cyrillic letter key the Russian layout puts on the key of a Latin letter; 0 if none.
int russianKeyOfLatin(int latinKey);
} // namespace solvenna::ui

// Creates the program's four windows in their order: the main window, the personal data dialog, the about
// box and the settings dialog. The dialogs live as children of the main window.
void CreateApplicationWindows();
// The three dialogs of an existing main window, in the same order, and the window's stored place.
void CreateDialogWindows();
