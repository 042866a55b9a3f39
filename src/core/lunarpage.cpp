#include "core/lunarpage.h"

#include "core/catalogue.h"
#include "core/groupcompatibility.h"
#include "core/pagebuilder.h"
#include "core/people.h"
#include "core/signs.h"
#include "core/sky.h"

#include <QFileInfo>
#include <QTimeZone>
#include <QUrlQuery>

#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::lunarpage {

namespace {

constexpr auto kDayPath = u"lunar-day";
constexpr auto kMonthPath = u"lunar-month";
// Texts and pictures of the data folder's Lunar/ folder, relative to the data folder.
QString lunarFile(const QString& name) {
    return u"Lunar/"_s + name;
}

// The drawn phases: one picture for every 10° of elongation.
constexpr int kPhasePictures = 36;
constexpr int kDayPicturePixels = 96;
constexpr int kMonthPicturePixels = 36;

// The sign's name as "Луна в знаке Льва" and "Луна во Льве" need it, by the zodiac calculator's index.
constexpr std::array<const char16_t*, kZodiacSigns> kSignGenitive{
    u"Овна",  u"Тельца",    u"Близнецов", u"Рака",     u"Льва",    u"Девы",
    u"Весов", u"Скорпиона", u"Стрельца",  u"Козерога", u"Водолея", u"Рыб",
};
constexpr std::array<const char16_t*, kZodiacSigns> kSignPrepositional{
    u"в Овне",  u"в Тельце",    u"в Близнецах", u"в Раке",     u"во Льве",   u"в Деве",
    u"в Весах", u"в Скорпионе", u"в Стрельце",  u"в Козероге", u"в Водолее", u"в Рыбах",
};
constexpr std::array<const char16_t*, 12> kMonthNames{
    u"январь", u"февраль", u"март",     u"апрель",  u"май",    u"июнь",
    u"июль",   u"август",  u"сентябрь", u"октябрь", u"ноябрь", u"декабрь",
};
constexpr std::array<const char16_t*, 7> kWeekdays{
    u"понедельник", u"вторник", u"среда", u"четверг", u"пятница", u"суббота", u"воскресенье",
};
constexpr std::array<const char16_t*, 7> kWeekdaysShort{u"Пн", u"Вт", u"Ср", u"Чт", u"Пт", u"Сб", u"Вс"};

QString signGenitive(int sign) {
    return sign >= 1 && sign <= kZodiacSigns ? QString::fromUtf16(kSignGenitive[std::size_t(sign - 1)])
                                             : QString();
}
QString signPrepositional(int sign) {
    return sign >= 1 && sign <= kZodiacSigns ? QString::fromUtf16(kSignPrepositional[std::size_t(sign - 1)])
                                             : QString();
}

bool yearInRange(int year) {
    return year >= sky::kFirstYear && year <= sky::kLastYear;
}

// A zone that cannot convert (a broken place) would turn every time into an invalid one: UTC instead.
QTimeZone zoneOf(const Place& place) {
    return place.zone.isValid() ? place.zone : QTimeZone::utc();
}

// "9 декабря 2026 года".
QString dateText(const QDate& date) {
    return dateInWords(fromQDate(date)) + u" года"_s;
}

QString monthTitle(int year, int month) {
    if (month < 1 || month > 12) return QString::number(year);
    return QString::fromUtf16(kMonthNames[std::size_t(month - 1)]) + u' ' + QString::number(year);
}

// ", среда"; nothing for an invalid date, whose day of the week is 0.
QString weekdayText(const QDate& date) {
    const int day = date.dayOfWeek();
    return day >= 1 && day <= 7 ? u", "_s + QString::fromUtf16(kWeekdays[std::size_t(day - 1)]) : QString();
}

// "8 декабря, 14:32" in the zone.
QString momentText(const QDateTime& utc, const QTimeZone& zone) {
    const QDateTime local = utc.toTimeZone(zone);
    return dayMonthText(fromQDate(local.date())) + u", "_s + local.toString(u"HH:mm"_s);
}

QString timeText(const QDateTime& utc, const QTimeZone& zone) {
    return utc.toTimeZone(zone).toString(u"HH:mm"_s);
}

// "UTC+3", "UTC+5:30", "UTC−3": the offset the zone has at the moment.
QString offsetText(const QTimeZone& zone, const QDateTime& at) {
    const int seconds = zone.offsetFromUtc(at);
    const int minutes = std::abs(seconds) / 60;
    QString text = u"UTC"_s + (seconds < 0 ? u"\u2212"_s : u"+"_s) + QString::number(minutes / 60);
    if (minutes % 60) text += u':' + u"%1"_s.arg(minutes % 60, 2, 10, QChar(u'0'));
    return text;
}

QString placeLine(const Place& place, const QDateTime& at) {
    return placeText(place) + u", время "_s + offsetText(zoneOf(place), at);
}

Html link(const QUrl& url, const QString& text) {
    return Html::markup(u"<a href=\""_s + url.toString(QUrl::FullyEncoded).toHtmlEscaped() + u"\">"_s) +
           Html::text(text) + Html::markup(u"</a>"_s);
}

Html phaseImage(double elongation, int pixels, const QString& alt) {
    const QString size = QString::number(pixels);
    return Html::markup(u"<img src=\"../"_s + phasePicture(elongation).toHtmlEscaped() + u"\" width=\""_s +
                        size + u"\" height=\""_s + size + u"\" alt=\""_s + alt.toHtmlEscaped() + u"\" />"_s);
}

// The day's local noon: the Moon's sign then is the one whose text and relation the page gives, as the
// phase is the one at noon.
QDateTime noonOf(const lunar::Day& day, const QTimeZone& zone) {
    return QDateTime(day.date, QTime(12, 0), zone).toUTC();
}

int moonSignAt(const lunar::Day& day, const QDateTime& utc) {
    int sign = day.moonSignAtStart;
    for (const sky::SignEntry& entry : day.signEntries)
        if (entry.utc <= utc) sign = entry.sign;
    return sign;
}

QString relationStem(ZodiacRelation relation) {
    // The relation texts share their stems with the compatibility page's fragments.
    return QFileInfo(fragmentFile(relation)).completeBaseName().mid(QStringLiteral("zodiac-").size());
}

// Reads the data folder's texts of one page, remembering the first that could not be read.
class Texts {
public:
    explicit Texts(const Folders& folders) : m_dataFolder(folders.DataFolder) {}
    Html take(const QString& relativeFile) {
        const QString path = fragmentPath(m_dataFolder, relativeFile);
        const auto text = readFragment(path);
        if (!text) {
            if (m_missing.isEmpty()) m_missing = path;
            return {};
        }
        return Html::markup(*text);
    }
    // A picture the page shows: a missing one would leave a hole in the page without a word.
    Html picture(double elongation, int pixels, const QString& alt) {
        const QString path = fragmentPath(m_dataFolder, phasePicture(elongation));
        if (!QFileInfo(path).isFile() && m_missing.isEmpty()) m_missing = path;
        return phaseImage(elongation, pixels, alt);
    }
    const QString& missing() const { return m_missing; }

private:
    QString m_dataFolder;
    QString m_missing;
};

Page finished(const PageBuilder& page, const Texts& texts) {
    if (!texts.missing().isEmpty()) return {{}, texts.missing()};
    return {page.html(), {}};
}

QString lunarDayTitle(int number) {
    return QString::number(number) + u"-й лунный день"_s;
}

QString lunarDayLine(const lunar::LunarDay& lunarDay, const QTimeZone& zone) {
    QString line = lunarDayTitle(lunarDay.number) + u": с "_s;
    // Day 1 begins at the new moon rather than at a moonrise.
    if (lunarDay.number == 1) line += u"новолуния "_s;
    return line + momentText(lunarDay.start, zone) + u" до "_s + momentText(lunarDay.end, zone);
}

QString moonSignLine(const lunar::Day& day, const QTimeZone& zone) {
    QString line = u"Луна "_s + signPrepositional(day.moonSignAtStart);
    if (day.nextSignEntry.utc.isValid() && day.nextSignEntry.sign >= 1)
        line += u"; в знак "_s + signGenitive(day.nextSignEntry.sign) + u" переходит "_s +
                dayMonthText(fromQDate(day.nextSignEntry.utc.toTimeZone(zone).date())) + u" в "_s +
                timeText(day.nextSignEntry.utc, zone);
    return line + u'.';
}

QString polarSentence(const Place& place) {
    const QString hemisphere = place.latitude < 0 ? u"ю. ш."_s : u"с. ш."_s;
    return u"Здесь Луна бывает над горизонтом или под ним целыми сутками, поэтому лунные дни считаются от "
           u"восходов Луны на широте "_s +
           QString::number(lunar::kRiseLatitudeLimit) + u"° "_s + hemisphere +
           u" на меридиане этого места."_s;
}

// The digits of a date as the number of the day adds them: day, month and four-digit year.
QString digitsOf(const QDate& date) {
    return date.toString(u"ddMMyyyy"_s);
}

int digitSumOf(const QString& digits) {
    int sum = 0;
    for (const QChar c : digits)
        sum += c.digitValue();
    return sum;
}

// "58, 5 + 8 = 13, 1 + 3 = 4": how the sum is reduced to one digit.
QString reductionText(int sum) {
    QString text = QString::number(sum);
    while (sum >= 10) {
        QStringList digits;
        for (const QChar c : QString::number(sum))
            digits << QString(c);
        sum = DigitSum(sum);
        text += u", "_s + digits.join(u" + "_s) + u" = "_s + QString::number(sum);
    }
    return text;
}

void personSections(PageBuilder& page, Texts& texts, const CompatibilityPerson& person, const QDate& date,
                    int moonSign) {
    const int sign = GetSign(person.birthDate);
    const QString name = displayName(person.name.trimmed());
    if (const auto relation = zodiacRelation(moonSign, sign)) {
        page.heading(2, u"Луна и ваш знак: "_s + zodiacRelationCaption(*relation));
        page.paragraph(name + u", "_s + person.dateText + u": ваш знак — "_s +
                           signName(HoroscopeSystem::Zodiac, sign) + u", Луна "_s +
                           signPrepositional(moonSign) + u'.',
                       u"class=\"period\""_s);
        page.block(texts.take(lunarFile(u"relation-"_s + relationStem(*relation) + u".htm"_s)));
    }
    const QDate birth = toQDate(person.birthDate);
    if (!birth.isValid()) return;
    const int number = numberOfTheDay(person.birthDate, date);
    page.heading(2, u"Ваше число дня: "_s + QString::number(number));
    page.paragraph(
        u"Число дня — сумма всех цифр даты рождения и даты этого дня, сведённая к одной цифре: "_s +
            birth.toString(u"dd.MM.yyyy"_s) + u" и "_s + date.toString(u"dd.MM.yyyy"_s) + u" дают "_s +
            reductionText(digitSumOf(digitsOf(birth) + digitsOf(date))) + u'.',
        u"class=\"period\""_s);
    page.block(texts.take(lunarFile(u"number-"_s + QString::number(number) + u".htm"_s)));
}

Html navigation(const QList<std::pair<QUrl, QString>>& links) {
    Html html;
    for (const auto& [url, text] : links) {
        if (!html.toString().isEmpty()) html += Html::text(u" · "_s);
        html += link(url, text);
    }
    return html;
}

// A link's one query item, or nothing when the link is not exactly "solvenna:<path>?<key>=<value>".
std::optional<QString> linkValue(const QUrl& link, QStringView path, QStringView key) {
    if (!link.isValid() || link.scheme() != QString::fromUtf16(kPairLinkScheme) || link.hasFragment() ||
        !link.authority().isEmpty() || link.path() != path || !link.hasQuery())
        return std::nullopt;
    const QList<std::pair<QString, QString>> items = QUrlQuery(link).queryItems(QUrl::FullyDecoded);
    if (items.size() != 1 || items[0].first != key) return std::nullopt;
    return items[0].second;
}

// Digits and dashes exactly where the form has them, so that nothing a lenient reader lets through passes.
std::optional<QDate> readDate(const QString& text, const QString& form) {
    if (text.size() != form.size()) return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (form[i] == u'-' ? text[i] != u'-' : (text[i] < u'0' || text[i] > u'9')) return std::nullopt;
    const QDate date = QDate::fromString(text, form);
    if (!date.isValid()) return std::nullopt;
    return date;
}

// The world's zones run from UTC−12 to UTC+14: a calendar day lasts somewhere from its 00:00 at UTC+14
// to its 24:00 at UTC−12.
constexpr qint64 kEarliestZoneSeconds = 14 * 3600;
constexpr qint64 kLatestZoneSeconds = 12 * 3600;
// How far from the table's boundary a date still gets the zodiac note, and how far the Sun's entry into a
// sign strays from it (about two days either way over 1900..2100).
constexpr qint64 kTableMarginDays = 1;
constexpr qint64 kSearchDays = 3;

// The sign whose first day in the table lies within the days of the date (either side), and how many
// days off it is; nothing near any boundary.
std::optional<std::pair<int, qint64>> nearestTableBoundary(const QDate& date, qint64 withinDays) {
    for (int sign = 1; sign <= kZodiacSigns; ++sign) {
        const DayRange range = zodiacRange(sign);
        // The boundary of late December may lie in the year before a date of early January, and back.
        for (const int year : {date.year() - 1, date.year(), date.year() + 1}) {
            const qint64 off = QDate(year, range.firstMonth, range.firstDay).daysTo(date);
            if (std::abs(off) <= withinDays) return std::pair{sign, off};
        }
    }
    return std::nullopt;
}

QString noteBlock(const QString& lead, const Html& content) {
    return u"<p class=\"note\">"_s + (Html::text(lead).bold() + Html::text(u" "_s) + content).toString() +
           u"</p>"_s;
}

} // namespace

