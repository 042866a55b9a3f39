#pragma once

#include "core/places.h"
#include "core/sky.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// Lunar days, phases and the Moon's signs of calendar days at a place.
namespace solvenna::lunar {

// Beyond this latitude, north or south, the Moon stays up or down for whole days; lunar days there are
// counted from the moonrises at this latitude on the place's meridian, and the pages say so.
inline constexpr double kRiseLatitudeLimit = 60.0;

// A lunar day as Russian lunar calendars count it: day 1 runs from the new moon to the first moonrise
// after it, every later day from one moonrise to the next.
struct LunarDay {
    int number = 0;  // 1..30
    QDateTime start; // UTC
    QDateTime end;   // UTC, the next lunar day's start
};

struct Day {
    QDate date;                         // the calendar day at the place
    QDateTime start, end;               // its first moment and the next day's first moment, UTC
    double illumination = 0;            // at the place's noon, 0..1
    double elongation = 0;              // at the place's noon, degrees in [0, 360)
    QString phaseName;                  // see phaseName()
    QList<LunarDay> lunarDays;          // every lunar day that overlaps the date, in order
    bool risesAtLimit = false;          // counted at kRiseLatitudeLimit, the place lying beyond it
    int moonSignAtStart = 0;            // 1..12
    QList<sky::SignEntry> signEntries;  // the Moon's entries into a sign during the day
    sky::SignEntry nextSignEntry;       // the first entry after the day's start, maybe after the day
    QList<sky::PhaseEvent> phaseEvents; // principal phases during the day
};

// nullopt when the date lies outside sky::kFirstYear..sky::kLastYear.
std::optional<Day> dayAt(const QDate& date, const Place& place);

struct Month {
    int year = 0, month = 0;
    QList<Day> days;                    // every day of the month, in order
    QList<sky::PhaseEvent> phaseEvents; // the principal phases during the month
};
// Worked out in one pass (the days share the month's new moons and moonrises); nullopt outside the years.
std::optional<Month> monthAt(int year, int month, const Place& place);

// The day's phase: the name of a principal phase that falls in the day ("Новолуние", "Первая четверть",
// "Полнолуние", "Последняя четверть"), otherwise "Растущая Луна" or "Убывающая Луна" by the elongation.
QString phaseName(const QList<sky::PhaseEvent>& eventsOfTheDay, double elongation);
QString phaseEventName(sky::Phase phase);

} // namespace solvenna::lunar
