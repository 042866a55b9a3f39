#pragma once

#include "core/date.h"

#include <QString>

#include <cstdint>

// The six horoscope calculators. Every calculator returns a 1-based sign index into its system's table,
// or -1 when there is no sign; none returns 0.

// True when the date's day falls between the two boundaries, both inclusive, taken in the date's own year.
// A first month after the last month wraps over the year end; a boundary of 29 February means the last
// day of February.
bool InDateRange(std::uint16_t firstDay, std::uint16_t firstMonth, std::uint16_t lastDay,
                 std::uint16_t lastMonth, solvenna::Date date);

std::int32_t GetSign(solvenna::Date date);        // zodiac, 1..12
std::int32_t GetAnimal_China(std::uint16_t year); // Chinese, 1..12; -1 and a message before 1910
std::int32_t GetTree(solvenna::Date date);        // Druid, 1..22
std::int32_t GetBeast(std::uint16_t year);        // Zoroastrian, 1..32; -1 and a message before 1900
std::int32_t GetCreature(solvenna::Date date);    // Mythological, 1..10
std::int32_t DigitSum(std::int32_t n);
std::int32_t GetNumber(solvenna::Date date); // birth number, 1..9

namespace solvenna {

inline constexpr int kZodiacSigns = 12;
inline constexpr int kChineseAnimals = 12;
inline constexpr int kDruidTrees = 22;
inline constexpr int kZoroastrianTotems = 32;
inline constexpr int kMythCreatures = 10;
inline constexpr int kBirthNumbers = 9;

inline constexpr int kFirstChineseYear = 1910;
inline constexpr int kFirstZoroastrianYear = 1900;

// Texts of the tables by sign index; an index outside a table gives an empty text.
QString zodiacTitle(int index);     // "Лев (23.07 - 22.08)"
QString chineseGenitive(int index); // "Кота", as the summary prints it
QString treeName(int index);        // "Картас"
QString totemGenitive(int index);   // "Паука"
QString creatureName(int index);    // "Грифон"

// Day-and-month range of a calendar table.
struct DayRange {
    std::uint16_t firstDay, firstMonth, lastDay, lastMonth;
};

// The ranges behind the date calculators, for pages and tests that describe them.
DayRange zodiacRange(int index);
DayRange creatureRange(int index);
// A tree has one or two periods; count is 0 outside the table.
struct TreePeriods {
    int count = 0;
    DayRange periods[2] = {};
};
TreePeriods treePeriods(int index);

} // namespace solvenna
