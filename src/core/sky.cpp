#include "core/sky.h"

#include <QHash>
#include <QMutex>
#include <QTimeZone>

#include <libnova/dynamical_time.h>
#include <libnova/earth.h>
#include <libnova/lunar.h>
#include <libnova/nutation.h>
#include <libnova/precession.h>
#include <libnova/sidereal_time.h>
#include <libnova/solar.h>
#include <libnova/transform.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace solvenna::sky {

namespace {

constexpr double kJ2000 = 2451545.0;
constexpr double kUnixEpoch = 2440587.5; // Julian day of 1970-01-01 00:00 UTC
constexpr double kMsecsPerDay = 86400000.0;
constexpr double kDegree = std::numbers::pi / 180.0;
// ELP 2000-82B truncated at 1e-6: within 3" of the full series at a twentieth of its cost.
constexpr double kLunarPrecision = 1e-6;
// Annual aberration at 1 au, degrees (20.4898").
constexpr double kAberration = 20.4898 / 3600.0;
constexpr double kAstronomicalUnitKm = 149597870.7;
constexpr double kEarthRadiusKm = 6378.14;

double normalized(double degrees) {
    const double d = std::fmod(degrees, 360.0);
    return d < 0 ? d + 360.0 : d;
}

// ΔT = TT − UT in seconds. libnova's table is observed up to 2005; its extrapolation beyond overshoots
// by a minute by 2015, so later years take the NASA (Espenak & Meeus) polynomials.
double deltaT(double jdUt) {
    const double year = 2000.0 + (jdUt - kJ2000) / 365.25;
    if (year < 2005.0) return ln_get_dynamical_time_diff(jdUt);
    if (year < 2050.0) {
        const double t = year - 2000.0;
        return 62.92 + 0.32217 * t + 0.005589 * t * t;
    }
    const double u = (year - 1820.0) / 100.0;
    return -20.0 + 32.0 * u * u - 0.5628 * (2150.0 - year);
}

// libnova's theories take dynamical time.
double dynamicalDay(double jdUt) {
    return jdUt + deltaT(jdUt) / 86400.0;
}

// libnova gives ecliptic places referred to the mean equinox of J2000 (checked against ERFA): precess
// them to the mean ecliptic and equinox of the date through its equatorial precession.
ln_lnlat_posn eclipticOfDate(ln_lnlat_posn j2000, double jde) {
    ln_equ_posn equatorial{}, precessed{};
    ln_lnlat_posn result{};
    ln_get_equ_from_ecl(&j2000, kJ2000, &equatorial);
    ln_get_equ_prec2(&equatorial, kJ2000, jde, &precessed);
    ln_get_ecl_from_equ(&precessed, jde, &result);
    return result;
}

// The apparent Sun: libnova's solar longitude carries nutation but not aberration (checked against ERFA).
double apparentSun(double jdUt) {
    const double jde = dynamicalDay(jdUt);
    ln_lnlat_posn sun{};
    ln_get_solar_ecl_coords(jde, &sun);
    return normalized(eclipticOfDate(sun, jde).lng - kAberration / ln_get_earth_solar_dist(jde));
}

struct MoonPlace {
    double longitude = 0, latitude = 0, distance = 0; // apparent, of date; degrees, km
    ln_nutation nutation{};
};

// The apparent Moon: libnova's lunar longitude is the mean one (no nutation); nutation is added here.
// Light time (1.3 s, under 1") is left out.
MoonPlace apparentMoon(double jdUt) {
    const double jde = dynamicalDay(jdUt);
    ln_rect_posn r{};
    ln_get_lunar_geo_posn(jde, &r, kLunarPrecision);
    MoonPlace moon;
    moon.distance = std::sqrt(r.X * r.X + r.Y * r.Y + r.Z * r.Z);
    ln_lnlat_posn j2000{std::atan2(r.Y, r.X) / kDegree, std::atan2(r.Z, std::hypot(r.X, r.Y)) / kDegree};
    const ln_lnlat_posn ofDate = eclipticOfDate(j2000, jde);
    ln_get_nutation(jde, &moon.nutation);
    moon.longitude = normalized(ofDate.lng + moon.nutation.longitude);
    moon.latitude = ofDate.lat;
    return moon;
}

// 8-point Lagrange interpolation at x in [0, 1) between nodes 3 and 4 of nodes at -3..4.
double lagrange8(const std::array<double, 8>& y, double x) {
    double sum = 0;
    for (int i = 0; i < 8; ++i) {
        double w = 1;
        for (int j = 0; j < 8; ++j)
            if (j != i) w *= (x - (j - 3)) / double(i - j);
        sum += w * y[i];
    }
    return sum;
}

// Longitudes only grow: unwrap the nodes so that the polynomial sees a smooth curve.
void unwrap(std::array<double, 8>& y) {
    for (std::size_t i = 1; i < y.size(); ++i)
        y[i] = y[i - 1] + normalized(y[i] - y[i - 1]);
}

constexpr double kSunStep = 4.0; // days; the Sun's place is smooth enough for it
constexpr double kSecond = 1.0 / 86400.0;

// A root of g (negative before, positive after) in [a, b], to a twentieth of a second.
template <class G> double bisect(G g, double a, double b) {
    while (b - a > kSecond / 20) {
        const double m = 0.5 * (a + b);
        (g(m) < 0 ? a : b) = m;
    }
    return 0.5 * (a + b);
}

struct Crossing {
    double target = 0; // degrees in [0, 360)
    double jd = 0;
};

// The moments in [from, to) at which an ever-growing angle f (degrees) passes a multiple of `every`,
// scanning in steps short enough that the angle grows by less than `every` in one.
template <class F> QList<Crossing> crossings(F f, double from, double to, double every, double step) {
    QList<Crossing> found;
    double a = from;
    double va = f(a);
    if (std::fmod(va, every) == 0) found.append({normalized(va), a});
    while (a < to) {
        const double b = std::min(a + step, to);
        const double vb = f(b);
        const double reach = va + normalized(vb - va);
        for (double next = std::floor(va / every) * every + every; next <= reach; next += every) {
            const double target = normalized(next);
            const double jd = bisect([&](double x) { return std::remainder(f(x) - target, 360.0); }, a, b);
            if (jd < to) found.append({target, jd});
        }
        a = b;
        va = vb;
    }
    return found;
}

// The illuminated fraction from the phase angle by the geocentric elongation (Meeus 48.2, 48.3). The
// Sun's distance varies by 1.7%, which moves the fraction by under 1e-4, so it is taken as 1 au.
double illumination(double moonLongitude, double moonLatitude, double moonDistance, double sunLongitude) {
    const double cosPsi =
        std::cos(moonLatitude * kDegree) * std::cos((moonLongitude - sunLongitude) * kDegree);
    const double psi = std::acos(std::clamp(cosPsi, -1.0, 1.0));
    const double i =
        std::atan2(kAstronomicalUnitKm * std::sin(psi), moonDistance - kAstronomicalUnitKm * cosPsi);
    return (1 + std::cos(i)) / 2;
}

// A moment near `guess` at which angle(jd) (degrees) passes `target`, by secant steps from a first
// step at the mean rate (degrees a day).
template <class F> double momentOfAngle(F angle, double target, double guess, double rate) {
    double x0 = guess, g0 = std::remainder(angle(x0) - target, 360.0);
    double x1 = x0 - g0 / rate, g1 = std::remainder(angle(x1) - target, 360.0);
    for (int i = 0; i < 20 && std::abs(x1 - x0) > kSecond / 20 && g1 != g0; ++i) {
        const double x2 = x1 - g1 * (x1 - x0) / (g1 - g0);
        x0 = x1;
        g0 = g1;
        x1 = x2;
        g1 = std::remainder(angle(x1) - target, 360.0);
    }
    return x1;
}

double julianDayOf(int year, int month, int day) {
    return kUnixEpoch +
           double(QDate(year, month, day).startOfDay(QTimeZone::utc()).toMSecsSinceEpoch()) / kMsecsPerDay;
}

// A date as China's calendar counts it: Beijing's mean solar time (UTC+7:45:40) until 1929, UTC+8 since.
QDate chinaDate(double jd) {
    const QDateTime t =
        QDateTime::fromMSecsSinceEpoch(std::llround((jd - kUnixEpoch) * kMsecsPerDay), QTimeZone::utc());
    return t.addSecs(t.date().year() < 1929 ? 7 * 3600 + 45 * 60 + 40 : 8 * 3600).date();
}

constexpr double kScanStep = 0.25; // days: the Moon moves under 5° in it

} // namespace

