#include "core/catalogue.h"

#include "core/signs.h"

#include <QDir>
#include <QFileInfo>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {

constexpr std::array<const char16_t*, 12> kSignFolders{
    u"aries", u"taurus",   u"gemini",      u"cancer",    u"lion",     u"virgo",
    u"libra", u"scorpion", u"sagittarius", u"capricorn", u"aquarius", u"fish",
};

struct Topic {
    const char16_t* file;
    const char16_t* caption;
};
constexpr std::array<Topic, kTopicCount> kTopics{{
    {u"element.htm", u"Стихия знака"},
    {u"professions.htm", u"Профессии"},
    {u"erotic.htm", u"Эротический гороскоп"},
    {u"companions.htm", u"Спутники жизни"},
    {u"aromatic.htm", u"Ароматический гороскоп"},
    {u"temper.htm", u"Темперамент и характер"},
    {u"health.htm", u"Здоровье"},
    {u"psychosexual.htm", u"Психосексуальный гороскоп"},
    {u"handhold.htm", u"Опора в жизни"},
    {u"love.htm", u"Любовный гороскоп"},
    {u"foods.htm", u"Полезные продукты"},
}};

constexpr std::array<const char16_t*, 12> kChineseFiles{
    u"dog.htm",    u"pig.htm",   u"rat.htm",   u"oxen.htm", u"tiger.htm",  u"cat.htm",
    u"dragon.htm", u"snake.htm", u"horse.htm", u"goat.htm", u"monkey.htm", u"cock.htm",
};

constexpr std::array<const char16_t*, 22> kDruidFiles{
    u"appletree.htm", u"fir.htm",     u"elm.htm",      u"cypress.htm", u"poplar.htm",     u"kartas.htm",
    u"pine.htm",      u"willow.htm",  u"lime.htm",     u"hazel.htm",   u"rowanberry.htm", u"maple.htm",
    u"nut.htm",       u"jasmine.htm", u"chestnut.htm", u"ash.htm",     u"hornbeam.htm",   u"figtree.htm",
    u"oak.htm",       u"birch.htm",   u"olive.htm",    u"beech.htm",
};

constexpr std::array<const char16_t*, 12> kZodiacNames{
    u"Овен", u"Телец",    u"Близнецы", u"Рак",     u"Лев",     u"Дева",
    u"Весы", u"Скорпион", u"Стрелец",  u"Козерог", u"Водолей", u"Рыбы",
};

constexpr std::array<const char16_t*, 12> kChineseNames{
    u"Собака", u"Свинья", u"Крыса",  u"Бык",  u"Тигр",     u"Кот",
    u"Дракон", u"Змея",   u"Лошадь", u"Коза", u"Обезьяна", u"Петух",
};

constexpr std::array<const char16_t*, 32> kTotemNames{
    u"Олень",    u"Баран",         u"Мангуст", u"Волк",  u"Аист",    u"Паук",   u"Змея (Уж)", u"Бобр",
    u"Черепаха", u"Сорока",        u"Белка",   u"Ворон", u"Петух",   u"Бык",    u"Барсук",    u"Верблюд",
    u"Еж",       u"Лань",          u"Слон",    u"Конь",  u"Гепард",  u"Павлин", u"Лебедь",    u"Рысь/Соловей",
    u"Осел",     u"Белый Медведь", u"Орел",    u"Лиса",  u"Дельфин", u"Вепрь",  u"Сова",      u"Сокол",
};

template <typename Table> std::optional<QString> nameAt(const Table& table, int index) {
    if (index < 1 || index > int(table.size())) return std::nullopt;
    return QString::fromUtf16(table[std::size_t(index - 1)]);
}

std::optional<QString> numberedFile(int index, int count) {
    if (index < 1 || index > count) return std::nullopt;
    return QString::number(index) + u".htm"_s;
}

} // namespace

QChar pathDelimiter() {
    return QDir::separator();
}

