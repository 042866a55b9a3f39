#include "core/namestore.h"

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
const QString kDate = u"Date"_s;
const QString kShowMain = u"ShowMain"_s;
const QString kShowHoroscop = u"ShowHoroscop"_s;
const QString kHoroscopType = u"HoroscopType"_s;
} // namespace

NameStore::NameStore(const QString& appFolder, const QLocale& locale)
    : m_file(appFolder + QString::fromLatin1(kFileName)), m_locale(locale) {}

QStringList NameStore::names() const {
    return m_file.sectionNames();
}

bool NameStore::contains(const QString& name) const {
    return m_file.hasKeys(name);
}

PersonEntry NameStore::read(const QString& name, Date today) const {
    PersonEntry entry;
    entry.date = m_file.readDate(name, kDate, today, m_locale);
    entry.showMain = m_file.readBool(name, kShowMain, false);
    entry.showHoroscop = m_file.readBool(name, kShowHoroscop, false);
    entry.horoscopType = entry.showHoroscop ? m_file.readInteger(name, kHoroscopType, 0) : 0;
    return entry;
}

void NameStore::write(const QString& name, const PersonEntry& entry) {
    m_file.writeDate(name, kDate, entry.date, m_locale);
    m_file.writeBool(name, kShowMain, entry.showMain);
    m_file.writeBool(name, kShowHoroscop, entry.showHoroscop);
    m_file.writeInteger(name, kHoroscopType, entry.horoscopType);
    commit();
}

bool NameStore::remove(const QString& name) {
    if (!contains(name)) return false;
    m_file.eraseSection(name);
    commit();
    return true;
}

void NameStore::clear() {
    for (const QString& name : m_file.allSectionNames())
        m_file.eraseSection(name);
    commit();
}

} // namespace solvenna