QUrl dayLink(const QDate& date) {
    return QUrl(QString::fromUtf16(kPairLinkScheme) + u':' + QString::fromUtf16(kDayPath) + u"?date="_s +
                date.toString(u"yyyy-MM-dd"_s));
}

QUrl monthLink(int year, int month) {
    return QUrl(QString::fromUtf16(kPairLinkScheme) + u':' + QString::fromUtf16(kMonthPath) + u"?month="_s +
                u"%1-%2"_s.arg(year, 4, 10, QChar(u'0')).arg(month, 2, 10, QChar(u'0')));
}

std::optional<QDate> dayOfLink(const QUrl& link) {
    const auto value = linkValue(link, kDayPath, u"date");
    return value ? readDate(*value, u"yyyy-MM-dd"_s) : std::nullopt;
}

std::optional<QDate> monthOfLink(const QUrl& link) {
    const auto value = linkValue(link, kMonthPath, u"month");
    return value ? readDate(*value + u"-01"_s, u"yyyy-MM-dd"_s) : std::nullopt;
}

QString outOfRangeMessage() {
    return u"Лунный календарь считается для дат с 1 января %1 года по 31 декабря %2 года."_s
        .arg(sky::kFirstYear)
        .arg(sky::kLastYear);
}

QString phasePicture(double elongation) {
    const double steps = std::isfinite(elongation) ? std::round(elongation / 10.0) : 0.0;
    const int index = int(std::fmod(std::fmod(steps, kPhasePictures) + kPhasePictures, kPhasePictures));
    return lunarFile(u"phase-%1.png"_s.arg(index, 2, 10, QChar(u'0')));
}

