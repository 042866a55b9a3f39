#include "core/lunarcalendar.h"

#include <QTimeZone>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::lunar {

namespace {

constexpr qint64 kHour = 3600;
constexpr qint64 kDay = 24 * kHour;

// The calendar days first..last at a place, worked out together: one track of the Moon serves every
// search, and the lunar days are counted once from the new moon before the first day.
QList<Day> daysOf(const QDate& first, const QDate& last, const Place& place, QList<sky::PhaseEvent>& phases) {
    const sky::Track track;
    const QTimeZone& zone = place.zone;
    const QDateTime spanStart = first.startOfDay(zone).toUTC();
    const QDateTime spanEnd = last.addDays(1).startOfDay(zone).toUTC();
    const bool atLimit = std::abs(place.latitude) > kRiseLatitudeLimit;
    const double latitude = std::clamp(place.latitude, -kRiseLatitudeLimit, kRiseLatitudeLimit);

    // The principal phases from that new moon on (its own crossing is found again by the search, so the
    // search starts an hour after it).
    const QDateTime newMoon = track.newMoonAtOrBefore(spanStart);
    phases = {{sky::Phase::NewMoon, newMoon}};
    phases += track.phaseEvents(newMoon.addSecs(kHour), spanEnd.addSecs(2 * kDay));

    // The moonrises up to the first one after the last day, which ends the last lunar day.
    QDateTime horizon = spanEnd.addSecs(2 * kDay);
    QList<QDateTime> rises = track.moonrises(newMoon, horizon, latitude, place.longitude);
    while ((rises.isEmpty() || rises.last() < spanEnd) && horizon < spanEnd.addSecs(10 * kDay)) {
        rises += track.moonrises(horizon, horizon.addSecs(2 * kDay), latitude, place.longitude);
        horizon = horizon.addSecs(2 * kDay);
    }

    // Day 1 from the new moon to the next rise, then one day from rise to rise; a new moon starts
    // day 1 again.
    QList<LunarDay> lunarDays;
    LunarDay current{1, newMoon, {}};
    auto nextRise = rises.cbegin();
    auto nextPhase = phases.cbegin() + 1;
    while (current.start < spanEnd) {
        while (nextPhase != phases.cend() && nextPhase->phase != sky::Phase::NewMoon)
            ++nextPhase;
        const bool haveRise = nextRise != rises.cend();
        const bool haveNewMoon = nextPhase != phases.cend();
        if (!haveRise && !haveNewMoon) break;
        const bool newMoonFirst = haveNewMoon && (!haveRise || nextPhase->utc <= *nextRise);
        current.end = newMoonFirst ? nextPhase->utc : *nextRise;
        if (current.end > current.start) lunarDays.append(current);
        current = {newMoonFirst ? 1 : std::min(current.number + 1, 30), current.end, {}};
        if (newMoonFirst)
            ++nextPhase;
        else
            ++nextRise;
    }
    if (current.start < spanEnd) // no rise was found: the day stays open
        lunarDays.append(current);

    QList<sky::SignEntry> entries = track.moonSignEntries(spanStart, spanEnd);
    if (entries.isEmpty() || entries.last().utc < spanEnd)
        entries += track.moonSignEntries(spanEnd, spanEnd.addSecs(3 * kDay));

    QList<Day> days;
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        Day day;
        day.date = date;
        day.start = date.startOfDay(zone).toUTC();
        day.end = date.addDays(1).startOfDay(zone).toUTC();
        const QDateTime noon = QDateTime(date, QTime(12, 0), zone).toUTC();
        day.illumination = track.moonIllumination(noon);
        day.elongation = track.moonElongation(noon);
        for (const sky::PhaseEvent& e : std::as_const(phases))
            if (e.utc >= day.start && e.utc < day.end) day.phaseEvents.append(e);
        day.phaseName = phaseName(day.phaseEvents, day.elongation);
        for (const LunarDay& l : std::as_const(lunarDays))
            if (l.start < day.end && (!l.end.isValid() || l.end > day.start)) day.lunarDays.append(l);
        day.risesAtLimit = atLimit;
        day.moonSignAtStart = sky::signOfLongitude(track.moonLongitude(day.start));
        for (const sky::SignEntry& e : std::as_const(entries)) {
            if (e.utc < day.start) continue;
            if (!day.nextSignEntry.utc.isValid()) day.nextSignEntry = e;
            if (e.utc < day.end) day.signEntries.append(e);
        }
        days.append(day);
    }
    return days;
}

} // namespace

std::optional<Day> dayAt(const QDate& date, const Place& place) {
    if (!sky::inRange(date)) return std::nullopt;
    QList<sky::PhaseEvent> phases;
    return daysOf(date, date, place, phases).front();
}

std::optional<Month> monthAt(int year, int month, const Place& place) {
    const QDate first(year, month, 1);
    if (!sky::inRange(first)) return std::nullopt;
    const QDate last(year, month, first.daysInMonth());
    Month result;
    result.year = year;
    result.month = month;
    QList<sky::PhaseEvent> phases;
    result.days = daysOf(first, last, place, phases);
    const QDateTime from = result.days.front().start, to = result.days.back().end;
    for (const sky::PhaseEvent& e : std::as_const(phases))
        if (e.utc >= from && e.utc < to) result.phaseEvents.append(e);
    return result;
}

QString phaseEventName(sky::Phase phase) {
    switch (phase) {
    case sky::Phase::NewMoon:
        return u"Новолуние"_s;
    case sky::Phase::FirstQuarter:
        return u"Первая четверть"_s;
    case sky::Phase::FullMoon:
        return u"Полнолуние"_s;
    case sky::Phase::LastQuarter:
        return u"Последняя четверть"_s;
    }
    return {};
}

QString phaseName(const QList<sky::PhaseEvent>& eventsOfTheDay, double elongation) {
    if (!eventsOfTheDay.isEmpty()) return phaseEventName(eventsOfTheDay.front().phase);
    return elongation < 180 ? u"Растущая Луна"_s : u"Убывающая Луна"_s;
}

} // namespace solvenna::lunar