QString folderOfProgram(const QString& programFilePath) {
    const QString path = QDir::toNativeSeparators(programFilePath);
    const QChar delimiter = pathDelimiter();
    qsizetype cut = path.lastIndexOf(delimiter);
#ifdef Q_OS_WIN
    cut = std::max(cut, path.lastIndexOf(u':'));
#endif
    if (cut < 0) return QDir::toNativeSeparators(QDir::currentPath()) + delimiter;
    QString folder = path.left(cut + 1);
    // Exactly one trailing delimiter, however many the path had; a root keeps its single one.
    while (folder.size() > 1 && folder.endsWith(delimiter) && folder.at(folder.size() - 2) == delimiter)
        folder.chop(1);
    return folder;
}

Folders Folders::fromAppFolder(const QString& appFolder) {
    const QString d = pathDelimiter();
    Folders f;
    f.AppFolder = appFolder;
    f.DataFolder = appFolder + u"Data"_s + d;
    for (const SystemEntry& entry : systemTable())
        f.*entry.folder = f.DataFolder + QString::fromUtf16(entry.folderName) + d;
    f.ConfigFolder = appFolder;
    return f;
}

namespace {
// A folder path with native delimiters and exactly one trailing delimiter.
QString asFolder(const QString& path) {
    QString folder = QDir::toNativeSeparators(QDir::cleanPath(path));
    if (!folder.endsWith(pathDelimiter())) folder += pathDelimiter();
    return folder;
}
} // namespace

Folders Folders::forProgram(const QString& appFolder, const QString& userConfigFolder) {
    Folders f = fromAppFolder(appFolder);
    if (userConfigFolder.isEmpty() || QFileInfo(f.DataFolder).isDir()) return f;
    // Relative to the program, so that an installed tree still works when moved as a whole.
    const QString shared = asFolder(appFolder + u"../share/solvenna"_s);
    if (!QFileInfo(shared + u"Data"_s).isDir()) return f;
    Folders installed = fromAppFolder(shared);
    installed.AppFolder = appFolder;
    installed.ConfigFolder = asFolder(userConfigFolder);
    installed.installed = true;
    return installed;
}

QString Folders::errorPage() const {
    return DataFolder + u"ErrorPage"_s + pathDelimiter() + u"error.htm"_s;
}

QString Folders::guidePage() const {
    return DataFolder + u"Guide"_s + pathDelimiter() + u"guide.htm"_s;
}

std::optional<QString> zodiacSignFolder(int signIndex) {
    return nameAt(kSignFolders, signIndex);
}

std::optional<QString> topicFile(int sectionIndex) {
    if (sectionIndex < 0 || sectionIndex >= kTopicCount) return std::nullopt;
    return QString::fromUtf16(kTopics[std::size_t(sectionIndex)].file);
}

std::optional<QString> chineseFile(int animalIndex) {
    return nameAt(kChineseFiles, animalIndex);
}
std::optional<QString> druidFile(int treeIndex) {
    return nameAt(kDruidFiles, treeIndex);
}
std::optional<QString> numericFile(int number) {
    return numberedFile(number, kBirthNumbers);
}
std::optional<QString> zoroastrianFile(int totemIndex) {
    return numberedFile(totemIndex, kZoroastrianTotems);
}
std::optional<QString> mythFile(int creatureIndex) {
    return numberedFile(creatureIndex, kMythCreatures);
}

QString topicCaption(int sectionIndex) {
    if (sectionIndex < 0 || sectionIndex >= kTopicCount) return {};
    return QString::fromUtf16(kTopics[std::size_t(sectionIndex)].caption);
}

