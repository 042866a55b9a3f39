#pragma once

#include "core/date.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
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
//   of the file, and every other line (comments, order, unknown keys) is kept byte for byte, also bytes
//   that are not valid in the file's encoding;
// - files are Windows-1251; text that code page cannot hold is written as UTF-8 with a byte-order mark
//   rather than turned into "?", and a file with that mark is read as UTF-8; a file in UTF-16 with its
//   mark (either byte order) is read and stays UTF-16, which holds every name. A file with the mark of an
//   encoding the program does not read (UTF-32), or UTF-16 cut mid-character, is refused as below;
// - every write reaches the disk whole (temporary file, checked writes, fsync, then rename) or throws
//   IniWriteError and leaves the old file as it was; a writable file in a folder that takes no new files
//   is rewritten in place, and put back as it was when that fails;
// - writers in several processes take turns: a lock file beside the file is held around each
//   read-modify-write, and the file is read again under it whenever its bytes changed;
// - only regular files are read or written; a symbolic link is followed only to a regular file of the
//   user's own, and never by root. A file that exists but cannot be read (no permission, a FIFO, a device,
//   a foreign link, more than kMaxFileBytes, an unknown encoding) is reported once per run, however many
//   IniFile objects read it, reads as empty, and is never written in this run;
// - a line break inside a name or value is written as a blank, so text can never add sections or keys.
// The file is not held open; a change made by another process is seen at the next read.
class IniFile {
public:
    static constexpr qsizetype kSectionListBytes = 16384;
    static constexpr qsizetype kMaxValueLength = 2047;
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
    // How long a write waits for another process's write before it gives up.
    static constexpr int kLockTimeoutMs = 10000;

    enum class Privacy {
        KeepMode,  // a rewritten file keeps its mode; a new one is 0600
        OwnerOnly, // the file is never left readable by others (0600 at most)
    };

    explicit IniFile(QString filePath, Privacy privacy = Privacy::KeepMode);

    const QString& fileName() const { return m_path; }

    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    void writeString(const QString& section, const QString& key, const QString& value);
    // Several keys of one section in one rewrite: either all of them reach the disk or none.
    void writeValues(const QString& section, const QList<std::pair<QString, QString>>& keysAndValues);

    // A section with its keys and values in file order.
    struct Section {
        QString name;
        QList<std::pair<QString, QString>> values;
    };
    // Every section once (a section repeated in the file: its first occurrence's keys), in one pass.
    QList<Section> sections() const;
    // Several sections in one rewrite, each as writeValues would write it: all of them or none.
    void writeSections(const QList<Section>& sections);

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
    // with one terminating byte, in the file's encoding). A name longer than maxNameLength, or than the
    // listing could hold alone, is left out and takes no room, so it hides no name after it.
    QStringList sectionNames(qsizetype maxNameLength = kSectionListBytes) const;
    // Every section name, however many.
    QStringList allSectionNames() const;
    // True when the section holds at least one key.
    bool hasKeys(const QString& section) const;
    // Removes the section with its header and keys (every occurrence of it).
    void eraseSection(const QString& section);
    // Removes the sections (every occurrence of each) in one rewrite.
    void eraseSections(const QStringList& sections);
    // Removes every section in one rewrite; lines before the first section stay.
    void eraseAllSections();
    // Every write is on disk when it returns; kept for callers that mark the end of a batch of writes.
    void flush() {}

    // True once the file was found but could not be read; it is then left alone until the program ends.
    bool readRefused() const { return m_refused; }
    enum class Refusal { Unreadable, TooLarge, UnknownEncoding };
    // The message the user gets for such a file.
    static QString readRefusalText(const QString& filePath, Refusal why);

private:
    struct Line {
        QString text;
        QByteArray raw;     // the bytes on disk, without the line end
        bool edited = true; // text changed since read: raw no longer holds it
    };
    enum class Encoding { Cp1251, Utf8, Utf16LE, Utf16BE };
    struct Content {
        QList<Line> lines;
        Encoding encoding = Encoding::Cp1251;
        QString lineEnd = QStringLiteral("\r\n");
    };

    const Content& content() const;
    const Content& refuse(Refusal why) const;
    // Nothing when the bytes are in an encoding the program does not read.
    static std::optional<Content> parse(const QByteArray& bytes);
    static QByteArray serialize(Content& content);
    // Runs a read-modify-write under the lock; change() returns false when there is nothing to write.
    void modify(const std::function<bool(Content&)>& change);
    QString shownPath() const;

    QString m_path;
    QString m_shownPath; // the full path, as messages give it
    Privacy m_privacy;
    mutable Content m_cache;
    mutable QByteArray m_cacheBytes; // what the file held when m_cache was made
    mutable bool m_cacheValid = false;
    mutable bool m_cacheExists = false;
    mutable bool m_refused = false;
};

// The integer forms of the INI files; nothing when the text is not one of them.
std::optional<int> parseIniInteger(QStringView text);

} // namespace solvenna
