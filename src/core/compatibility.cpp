#include "core/compatibility.h"

#include "core/catalogue.h"
#include "core/htmltext.h"
#include "core/safefile.h"
#include "core/signs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {

struct ZodiacRelationRow {
    const char16_t* stem;
    const char16_t* caption;
    int score;
    const char16_t* verdict;
};

// The one table behind the verdict, by distance around the circle. The scores follow the usual reading
// of the aspects: a trine and a sextile join signs whose elements agree, a square and a quincunx join
// signs whose elements pull apart.
constexpr std::array<ZodiacRelationRow, kZodiacRelationCount> kZodiacRelations{{
    {u"same", u"Один знак", 7, u"Зеркальная пара: понимание с полуслова, но и общие слабости вдвойне."},
    {u"neighbours", u"Соседние знаки", 5,
     u"Соседи по кругу: разный темп, зато есть чему поучиться друг у друга."},
    {u"sextile", u"Секстиль", 8, u"Дружеский союз: легко договориться и интересно вместе."},
    {u"square", u"Квадрат", 4, u"Напряжённая пара: много искр, союз требует терпения с обеих сторон."},
    {u"trine", u"Трин", 9, u"Гармоничная пара: одна стихия и общий ритм жизни."},
    {u"quincunx", u"Квинконс", 3, u"Трудная пара: разные языки чувств, понимание придётся строить."},
    {u"opposition", u"Оппозиция", 6,
     u"Притяжение противоположностей: сильное влечение и вечный поиск равновесия."},
}};

struct ElementRow {
    const char16_t* stem;
    const char16_t* name;
};
constexpr std::array<ElementRow, kElementCount> kElements{{
    {u"fire", u"Огонь"},
    {u"earth", u"Земля"},
    {u"air", u"Воздух"},
    {u"water", u"Вода"},
}};

// Program's Chinese indices (the cycle starts with the Dog at 1910).
enum Animal { Dog = 1, Pig, Rat, Ox, Tiger, Cat, Dragon, Snake, Horse, Goat, Monkey, Rooster };

constexpr std::array<std::array<int, 3>, 4> kTriangles{{
    {Rat, Dragon, Monkey},
    {Ox, Snake, Rooster},
    {Tiger, Horse, Dog},
    {Cat, Goat, Pig},
}};
constexpr std::array<std::array<int, 2>, 6> kSecretFriends{{
    {Rat, Ox},
    {Tiger, Pig},
    {Cat, Dog},
    {Dragon, Rooster},
    {Snake, Monkey},
    {Horse, Goat},
}};
constexpr std::array<std::array<int, 2>, 6> kHarm{{
    {Rat, Goat},
    {Ox, Horse},
    {Tiger, Snake},
    {Cat, Dragon},
    {Monkey, Pig},
    {Dog, Rooster},
}};

struct ChineseRelationRow {
    const char16_t* stem;
    const char16_t* caption;
};
// In the order of the enum, which is also the precedence: the same animal first (it is also in its own
// triangle), then the closest bond, the secret friends, then the triangle; of the two strains, the open
// opposition before the quieter harm.
constexpr std::array<ChineseRelationRow, kChineseRelationCount> kChineseRelations{{
    {u"same", u"Один и тот же знак"},
    {u"secret-friends", u"Тайные друзья"},
    {u"triangle", u"Треугольник родства"},
    {u"opposition", u"Противостояние"},
    {u"harm", u"Вредящие знаки"},
    {u"neutral", u"Нейтральные знаки"},
}};

bool validSign(int index, int count) {
    return index >= 1 && index <= count;
}

bool inPairs(const std::array<std::array<int, 2>, 6>& pairs, int a, int b) {
    for (const auto& p : pairs)
        if ((p[0] == a && p[1] == b) || (p[0] == b && p[1] == a)) return true;
    return false;
}

QString folderFile(const QString& stem) {
    return QString::fromUtf16(kCompatibilityFolder) + u'/' + stem + u".htm"_s;
}

// --- Page writing ---

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

// A link from the Compatibility folder to a page of another system's folder; a sign without a page is
// named without a link, and no sign at all is said so.
QString signLink(const QString& folder, const std::optional<QString>& file, const QString& name) {
    if (name.isEmpty()) return u"нет данных"_s;
    if (!file) return esc(name);
    return u"<a href=\"../"_s + folder + u'/' + *file + u"\">"_s + esc(name) + u"</a>"_s;
}

QString row(const QString& label, const QString& first, const QString& second) {
    return u"<tr><td><b>"_s + label + u"</b></td><td>"_s + first + u"</td><td>"_s + second +
           u"</td></tr>\n"_s;
}

