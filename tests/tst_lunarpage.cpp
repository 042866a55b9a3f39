#include "core/catalogue.h"
#include "core/compatibility.h"
#include "core/date.h"
#include "core/lunarpage.h"
#include "core/people.h"
#include "core/sky.h"

#include "testsupport.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QXmlStreamReader>

using namespace solvenna;
using testsupport::inspectPage;
using testsupport::PageFacts;
using namespace Qt::Literals::StringLiterals;

namespace {

const QTimeZone kMoscow("Europe/Moscow");

QDateTime utc(int y, int m, int d, int h, int min) {
    return QDateTime(QDate(y, m, d), QTime(h, min), QTimeZone::utc());
}

Place moscowPlace() {
    return {u"Москва"_s, 55.7558, 37.6176, kMoscow};
}

Folders shippedFolders() {
    Folders folders;
    folders.DataFolder = testsupport::dataFolder() + u'/';
    return folders;
}

// 9 December 2026 in Moscow (UTC+3): the 13th lunar day until 15:10, then the 14th; the Moon in Leo at
// noon, entering Virgo at 17:45.
lunar::Day handMadeDay(bool risesAtLimit) {
    lunar::Day day;
    day.date = QDate(2026, 12, 9);
    day.start = utc(2026, 12, 8, 21, 0);
    day.end = utc(2026, 12, 9, 21, 0);
    day.illumination = 0.72;
    day.elongation = 121;
    day.phaseName = u"Растущая Луна"_s;
    day.lunarDays = {{13, utc(2026, 12, 8, 11, 32), utc(2026, 12, 9, 12, 10)},
                     {14, utc(2026, 12, 9, 12, 10), utc(2026, 12, 10, 12, 50)}};
    day.risesAtLimit = risesAtLimit;
    day.moonSignAtStart = 5;
    day.signEntries = {{6, utc(2026, 12, 9, 14, 45)}};
    day.nextSignEntry = day.signEntries.first();
    return day;
}

// A text of the data folder as the page takes it, simplified for a search in the page's text.
QString shippedText(const QString& relativeFile) {
    const auto fragment = readFragment(fragmentPath(shippedFolders().DataFolder, relativeFile));
    return fragment ? inspectPage(u"<body>"_s + *fragment + u"</body>"_s).text : QString();
}

} // namespace

class LunarPageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dayPage_data();
    void dayPage();
    void dayPage_missingFile_namesIt_data();
    void dayPage_missingFile_namesIt();
    void monthPage_linksEveryDayAndListsPhases_data();
    void monthPage_linksEveryDayAndListsPhases();
    void links_roundTrip();
    void links_hostile_data();
    void links_hostile();
    void numberOfTheDay_data();
    void numberOfTheDay();
    void zodiacBoundaryNote_data();
    void zodiacBoundaryNote();
    void zodiacBoundaryNote_farFromBoundary_none();
    void chineseNewYearNote();
};

void LunarPageTest::dayPage_data() {
    QTest::addColumn<QString>("name"); // a person with this name when not null
    QTest::addColumn<bool>("polar");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    const QStringList always{u"9 декабря 2026 года, среда"_s,
                             u"Москва, время UTC+3"_s,
                             u"освещено 72 %"_s,
                             u"13-й лунный день: с 8 декабря, 14:32 до 9 декабря, 15:10"_s,
                             u"14-й лунный день: с 9 декабря, 15:10 до 10 декабря, 15:50"_s,
                             u"Луна во Льве; в знак Девы переходит 9 декабря в 17:45."_s,
                             shippedText(u"Lunar/day-13.htm"_s),
                             shippedText(u"Lunar/day-14.htm"_s),
                             shippedText(u"Lunar/moon-lion.htm"_s)};
    const QStringList personal{u"Луна и ваш знак"_s, u"Ваше число дня"_s};
    const QString polar = u"на широте 60° с. ш."_s;
    QTest::newRow("no person") << QString() << false << always << (personal + QStringList{polar});
    QTest::newRow("polar place") << QString() << true << (always + QStringList{polar}) << personal;
    // Born 1.12.1990, a Sagittarius: a trine to the Moon in Leo; 0+1+1+2+1+9+9+0 + 0+9+1+2+2+0+2+6 = 45, 9.
    QTest::newRow("a person") << u"Анна"_s << false
                              << (always + QStringList{u"Анна, 01.12.1990: ваш знак — Стрелец"_s,
                                                       u"Луна и ваш знак: Трин"_s, u"Ваше число дня: 9"_s,
                                                       shippedText(u"Lunar/relation-trine.htm"_s),
                                                       shippedText(u"Lunar/number-9.htm"_s)})
                              << QStringList{polar};
    QTest::newRow("a hostile name") << u"<b>Анна</b> & \"Ко\""_s << false
                                    << QStringList{u"<b>Анна</b> & \"Ко\", 01.12.1990"_s} << QStringList();
}

