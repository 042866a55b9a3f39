#include "core/groupcompatibility.h"

#include "core/pagebuilder.h"
#include "core/signs.h"

#include <QUrlQuery>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {

// The Chinese relation moves the zodiac score (0..10) by this much either way: the zodiac, which every
// date has, leads, and the Chinese relation tips a pair up or down.
constexpr int kChineseWeight = 2;
// Verdicts by the combined value (1..11). Good, 8 and up: a trine or sextile unless the animals are at
// odds, or a same-sign or opposite pair whose animals are close. Hard, 4 and below: a square or
// quincunx that no close animals redeem, or neighbours or opposite signs whose animals are at odds.
// Fair: everything between.
constexpr int kGoodFrom = 8;
constexpr int kHardUpTo = 4;

int chineseShift(const std::optional<ChineseRelation>& relation) {
    // A missing animal (a year before 1910) counts as neutral.
    if (!relation) return 0;
    switch (*relation) {
    case ChineseRelation::SecretFriends:
    case ChineseRelation::Triangle:
        return kChineseWeight;
    case ChineseRelation::Opposition:
    case ChineseRelation::Harm:
        return -kChineseWeight;
    case ChineseRelation::SameAnimal:
    case ChineseRelation::Neutral:
        break;
    }
    return 0;
}

// A grid of 20 people has 380 pair cells, and the page check counts a table's text twice against its
// 20 000 characters: a cell may hold about 20 characters. So the cells use short forms (at most 9 and 8
// letters) that the legend spells out, and the summaries below the grid leave the relations to the cells.
constexpr std::array<const char16_t*, kZodiacRelationCount> kZodiacShort{
    {u"Один знак", u"Соседи", u"Секстиль", u"Квадрат", u"Трин", u"Квинконс", u"Оппозиция"}};
constexpr std::array<const char16_t*, kChineseRelationCount> kChineseShort{
    {u"Двойники", u"Друзья", u"Триада", u"Антиподы", u"Трения", u"Ровные"}};

// The names in the grid's heads and lines: the cells must stay narrow.
constexpr qsizetype kShortName = 12;

QString shortName(const QString& name) {
    const QString shown = displayName(name.simplified());
    if (shown.size() <= kShortName) return shown;
    qsizetype cut = kShortName - 1;
    if (shown.at(cut - 1).isHighSurrogate()) --cut;
    return shown.left(cut) + u'…';
}

struct VerdictLook {
    const char16_t* cssClass;
    const char16_t* mark;
    const char16_t* words;
};
// In the order of PairVerdict. The mark says the verdict where colour cannot: on paper, to a screen reader.
constexpr std::array<VerdictLook, 3> kVerdicts{{
    {u"pair-good", u"+", u"зелёная клетка, «+» — хорошая пара"},
    {u"pair-fair", u"±", u"жёлтая, «±» — ровная"},
    {u"pair-hard", u"−", u"розовая, «−» — трудная"},
}};

const VerdictLook& look(PairVerdict verdict) {
    return kVerdicts[std::size_t(verdict)];
}

Html pairCell(int first, int second, const PersonSigns& a, const PersonSigns& b, PairVerdict verdict) {
    const auto zodiac = zodiacRelation(a.zodiac, b.zodiac);
    const auto chinese = chineseRelation(a.chinese, b.chinese);
    const QString href = pairLink(first, second).toString(QUrl::FullyEncoded);
    return Html::markup(u"<a href=\""_s + href.toHtmlEscaped() + u"\">"_s) +
           Html::text(QString::fromUtf16(look(verdict).mark)) + Html::markup(u"<br />"_s) +
           Html::text((zodiac ? QString::fromUtf16(kZodiacShort[std::size_t(*zodiac)]) : u"—"_s)) +
           Html::markup(u"<br />"_s) +
           Html::text(chinese ? QString::fromUtf16(kChineseShort[std::size_t(*chinese)]) : u"—"_s) +
           Html::markup(u"</a>"_s);
}

QString legend() {
    QStringList colours;
    for (const VerdictLook& v : kVerdicts)
        colours << QString::fromUtf16(v.words);
    QStringList chinese;
    for (int r = 0; r < kChineseRelationCount; ++r)
        chinese << QString::fromUtf16(kChineseShort[std::size_t(r)]) + u" — "_s +
                       chineseRelationCaption(ChineseRelation(r)).toLower();
    return u"В клетке — отношение знаков зодиака (Соседи — соседние знаки) и китайских знаков ("_s +
           chinese.join(u", "_s) + u"; «—» — знака нет: год рождения раньше "_s +
           QString::number(kFirstChineseYear) + u"). Цвет и знак — общий итог: "_s + colours.join(u"; "_s) +
           u". Клетка ведёт на страницу совместимости пары."_s;
}

