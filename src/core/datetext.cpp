#include "core/datetext.h"
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

QString shortDateFormat(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            result += c;
            ++i;
        } else if (!quoted && c == u'y') {
            qsizetype run = 0;
            while (i + run < format.size() && format.at(i + run) == u'y')
                ++run;
            result += u"yyyy"_s;
            i += run;
        } else {
            result += c;
            ++i;
        }
    }
    return result;
}

QString dateToText(Date date, const QLocale& locale) {
    return locale.toString(toQDate(date), shortDateFormat(locale));
}

std::optional<Date> textToDate(const QString& text, const QLocale& locale, int currentYear) {
    const TypedDate read = readTypedDate(text, datePartOrder(locale), currentYear, locale);
    if (read.state != TypedDate::State::Valid) return std::nullopt;
    return fromQDate(read.date);
}

std::optional<Date> textToDate(const QString& text, const QLocale& locale) {
    return textToDate(text, locale, QDate::currentDate().year());
}

DatePartOrder datePartOrder(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    DatePartOrder order{};
    int found = 0;
    bool quoted = false;
    QChar previous;
    for (const QChar c : format) {
        if (c == u'\'') quoted = !quoted;
        if (quoted || c == previous) continue;
        previous = c;
        const DatePart part = c == u'd' ? DatePart::Day : c == u'M' ? DatePart::Month : DatePart::Year;
        if ((c == u'd' || c == u'M' || c == u'y') && found < 3 &&
            std::find(order.begin(), order.begin() + found, part) == order.begin() + found)
            order[found++] = part;
    }
    // A format without all three (none known) falls back to the Russian order.
    if (found != 3) order = {DatePart::Day, DatePart::Month, DatePart::Year};
    return order;
}

std::optional<Date> numericDate(QStringView text, DatePartOrder order) {
    int values[3] = {};
    int digits[3] = {};
    int part = 0;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9') {
            if (++digits[part] > 4) return std::nullopt;
            values[part] = values[part] * 10 + (c.unicode() - u'0');
        } else if ((c == u'.' || c == u'/' || c == u'-') && digits[part] > 0 && part < 2) {
            ++part;
        } else {
            return std::nullopt;
        }
    }
    if (part != 2) return std::nullopt;
    int day = 0, month = 0, year = 0;
    for (int i = 0; i < 3; ++i) {
        const bool isYear = order[i] == DatePart::Year;
        if (isYear ? digits[i] != 4 : digits[i] > 2 || digits[i] == 0) return std::nullopt;
        (order[i] == DatePart::Day ? day : order[i] == DatePart::Month ? month : year) = values[i];
    }
    if (!isValidDate(year, month, day)) return std::nullopt;
    return encodeDate(year, month, day);
}

int expandTwoDigitYear(int twoDigits, int currentYear) {
    int year = currentYear / 100 * 100 + twoDigits;
    if (year > currentYear) year -= 100;
    return year;
}

namespace {

bool isSeparator(QChar c) {
    return c == u'.' || c == u'/' || c == u'-' || c == u',' || c.isSpace();
}

// The month whose name in any of the given forms starts with `prefix`: 1..12, 0 when none, -1 when more
// than one month does (as "ма" for март and май).
int monthByPrefix(const QString& prefix, const QLocale& names) {
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    int match = 0;
    for (int month = 1; month <= 12; ++month) {
        const QString forms[] = {
            russian.monthName(month, QLocale::LongFormat),
            russian.standaloneMonthName(month, QLocale::LongFormat),
            names.monthName(month, QLocale::LongFormat),
            names.standaloneMonthName(month, QLocale::LongFormat),
        };
        for (const QString& form : forms) {
            if (form.startsWith(prefix, Qt::CaseInsensitive)) {
                if (match != 0 && match != month) return -1;
                match = month;
            }
        }
    }
    return match;
}

} // namespace