bool inRange(const QDate& date) {
    return date.isValid() && date >= QDate(kFirstYear, 1, 1) && date <= QDate(kLastYear, 12, 31);
}

double Track::julianDay(const QDateTime& utc) {
    return kUnixEpoch + double(utc.toMSecsSinceEpoch()) / kMsecsPerDay;
}

QDateTime Track::fromJulianDay(double jd) {
    return QDateTime::fromMSecsSinceEpoch(std::llround((jd - kUnixEpoch) * kMsecsPerDay), QTimeZone::utc());
}

const Track::Moon& Track::moonSample(long day) const {
    auto it = moonSamples_.find(day);
    if (it == moonSamples_.end()) {
        const MoonPlace place = apparentMoon(double(day));
        Moon m;
        m.longitude = place.longitude;
        m.latitude = place.latitude;
        m.distance = place.distance;
        m.obliquity = place.nutation.ecliptic + place.nutation.obliquity;
        m.equationOfEquinoxes = place.nutation.longitude * std::cos(m.obliquity * kDegree);
        it = moonSamples_.emplace(day, m).first;
    }
    return it->second;
}

double Track::sunSample(long index) const {
    auto it = sunSamples_.find(index);
    if (it == sunSamples_.end()) it = sunSamples_.emplace(index, apparentSun(double(index) * kSunStep)).first;
    return it->second;
}

