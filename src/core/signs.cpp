#include "core/signs.h"

#include "core/messages.h"

#include <array>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;
using solvenna::DayRange;
using solvenna::YearMonthDay;

namespace {

struct ZodiacSign {
    DayRange range;
    const char16_t* title;
};

constexpr std::array<ZodiacSign, 12> kZodiac{{
    {{21, 3, 20, 4}, u"Овен (21.03 - 20.04)"},
    {{21, 4, 20, 5}, u"Телец (21.04 - 20.05)"},
    {{21, 5, 20, 6}, u"Близнецы (21.05 - 20.06)"},
    {{21, 6, 22, 7}, u"Рак (21.06 - 22.07)"},
    {{23, 7, 22, 8}, u"Лев (23.07 - 22.08)"},
    {{23, 8, 23, 9}, u"Дева (23.08 - 23.09)"},
    {{24, 9, 23, 10}, u"Весы (24.09 - 23.10)"},
    {{24, 10, 21, 11}, u"Скорпион (24.10 - 21.11)"},
    {{22, 11, 21, 12}, u"Стрелец (22.11 - 21.12)"},
    {{22, 12, 19, 1}, u"Козерог (22.12 - 19.01)"},
    {{20, 1, 18, 2}, u"Водолей (20.01 - 18.02)"},
    {{19, 2, 20, 3}, u"Рыбы (19.02 - 20.03)"},
}};

constexpr std::array<const char16_t*, 12> kChineseGenitive{
    u"Собаки",  u"Свиньи", u"Крысы",  u"Быка", u"Тигра",    u"Кота",
    u"Дракона", u"Змеи",   u"Лошади", u"Козы", u"Обезьяны", u"Петуха",
};

struct Tree {
    const char16_t* name;
    solvenna::TreePeriods periods;
};

constexpr std::array<Tree, 22> kTrees{{
    {u"Яблоня", {2, {{23, 12, 1, 1}, {25, 6, 4, 7}}}},
    {u"Пихта", {2, {{2, 1, 11, 1}, {5, 7, 14, 7}}}},
    {u"Вяз", {2, {{12, 1, 24, 1}, {15, 7, 25, 7}}}},
    {u"Кипарис", {2, {{25, 1, 3, 2}, {26, 7, 4, 8}}}},
    {u"Тополь", {2, {{4, 2, 8, 2}, {5, 8, 13, 8}}}},
    {u"Картас", {2, {{9, 2, 18, 2}, {14, 8, 23, 8}}}},
    {u"Сосна", {2, {{19, 2, 29, 2}, {24, 8, 2, 9}}}},
    {u"Ива", {2, {{1, 3, 10, 3}, {3, 9, 12, 9}}}},
    {u"Липа", {2, {{11, 3, 20, 3}, {13, 9, 22, 9}}}},
    {u"Орешник", {2, {{22, 3, 31, 3}, {24, 9, 3, 10}}}},
    {u"Рябина", {2, {{1, 4, 10, 4}, {4, 10, 13, 10}}}},
    {u"Клен", {2, {{11, 4, 20, 4}, {14, 10, 23, 10}}}},
    {u"Орех", {2, {{21, 4, 30, 4}, {24, 10, 2, 11}}}},
    {u"Жасмин", {2, {{1, 5, 14, 5}, {3, 11, 11, 11}}}},
    {u"Каштан", {2, {{15, 5, 24, 5}, {12, 11, 21, 11}}}},
    {u"Ясень", {2, {{25, 5, 3, 6}, {22, 11, 1, 12}}}},
    {u"Граб", {2, {{4, 6, 13, 6}, {2, 12, 11, 12}}}},
    {u"Инжир", {2, {{14, 6, 23, 6}, {12, 12, 20, 12}}}},
    {u"Дуб", {1, {{21, 3, 21, 3}, {}}}},
    {u"Береза", {1, {{24, 6, 24, 6}, {}}}},
    {u"Маслина", {1, {{23, 9, 23, 9}, {}}}},
    {u"Бук", {1, {{21, 12, 22, 12}, {}}}},
}};

constexpr std::array<const char16_t*, 32> kTotemGenitive{
    u"Оленя",    u"Барана",   u"Мангуста",     u"Волка",  u"Аиста",          u"Паука",  u"Змеи (Ужа)",
    u"Бобра",    u"Черепахи", u"Сороки",       u"Белки",  u"Ворона",         u"Петуха", u"Быка",
    u"Барсука",  u"Верблюда", u"Ежа",          u"Лани",   u"Слона",          u"Коня",   u"Гепарда",
    u"Павлина",  u"Лебедя",   u"Рыси/Соловья", u"Осла",   u"Белого Медведя", u"Орла",   u"Лисы",
    u"Дельфина", u"Вепря",    u"Совы",         u"Сокола",
};

struct Creature {
    DayRange range;
    const char16_t* name;
};

constexpr std::array<Creature, 10> kCreatures{{
    {{8, 1, 12, 2}, u"Кентавр"},
    {{13, 2, 18, 3}, u"Гарпия"},
    {{19, 3, 24, 4}, u"Пегас"},
    {{25, 4, 30, 5}, u"Цербер"},
    {{31, 5, 3, 7}, u"Сатир"},
    {{4, 7, 10, 8}, u"Сирена"},
    {{11, 8, 15, 9}, u"Грифон"},
    {{16, 9, 22, 10}, u"Химера"},
    {{23, 10, 30, 11}, u"Сфинкс"},
    {{1, 12, 7, 1}, u"Минотавр"},
}};

// The range test on a date already split: the date calculators split once and test many ranges.
// Within one year, comparing (month, day) pairs is the same as comparing the boundary dates.
bool inRange(const YearMonthDay& date, unsigned firstDay, unsigned firstMonth, unsigned lastDay,
             unsigned lastMonth) {
    if (!solvenna::isLeapYear(date.year)) {
        if (firstMonth == 2 && firstDay == 29) firstDay = 28;
        if (lastMonth == 2 && lastDay == 29) lastDay = 28;
    }
    const unsigned key = unsigned(date.month) * 32 + unsigned(date.day);
    const unsigned first = firstMonth * 32 + firstDay;
    const unsigned last = lastMonth * 32 + lastDay;
    if (firstMonth > lastMonth) return key >= first || key <= last;
    return key >= first && key <= last;
}

bool inRange(const YearMonthDay& date, const DayRange& r) {
    return inRange(date, r.firstDay, r.firstMonth, r.lastDay, r.lastMonth);
}

template <typename Table> QString textAt(const Table& table, int index) {
    if (index < 1 || index > int(table.size())) return {};
    return QString::fromUtf16(table[std::size_t(index - 1)]);
}

} // namespace

