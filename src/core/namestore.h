#pragma once

#include "core/date.h"
#include "core/inifile.h"

#include <QLocale>
#include <QStringList>

#include <stdexcept>

namespace solvenna {

// One person's remembered choices.
struct PersonEntry {
    Date date = 0;
    bool showMain = false;
    bool showHoroscop = false;
    int horoscopType = 0; // read only when showHoroscop is true; -1 = no system chosen
};

// A name with its entry, as the whole store is read and written at once.
struct NamedEntry {
    QString name;
    PersonEntry entry;
};

// An entry the store does not keep: a name longer than kMaxNameLength, or no birth date. Nothing of it is
// written; the text is the one the user sees.
class NameRefusedError : public std::runtime_error {
public:
    explicit NameRefusedError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

// The remembered names: one INI section per name with the keys Date, ShowMain, ShowHoroscop and
// HoroscopType. Section names match without regard to letter case.
class NameStore {
public:
    static constexpr auto kFileName = "names.ini";
    // Longer names are neither stored nor listed: cut, they would name someone else.
    static constexpr qsizetype kMaxNameLength = 255;

    explicit NameStore(const QString& appFolder, const QLocale& locale = QLocale());

    const QString& fileName() const { return m_file.fileName(); }

    // Names in file order, as far as the listing holds them; a name longer than kMaxNameLength is left out.
    QStringList names() const;
    bool contains(const QString& name) const;
    // The entry of a name; a missing or unreadable date gives today, and so does day 0, which an empty
    // date field gave before such entries were refused.
    PersonEntry read(const QString& name, Date today) const;
    // Writes the four keys in order, in one rewrite, and commits. Throws NameRefusedError for a name longer
    // than kMaxNameLength or an entry without a date (day 0), and IniWriteError when the file system
    // refuses; the file then stays as it was, with none of the four keys changed.
    void write(const QString& name, const PersonEntry& entry);
    // Every entry, also those beyond the listing, in file order, read in one pass; an entry without a
    // readable date has date 0. A name longer than kMaxNameLength is left out.
    QList<NamedEntry> readAll() const;
    // Writes several entries in one locked rewrite: either all of them reach the disk or none does.
    // Throws as write() does, before anything is written, when any entry is refused.
    void writeAll(const QList<NamedEntry>& entries);
    // Erases the name's entry if there is one; tells whether there was.
    bool remove(const QString& name);
    // Erases the names' entries in one rewrite.
    void removeAll(const QStringList& names);
    // Erases every entry in one rewrite, also names beyond what the listing holds, and the temporary files
    // of killed writes, so no birth date is left behind.
    void clear();
    void commit() { m_file.flush(); }
    // The file exists but could not be read: it was reported and is left alone.
    bool readRefused() const { return m_file.readRefused(); }

private:
    IniFile m_file;
    QLocale m_locale;
};

} // namespace solvenna