int numberOfTheDay(Date birthDate, const QDate& day) {
    const int sum = digitSumOf(digitsOf(toQDate(birthDate)) + digitsOf(day));
    int number = sum;
    while (number >= 10)
        number = DigitSum(number);
    // Only a sum of no digits at all is 0; the page has no text for it.
    return number == 0 ? 9 : number;
}

Page dayPage(const lunar::Day& day, const Place& place, const Folders& folders,
             const std::optional<CompatibilityPerson>& person) {
    const QTimeZone zone = zoneOf(place);
    const QDateTime noon = noonOf(day, zone);
    Texts texts(folders);
    PageBuilder page;

    const QString date = dateText(day.date);
    page.beginDocument(u"Лунный календарь — "_s + date, u"lunar"_s);
    page.heading(1, date + weekdayText(day.date));
    page.paragraph(placeLine(place, noon), u"class=\"period\""_s);

    // The drawn Moon beside its name: a table of one row keeps them side by side on screen and paper.
    Html phase =
        Html::text(day.phaseName).bold() + Html::markup(u"<br />"_s) +
        Html::text(u"освещено "_s + QString::number(std::lround(day.illumination * 100)) + u"\u00a0%"_s);
    for (const sky::PhaseEvent& event : day.phaseEvents)
        phase += Html::markup(u"<br />"_s) +
                 Html::text(lunar::phaseEventName(event.phase) + u" — в "_s + timeText(event.utc, zone));
    page.beginTable(u"class=\"moon\""_s);
    page.row({Cell(texts.picture(day.elongation, kDayPicturePixels, day.phaseName)), Cell(phase)});
    page.endTable();

    for (const lunar::LunarDay& lunarDay : day.lunarDays)
        page.paragraph(lunarDayLine(lunarDay, zone), u"class=\"facts\""_s);
    page.paragraph(moonSignLine(day, zone), u"class=\"facts\""_s);
    if (day.risesAtLimit) page.paragraph(polarSentence(place), u"class=\"note\""_s);

    QList<std::pair<QUrl, QString>> links;
    if (const QDate before = day.date.addDays(-1); yearInRange(before.year()))
        links.append({dayLink(before), u"Вчера"_s});
    if (const QDate after = day.date.addDays(1); yearInRange(after.year()))
        links.append({dayLink(after), u"Завтра"_s});
    links.append({monthLink(day.date.year(), day.date.month()), u"Календарь на месяц"_s});
    page.paragraph(navigation(links), u"class=\"nav\""_s);

    // Every lunar day of the date gets its text: most dates see two, and the one a reader was born in or
    // plans for may be either.
    for (const lunar::LunarDay& lunarDay : day.lunarDays) {
        page.heading(2, lunarDayTitle(lunarDay.number));
        page.block(texts.take(lunarFile(u"day-%1.htm"_s.arg(lunarDay.number, 2, 10, QChar(u'0')))));
    }
    // The Moon's sign at noon, like the phase.
    const int moonSign = moonSignAt(day, noon);
    if (const auto stem = zodiacSignFolder(moonSign)) {
        page.heading(2, u"Луна в знаке "_s + signGenitive(moonSign));
        page.block(texts.take(lunarFile(u"moon-"_s + *stem + u".htm"_s)));
    }
    if (person) personSections(page, texts, *person, day.date, moonSign);
    page.endDocument();
    return finished(page, texts);
}