bool InDateRange(std::uint16_t firstDay, std::uint16_t firstMonth, std::uint16_t lastDay,
                 std::uint16_t lastMonth, solvenna::Date date) {
    return inRange(solvenna::decodeDate(date), firstDay, firstMonth, lastDay, lastMonth);
}

std::int32_t GetSign(solvenna::Date date) {
    const YearMonthDay ymd = solvenna::decodeDate(date);
    for (std::size_t i = 0; i < kZodiac.size(); ++i)
        if (inRange(ymd, kZodiac[i].range)) return std::int32_t(i + 1);
    return -1;
}

std::int32_t GetAnimal_China(std::uint16_t year) {
    if (year < solvenna::kFirstChineseYear) {
        solvenna::showMessage(u"Год рождения не должен быть меньше, чем 1910."_s);
        return -1;
    }
    return (year - solvenna::kFirstChineseYear) % 12 + 1;
}

std::int32_t GetTree(solvenna::Date date) {
    const YearMonthDay ymd = solvenna::decodeDate(date);
    for (std::size_t i = 0; i < kTrees.size(); ++i) {
        const auto& tree = kTrees[i].periods;
        for (int p = 0; p < tree.count; ++p)
            if (inRange(ymd, tree.periods[p])) return std::int32_t(i + 1);
    }
    return -1;
}

std::int32_t GetBeast(std::uint16_t year) {
    if (year < solvenna::kFirstZoroastrianYear) {
        solvenna::showMessage(u"Год рождения не должен быть меньше, чем 1900."_s);
        return -1;
    }
    // The cycle starts at 1906: 1900..1905 are its last six years.
    return (year - 1906 + 32) % 32 + 1;
}

std::int32_t GetCreature(solvenna::Date date) {
    const YearMonthDay ymd = solvenna::decodeDate(date);
    for (std::size_t i = 0; i < kCreatures.size(); ++i)
        if (inRange(ymd, kCreatures[i].range)) return std::int32_t(i + 1);
    return -1;
}

std::int32_t DigitSum(std::int32_t n) {
    long long rest = std::llabs(static_cast<long long>(n));
    std::int32_t sum = 0;
    for (; rest > 0; rest /= 10)
        sum += std::int32_t(rest % 10);
    return sum;
}

std::int32_t GetNumber(solvenna::Date date) {
    const YearMonthDay ymd = solvenna::decodeDate(date);
    std::int32_t sum = DigitSum(ymd.day) + DigitSum(ymd.month) + DigitSum(ymd.year);
    while (sum >= 10)
        sum = DigitSum(sum);
    return sum;
}

namespace solvenna {

QString zodiacTitle(int index) {
    if (index < 1 || index > int(kZodiac.size())) return {};
    return QString::fromUtf16(kZodiac[std::size_t(index - 1)].title);
}
QString chineseGenitive(int index) {
    return textAt(kChineseGenitive, index);
}
QString treeName(int index) {
    if (index < 1 || index > int(kTrees.size())) return {};
    return QString::fromUtf16(kTrees[std::size_t(index - 1)].name);
}
QString totemGenitive(int index) {
    return textAt(kTotemGenitive, index);
}
QString creatureName(int index) {
    if (index < 1 || index > int(kCreatures.size())) return {};
    return QString::fromUtf16(kCreatures[std::size_t(index - 1)].name);
}

DayRange zodiacRange(int index) {
    return index >= 1 && index <= int(kZodiac.size()) ? kZodiac[std::size_t(index - 1)].range : DayRange{};
}
DayRange creatureRange(int index) {
    return index >= 1 && index <= int(kCreatures.size()) ? kCreatures[std::size_t(index - 1)].range
                                                         : DayRange{};
}
TreePeriods treePeriods(int index) {
    return index >= 1 && index <= int(kTrees.size()) ? kTrees[std::size_t(index - 1)].periods : TreePeriods{};
}

} // namespace solvenna
