#include "core/datetext.h"

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

std::optional<Date> textToDate(const QString& text, const QLocale& locale) {
    const QDate parsed = locale.toDate(text.trimmed(), shortDateFormat(locale));
    if (!parsed.isValid() || parsed.year() < 1) return std::nullopt;
    return fromQDate(parsed);
}

} // namespace solvenna