// The same column widths in every table, so the people's columns line up down the page.
QString tableHead(const QString& first, const QString& second) {
    return u"<table width=\"100%\" cellspacing=\"0\">\n<tr><th width=\"30%\"></th><th width=\"35%\">"_s +
           esc(first) + u"</th><th width=\"35%\">"_s + esc(second) + u"</th></tr>\n"_s;
}

QString zodiacCell(int sign) {
    const QString title = zodiacTitle(sign);
    if (title.isEmpty()) return u"нет данных"_s;
    const auto folder = zodiacSignFolder(sign);
    // The companions topic is the zodiac page that speaks about partners.
    return signLink(u"Zodiac/"_s + *folder, topicFile(3), title);
}

QString chineseCell(int animal) {
    if (!validSign(animal, kChineseAnimals))
        return u"недоступен: год рождения раньше "_s + QString::number(kFirstChineseYear);
    return signLink(u"Chinese"_s, chineseFile(animal), signName(HoroscopeSystem::Chinese, animal));
}

// Reads the fragment or records it as missing.
QString take(const QString& dataFolder, const QString& relativeFile, QStringList& missing) {
    const QString path = fragmentPath(dataFolder, relativeFile);
    // A fragment that leads out of the data folder counts as missing, unread.
    const QString inside = safefile::fileInside(path, dataFolder);
    const std::optional<QString> body = inside.isEmpty() ? std::nullopt : readFragment(inside);
    if (!body) {
        missing << path;
        return {};
    }
    return body->trimmed() + u'\n';
}

} // namespace

// --- Zodiac ---

std::optional<int> zodiacDistance(int signA, int signB) {
    if (!validSign(signA, kZodiacSigns) || !validSign(signB, kZodiacSigns)) return std::nullopt;
    const int steps = std::abs(signA - signB);
    return std::min(steps, kZodiacSigns - steps);
}

std::optional<ZodiacRelation> zodiacRelation(int signA, int signB) {
    const auto distance = zodiacDistance(signA, signB);
    if (!distance) return std::nullopt;
    return ZodiacRelation(*distance);
}

std::optional<Element> elementOf(int sign) {
    if (!validSign(sign, kZodiacSigns)) return std::nullopt;
    // The elements follow each other round the circle from Овен: fire, earth, air, water.
    return Element((sign - 1) % kElementCount);
}

ElementPair makeElementPair(Element a, Element b) {
    return a <= b ? ElementPair{a, b} : ElementPair{b, a};
}

std::optional<ElementPair> elementPair(int signA, int signB) {
    const auto a = elementOf(signA), b = elementOf(signB);
    if (!a || !b) return std::nullopt;
    return makeElementPair(*a, *b);
}

QList<ElementPair> allElementPairs() {
    QList<ElementPair> pairs;
    for (int a = 0; a < kElementCount; ++a)
        for (int b = a; b < kElementCount; ++b)
            pairs.append({Element(a), Element(b)});
    return pairs;
}

QString zodiacRelationCaption(ZodiacRelation relation) {
    return QString::fromUtf16(kZodiacRelations[std::size_t(relation)].caption);
}

QString elementName(Element element) {
    return QString::fromUtf16(kElements[std::size_t(element)].name);
}

ZodiacVerdict zodiacVerdict(ZodiacRelation relation) {
    const ZodiacRelationRow& r = kZodiacRelations[std::size_t(relation)];
    return {r.score, QString::fromUtf16(r.verdict)};
}

// --- Chinese ---

std::optional<int> chineseTriangle(int animal) {
    for (std::size_t t = 0; t < kTriangles.size(); ++t)
        for (int member : kTriangles[t])
            if (member == animal) return int(t + 1);
    return std::nullopt;
}

QList<ChineseRelation> chineseRelationsThatHold(int a, int b) {
    QList<ChineseRelation> hold;
    if (!validSign(a, kChineseAnimals) || !validSign(b, kChineseAnimals)) return hold;
    if (a == b) hold << ChineseRelation::SameAnimal;
    if (inPairs(kSecretFriends, a, b)) hold << ChineseRelation::SecretFriends;
    if (chineseTriangle(a) == chineseTriangle(b)) hold << ChineseRelation::Triangle;
    if (std::abs(a - b) == kChineseAnimals / 2) hold << ChineseRelation::Opposition;
    if (inPairs(kHarm, a, b)) hold << ChineseRelation::Harm;
    return hold;
}