// The day's facts in the place's zone, the texts of its lunar days and of the Moon's sign, the person's
// relation and number only with a person, the polar sentence only where rises are counted at the limit,
// and a person's name taken as text, never as markup.
void LunarPageTest::dayPage() {
    QFETCH(QString, name);
    QFETCH(bool, polar);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    std::optional<CompatibilityPerson> person;
    if (!name.isNull()) person = CompatibilityPerson{name, u"01.12.1990"_s, encodeDate(1990, 12, 1)};
    const lunarpage::Page page =
        lunarpage::dayPage(handMadeDay(polar), moscowPlace(), shippedFolders(), person);
    QVERIFY2(page.missingFile.isEmpty(), qPrintable(page.missingFile));
    const PageFacts facts = inspectPage(page.html);
    QVERIFY2(facts.error.isEmpty(), qPrintable(facts.error));
    for (const QString& text : present)
        QVERIFY2(!text.isEmpty() && facts.text.contains(text), qPrintable(u"lacks: "_s + text));
    for (const QString& text : absent)
        QVERIFY2(!facts.text.contains(text), qPrintable(u"has: "_s + text));

    // The picture, relative to the Lunar folder the page is shown from, is one of the shipped ones.
    QCOMPARE(facts.pictures, QStringList{u"../Lunar/phase-12.png"_s});
    QVERIFY(QFileInfo::exists(shippedFolders().DataFolder + u"Lunar/"_s + facts.pictures.first()));
    QCOMPARE(facts.hrefs.mid(0, 3),
             (QStringList{u"solvenna:lunar-day?date=2026-12-08"_s, u"solvenna:lunar-day?date=2026-12-10"_s,
                          u"solvenna:lunar-month?month=2026-12"_s}));
}

// Every file the hand-made day's page with a person reads.
const QStringList kDayPageFiles{u"Lunar/day-13.htm"_s,    u"Lunar/day-14.htm"_s,
                                u"Lunar/moon-lion.htm"_s, u"Lunar/relation-trine.htm"_s,
                                u"Lunar/number-9.htm"_s,  u"Lunar/phase-12.png"_s};

void LunarPageTest::dayPage_missingFile_namesIt_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("a lunar day's text") << u"Lunar/day-14.htm"_s;
    QTest::newRow("the Moon's sign") << u"Lunar/moon-lion.htm"_s;
    QTest::newRow("the relation") << u"Lunar/relation-trine.htm"_s;
    QTest::newRow("the number") << u"Lunar/number-9.htm"_s;
    QTest::newRow("the phase picture") << u"Lunar/phase-12.png"_s;
}

// A missing text or picture gives no page, only the file for the error page.
void LunarPageTest::dayPage_missingFile_namesIt() {
    QFETCH(QString, file);
    QTemporaryDir program;
    const Folders folders = Folders::fromAppFolder(program.path() + u'/');
    QVERIFY(QDir().mkpath(folders.DataFolder + u"Lunar"_s));
    for (const QString& needed : kDayPageFiles)
        if (needed != file)
            QVERIFY(
                testsupport::copyReadable(shippedFolders().DataFolder + needed, folders.DataFolder + needed));
    const CompatibilityPerson person{u"Анна"_s, u"01.12.1990"_s, encodeDate(1990, 12, 1)};
    const lunarpage::Page page = lunarpage::dayPage(handMadeDay(false), moscowPlace(), folders, person);
    QVERIFY(page.html.isEmpty());
    QCOMPARE(page.missingFile, folders.DataFolder + file);
}