Track::Moon Track::moonAt(double jd) const {
    const double base = std::floor(jd);
    const long day = long(base);
    std::array<double, 8> lon{}, lat{}, dist{};
    for (int i = 0; i < 8; ++i) {
        const Moon& m = moonSample(day - 3 + i);
        lon[i] = m.longitude;
        lat[i] = m.latitude;
        dist[i] = m.distance;
    }
    unwrap(lon);
    const double x = jd - base;
    // Nutation and the obliquity change slowly: the nearer sample's serve.
    Moon result = moonSample(x < 0.5 ? day : day + 1);
    result.longitude = normalized(lagrange8(lon, x));
    result.latitude = lagrange8(lat, x);
    result.distance = lagrange8(dist, x);
    return result;
}

double Track::sunAt(double jd) const {
    const double base = std::floor(jd / kSunStep);
    const long index = long(base);
    std::array<double, 8> lon{};
    for (int i = 0; i < 8; ++i)
        lon[i] = sunSample(index - 3 + i);
    unwrap(lon);
    return normalized(lagrange8(lon, jd / kSunStep - base));
}

double Track::elongationAt(double jd) const {
    return normalized(moonAt(jd).longitude - sunAt(jd));
}

double Track::moonElongation(const QDateTime& utc) const {
    return elongationAt(julianDay(utc));
}

double Track::moonIllumination(const QDateTime& utc) const {
    const double jd = julianDay(utc);
    const Moon moon = moonAt(jd);
    return illumination(moon.longitude, moon.latitude, moon.distance, sunAt(jd));
}

QList<PhaseEvent> Track::phaseEvents(const QDateTime& from, const QDateTime& to) const {
    QList<PhaseEvent> events;
    const auto found = crossings([this](double jd) { return elongationAt(jd); }, julianDay(from),
                                 julianDay(to), 90, kScanStep);
    for (const Crossing& c : found)
        events.append({Phase(int(std::lround(c.target / 90)) % 4), fromJulianDay(c.jd)});
    return events;
}

