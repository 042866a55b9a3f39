#pragma once

#include "core/date.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace solvenna {

// A write that the file system refused. Its text is the one the user sees in the error box.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const QString& filePath);
    const QString& filePath() const { return m_filePath; }
    QString text() const { return QString::fromUtf8(what()); }

private:
    QString m_filePath;
};

// An INI file read and written key by key, as the settings file and the name store need it:
// - section and key names match without regard to letter case (Cyrillic included);
// - rewriting a key keeps its place, a new key goes to the end of its section, a new section to the end
//   of the file, and every other line (comments, order, unknown keys) is kept;
// - files are Windows-1251; text that code page cannot hold is written as UTF-8 with a byte-order mark
//   rather than turned into "?", and a file with that mark is read as UTF-8;
// - every write replaces the file atomically (temporary file, then rename), so a failed write leaves the
//   old content whole; a refused write throws IniWriteError and changes nothing;
// - a line break inside a name or value is written as a blank, so text can never add sections or keys.
// The file is not held open; a change made by another process is seen at the next read.
class IniFile {
public:
    static constexpr qsizetype kSectionListBytes = 16384;
    static constexpr qsizetype kMaxValueLength = 2047;

    explicit IniFile(QString filePath);

    const QString& fileName() const { return m_path; }

    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    void writeString(const QString& section, const QString& key, const QString& value);

    // Decimal, or hexadecimal after "0x", "0X" or "$"; leading blanks skipped; anything else: fallback.
    int readInteger(const QString& section, const QString& key, int fallback) const;
    void writeInteger(const QString& section, const QString& key, int value);
    // An integer; any non-zero value is true. Written "1" or "0".
    bool readBool(const QString& section, const QString& key, bool fallback) const;
    void writeBool(const QString& section, const QString& key, bool value);
    // The locale's short date format with a four-digit year; unreadable text gives the fallback.
    Date readDate(const QString& section, const QString& key, Date fallback,
                  const QLocale& locale = QLocale()) const;
    void writeDate(const QString& section, const QString& key, Date value, const QLocale& locale = QLocale());

    // Section names in file order, each once, as far as they fit in kSectionListBytes (each name counted
    // with one terminating byte, in the file's encoding).
    QStringList sectionNames() const;
    // Every section name, however many.
    QStringList allSectionNames() const;
    // True when the section holds at least one key.
    bool hasKeys(const QString& section) const;
    // Removes the section with its header and keys (every occurrence of it).
    void eraseSection(const QString& section);
    // Every write is on disk when it returns; kept for callers that mark the end of a batch of writes.
    void flush() {}

private:
    struct Content {
        QStringList lines;
        bool utf8 = false;
        QString lineEnd = QStringLiteral("\r\n");
    };
    struct Stamp {
        bool exists = false;
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const Stamp&) const = default;
    };

    const Content& content() const;
    void save(Content updated);
    Stamp currentStamp() const;

    QString m_path;
    mutable Content m_cache;
    mutable std::optional<Stamp> m_cacheStamp;
};

// The integer forms of the INI files; nothing when the text is not one of them.
std::optional<int> parseIniInteger(QStringView text);

} // namespace solvenna