TypedDate readTypedDate(const QString& text, DatePartOrder order, int currentYear, const QLocale& names) {
    using State = TypedDate::State;
    int values[3] = {0, 0, 0}; // by DatePart
    int part = 0;              // index into order of the part being typed
    QString digits, letters;
    bool yearSuffix = false; // "г" after the year

    // Ends the part being typed; false when what was typed cannot be that part.
    auto finishPart = [&]() -> State {
        const DatePart kind = order[part];
        if (!letters.isEmpty()) {
            const int month = monthByPrefix(letters, names);
            if (month < 0) return State::Incomplete;
            if (month == 0) return State::Invalid;
            values[int(DatePart::Month)] = month;
        } else {
            const int number = digits.toInt();
            if (kind == DatePart::Year) {
                if (digits.size() == 2) {
                    values[int(kind)] = expandTwoDigitYear(number, currentYear);
                } else if (digits.size() == 4) {
                    if (number < 1) return State::Invalid;
                    values[int(kind)] = number;
                } else {
                    return digits.size() < 4 ? State::Incomplete : State::Invalid;
                }
            } else {
                const int highest = kind == DatePart::Day ? 31 : 12;
                if (number < 1 || number > highest) return State::Invalid;
                values[int(kind)] = number;
            }
        }
        digits.clear();
        letters.clear();
        ++part;
        return State::Valid;
    };
    // Whether the digits typed so far make a whole part that no further digit could extend.
    auto digitsComplete = [&] {
        switch (order[part]) {
        case DatePart::Year:
            return digits.size() == 4;
        case DatePart::Day:
            return digits.size() == 2 || (digits.size() == 1 && digits.at(0) >= u'4');
        case DatePart::Month:
            return digits.size() == 2 || (digits.size() == 1 && digits.at(0) >= u'2');
        }
        return false;
    };

    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isSeparator(c)) {
            if (digits.isEmpty() && letters.isEmpty()) continue;
            if (finishPart() != State::Valid) return {State::Invalid, {}};
            continue;
        }
        any = true;
        if (part == 3) {
            // Only a Russian "г" or "г." may follow a complete date.
            if ((c == u'г' || c == u'Г') && !yearSuffix) {
                yearSuffix = true;
                continue;
            }
            return {State::Invalid, {}};
        }
        if (yearSuffix) return {State::Invalid, {}};
        if (c.isDigit()) {
            if (!letters.isEmpty()) {
                if (finishPart() != State::Valid) return {State::Invalid, {}};
                if (part == 3) return {State::Invalid, {}};
            }
            digits += c;
            if (digitsComplete()) {
                if (const State s = finishPart(); s != State::Valid) return {s, {}};
            } else if (digits.size() > 4) {
                return {State::Invalid, {}};
            }
        } else if (c.isLetter()) {
            if (!digits.isEmpty()) {
                if (finishPart() != State::Valid) return {State::Invalid, {}};
                if (part == 3) {
                    if (c == u'г' || c == u'Г') {
                        yearSuffix = true;
                        continue;
                    }
                    return {State::Invalid, {}};
                }
            }
            if (order[part] != DatePart::Month) return {State::Invalid, {}};
            letters += c;
            if (monthByPrefix(letters, names) == 0) return {State::Invalid, {}};
        } else {
            return {State::Invalid, {}};
        }
    }
    if (!any) return {State::Empty, {}};
    if (part < 3 && (!digits.isEmpty() || !letters.isEmpty())) {
        // A lone "0" is the start of a day or month still being typed.
        if (digits == u"0"_s) return {State::Incomplete, {}};
        // The last part may end with the text; a year of two digits is taken, not waited on.
        if (const State s = finishPart(); s != State::Valid) return {s, {}};
    }
    if (part < 3) return {State::Incomplete, {}};
    const QDate date(values[int(DatePart::Year)], values[int(DatePart::Month)], values[int(DatePart::Day)]);
    if (!date.isValid()) return {State::Invalid, {}};
    return {State::Valid, date};
}

} // namespace solvenna