QDateTime Track::newMoonAtOrBefore(const QDateTime& utc) const {
    const double jd = julianDay(utc);
    const auto elongation = [this](double x) { return elongationAt(x); };
    // The Moon gains 10° to 14.5° a day on the Sun: the new moon lies within four days of the mean
    // estimate, which keeps the samples to those needed.
    const double estimate = jd - elongationAt(jd) / 12.19;
    auto found = crossings(elongation, estimate - 4, jd + kSecond / 1000, 360, kScanStep);
    if (found.isEmpty()) found = crossings(elongation, jd - 32, jd + kSecond / 1000, 360, kScanStep);
    return found.isEmpty() ? QDateTime() : fromJulianDay(std::min(found.last().jd, jd));
}

QList<QDateTime> Track::moonrises(const QDateTime& from, const QDateTime& to, double latitude,
                                  double longitude) const {
    const double sinPhi = std::sin(latitude * kDegree);
    const double cosPhi = std::cos(latitude * kDegree);
    // The upper limb on the horizon with standard refraction and the Moon's parallax (Meeus 15,
    // h0 = 0.7275 π − 0°34′).
    const auto aboveRising = [&](double jd) {
        const Moon m = moonAt(jd);
        const double lambda = m.longitude * kDegree, beta = m.latitude * kDegree, eps = m.obliquity * kDegree;
        const double sinDelta =
            std::sin(beta) * std::cos(eps) + std::cos(beta) * std::sin(eps) * std::sin(lambda);
        const double alpha =
            std::atan2(std::sin(lambda) * std::cos(eps) - std::tan(beta) * std::sin(eps), std::cos(lambda));
        const double siderealDegrees = ln_get_mean_sidereal_time(jd) * 15.0 + m.equationOfEquinoxes;
        const double hourAngle = (siderealDegrees + longitude) * kDegree - alpha;
        const double cosDelta = std::sqrt(1 - sinDelta * sinDelta);
        const double altitude =
            std::asin(sinPhi * sinDelta + cosPhi * cosDelta * std::cos(hourAngle)) / kDegree;
        const double parallax = std::asin(kEarthRadiusKm / m.distance) / kDegree;
        return altitude - (0.7275 * parallax - 34.0 / 60.0);
    };
    // The Moon stays up at least an hour or so wherever it rises at all below the limit latitude; a
    // 20-minute scan finds every rise.
    constexpr double step = 20.0 / 1440.0;
    QList<QDateTime> rises;
    const double end = julianDay(to);
    double a = julianDay(from);
    double va = aboveRising(a);
    if (va == 0) rises.append(from);
    while (a < end) {
        const double b = std::min(a + step, end);
        const double vb = aboveRising(b);
        if (va < 0 && vb >= 0) {
            const double jd = bisect(aboveRising, a, b);
            if (jd < end) rises.append(fromJulianDay(jd));
        }
        a = b;
        va = vb;
    }
    return rises;
}

QList<SignEntry> Track::moonSignEntries(const QDateTime& from, const QDateTime& to) const {
    QList<SignEntry> entries;
    const auto found = crossings([this](double jd) { return moonAt(jd).longitude; }, julianDay(from),
                                 julianDay(to), 30, kScanStep);
    for (const Crossing& c : found)
        entries.append({signOfLongitude(c.target), fromJulianDay(c.jd)});
    return entries;
}

double sunLongitude(const QDateTime& utc) {
    return apparentSun(Track::julianDay(utc));
}

double moonLongitude(const QDateTime& utc) {
    return apparentMoon(Track::julianDay(utc)).longitude;
}

double moonElongation(const QDateTime& utc) {
    return normalized(moonLongitude(utc) - sunLongitude(utc));
}

