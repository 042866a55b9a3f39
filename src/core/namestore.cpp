#include "core/namestore.h"

#include "core/datetext.h"

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
const QString kDate = u"Date"_s;
const QString kShowMain = u"ShowMain"_s;
const QString kShowHoroscop = u"ShowHoroscop"_s;
const QString kHoroscopType = u"HoroscopType"_s;
} // namespace

NameStore::NameStore(const QString& appFolder, const QLocale& locale)
    : m_file(appFolder + QString::fromLatin1(kFileName), IniFile::Privacy::OwnerOnly), m_locale(locale) {}

QStringList NameStore::names() const {
    return m_file.sectionNames(kMaxNameLength);
}

bool NameStore::contains(const QString& name) const {
    return m_file.hasKeys(name);
}

PersonEntry NameStore::read(const QString& name, Date today) const {
    PersonEntry entry;
    entry.date = m_file.readDate(name, kDate, today, m_locale);
    if (entry.date == 0) entry.date = today;
    entry.showMain = m_file.readBool(name, kShowMain, false);
    entry.showHoroscop = m_file.readBool(name, kShowHoroscop, false);
    entry.horoscopType = entry.showHoroscop ? m_file.readInteger(name, kHoroscopType, 0) : 0;
    return entry;
}

void NameStore::write(const QString& name, const PersonEntry& entry) {
    if (name.size() > kMaxNameLength)
        throw NameRefusedError(u"Имя не сохранено: оно длиннее %1 знаков."_s.arg(kMaxNameLength));
    if (entry.date == 0) throw NameRefusedError(u"Имя не сохранено: не введена дата рождения."_s);
    m_file.writeValues(name, {{kDate, dateToText(entry.date, m_locale)},
                              {kShowMain, entry.showMain ? u"1"_s : u"0"_s},
                              {kShowHoroscop, entry.showHoroscop ? u"1"_s : u"0"_s},
                              {kHoroscopType, QString::number(entry.horoscopType)}});
    commit();
}

QList<NamedEntry> NameStore::readAll() const {
    const QList<IniFile::Section> sections = m_file.sections();
    QList<NamedEntry> entries;
    entries.reserve(sections.size());
    const int currentYear = QDate::currentDate().year();
    // The locale's order once: asking the locale for every one of thousands of dates is slow.
    const DatePartOrder order = datePartOrder(m_locale);
    for (const IniFile::Section& section : sections) {
        if (section.name.size() > kMaxNameLength || section.values.isEmpty()) continue;
        // The first of a repeated key, as read() finds it.
        const auto value = [&](const QString& key) -> std::optional<QString> {
            for (const auto& [k, v] : section.values)
                if (k.compare(key, Qt::CaseInsensitive) == 0) return v;
            return std::nullopt;
        };
        const auto flag = [&](const QString& key) {
            const auto text = value(key);
            return text && parseIniInteger(*text).value_or(0) != 0;
        };
        NamedEntry named{section.name, {}};
        if (const auto date = value(kDate)) {
            if (const auto quick = numericDate(*date, order))
                named.entry.date = *quick;
            else
                named.entry.date = textToDate(*date, m_locale, currentYear).value_or(0);
        }
        named.entry.showMain = flag(kShowMain);
        named.entry.showHoroscop = flag(kShowHoroscop);
        if (named.entry.showHoroscop)
            named.entry.horoscopType = parseIniInteger(value(kHoroscopType).value_or(QString())).value_or(0);
        entries.append(std::move(named));
    }
    return entries;
}

void NameStore::writeAll(const QList<NamedEntry>& entries) {
    // The whole batch is checked before anything is written: a refused entry stops all of them.
    for (const NamedEntry& named : entries) {
        const QString shown = named.name.size() > 40 ? named.name.left(40) + u'…' : named.name;
        if (named.name.trimmed().isEmpty())
            throw NameRefusedError(u"Ничего не сохранено: одно из имён пустое."_s);
        if (named.name.size() > kMaxNameLength)
            throw NameRefusedError(
                u"Ничего не сохранено: имя «%1» длиннее %2 знаков."_s.arg(shown).arg(kMaxNameLength));
        if (named.entry.date == 0)
            throw NameRefusedError(u"Ничего не сохранено: у «%1» нет даты рождения."_s.arg(shown));
    }
    QList<IniFile::Section> sections;
    sections.reserve(entries.size());
    for (const NamedEntry& named : entries) {
        const PersonEntry& entry = named.entry;
        sections.append({named.name,
                         {{kDate, dateToText(entry.date, m_locale)},
                          {kShowMain, entry.showMain ? u"1"_s : u"0"_s},
                          {kShowHoroscop, entry.showHoroscop ? u"1"_s : u"0"_s},
                          {kHoroscopType, QString::number(entry.horoscopType)}}});
    }
    m_file.writeSections(sections);
    commit();
}

bool NameStore::remove(const QString& name) {
    if (!contains(name)) return false;
    m_file.eraseSection(name);
    commit();
    return true;
}

void NameStore::removeAll(const QStringList& names) {
    if (names.isEmpty()) return;
    m_file.eraseSections(names);
    commit();
}

void NameStore::clear() {
    m_file.eraseAllSections();
    commit();
}

} // namespace solvenna
