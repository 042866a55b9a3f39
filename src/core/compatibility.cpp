#include "core/compatibility.h"

#include "core/catalogue.h"
#include "core/htmltext.h"
#include "core/pagebuilder.h"
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

// What each pair of elements means for two people, in the order of allElementPairs().
constexpr std::array<const char16_t*, kElementPairCount> kElementPairVerdicts{{
    u"Яркая страсть и общий азарт, но и вспышки самолюбия.",
    u"Порыв встречает осторожность: союз держится на уважении к чужому темпу.",
    u"Созданы друг для друга: воздух питает пламя, вместе живо и интересно.",
    u"Самое драматичное сочетание: сильные чувства и частые бури.",
    u"Надёжный и основательный союз, которому порой не хватает новизны.",
    u"Практичность и фантазия плохо понимают друг друга, зато многому друг друга учат.",
    u"Одно из самых благоприятных сочетаний: забота, верность и покой.",
    u"Бесконечный разговор и много свободы, но мало опоры в быту.",
    u"Разум и чувство: красиво, но изменчиво, как облака и дождь.",
    u"Понимание почти без слов и глубокая близость, но и общие тревоги.",
}};

struct ChineseRelationRow {
    const char16_t* stem;
    const char16_t* caption;
    const char16_t* verdict;
};
// In the order of the enum, which is also the precedence: the same animal first (it is also in its own
// triangle), then the closest bond, the secret friends, then the triangle; of the two strains, the open
// opposition before the quieter harm.
constexpr std::array<ChineseRelationRow, kChineseRelationCount> kChineseRelations{{
    {u"same", u"Один и тот же знак",
     u"Родственные натуры: понимают друг друга, но соперничают в одном и том же."},
    {u"secret-friends", u"Тайные друзья", u"Самая тесная связь восточного цикла: поддержка и доверие."},
    {u"triangle", u"Треугольник родства", u"Общие взгляды и ритм жизни: союз гармоничный и прочный."},
    {u"opposition", u"Противостояние",
     u"Знаки напротив друг друга в круге: сильное напряжение, союз требует уступок."},
    {u"harm", u"Вредящие знаки", u"Незаметные трения, которые со временем копятся: нужна откровенность."},
    {u"neutral", u"Нейтральные знаки", u"Ни особого притяжения, ни вражды: всё решают сами люди."},
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

const QString kNoData = u"нет данных"_s;

// A link from the page to a sign's page in another system's folder; a sign without a page is named
// without a link, and no sign at all is said so.
Html signLink(const QString& folder, const std::optional<QString>& file, const QString& name) {
    if (name.isEmpty()) return Html::text(kNoData);
    if (!file) return Html::text(name);
    return PageBuilder::dataLink(folder + u'/' + *file, name);
}

Html systemLink(HoroscopeSystem system, int sign) {
    return signLink(systemFolderName(system), systemEntry(system).signEntry(sign), signName(system, sign));
}

// The same column widths in every table, so the people's columns line up down the page.
void beginPeopleTable(PageBuilder& page, const QString& first, const QString& second) {
    page.beginTable(u"width=\"100%\" cellspacing=\"0\""_s);
    page.headRow({{Html(), u"width=\"30%\""_s},
                  {Html::text(first), u"width=\"35%\""_s},
                  {Html::text(second), u"width=\"35%\""_s}});
}

void peopleRow(PageBuilder& page, const QString& label, const Html& first, const Html& second) {
    page.row({Html::text(label).bold(), first, second});
}

Html zodiacCell(int sign) {
    const QString title = keepRangeTogether(zodiacTitle(sign));
    if (title.isEmpty()) return Html::text(kNoData);
    const auto folder = zodiacSignFolder(sign);
    // The companions topic is the zodiac page that speaks about partners.
    return signLink(systemFolderName(HoroscopeSystem::Zodiac) + u'/' + *folder, topicFile(3), title);
}

Html notBefore(int year) {
    return Html::text(u"недоступен: год рождения раньше "_s + QString::number(year));
}

Html chineseCell(int animal) {
    if (!validSign(animal, kChineseAnimals)) return notBefore(kFirstChineseYear);
    return systemLink(HoroscopeSystem::Chinese, animal);
}

// Puts the fragment in or records it as missing.
void take(PageBuilder& page, const QString& dataFolder, const QString& relativeFile, QStringList& missing) {
    const QString path = fragmentPath(dataFolder, relativeFile);
    // A fragment that leads out of the data folder counts as missing, unread.
    const QString inside = safefile::fileInside(path, dataFolder);
    if (const std::optional<QString> body = inside.isEmpty() ? std::nullopt : readFragment(inside))
        page.block(Html::markup(body->trimmed()));
    else
        missing << path;
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

QString chineseRelationVerdict(ChineseRelation relation) {
    return QString::fromUtf16(kChineseRelations[std::size_t(relation)].verdict);
}

QString elementPairVerdict(ElementPair pair) {
    return QString::fromUtf16(kElementPairVerdicts[std::size_t(allElementPairs().indexOf(pair))]);
}

QString keepRangeTogether(const QString& title) {
    // A dash between non-breaking blanks still lets a line break after it; the non-breaking hyphen does not.
    QString kept = title;
    return kept.replace(u" - "_s, u"\u00A0\u2011\u00A0"_s);
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

QString compatibilityHint(const CompatibilityPerson& first, const CompatibilityPerson& second) {
    return u"Совместимость: "_s + displayName(first.name.trimmed()) + u" и "_s +
           displayName(second.name.trimmed());
}

CompatibilityPage compatibilityPage(const QString& dataFolder, const CompatibilityPerson& first,
                                    const CompatibilityPerson& second) {
    const PersonSigns a = personSigns(first.birthDate), b = personSigns(second.birthDate);
    const QString nameA = displayName(first.name.trimmed()), nameB = displayName(second.name.trimmed());
    QStringList missing;
    PageBuilder page;

    const QString title = u"Совместимость — "_s + nameA + u" и "_s + nameB;
    page.beginDocument(title, u"compatibility"_s);
    page.heading(1, title);
    page.paragraph(nameA + u": "_s + first.dateText + u"; "_s + nameB + u": "_s + second.dateText,
                   u"class=\"period\""_s);

    // The verdict first, one line for each relation; the general introduction and the details follow.
    page.heading(2, u"Итог"_s);
    const auto verdictLine = [&page](const QString& lead, const QString& text) {
        page.paragraph(Html::text(lead).bold() + Html::text(u" "_s + text), u"class=\"verdict\""_s);
    };
    const auto zodiacPair = zodiacRelation(a.zodiac, b.zodiac);
    if (zodiacPair) {
        const ZodiacVerdict verdict = zodiacVerdict(*zodiacPair);
        verdictLine(u"Знаки зодиака: "_s + signName(HoroscopeSystem::Zodiac, a.zodiac) + u" и "_s +
                        signName(HoroscopeSystem::Zodiac, b.zodiac) + u" — "_s +
                        zodiacRelationCaption(*zodiacPair) + u"."_s,
                    u"Оценка: "_s + QString::number(verdict.score) + u" из "_s +
                        QString::number(kVerdictScale) + u". "_s + verdict.text);
        const ElementPair pair = *elementPair(a.zodiac, b.zodiac);
        verdictLine(pair.first == pair.second ? u"Стихия: "_s + elementName(pair.first) + u" у обоих."_s
                                              : u"Стихии: "_s + elementName(pair.first) + u" и "_s +
                                                    elementName(pair.second) + u"."_s,
                    elementPairVerdict(pair));
    }
    const auto chinesePair = chineseRelation(a.chinese, b.chinese);
    if (chinesePair)
        verdictLine(u"Китайский гороскоп: "_s + signName(HoroscopeSystem::Chinese, a.chinese) + u" и "_s +
                        signName(HoroscopeSystem::Chinese, b.chinese) + u" — "_s +
                        chineseRelationCaption(*chinesePair) + u"."_s,
                    chineseRelationVerdict(*chinesePair));
    else
        verdictLine(u"Китайский гороскоп:"_s,
                    u"недоступен для года рождения раньше "_s + QString::number(kFirstChineseYear) + u"."_s);

    page.heading(2, u"Как читать эту страницу"_s);
    take(page, dataFolder, introductionFragmentFile(), missing);

    // Zodiac.
    page.heading(2, u"Зодиакальный гороскоп"_s);
    beginPeopleTable(page, nameA, nameB);
    peopleRow(page, u"Знак"_s, zodiacCell(a.zodiac), zodiacCell(b.zodiac));
    const auto element = [](int sign) {
        const auto e = elementOf(sign);
        return Html::text(e ? elementName(*e) : kNoData);
    };
    peopleRow(page, u"Стихия"_s, element(a.zodiac), element(b.zodiac));
    page.endTable();
    if (const auto relation = zodiacPair) {
        page.heading(3, u"Отношение знаков: "_s + zodiacRelationCaption(*relation));
        take(page, dataFolder, fragmentFile(*relation), missing);
        const ElementPair pair = *elementPair(a.zodiac, b.zodiac);
        page.heading(3, pair.first == pair.second
                            ? u"Стихия: "_s + elementName(pair.first) + u" у обоих"_s
                            : u"Стихии: "_s + elementName(pair.first) + u" и "_s + elementName(pair.second));
        take(page, dataFolder, fragmentFile(pair), missing);
    } else {
        page.paragraph(u"Знак зодиака можно определить только по дате рождения; для этой пары его нет."_s);
    }

    // Chinese.
    page.heading(2, u"Китайский гороскоп"_s);
    beginPeopleTable(page, nameA, nameB);
    peopleRow(page, u"Знак"_s, chineseCell(a.chinese), chineseCell(b.chinese));
    page.endTable();
    if (const auto relation = chinesePair) {
        page.heading(3, u"Отношение знаков: "_s + chineseRelationCaption(*relation));
        take(page, dataFolder, fragmentFile(*relation), missing);
    } else {
        page.paragraph(u"Китайский знак недоступен: восточный календарь программы начинается с "_s +
                       QString::number(kFirstChineseYear) +
                       u" года, поэтому совместимость по китайскому гороскопу определить нельзя."_s);
    }

    // The other four systems, side by side.
    page.heading(2, u"Другие гороскопы"_s);
    take(page, dataFolder, otherSystemsFragmentFile(), missing);
    beginPeopleTable(page, nameA, nameB);
    const auto signsRow = [&page](HoroscopeSystem system, int signA, int signB) {
        peopleRow(page, systemCaption(system), systemLink(system, signA), systemLink(system, signB));
    };
    signsRow(HoroscopeSystem::Druid, a.tree, b.tree);
    const auto totem = [](int i) {
        return validSign(i, kZoroastrianTotems) ? systemLink(HoroscopeSystem::Zoroastrian, i)
                                                : notBefore(kFirstZoroastrianYear);
    };
    peopleRow(page, systemCaption(HoroscopeSystem::Zoroastrian), totem(a.totem), totem(b.totem));
    signsRow(HoroscopeSystem::Mythological, a.creature, b.creature);
    signsRow(HoroscopeSystem::Numerological, a.number, b.number);
    page.endTable();
    page.endDocument();

    if (!missing.isEmpty()) return {{}, missing};
    return {page.html(), {}};
}

} // namespace solvenna