void LunarPageTest::monthPage_linksEveryDayAndListsPhases_data() {
    QTest::addColumn<int>("month");
    QTest::newRow("February 2026: 28 days from a Sunday") << 2;
    QTest::newRow("June 2026: 30 days from a Monday") << 6;
    QTest::newRow("December 2026: 31 days from a Tuesday") << 12;
}

// Every day links to its own page, the grid has whole weeks, and each principal phase is marked in its
// day's cell and listed below with its date, in the place's time.
void LunarPageTest::monthPage_linksEveryDayAndListsPhases() {
    QFETCH(int, month);
    lunar::Month calendar;
    calendar.year = 2026;
    calendar.month = month;
    const QDate first(2026, month, 1);
    for (QDate date = first; date.month() == month; date = date.addDays(1)) {
        lunar::Day day;
        day.date = date;
        day.elongation = date.day() * 12.0;
        day.phaseName = u"Растущая Луна"_s;
        day.lunarDays = {{date.day() % 30 + 1, {}, {}}};
        day.moonSignAtStart = date.day() % 12 + 1;
        calendar.days << day;
    }
    // The full moon at 23:30 UTC on the 10th is 02:30 on the 11th in Moscow.
    const sky::PhaseEvent full{sky::Phase::FullMoon, utc(2026, month, 10, 23, 30)};
    const sky::PhaseEvent quarter{sky::Phase::LastQuarter, utc(2026, month, 18, 6, 5)};
    calendar.days[10].phaseEvents = {full};
    calendar.days[17].phaseEvents = {quarter};
    calendar.phaseEvents = {full, quarter};

    const lunarpage::Page page = lunarpage::monthPage(calendar, moscowPlace(), shippedFolders());
    QVERIFY2(page.missingFile.isEmpty(), qPrintable(page.missingFile));
    const PageFacts facts = inspectPage(page.html);
    QVERIFY2(facts.error.isEmpty(), qPrintable(facts.error));

    QList<QDate> linked;
    for (const QString& href : facts.hrefs)
        if (const auto date = lunarpage::dayOfLink(QUrl(href))) linked << *date;
    QCOMPARE(linked.size(), first.daysInMonth());
    for (int i = 0; i < linked.size(); ++i)
        QCOMPARE(linked[i], first.addDays(i));
    QCOMPARE(facts.pictures.size(), first.daysInMonth());
    QCOMPARE(facts.cellsPerRow.count(7), facts.cellsPerRow.size());

    const QString monthName = dayMonthText(encodeDate(2026, month, 1)).section(u' ', 1);
    for (const QString& text : {u"Полнолуние 02:30"_s, u"Последняя четверть 09:05"_s,
                                u"Полнолуние — 11 "_s + monthName + u", 02:30"_s,
                                u"Последняя четверть — 18 "_s + monthName + u", 09:05"_s})
        QVERIFY2(facts.text.contains(text), qPrintable(u"lacks: "_s + text));
}

void LunarPageTest::links_roundTrip() {
    for (const QDate& date : {QDate(1900, 1, 1), QDate(2026, 12, 9), QDate(2100, 12, 31)}) {
        QCOMPARE(lunarpage::dayOfLink(lunarpage::dayLink(date)), date);
        QCOMPARE(lunarpage::monthOfLink(lunarpage::monthLink(date.year(), date.month())),
                 QDate(date.year(), date.month(), 1));
        QCOMPARE(lunarpage::monthOfLink(lunarpage::dayLink(date)), std::nullopt);
    }
}

