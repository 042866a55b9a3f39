#pragma once

#include "core/date.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Compatibility of two people: how their zodiac signs and Chinese animals stand to each other, and the
// page that puts it together from the text fragments in the data folder's "Compatibility" folder.
// Sign indices are the calculators' own (zodiac 1 Овен .. 12 Рыбы; Chinese 1 Собака, 2 Свинья,
// 3 Крыса .. 12 Петух).

namespace solvenna {

// --- Zodiac ---------------------------------------------------------------------------------------------

// By the shorter distance between the signs around the circle, 0..6.
enum class ZodiacRelation { SameSign, Neighbours, Sextile, Square, Trine, Quincunx, Opposition };
inline constexpr int kZodiacRelationCount = 7;

enum class Element { Fire, Earth, Air, Water };
inline constexpr int kElementCount = 4;

// An unordered pair of elements, kept with first <= second so that each pair has one form.
struct ElementPair {
    Element first;
    Element second;
    friend bool operator==(const ElementPair&, const ElementPair&) = default;
};
inline constexpr int kElementPairCount = 10;

// Steps from one sign to the other the shorter way round, 0..6; nullopt when either is outside 1..12.
std::optional<int> zodiacDistance(int signA, int signB);
std::optional<ZodiacRelation> zodiacRelation(int signA, int signB);
std::optional<Element> elementOf(int sign);
std::optional<ElementPair> elementPair(int signA, int signB);
ElementPair makeElementPair(Element a, Element b);
QList<ElementPair> allElementPairs(); // the ten pairs, fire first

QString zodiacRelationCaption(ZodiacRelation relation); // "Трин"
QString elementName(Element element);                   // "Огонь"

// The short verdict on a pair of signs: a score out of kVerdictScale and one line of text.
inline constexpr int kVerdictScale = 10;
struct ZodiacVerdict {
    int score;
    QString text;
};
ZodiacVerdict zodiacVerdict(ZodiacRelation relation);

// --- Chinese --------------------------------------------------------------------------------------------

// Where more than one relation holds for a pair, the first in this order counts (see chineseRelation).
enum class ChineseRelation { SameAnimal, SecretFriends, Triangle, Opposition, Harm, Neutral };
inline constexpr int kChineseRelationCount = 6;

// Every relation of the lists that holds for the pair, in the order above; empty for a neutral pair or
// an index outside 1..12.
QList<ChineseRelation> chineseRelationsThatHold(int animalA, int animalB);
// The one relation that counts; nullopt when either index is outside 1..12.
std::optional<ChineseRelation> chineseRelation(int animalA, int animalB);
// The triangle of affinity an animal belongs to, 1..4; nullopt outside 1..12.
std::optional<int> chineseTriangle(int animal);

QString chineseRelationCaption(ChineseRelation relation); // "Тайные друзья"

// One line on what an element pair and a Chinese relation mean for two people, for the page's verdict.
QString elementPairVerdict(ElementPair pair);
QString chineseRelationVerdict(ChineseRelation relation);

// A sign's title with its date range held together ("Лев (23.07 - 22.08)": the range's blanks and dash
// become non-breaking ones), so that a narrow column never breaks a line inside the range.
QString keepRangeTogether(const QString& title);

// --- Fragments ------------------------------------------------------------------------------------------

// Fragment files relative to the data folder, with '/' between the parts.
inline constexpr char16_t kCompatibilityFolder[] = u"Compatibility";
QString fragmentFile(ZodiacRelation relation);  // "Compatibility/zodiac-trine.htm"
QString fragmentFile(ElementPair pair);         // "Compatibility/elements-fire-water.htm"
QString fragmentFile(ChineseRelation relation); // "Compatibility/chinese-secret-friends.htm"
QString introductionFragmentFile();             // "Compatibility/introduction.htm"
QString otherSystemsFragmentFile();             // "Compatibility/other-systems.htm"
QStringList allFragmentFiles();                 // all 25, in page order

// The full path of a fragment: the data folder (ending in a delimiter) plus the relative file.
QString fragmentPath(const QString& dataFolder, const QString& relativeFile);

// A fragment's file larger than this is taken as broken rather than read.
inline constexpr qint64 kMaxFragmentBytes = 256 * 1024;

// What goes between <body> and </body> of a fragment, decoded by its declared charset; nullopt when the
// file is missing, not a regular file, too large or unreadable.
std::optional<QString> readFragment(const QString& path);

// --- The page -------------------------------------------------------------------------------------------

struct CompatibilityPerson {
    QString name;     // may be empty
    QString dateText; // the birth date as the program shows dates
    Date birthDate;
};

// Every sign of a birth date, worked out without any message: -1 where a system has no sign for it
// (a Chinese year before 1910, a Zoroastrian year before 1900).
struct PersonSigns {
    int zodiac = -1, chinese = -1, tree = -1, totem = -1, creature = -1, number = -1;
};
PersonSigns personSigns(Date birthDate);

// The single item's hint: "Совместимость: Анна и Ольга"; the names as the page shows them, trimmed.
QString compatibilityHint(const CompatibilityPerson& first, const CompatibilityPerson& second);

struct CompatibilityPage {
    QString html;        // UTF-8 page text; empty when a fragment is missing
    QStringList missing; // full paths of the fragments that could not be read
    bool ok() const { return missing.isEmpty() && !html.isEmpty(); }
};

// The page for two people. It is written as a file of the data folder's "Compatibility" folder would be:
// its style sheet ("../style.css") and its links to the other systems' pages are relative to that
// folder, so the viewer must take <data folder>/Compatibility/ as the page's base.
CompatibilityPage compatibilityPage(const QString& dataFolder, const CompatibilityPerson& first,
                                    const CompatibilityPerson& second);

} // namespace solvenna
