#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>

#include <map>
#include <optional>

// The Sun and the Moon as the lunar calendar and the boundary notes need them. Positions come from
// libnova (VSOP87 for the Sun, ELP 2000-82B for the Moon, with nutation and aberration: apparent places
// in the tropical zodiac); this unit only searches their moments. Every moment is a UTC QDateTime.
namespace solvenna::sky {

// The years the program computes for; a date outside them is refused.
inline constexpr int kFirstYear = 1900;
inline constexpr int kLastYear = 2100;
bool inRange(const QDate& date);

// Apparent geocentric ecliptic longitude of the date's equinox, degrees in [0, 360).
double sunLongitude(const QDateTime& utc);
double moonLongitude(const QDateTime& utc);
// The Moon's longitude less the Sun's, in [0, 360): 0 new moon, 90 first quarter, 180 full moon,
// 270 last quarter.
double moonElongation(const QDateTime& utc);
// The illuminated fraction of the Moon's disk, 0..1.
double moonIllumination(const QDateTime& utc);

// The zodiac sign of an ecliptic longitude, as the zodiac calculator numbers signs: 1 Aries (0° to 30°)
// ... 12 Pisces.
int signOfLongitude(double degrees);

enum class Phase { NewMoon, FirstQuarter, FullMoon, LastQuarter };
struct PhaseEvent {
    Phase phase = Phase::NewMoon;
    QDateTime utc;
};
// The principal phases from `from` (inclusive) to `to` (exclusive), in time order.
QList<PhaseEvent> phaseEvents(const QDateTime& from, const QDateTime& to);
// The last new moon at or before the moment.
QDateTime newMoonAtOrBefore(const QDateTime& utc);

// The moments the Moon's upper limb rises above the horizon (standard refraction, the Moon's parallax)
// at a place, from `from` (inclusive) to `to` (exclusive), in time order. Days without a rise (beyond
// the polar circles) simply have none.
QList<QDateTime> moonrises(const QDateTime& from, const QDateTime& to, double latitude, double longitude);

struct SignEntry {
    int sign = 0; // 1..12, the sign entered
    QDateTime utc;
};
// The Moon's entries into a sign from `from` (inclusive) to `to` (exclusive), in time order.
QList<SignEntry> moonSignEntries(const QDateTime& from, const QDateTime& to);
// The moment the Sun entered the sign (1..12) in the year (every entry falls within one UTC year).
QDateTime sunEntersSign(int year, int sign);

// The first day of the Chinese lunar year that begins in the Gregorian year, by China's civil calendar
// worked out on libnova's new moons and solar terms (ICU's Chinese calendar, with its own coarser
// astronomy, is a day off in 1954, 2027 and 2030); nullopt outside 1900..2100.
std::optional<QDate> chineseNewYear(int year);

// The Sun and the Moon over a stretch of time, for the searches above: libnova's positions are sampled
// on a grid as they are first needed (the Moon daily, the Sun every two days) and interpolated between
// samples (8-point Lagrange, within 0.05" of direct calls), so that the many searches of a day's or a
// month's page cost a few dozen library calls. The free functions above each use one of their own.
class Track {
public:
    double sunLongitude(const QDateTime& utc) const { return sunAt(julianDay(utc)); }
    double moonLongitude(const QDateTime& utc) const { return moonAt(julianDay(utc)).longitude; }
    double moonElongation(const QDateTime& utc) const;
    double moonIllumination(const QDateTime& utc) const;
    QList<PhaseEvent> phaseEvents(const QDateTime& from, const QDateTime& to) const;
    QDateTime newMoonAtOrBefore(const QDateTime& utc) const;
    QList<QDateTime> moonrises(const QDateTime& from, const QDateTime& to, double latitude,
                               double longitude) const;
    QList<SignEntry> moonSignEntries(const QDateTime& from, const QDateTime& to) const;

    // Julian day (UT) of a moment and back.
    static double julianDay(const QDateTime& utc);
    static QDateTime fromJulianDay(double jd);

private:
    struct Moon {
        double longitude = 0, latitude = 0; // apparent, of date, degrees
        double distance = 0;                // km
        double obliquity = 0;               // true obliquity of the ecliptic, degrees
        double equationOfEquinoxes = 0;     // apparent less mean sidereal time, degrees
    };
    Moon moonAt(double jd) const;
    double sunAt(double jd) const;
    double elongationAt(double jd) const;
    const Moon& moonSample(long day) const;
    double sunSample(long index) const;

    mutable std::map<long, Moon> moonSamples_;
    mutable std::map<long, double> sunSamples_;
};

} // namespace solvenna::sky
