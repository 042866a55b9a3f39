#pragma once

#include "core/date.h"

#include <QString>

#include <cstdint>

// Runs the six calculators on a birth date, in the order the summary needs them: the Chinese refusal
// comes before the Zoroastrian one.
void CollectInfo(solvenna::Date birthDate, std::uint16_t& year, std::int32_t& sign, std::int32_t& tree,
                 std::int32_t& animal, std::int32_t& totem, std::int32_t& creature, std::int32_t& number);

// Fills the seven summary texts. A name text whose index lies outside its table keeps what the caller
// passed in.
void DecodeInfo(solvenna::Date birthDate, QString& yearText, QString& numberText, QString& signText,
                QString& treeText, QString& animalText, QString& totemText, QString& creatureText);

namespace solvenna {

// The six-line general summary. Lines are separated by line feed + carriage return, the order the
// program has always used; a name that is not empty (even only blanks) gives the personal opening.
QString summaryText(Date birthDate, const QString& personName);

} // namespace solvenna