void LunarPageTest::links_hostile_data() {
    QTest::addColumn<QString>("link");
    QTest::newRow("another scheme") << u"http:lunar-day?date=2026-12-09"_s;
    QTest::newRow("with an authority") << u"solvenna://x/lunar-day?date=2026-12-09"_s;
    QTest::newRow("another path") << u"solvenna:lunar-days?date=2026-12-09"_s;
    QTest::newRow("a fragment") << u"solvenna:lunar-day?date=2026-12-09#x"_s;
    QTest::newRow("no query") << u"solvenna:lunar-day"_s;
    QTest::newRow("another key") << u"solvenna:lunar-day?day=2026-12-09"_s;
    QTest::newRow("a second item") << u"solvenna:lunar-day?date=2026-12-09&date=2026-12-10"_s;
    QTest::newRow("no such day") << u"solvenna:lunar-day?date=2026-02-30"_s;
    QTest::newRow("one-digit day") << u"solvenna:lunar-day?date=2026-12-9"_s;
    QTest::newRow("a sign") << u"solvenna:lunar-day?date=+2026-12-09"_s;
    QTest::newRow("a blank") << u"solvenna:lunar-day?date=2026-12-09%20"_s;
    QTest::newRow("year 0") << u"solvenna:lunar-day?date=0000-12-09"_s;
    QTest::newRow("month 13") << u"solvenna:lunar-month?month=2026-13"_s;
    QTest::newRow("one-digit month") << u"solvenna:lunar-month?month=2026-1"_s;
    QTest::newRow("a day in a month link") << u"solvenna:lunar-month?month=2026-12-09"_s;
    QTest::newRow("a month in a day link") << u"solvenna:lunar-day?date=2026-12"_s;
}

// Neither reader takes any of these.
void LunarPageTest::links_hostile() {
    QFETCH(QString, link);
    QCOMPARE(lunarpage::dayOfLink(QUrl(link)), std::nullopt);
    QCOMPARE(lunarpage::monthOfLink(QUrl(link)), std::nullopt);
}

void LunarPageTest::numberOfTheDay_data() {
    QTest::addColumn<QDate>("birth");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("number");
    // 1+5+0+8+1+9+7+5 + 0+9+1+2+2+0+2+6 = 58, 5+8 = 13, 1+3 = 4.
    QTest::newRow("reduced twice") << QDate(1975, 8, 15) << QDate(2026, 12, 9) << 4;
    // 2+9+0+2+2+0+0+0 + 0+1+0+1+2+0+0+1 = 20, 2.
    QTest::newRow("29 February") << QDate(2000, 2, 29) << QDate(2001, 1, 1) << 2;
    // 0+1+0+1+1+9+0+0 + 0+1+0+1+1+9+0+0 = 24, 6: the two dates alike.
    QTest::newRow("the birthday itself") << QDate(1900, 1, 1) << QDate(1900, 1, 1) << 6;
}

void LunarPageTest::numberOfTheDay() {
    QFETCH(QDate, birth);
    QFETCH(QDate, day);
    QFETCH(int, number);
    QCOMPARE(lunarpage::numberOfTheDay(fromQDate(birth), day), number);
}

void LunarPageTest::zodiacBoundaryNote_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("sign");         // the sign whose table boundary is near
    QTest::addColumn<int>("moscowOffset"); // hours, at the Sun's entry
    // Moscow kept summer time from 1981, and UTC+4 all year from 2011 to 2014.
    const QList<std::pair<int, int>> years{{1975, 3}, {1990, 3}, {2012, 4}, {2024, 3}};
    const QList<std::pair<int, int>> summerYears{{1975, 3}, {1990, 4}, {2012, 4}, {2024, 3}};
    const auto rows = [](int day, int month, int sign, const QList<std::pair<int, int>>& offsets) {
        for (const auto& [year, hours] : offsets)
            QTest::addRow("%02d.%02d.%d", day, month, year) << QDate(year, month, day) << sign << hours;
    };
    rows(20, 1, 11, years);      // Водолей
    rows(19, 2, 12, years);      // Рыбы
    rows(23, 7, 5, summerYears); // Лев
    rows(22, 8, 6, summerYears); // Дева
    // Near the table's boundary, but the Sun entered Capricorn on 22 December everywhere.
    QTest::newRow("23.12.1975") << QDate(1975, 12, 23) << 10 << 3;
}