namespace {

std::uint16_t yearOf(Date date) {
    return static_cast<std::uint16_t>(decodeDate(date).year);
}

QString zodiacName(int index) {
    return nameAt(kZodiacNames, index).value_or(QString());
}
QString chineseName(int index) {
    return nameAt(kChineseNames, index).value_or(QString());
}
QString totemName(int index) {
    return nameAt(kTotemNames, index).value_or(QString());
}
QString numberName(int index) {
    return index >= 1 && index <= kBirthNumbers ? u"Число "_s + QString::number(index) : QString();
}

// system, menu name, caption, folder and its name, sign entry, calculator, number of signs, sign names,
// first year, why there is no page
constexpr std::array<SystemEntry, kSystemCount> kSystems{{
    {HoroscopeSystem::Zodiac, u"Зодиакальный", u"Зодиакальный гороскоп", &Folders::ZodiacFolder, u"Zodiac",
     zodiacSignFolder, GetSign, kZodiacSigns, zodiacName, 0, u"знак зодиака не определён"},
    {HoroscopeSystem::Chinese, u"Китайский", u"Китайский гороскоп", &Folders::ChineseFolder, u"Chinese",
     chineseFile, [](Date date) { return GetAnimal_China(yearOf(date)); }, kChineseAnimals, chineseName,
     kFirstChineseYear, u"китайский гороскоп составляется для годов с %1"},
    {HoroscopeSystem::Druid, u"Друидов", u"Гороскоп Друидов", &Folders::DruidFolder, u"Druidean", druidFile,
     GetTree, kDruidTrees, treeName, 0, u"дерево не определено"},
    {HoroscopeSystem::Zoroastrian, u"Зороастрийский", u"Зороастрийский гороскоп", &Folders::ZoroastrianFolder,
     u"Zoroastrian", zoroastrianFile, [](Date date) { return GetBeast(yearOf(date)); }, kZoroastrianTotems,
     totemName, kFirstZoroastrianYear, u"зороастрийский гороскоп составляется для годов с %1"},
    {HoroscopeSystem::Mythological, u"Мифологический", u"Мифологический гороскоп", &Folders::MythFolder,
     u"Myphologic", mythFile, GetCreature, kMythCreatures, creatureName, 0, u"существо не определено"},
    {HoroscopeSystem::Numerological, u"Нумерологический", u"Нумерологический гороскоп",
     &Folders::NumericFolder, u"Numeric", numericFile, GetNumber, kBirthNumbers, numberName, 0,
     u"число не определено"},
}};

constexpr bool inSystemOrder() {
    for (std::size_t i = 0; i < kSystems.size(); ++i)
        if (kSystems[i].system != HoroscopeSystem(i)) return false;
    return true;
}
static_assert(inSystemOrder(), "every system's row stands at the system's own index");

} // namespace

const std::array<SystemEntry, kSystemCount>& systemTable() {
    return kSystems;
}

const SystemEntry& systemEntry(HoroscopeSystem system) {
    return kSystems[std::size_t(system)];
}

QString systemCaption(HoroscopeSystem system) {
    return QString::fromUtf16(systemEntry(system).caption);
}

QString systemMenuName(HoroscopeSystem system) {
    return QString::fromUtf16(systemEntry(system).menuName);
}

QString systemFolderName(HoroscopeSystem system) {
    return QString::fromUtf16(systemEntry(system).folderName);
}

std::optional<QString> singlePage(const Folders& folders, HoroscopeSystem system, Date birthDate) {
    if (system == HoroscopeSystem::Zodiac) return std::nullopt;
    const SystemEntry& entry = systemEntry(system);
    const std::optional<QString> file = entry.signEntry(entry.signOf(birthDate));
    if (!file) return std::nullopt;
    return folders.*entry.folder + *file;
}

QString noSignReason(HoroscopeSystem system) {
    const SystemEntry& entry = systemEntry(system);
    const QString reason = QString::fromUtf16(entry.noSign);
    return entry.firstYear ? reason.arg(entry.firstYear) : reason;
}

QString signName(HoroscopeSystem system, int index) {
    return systemEntry(system).signName(index);
}

int signCount(HoroscopeSystem system) {
    return systemEntry(system).signCount;
}

} // namespace solvenna
