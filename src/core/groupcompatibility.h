#pragma once

#include "core/compatibility.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>
#include <utility>

// Compatibility of a group: an N×N grid of every pair's zodiac and Chinese relation, coloured by the
// pair's combined verdict, each cell a link to the pair's own page, and a line per person on their best
// and hardest matches in the group.
namespace solvenna {

inline constexpr int kMinGroupSize = 3;
inline constexpr int kMaxGroupSize = 20;

// How a pair fares overall, from the zodiac score and the Chinese relation together.
enum class PairVerdict { Good, Fair, Hard };
struct PairScore {
    int value = 0; // higher is better; orders a person's matches
    PairVerdict verdict = PairVerdict::Fair;
};
PairScore pairScore(const PersonSigns& first, const PersonSigns& second);

// The grid page, written as a page of the data folder's "Compatibility" folder (like the pair page).
// Its cells link to kPairLinkScheme links that name the two people by their place in `people`.
QString groupCompatibilityPage(const QList<CompatibilityPerson>& people);

// "solvenna:pair?a=0&b=3": the link of a grid cell, and the pair it names (nothing for any other link).
inline constexpr char16_t kPairLinkScheme[] = u"solvenna";
QUrl pairLink(int first, int second);
std::optional<std::pair<int, int>> pairOfLink(const QUrl& link);

} // namespace solvenna