// The note's moment is the library's entry of the sign in Moscow's time of that year and in UTC, and its
// signs at the day's start and end in Moscow are the library's.
void LunarPageTest::zodiacBoundaryNote() {
    QFETCH(QDate, date);
    QFETCH(int, sign);
    QFETCH(int, moscowOffset);
    static const QStringList genitive{u"Овна"_s,     u"Тельца"_s,   u"Близнецов"_s, u"Рака"_s,
                                      u"Льва"_s,     u"Девы"_s,     u"Весов"_s,     u"Скорпиона"_s,
                                      u"Стрельца"_s, u"Козерога"_s, u"Водолея"_s,   u"Рыб"_s};
    const QDateTime entry = sky::sunEntersSign(date.year(), sign);
    const QDateTime inMoscow = entry.toTimeZone(kMoscow), inUtc = entry.toUTC();
    QCOMPARE(inMoscow.offsetFromUtc(), moscowOffset * 3600);
    const auto signAt = [](const QDateTime& moment) {
        return sky::signOfLongitude(sky::sunLongitude(moment.toUTC()));
    };
    const int atStart = signAt(QDateTime(date, QTime(0, 0), kMoscow));
    const int atEnd = signAt(QDateTime(date.addDays(1), QTime(0, 0), kMoscow).addSecs(-1));

    const PageFacts note = inspectPage(lunarpage::zodiacBoundaryNote(fromQDate(date)));
    QVERIFY2(note.error.isEmpty(), qPrintable(note.error));
    const QString moment =
        u"Солнце вошло в знак "_s + genitive[sign - 1] + u' ' + dateInWords(fromQDate(inMoscow.date())) +
        u" года в "_s + inMoscow.toString(u"HH:mm"_s) + u" по московскому времени ("_s +
        dayMonthText(fromQDate(inUtc.date())) + u", "_s + inUtc.toString(u"HH:mm"_s) + u" UTC)"_s;
    const QString signs = atStart == atEnd
                              ? u"Весь этот день по Москве Солнце было в знаке "_s + genitive[atStart - 1]
                              : u"В начале этого дня по Москве Солнце было в знаке "_s +
                                    genitive[atStart - 1] + u", в конце — в знаке "_s + genitive[atEnd - 1];
    // Whether some zone (UTC−12 to UTC+14) saw the Sun change sign on that calendar day.
    const QDateTime midnight(date, QTime(0, 0), QTimeZone::utc());
    const bool changed =
        entry >= midnight.addSecs(-14 * 3600) && entry < midnight.addDays(1).addSecs(12 * 3600);
    const QString verdict = changed ? u"зависит от часа и места рождения"_s : u"не меняло знак"_s;
    for (const QString& text : {moment, signs, verdict})
        QVERIFY2(note.text.contains(text), qPrintable(note.text + u"\nlacks: "_s + text));
}

void LunarPageTest::zodiacBoundaryNote_farFromBoundary_none() {
    QCOMPARE(lunarpage::zodiacBoundaryNote(encodeDate(1975, 8, 15)), QString());
    QCOMPARE(lunarpage::zodiacBoundaryNote(encodeDate(1899, 1, 20)), QString()); // before the years computed
}

// Before the lunar new year of 1976 (31 January) a birthday belongs to the Cat's year, after it to the
// Dragon's, as the table has it.
void LunarPageTest::chineseNewYearNote() {
    const PageFacts note = inspectPage(lunarpage::chineseNewYearNote(encodeDate(1976, 1, 15)));
    QVERIFY2(note.error.isEmpty(), qPrintable(note.error));
    QVERIFY2(note.text.contains(u"Год Дракона начался по лунному календарю 31 января 1976 года"_s),
             qPrintable(note.text));
    QVERIFY2(note.text.contains(u"год Кота"_s), qPrintable(note.text));
    QCOMPARE(note.hrefs, QStringList{u"cat.htm"_s});
    QCOMPARE(lunarpage::chineseNewYearNote(encodeDate(1976, 2, 15)), QString());
}

QTEST_GUILESS_MAIN(LunarPageTest)
#include "tst_lunarpage.moc"
