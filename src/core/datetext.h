#pragma once

#include "core/date.h"

#include <QLocale>
#include <QString>

#include <optional>

// Dates as text in the short date format of the user's locale, always with a four-digit year: several
// locales' short formats carry two ("M/d/yy"), which would store 2005 as "05" and read it back as 1905.
namespace solvenna {

QString shortDateFormat(const QLocale& locale = QLocale());
QString dateToText(Date date, const QLocale& locale = QLocale());
std::optional<Date> textToDate(const QString& text, const QLocale& locale = QLocale());
inline Date textToDate(const QString& text, Date fallback, const QLocale& locale = QLocale()) {
    return textToDate(text, locale).value_or(fallback);
}

} // namespace solvenna
