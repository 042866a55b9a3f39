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