double moonIllumination(const QDateTime& utc) {
    const double jd = Track::julianDay(utc);
    const MoonPlace moon = apparentMoon(jd);
    return illumination(moon.longitude, moon.latitude, moon.distance, apparentSun(jd));
}

int signOfLongitude(double degrees) {
    return int(normalized(degrees) / 30.0) % 12 + 1;
}

QList<PhaseEvent> phaseEvents(const QDateTime& from, const QDateTime& to) {
    return Track().phaseEvents(from, to);
}

QDateTime newMoonAtOrBefore(const QDateTime& utc) {
    return Track().newMoonAtOrBefore(utc);
}

QList<QDateTime> moonrises(const QDateTime& from, const QDateTime& to, double latitude, double longitude) {
    return Track().moonrises(from, to, latitude, longitude);
}

QList<SignEntry> moonSignEntries(const QDateTime& from, const QDateTime& to) {
    return Track().moonSignEntries(from, to);
}

QDateTime sunEntersSign(int year, int sign) {
    if (sign < 1 || sign > 12) return {};
    const double target = (sign - 1) * 30.0;
    // The Sun passes 0° about 20 March and gains a little under a degree a day; Newton's steps on
    // libnova's Sun from there converge to milliseconds in a few rounds.
    double jd = Track::julianDay(QDateTime(QDate(year, 3, 20), QTime(12, 0), QTimeZone::utc())) +
                target / 360.0 * 365.2422;
    if (jd >= Track::julianDay(QDateTime(QDate(year + 1, 1, 1), QTime(0, 0), QTimeZone::utc())))
        jd -= 365.2422;
    for (int round = 0; round < 8; ++round) {
        const double step = std::remainder(target - apparentSun(jd), 360.0) / 0.9856;
        jd += step;
        if (std::abs(step) < kSecond / 20) break;
    }
    return Track::fromJulianDay(jd);
}

std::optional<QDate> chineseNewYear(int year) {
    if (year < kFirstYear || year > kLastYear) return std::nullopt;
    static QMutex mutex;
    static QHash<int, QDate> known;
    const QMutexLocker lock(&mutex);
    if (const auto it = known.constFind(year); it != known.cend()) return *it;

    // China's rule on libnova's Sun and Moon. Month 11 holds the winter solstice; the year begins two
    // months after it, or three when a leap month (the first without a principal term, in a year of 13
    // months from one month 11 to the next) comes between.
    const auto elongation = [](double jd) { return apparentMoon(jd).longitude - apparentSun(jd); };
    const auto newMoonNear = [&](double jd) { return momentOfAngle(elongation, 0, jd, 12.19); };
    const double solstice = momentOfAngle(apparentSun, 270, julianDayOf(year - 1, 12, 21), 0.9856);
    const double nextSolstice = momentOfAngle(apparentSun, 270, solstice + 365.2422, 0.9856);
    QList<double> newMoons{newMoonNear(solstice)};
    if (chinaDate(newMoons[0]) > chinaDate(solstice)) newMoons[0] = newMoonNear(newMoons[0] - 29.53);
    while (chinaDate(newMoons.last()) <= chinaDate(nextSolstice))
        newMoons.append(newMoonNear(newMoons.last() + 29.53));
    int leap = -1;
    if (newMoons.size() - 2 == 13) {
        QList<QDate> terms;
        for (int j = 0; j <= 12; ++j)
            terms.append(chinaDate(
                momentOfAngle(apparentSun, normalized(270 + 30.0 * j), solstice + 30.44 * j, 0.9856)));
        for (int i = 1; i <= 12 && leap < 0; ++i) {
            const QDate start = chinaDate(newMoons[i]), end = chinaDate(newMoons[i + 1]);
            if (std::none_of(terms.cbegin(), terms.cend(),
                             [&](const QDate& t) { return start <= t && t < end; }))
                leap = i;
        }
    }
    const QDate result = chinaDate(newMoons[(leap == 1 || leap == 2) ? 3 : 2]);
    known.insert(year, result);
    return result;
}

} // namespace solvenna::sky