Page monthPage(const lunar::Month& month, const Place& place, const Folders& folders) {
    const QTimeZone zone = zoneOf(place);
    Texts texts(folders);
    PageBuilder page;
    const QString title = u"Лунный календарь: "_s + monthTitle(month.year, month.month);
    page.beginDocument(title, u"lunar"_s);
    page.heading(1, title);
    const QDateTime middle(QDate(month.year, month.month, 15), QTime(12, 0), zone);
    page.paragraph(placeLine(place, middle), u"class=\"period\""_s);

    // Every cell of the grid states its column's share: the viewer sizes columns by their content
    // otherwise, and a column of short words would squeeze a phase's name into broken syllables.
    const QString kColumnWidth = u"width=\"14%\""_s;
    page.beginTable(u"class=\"lunar-month\" cellspacing=\"1\" width=\"100%\""_s);
    QList<Cell> head;
    for (const char16_t* weekday : kWeekdaysShort)
        head << Cell(Html::text(QString::fromUtf16(weekday)), kColumnWidth);
    page.headRow(head);
    QList<Cell> week;
    const auto closeWeek = [&] {
        while (!week.isEmpty() && week.size() < 7)
            week << Cell(Html(), kColumnWidth);
        if (!week.isEmpty()) page.row(week);
        week.clear();
    };
    for (const lunar::Day& day : month.days) {
        if (week.isEmpty())
            for (int column = 1; column < day.date.dayOfWeek(); ++column)
                week << Cell(Html(), kColumnWidth);
        Html cell =
            link(dayLink(day.date), QString::number(day.date.day())).bold() + Html::markup(u"<br />"_s) +
            texts.picture(day.elongation, kMonthPicturePixels, day.phaseName) + Html::markup(u"<br />"_s);
        QStringList numbers;
        for (const lunar::LunarDay& lunarDay : day.lunarDays)
            numbers << QString::number(lunarDay.number);
        cell += Html::text(u"л.\u00a0д. "_s + numbers.join(u", "_s)) + Html::markup(u"<br />"_s) +
                Html::text(signName(HoroscopeSystem::Zodiac, day.moonSignAtStart));
        for (const sky::SignEntry& entry : day.signEntries)
            cell += Html::text(u" → "_s + signName(HoroscopeSystem::Zodiac, entry.sign));
        for (const sky::PhaseEvent& event : day.phaseEvents)
            // Not bold: "Полнолуние" in bold is as wide as the narrowest column; the cell's shade marks it.
            cell += Html::markup(u"<br />"_s) + Html::text(lunar::phaseEventName(event.phase)) +
                    Html::markup(u"<br />"_s) + Html::text(timeText(event.utc, zone));
        week << Cell(cell, (day.phaseEvents.isEmpty() ? u"class=\"day\" "_s : u"class=\"phase\" "_s) +
                               kColumnWidth);
        if (day.date.dayOfWeek() == 7) closeWeek();
    }
    closeWeek();
    page.endTable();
    page.paragraph(u"В клетке: число месяца (ссылка на страницу дня), фаза Луны в полдень, лунные дни этой "
                   u"даты (л.\u00a0д.) и знак Луны, а в дни главных фаз — их время."_s,
                   u"class=\"legend\""_s);

    page.heading(2, u"Главные фазы Луны"_s);
    for (const sky::PhaseEvent& event : month.phaseEvents)
        page.paragraph(lunar::phaseEventName(event.phase) + u" — "_s + momentText(event.utc, zone),
                       u"class=\"facts\""_s);

    QList<std::pair<QUrl, QString>> links;
    const QDate first(month.year, month.month, 1);
    if (const QDate before = first.addMonths(-1); yearInRange(before.year()))
        links.append(
            {monthLink(before.year(), before.month()), u"← "_s + monthTitle(before.year(), before.month())});
    if (const QDate after = first.addMonths(1); yearInRange(after.year()))
        links.append(
            {monthLink(after.year(), after.month()), monthTitle(after.year(), after.month()) + u" →"_s});
    page.paragraph(navigation(links), u"class=\"nav\""_s);
    page.endDocument();
    return finished(page, texts);
}

