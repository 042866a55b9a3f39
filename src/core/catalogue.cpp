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

struct SystemNames {
    const char16_t* menu;
    const char16_t* caption;
};
constexpr std::array<SystemNames, kSystemCount> kSystems{{
    {u"Зодиакальный", u"Зодиакальный гороскоп"},
    {u"Китайский", u"Китайский гороскоп"},
    {u"Друидов", u"Гороскоп Друидов"},
    {u"Зороастрийский", u"Зороастрийский гороскоп"},
    {u"Мифологический", u"Мифологический гороскоп"},
    {u"Нумерологический", u"Нумерологический гороскоп"},
}};

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
    f.ZodiacFolder = f.DataFolder + u"Zodiac"_s + d;
    f.ChineseFolder = f.DataFolder + u"Chinese"_s + d;
    f.DruidFolder = f.DataFolder + u"Druidean"_s + d;
    f.NumericFolder = f.DataFolder + u"Numeric"_s + d;
    f.ZoroastrianFolder = f.DataFolder + u"Zoroastrian"_s + d;
    f.MythFolder = f.DataFolder + u"Myphologic"_s + d;
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

QString systemCaption(HoroscopeSystem system) {
    return QString::fromUtf16(kSystems[std::size_t(system)].caption);
}

QString systemMenuName(HoroscopeSystem system) {
    return QString::fromUtf16(kSystems[std::size_t(system)].menu);
}

QString signName(HoroscopeSystem system, int index) {
    switch (system) {
    case HoroscopeSystem::Zodiac:
        return nameAt(kZodiacNames, index).value_or(QString());
    case HoroscopeSystem::Chinese:
        return nameAt(kChineseNames, index).value_or(QString());
    case HoroscopeSystem::Druid:
        return treeName(index);
    case HoroscopeSystem::Zoroastrian:
        return nameAt(kTotemNames, index).value_or(QString());
    case HoroscopeSystem::Mythological:
        return creatureName(index);
    case HoroscopeSystem::Numerological:
        return index >= 1 && index <= kBirthNumbers ? u"Число "_s + QString::number(index) : QString();
    }
    return {};
}

int signCount(HoroscopeSystem system) {
    switch (system) {
    case HoroscopeSystem::Zodiac:
        return kZodiacSigns;
    case HoroscopeSystem::Chinese:
        return kChineseAnimals;
    case HoroscopeSystem::Druid:
        return kDruidTrees;
    case HoroscopeSystem::Zoroastrian:
        return kZoroastrianTotems;
    case HoroscopeSystem::Mythological:
        return kMythCreatures;
    case HoroscopeSystem::Numerological:
        return kBirthNumbers;
    }
    return 0;
}

} // namespace solvenna
