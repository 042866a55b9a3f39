#include "main.h"

#include "core/caption.h"
#include "core/datetext.h"
#include "core/livesettings.h"
#include "core/lunarcalendar.h"
#include "core/lunarpage.h"
#include "lunarbar.h"
#include "pageview.h"
#include "services.h"
#include "whoim.h"
#include "widgets.h"

#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>

// The main window's lunar calendar: the day's page and the month's calendar, the bar above them, and the
// boundary notes the person's data pages carry.

using namespace Qt::Literals::StringLiterals;
using solvenna::ui::connectGuarded;

namespace {
// Made at the first lunar page, not at start-up.
const QLocale& russian() {
    static const QLocale locale(QLocale::Russian, QLocale::Russia);
    return locale;
}
} // namespace

void TForm1::followLunarPages() {
    // Whatever shows another page hides the bar.
    connectGuarded(Web1, &QTextBrowser::sourceChanged, this, &TForm1::lunarPageLeft);
    Web1->setPageNote([this](const QString& path) { return pageNote(path); });
}

// Made at the first lunar page: start-up makes none of it.
void TForm1::createLunarBar() {
    if (LunarBar) return;
    LunarBar = new TLunarBar(Panel2);
    static_cast<QVBoxLayout*>(Panel2->layout())->insertWidget(0, LunarBar);
    LunarBar->DateField->today = [this] { return lunarToday(); };
    connectGuarded(LunarBar, &TLunarBar::dateEntered, this,
                   [this](const QDate& date) { showLunarDay(date); });
    connectGuarded(LunarBar->PreviousDay, &QToolButton::clicked, this, &TForm1::previousDayClick);
    connectGuarded(LunarBar->NextDay, &QToolButton::clicked, this, &TForm1::nextDayClick);
    connectGuarded(LunarBar->Today, &QToolButton::clicked, this, &TForm1::todayClick);
    connectGuarded(LunarBar->Month, &QToolButton::clicked, this, &TForm1::monthClick);
}

QString TForm1::pageNote(const QString& pagePath) {
    return m_notes.noteFor(Folders, BirthDate, pagePath);
}

QDate TForm1::lunarToday() const {
    return clock().toTimeZone((m_settings ? m_settings->place() : solvenna::moscow()).zone).date();
}

void TForm1::todayClick() {
    showLunarDay(lunarToday());
}

void TForm1::monthClick() {
    showLunarMonth(lunarDateShown().value_or(lunarToday()));
}

void TForm1::previousDayClick() {
    if (const auto shown = lunarDateShown(); shown && !m_lunarMonth) showLunarDay(shown->addDays(-1));
}

void TForm1::nextDayClick() {
    if (const auto shown = lunarDateShown(); shown && !m_lunarMonth) showLunarDay(shown->addDays(1));
}

bool TForm1::showLunarDay(const QDate& date) {
    return showLunarPage(date, false);
}

bool TForm1::showLunarMonth(const QDate& anyDayOfIt) {
    return showLunarPage(anyDayOfIt, true);
}

std::optional<QDate> TForm1::lunarDateShown() const {
    if (!m_lunarShown || !m_compatibilityShown || m_lunarHtml.isEmpty() || !Web1->showsGenerated() ||
        Web1->generatedHtml() != m_lunarHtml)
        return std::nullopt;
    return m_lunarDate;
}

bool TForm1::lunarMonthShown() const {
    return lunarDateShown() && m_lunarMonth;
}

bool TForm1::showLunarPage(const QDate& date, bool month) {
    const auto refuse = [this] {
        solvenna::ui::showMessage(solvenna::lunarpage::outOfRangeMessage());
        if (const auto shown = lunarDateShown(); shown && LunarBar)
            LunarBar->showDate(*shown); // the field as the page
        return false;
    };
    if (!date.isValid() || !solvenna::sky::inRange(date)) return refuse();
    const solvenna::Place place = m_settings ? m_settings->place() : solvenna::moscow();
    solvenna::lunarpage::Page page;
    QString hint;
    if (month) {
        const auto calendar = solvenna::lunar::monthAt(date.year(), date.month(), place);
        if (!calendar) return refuse();
        page = solvenna::lunarpage::monthPage(*calendar, place, Folders);
        hint = u"Лунный календарь: %1 %2, %3"_s.arg(russian().standaloneMonthName(date.month()).toLower())
                   .arg(date.year())
                   .arg(solvenna::placeText(place));
    } else {
        const auto day = solvenna::lunar::dayAt(date, place);
        if (!day) return refuse();
        std::optional<solvenna::CompatibilityPerson> person;
        if (solvenna::birthDateIsSet(BirthDate))
            person = solvenna::CompatibilityPerson{PersonName, solvenna::dateToText(BirthDate), BirthDate};
        page = solvenna::lunarpage::dayPage(*day, place, Folders, person);
        hint = u"Лунный календарь: %1, %2"_s.arg(russian().toString(date, u"d MMMM yyyy"_s),
                                                 solvenna::placeText(place));
    }

    // A day reached from the month's calendar, and the days stepped to from it, lead back to the month.
    const bool fromMonth = !month && lunarDateShown() && (m_lunarMonth || m_lunarDayFromMonth);
    rememberPageBefore();
    m_showingGroup = false;
    m_pairFromGroup = false;
    showCompatibilityLayout(u"Лунный календарь"_s, hint);
    m_lunarShown = true;
    m_lunarMonth = month;
    m_lunarDayFromMonth = fromMonth;
    m_lunarDate = month ? QDate(date.year(), date.month(), 1) : date;
    m_lunarHtml.clear();
    if (page.missingFile.isEmpty()) {
        Web1->showGenerated(page.html, Folders.DataFolder + u"Lunar"_s + solvenna::pathDelimiter());
        m_lunarHtml = Web1->generatedHtml();
    } else {
        LoadFile(page.missingFile); // a missing text: the data folder's error page
    }
    createLunarBar();
    LunarBar->showDate(m_lunarDate);
    lunarPageLeft();
    Timer1Timer(); // "Назад", "Вчера" and "Завтра" at once
    return true;
}

void TForm1::lunarPageLeft() {
    if (!LunarBar) return;
    const bool shown = lunarDateShown().has_value();
    LunarBar->setVisible(shown);
    LunarBar->setDayStepsEnabled(shown && !m_lunarMonth);
}