QString zodiacBoundaryNote(Date birthDate) {
    const QDate date = toQDate(birthDate);
    if (!date.isValid() || !yearInRange(date.year())) return {};
    const auto boundary = nearestTableBoundary(date, kSearchDays);
    if (!boundary) return {};
    const auto [sign, daysFromTable] = *boundary;
    // The entry of the sign whose boundary is near falls in the date's own year (see sunEntersSign).
    const QDateTime entry = sky::sunEntersSign(date.year(), sign);
    if (!entry.isValid()) return {};
    const QDateTime dayStartUtc(date, QTime(0, 0), QTimeZone::utc());
    const bool changedThatDay = entry >= dayStartUtc.addSecs(-kEarliestZoneSeconds) &&
                                entry < dayStartUtc.addDays(1).addSecs(kLatestZoneSeconds);
    if (!changedThatDay && std::abs(daysFromTable) > kTableMarginDays) return {};

    // The zone database's Moscow, never a fixed offset: +4 in 2011 to 2014, local mean time before 1919.
    const QTimeZone moscow("Europe/Moscow");
    if (!moscow.isValid()) return {};
    const QDateTime inMoscow = entry.toTimeZone(moscow), inUtc = entry.toUTC();
    const QDateTime start(date, QTime(0, 0), moscow);
    const QDateTime end = QDateTime(date.addDays(1), QTime(0, 0), moscow).addSecs(-1);
    const int signAtStart = sky::signOfLongitude(sky::sunLongitude(start.toUTC()));
    const int signAtEnd = sky::signOfLongitude(sky::sunLongitude(end.toUTC()));

    QString text = u"Солнце вошло в знак "_s + signGenitive(sign) + u' ' + dateText(inMoscow.date()) +
                   u" в "_s + inMoscow.toString(u"HH:mm"_s) + u" по московскому времени ("_s +
                   dayMonthText(fromQDate(inUtc.date())) + u", "_s + inUtc.toString(u"HH:mm"_s) +
                   u" UTC). "_s;
    text += signAtStart == signAtEnd
                ? u"Весь этот день по Москве Солнце было в знаке "_s + signGenitive(signAtStart) + u". "_s
                : u"В начале этого дня по Москве Солнце было в знаке "_s + signGenitive(signAtStart) +
                      u", в конце — в знаке "_s + signGenitive(signAtEnd) + u". "_s;
    // A date only near the table's boundary: the Sun kept its sign all day everywhere, and the table may
    // still say the other one.
    const int tableSign = GetSign(birthDate);
    text += changedThatDay
                ? u"Знак родившегося в этот день зависит от часа и места рождения, а страницы "
                  u"программы следуют таблице знаков."_s
                : u"В этот день Солнце не меняло знак ни в одном часовом поясе; страницы программы "
                  u"следуют таблице знаков, по которой это "_s +
                      (tableSign == signAtStart ? u"тоже "_s : QString()) +
                      signName(HoroscopeSystem::Zodiac, tableSign) + u'.';
    return noteBlock(u"На границе знаков."_s, Html::text(text));
}

QString chineseNewYearNote(Date birthDate) {
    const QDate date = toQDate(birthDate);
    if (!date.isValid() || date.year() < kFirstChineseYear || !yearInRange(date.year())) return {};
    const auto newYear = sky::chineseNewYear(date.year());
    if (!newYear || date >= *newYear) return {};
    const int animal = GetAnimal_China(std::uint16_t(date.year()));
    // The year before (1909 for a date early in 1910) by the same cycle, which the calculator refuses.
    const int previous = (animal + kChineseAnimals - 2) % kChineseAnimals + 1;
    const auto page = chineseFile(previous);
    if (!page) return {};
    const Html text = Html::text(u"Год "_s + chineseGenitive(animal) + u" начался по лунному календарю "_s +
                                 dateText(*newYear) + u", поэтому ваш день рождения приходится ещё на "_s) +
                      Html::markup(u"<a href=\""_s + page->toHtmlEscaped() + u"\">"_s) +
                      Html::text(u"год "_s + chineseGenitive(previous)) + Html::markup(u"</a>"_s) +
                      Html::text(u". Страницы программы считают год от 1 января."_s);
    return noteBlock(u"По лунному календарю."_s, text);
}

} // namespace solvenna::lunarpage