// Digits only: no sign, no blanks, nothing a lenient number reader would let through.
std::optional<int> index(const QString& text) {
    if (text.isEmpty() || text.size() > 9) return std::nullopt;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return std::nullopt;
    return text.toInt();
}

} // namespace

PairScore pairScore(const PersonSigns& first, const PersonSigns& second) {
    const auto zodiac = zodiacRelation(first.zodiac, second.zodiac);
    const int zodiacScore = zodiac ? zodiacVerdict(*zodiac).score : kVerdictScale / 2;
    const int value = zodiacScore + chineseShift(chineseRelation(first.chinese, second.chinese));
    const PairVerdict verdict = value >= kGoodFrom   ? PairVerdict::Good
                                : value <= kHardUpTo ? PairVerdict::Hard
                                                     : PairVerdict::Fair;
    return {value, verdict};
}

QUrl pairLink(int first, int second) {
    return QUrl(QString::fromUtf16(kPairLinkScheme) + u":pair?a="_s + QString::number(first) + u"&b="_s +
                QString::number(second));
}

std::optional<std::pair<int, int>> pairOfLink(const QUrl& link) {
    if (!link.isValid() || link.scheme() != QString::fromUtf16(kPairLinkScheme) || link.hasFragment() ||
        !link.authority().isEmpty() || link.path() != u"pair"_s || !link.hasQuery())
        return std::nullopt;
    const QList<std::pair<QString, QString>> items = QUrlQuery(link).queryItems(QUrl::FullyDecoded);
    if (items.size() != 2 || items[0].first != u"a"_s || items[1].first != u"b"_s) return std::nullopt;
    const auto a = index(items[0].second), b = index(items[1].second);
    if (!a || !b || *a == *b) return std::nullopt;
    return std::pair{*a, *b};
}

QString groupCompatibilityPage(const QList<CompatibilityPerson>& people) {
    const qsizetype n = people.size();
    if (n < kMinGroupSize || n > kMaxGroupSize) return {};
    QList<PersonSigns> signs;
    QStringList names;
    for (const CompatibilityPerson& person : people) {
        signs << personSigns(person.birthDate);
        names << shortName(person.name);
    }

    PageBuilder page;
    const QString title = u"Совместимость группы"_s;
    page.beginDocument(title, u"compatibility"_s);
    page.heading(1, title);
    QStringList listed;
    for (qsizetype i = 0; i < n; ++i)
        listed << names[i] + u", "_s + people[i].dateText;
    page.paragraph(listed.join(u"; "_s), u"class=\"period\""_s);
    page.paragraph(legend(), u"class=\"legend\""_s);

    // Every pair's score once; the grid shows each pair twice, once from either side.
    QList<QList<PairScore>> scores(n, QList<PairScore>(n));
    for (qsizetype i = 0; i < n; ++i)
        for (qsizetype j = 0; j < n; ++j)
            if (i != j) scores[i][j] = pairScore(signs[i], signs[j]);

    page.beginTable(u"class=\"group\" cellspacing=\"2\""_s);
    QList<Cell> head{Cell(Html())};
    for (const QString& name : names)
        head << Cell(Html::text(name));
    page.headRow(head);
    for (qsizetype i = 0; i < n; ++i) {
        QList<Cell> row{Cell(Html::text(names[i]), u"class=\"pair-name\""_s)};
        for (qsizetype j = 0; j < n; ++j) {
            if (i == j) {
                row << Cell(Html(), u"class=\"pair-self\""_s);
                continue;
            }
            const PairVerdict verdict = scores[i][j].verdict;
            row << Cell(pairCell(int(i), int(j), signs[i], signs[j], verdict),
                        u"class=\""_s + QString::fromUtf16(look(verdict).cssClass) + u'"');
        }
        page.row(row);
    }
    page.endTable();

    page.heading(2, u"Лучшие и трудные пары"_s);
    for (qsizetype i = 0; i < n; ++i) {
        // Ties go to the first in the group's order.
        qsizetype best = -1, hardest = -1;
        for (qsizetype j = 0; j < n; ++j) {
            if (j == i) continue;
            if (best < 0 || scores[i][j].value > scores[i][best].value) best = j;
            if (hardest < 0 || scores[i][j].value < scores[i][hardest].value) hardest = j;
        }
        const QString line = scores[i][best].value == scores[i][hardest].value
                                 ? names[i] + u": со всеми в группе — одинаково."_s
                                 : names[i] + u" — лучшая пара: "_s + names[best] + u"; труднее всего: "_s +
                                       names[hardest] + u'.';
        page.paragraph(line, u"class=\"verdict\""_s);
    }
    page.endDocument();
    return page.html();
}

} // namespace solvenna
