#include "core/people.h"

#include "core/signs.h"

#include <QCollator>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {

// A date the calendar arithmetic can take: a stored entry may hold anything, and 0 means none.
bool usable(Date date) {
    return std::isfinite(date) && date != 0 && date >= encodeDate(1, 1, 1) &&
           date <= encodeDate(9999, 12, 31);
}

// The day a birthday falls on in a year: 29 February is kept on 28 February in a common year.
Date birthdayIn(const YearMonthDay& birth, int year) {
    const int day = std::min(birth.day, daysInMonth(year, birth.month));
    return encodeDate(year, birth.month, day);
}

} // namespace

QString filterKey(const QString& text) {
    // Composed first, so that "е" with a combining diaeresis is the same "ё" as the single letter.
    return text.normalized(QString::NormalizationForm_C).toCaseFolded().replace(u'ё', u'е');
}

int ageOn(Date birthDate, Date today) {
    if (!usable(birthDate) || !usable(today) || today < birthDate) return -1;
    const YearMonthDay birth = decodeDate(birthDate), now = decodeDate(today);
    const int years = now.year - birth.year;
    return std::floor(today) < birthdayIn(birth, now.year) ? years - 1 : years;
}

int daysUntilBirthday(Date birthDate, Date today) {
    if (!usable(birthDate) || !usable(today)) return -1;
    const YearMonthDay birth = decodeDate(birthDate), now = decodeDate(today);
    const Date day = std::floor(today);
    Date next = birthdayIn(birth, now.year);
    if (next < day) {
        if (now.year >= 9999) return -1;
        next = birthdayIn(birth, now.year + 1);
    }
    return int(next - day);
}

QList<UpcomingBirthday> upcomingBirthdays(const QList<NamedDate>& people, Date today, int withinDays) {
    QList<UpcomingBirthday> upcoming;
    for (const NamedDate& person : people) {
        const int days = daysUntilBirthday(person.birthDate, today);
        if (days < 0 || days > withinDays) continue;
        // A birth still to come, or the day of birth itself, is no birthday.
        const int turns = ageOn(person.birthDate, std::floor(today) + days);
        if (turns < 1) continue;
        upcoming.append({person.name, person.birthDate, days, turns, GetSign(person.birthDate)});
    }
    QCollator collator(QLocale(QLocale::Russian, QLocale::Russia));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(upcoming.begin(), upcoming.end(), [&collator](const auto& a, const auto& b) {
        if (a.days != b.days) return a.days < b.days;
        return collator.compare(a.name, b.name) < 0;
    });
    return upcoming;
}

QString daysText(int days) {
    if (days == 0) return u"сегодня"_s;
    if (days == 1) return u"завтра"_s;
    // Russian plurals: 1, 21, 101 "день"; 2-4, 22-24 "дня"; the rest, and 11-14, "дней".
    const int lastTwo = std::abs(days) % 100, last = lastTwo % 10;
    const QString word = lastTwo >= 11 && lastTwo <= 14 ? u"дней"_s
                         : last == 1                    ? u"день"_s
                         : last >= 2 && last <= 4       ? u"дня"_s
                                                        : u"дней"_s;
    return u"через "_s + QString::number(days) + u' ' + word;
}

QString dayMonthText(Date date) {
    static constexpr std::array<const char16_t*, 12> kMonths{u"января",   u"февраля", u"марта",  u"апреля",
                                                             u"мая",      u"июня",    u"июля",   u"августа",
                                                             u"сентября", u"октября", u"ноября", u"декабря"};
    if (!usable(date)) return {};
    const YearMonthDay ymd = decodeDate(date);
    return QString::number(ymd.day) + u' ' + QString::fromUtf16(kMonths[std::size_t(ymd.month - 1)]);
}

QString dateInWords(Date date) {
    if (!usable(date)) return {};
    return dayMonthText(date) + u' ' + QString::number(decodeDate(date).year);
}

} // namespace solvenna