std::optional<ChineseRelation> chineseRelation(int animalA, int animalB) {
    if (!validSign(animalA, kChineseAnimals) || !validSign(animalB, kChineseAnimals)) return std::nullopt;
    const QList<ChineseRelation> hold = chineseRelationsThatHold(animalA, animalB);
    return hold.isEmpty() ? ChineseRelation::Neutral : hold.first();
}

QString chineseRelationCaption(ChineseRelation relation) {
    return QString::fromUtf16(kChineseRelations[std::size_t(relation)].caption);
}

// --- Fragments ---

QString fragmentFile(ZodiacRelation relation) {
    return folderFile(u"zodiac-"_s + QString::fromUtf16(kZodiacRelations[std::size_t(relation)].stem));
}

QString fragmentFile(ElementPair pair) {
    return folderFile(u"elements-"_s + QString::fromUtf16(kElements[std::size_t(pair.first)].stem) + u'-' +
                      QString::fromUtf16(kElements[std::size_t(pair.second)].stem));
}

QString fragmentFile(ChineseRelation relation) {
    return folderFile(u"chinese-"_s + QString::fromUtf16(kChineseRelations[std::size_t(relation)].stem));
}

QString introductionFragmentFile() {
    return folderFile(u"introduction"_s);
}

QString otherSystemsFragmentFile() {
    return folderFile(u"other-systems"_s);
}

QStringList allFragmentFiles() {
    QStringList files{introductionFragmentFile()};
    for (int r = 0; r < kZodiacRelationCount; ++r)
        files << fragmentFile(ZodiacRelation(r));
    for (const ElementPair& pair : allElementPairs())
        files << fragmentFile(pair);
    for (int r = 0; r < kChineseRelationCount; ++r)
        files << fragmentFile(ChineseRelation(r));
    files << otherSystemsFragmentFile();
    return files;
}

QString fragmentPath(const QString& dataFolder, const QString& relativeFile) {
    return dataFolder + QDir::toNativeSeparators(relativeFile);
}

std::optional<QString> readFragment(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFragmentBytes) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    // The size may change between the look and the read: never take more than the limit.
    const QByteArray bytes = file.read(kMaxFragmentBytes + 1);
    if (bytes.size() > kMaxFragmentBytes) return std::nullopt;
    const QString text = decodeHtml(bytes);

    // A whole page gives its body; a bare fragment (no body element) is taken as it is.
    qsizetype from = 0, to = text.size();
    const qsizetype body = text.indexOf(u"<body"_s, 0, Qt::CaseInsensitive);
    if (body >= 0) {
        const qsizetype open = text.indexOf(u'>', body);
        from = open < 0 ? text.size() : open + 1;
        const qsizetype close = text.indexOf(u"</body"_s, from, Qt::CaseInsensitive);
        if (close >= 0) to = close;
    } else if (const qsizetype head = text.indexOf(u"</head>"_s, 0, Qt::CaseInsensitive); head >= 0) {
        from = head + 7;
    }
    return text.mid(from, to - from);
}

// --- The page ---

PersonSigns personSigns(Date birthDate) {
    const YearMonthDay ymd = decodeDate(birthDate);
    PersonSigns s;
    s.zodiac = GetSign(birthDate);
    // The year calculators report a year they refuse in a message box; this page says it in its text.
    const bool yearFits = ymd.year >= 0 && ymd.year <= 0xFFFF;
    if (yearFits && ymd.year >= kFirstChineseYear) s.chinese = GetAnimal_China(std::uint16_t(ymd.year));
    if (yearFits && ymd.year >= kFirstZoroastrianYear) s.totem = GetBeast(std::uint16_t(ymd.year));
    s.tree = GetTree(birthDate);
    s.creature = GetCreature(birthDate);
    s.number = GetNumber(birthDate);
    return s;
}

QString displayName(const QString& name) {
    const QString trimmed = name.trimmed();
    return trimmed.isEmpty() ? u"Без имени"_s : trimmed;
}

QString compatibilityHint(const CompatibilityPerson& first, const CompatibilityPerson& second) {
    return u"Совместимость: "_s + displayName(first.name) + u" и "_s + displayName(second.name);
}

CompatibilityPage compatibilityPage(const QString& dataFolder, const CompatibilityPerson& first,
                                    const CompatibilityPerson& second) {
    const PersonSigns a = personSigns(first.birthDate), b = personSigns(second.birthDate);
    const QString nameA = displayName(first.name), nameB = displayName(second.name);
    QStringList missing;
    QString h;

    const QString title = u"Совместимость — "_s + esc(nameA) + u" и "_s + esc(nameB);
    h += u"<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n"
         u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"_s;
    h += u"<title>"_s + title + u"</title>\n"_s;
    h += u"<link rel=\"stylesheet\" type=\"text/css\" href=\"../style.css\" />\n</head>\n"
         u"<body class=\"compatibility\">\n"_s;
    h += u"<h1>"_s + title + u"</h1>\n"_s;
    h += u"<p class=\"period\">"_s + esc(nameA) + u": "_s + esc(first.dateText) + u"; "_s + esc(nameB) +
         u": "_s + esc(second.dateText) + u"</p>\n"_s;
    h += take(dataFolder, introductionFragmentFile(), missing);

    // Zodiac.
    h += u"<h2>Зодиакальный гороскоп</h2>\n"_s + tableHead(nameA, nameB);
    h += row(u"Знак"_s, zodiacCell(a.zodiac), zodiacCell(b.zodiac));
    const auto elementA = elementOf(a.zodiac), elementB = elementOf(b.zodiac);
    h += row(u"Стихия"_s, elementA ? elementName(*elementA) : u"нет данных"_s,
             elementB ? elementName(*elementB) : u"нет данных"_s);
    h += u"</table>\n"_s;
    if (const auto relation = zodiacRelation(a.zodiac, b.zodiac)) {
        const ZodiacVerdict verdict = zodiacVerdict(*relation);
        h += u"<p class=\"verdict\"><b>Оценка: "_s + QString::number(verdict.score) + u" из "_s +
             QString::number(kVerdictScale) + u".</b> "_s + esc(verdict.text) + u"</p>\n"_s;
        h += u"<h3>Отношение знаков: "_s + esc(zodiacRelationCaption(*relation)) + u"</h3>\n"_s;
        h += take(dataFolder, fragmentFile(*relation), missing);
        const ElementPair pair = *elementPair(a.zodiac, b.zodiac);
        h += pair.first == pair.second ? u"<h3>Стихия: "_s + elementName(pair.first) + u" у обоих</h3>\n"_s
                                       : u"<h3>Стихии: "_s + elementName(pair.first) + u" и "_s +
                                             elementName(pair.second) + u"</h3>\n"_s;
        h += take(dataFolder, fragmentFile(pair), missing);
    } else {
        h += u"<p>Знак зодиака можно определить только по дате рождения; для этой пары его нет.</p>\n"_s;
    }

    // Chinese.
    h += u"<h2>Китайский гороскоп</h2>\n"_s + tableHead(nameA, nameB);
    h += row(u"Знак"_s, chineseCell(a.chinese), chineseCell(b.chinese));
    h += u"</table>\n"_s;
    if (const auto relation = chineseRelation(a.chinese, b.chinese)) {
        h += u"<h3>Отношение знаков: "_s + esc(chineseRelationCaption(*relation)) + u"</h3>\n"_s;
        h += take(dataFolder, fragmentFile(*relation), missing);
    } else {
        h += u"<p>Китайский знак недоступен: восточный календарь программы начинается с "_s +
             QString::number(kFirstChineseYear) +
             u" года, поэтому совместимость по китайскому гороскопу определить нельзя.</p>\n"_s;
    }

    // The other four systems, side by side.
    h += u"<h2>Другие гороскопы</h2>\n"_s;
    h += take(dataFolder, otherSystemsFragmentFile(), missing);
    h += tableHead(nameA, nameB);
    const auto druid = [](int i) {
        return signLink(u"Druidean"_s, druidFile(i), signName(HoroscopeSystem::Druid, i));
    };
    const auto totem = [](int i) {
        if (!validSign(i, kZoroastrianTotems))
            return u"недоступен: год рождения раньше "_s + QString::number(kFirstZoroastrianYear);
        return signLink(u"Zoroastrian"_s, zoroastrianFile(i), signName(HoroscopeSystem::Zoroastrian, i));
    };
    const auto creature = [](int i) {
        return signLink(u"Myphologic"_s, mythFile(i), signName(HoroscopeSystem::Mythological, i));
    };
    const auto number = [](int i) {
        return signLink(u"Numeric"_s, numericFile(i), signName(HoroscopeSystem::Numerological, i));
    };
    h += row(esc(systemCaption(HoroscopeSystem::Druid)), druid(a.tree), druid(b.tree));
    h += row(esc(systemCaption(HoroscopeSystem::Zoroastrian)), totem(a.totem), totem(b.totem));
    h += row(esc(systemCaption(HoroscopeSystem::Mythological)), creature(a.creature), creature(b.creature));
    h += row(esc(systemCaption(HoroscopeSystem::Numerological)), number(a.number), number(b.number));
    h += u"</table>\n</body>\n</html>\n"_s;

    if (!missing.isEmpty()) return {{}, missing};
    return {h, {}};
}

} // namespace solvenna
