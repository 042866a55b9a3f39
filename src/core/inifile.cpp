#include "core/inifile.h"

#include "core/cp1251.h"
#include "core/datetext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Names and values must stay on their line: a line break in them could add sections or keys.
QString oneLine(QString text) {
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

QString keyText(const QString& key) {
    return oneLine(key).replace(u'=', u'_').trimmed();
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The section a header line opens, or nothing when the line is no header. The name runs to the last "]"
// so that a name which itself ends in "]" reads back as written.
std::optional<QStringView> headerName(QStringView line) {
    const QStringView trimmed = line.trimmed();
    if (!trimmed.startsWith(u'[')) return std::nullopt;
    const qsizetype close = trimmed.lastIndexOf(u']');
    return close > 0 ? trimmed.mid(1, close - 1) : trimmed.mid(1);
}

struct KeyLine {
    QStringView key;
    QStringView value;
};

std::optional<KeyLine> keyLine(QStringView line) {
    const QStringView trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'[')) return std::nullopt;
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq < 0) return std::nullopt;
    return KeyLine{trimmed.left(eq).trimmed(), trimmed.mid(eq + 1).trimmed()};
}

// Where a section lies in the file: its header line and the line after its last line.
struct SectionSpan {
    qsizetype header = -1;
    qsizetype end = -1;
};

SectionSpan findSection(const QStringList& lines, QStringView name, qsizetype from = 0) {
    for (qsizetype i = from; i < lines.size(); ++i) {
        const auto header = headerName(lines[i]);
        if (!header || !sameName(*header, name)) continue;
        qsizetype end = i + 1;
        while (end < lines.size() && !headerName(lines[end]))
            ++end;
        return {i, end};
    }
    return {};
}

qsizetype findKey(const QStringList& lines, const SectionSpan& span, QStringView key) {
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        const auto kv = keyLine(lines[i]);
        if (kv && sameName(kv->key, key)) return i;
    }
    return -1;
}

// The user's configuration folder may not exist before the first write (a fresh home folder): it is made
// then, with any missing parents, readable by its owner only. An existing folder is left as it is.
bool makePrivateFolder(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) return true;
    if (info.exists() || info.isSymLink()) return false; // a file or a broken link stands in the way
    const QString parent = info.absolutePath();
    if (parent == path || !makePrivateFolder(parent)) return false;
    return QDir().mkdir(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

IniWriteError::IniWriteError(const QString& filePath)
    : std::runtime_error((u"Unable to write to "_s + filePath).toStdString()), m_filePath(filePath) {}

IniFile::IniFile(QString filePath) : m_path(std::move(filePath)) {}

IniFile::Stamp IniFile::currentStamp() const {
    const QFileInfo info(m_path);
    if (!info.exists()) return {};
    return {true, info.size(), info.lastModified()};
}

const IniFile::Content& IniFile::content() const {
    const Stamp stamp = currentStamp();
    if (m_cacheStamp && *m_cacheStamp == stamp) return m_cache;

    Content loaded;
    QFile file(m_path);
    if (stamp.exists && file.open(QIODevice::ReadOnly)) {
        QByteArray bytes = file.readAll();
        QString text;
        if (bytes.startsWith(kUtf8Bom)) {
            loaded.utf8 = true;
            text = QString::fromUtf8(QByteArrayView(bytes).sliced(3));
        } else {
            text = cp1251::decode(bytes);
        }
        if (!text.contains(u"\r\n"_s) && text.contains(u'\n')) loaded.lineEnd = u"\n"_s;
        loaded.lines = text.split(u'\n');
        for (QString& line : loaded.lines)
            if (line.endsWith(u'\r')) line.chop(1);
        if (!loaded.lines.isEmpty() && loaded.lines.last().isEmpty()) loaded.lines.removeLast();
    }
    m_cache = std::move(loaded);
    m_cacheStamp = stamp;
    return m_cache;
}

void IniFile::save(Content updated) {
    QString text = updated.lines.join(updated.lineEnd);
    if (!updated.lines.isEmpty()) text += updated.lineEnd;

    QByteArray bytes;
    if (auto single = cp1251::encode(text)) {
        bytes = std::move(*single);
        updated.utf8 = false;
    } else {
        bytes = kUtf8Bom + text.toUtf8();
        updated.utf8 = true;
    }

    const bool creating = !QFileInfo::exists(m_path);
    QSaveFile file(m_path);
    bool ok = makePrivateFolder(QFileInfo(m_path).absolutePath()) && file.open(QIODevice::WriteOnly);
    // A new file may hold birth dates: only its owner reads it.
    if (ok && creating) ok = file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ok = ok && file.write(bytes) == bytes.size();
    ok = ok && file.commit();
    if (!ok) {
        file.cancelWriting();
        m_cacheStamp.reset(); // the disk still holds the old content; read it again next time
        throw IniWriteError(QFileInfo(m_path).absoluteFilePath());
    }
    m_cache = std::move(updated);
    m_cacheStamp = currentStamp();
}

QString IniFile::readString(const QString& section, const QString& key, const QString& fallback) const {
    const Content& c = content();
    const SectionSpan span = findSection(c.lines, oneLine(section));
    if (span.header < 0) return fallback;
    const qsizetype at = findKey(c.lines, span, keyText(key));
    if (at < 0) return fallback;
    return keyLine(c.lines[at])->value.left(kMaxValueLength).toString();
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    Content c = content();
    const QString name = oneLine(section);
    const QString k = keyText(key);
    const QString v = oneLine(value);
    const SectionSpan span = findSection(c.lines, name);
    if (span.header < 0) {
        c.lines << u'[' + name + u']' << k + u'=' + v;
    } else if (const qsizetype at = findKey(c.lines, span, k); at >= 0) {
        c.lines[at] = keyLine(c.lines[at])->key.toString() + u'=' + v;
    } else {
        // After the section's last non-blank line, so blank lines between sections stay where they are.
        qsizetype insertAt = span.end;
        while (insertAt > span.header + 1 && c.lines[insertAt - 1].trimmed().isEmpty())
            --insertAt;
        c.lines.insert(insertAt, k + u'=' + v);
    }
    save(std::move(c));
}

int IniFile::readInteger(const QString& section, const QString& key, int fallback) const {
    return parseIniInteger(readString(section, key, QString())).value_or(fallback);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

bool IniFile::readBool(const QString& section, const QString& key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? u"1"_s : u"0"_s);
}

Date IniFile::readDate(const QString& section, const QString& key, Date fallback,
                       const QLocale& locale) const {
    return textToDate(readString(section, key, QString()), fallback, locale);
}

void IniFile::writeDate(const QString& section, const QString& key, Date value, const QLocale& locale) {
    writeString(section, key, dateToText(value, locale));
}

QStringList IniFile::allSectionNames() const {
    QStringList names;
    for (const QString& line : content().lines) {
        const auto header = headerName(line);
        if (!header) continue;
        const bool seen = std::any_of(names.cbegin(), names.cend(),
                                      [&](const QString& known) { return sameName(known, *header); });
        if (!seen) names << header->toString();
    }
    return names;
}

QStringList IniFile::sectionNames() const {
    const bool utf8 = content().utf8;
    QStringList listed;
    qsizetype used = 0;
    for (const QString& name : allSectionNames()) {
        used += (utf8 ? name.toUtf8().size() : name.size()) + 1;
        if (used > kSectionListBytes) break;
        listed << name;
    }
    return listed;
}

bool IniFile::hasKeys(const QString& section) const {
    const Content& c = content();
    const QString name = oneLine(section);
    for (SectionSpan span = findSection(c.lines, name); span.header >= 0;
         span = findSection(c.lines, name, span.end)) {
        for (qsizetype i = span.header + 1; i < span.end; ++i)
            if (keyLine(c.lines[i])) return true;
    }
    return false;
}

void IniFile::eraseSection(const QString& section) {
    Content c = content();
    const QString name = oneLine(section);
    bool erased = false;
    for (SectionSpan span = findSection(c.lines, name); span.header >= 0; span = findSection(c.lines, name)) {
        c.lines.remove(span.header, span.end - span.header);
        erased = true;
    }
    if (erased) save(std::move(c));
}

std::optional<int> parseIniInteger(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    int base = 10;
    if (text.mid(i).startsWith(u'$')) {
        base = 16;
        i += 1;
    } else if (text.mid(i).startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        i += 2;
    }
    const QStringView digits = text.mid(i);
    if (digits.isEmpty()) return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        const int d = c.isDigit() && c.unicode() < 0x80 ? c.unicode() - u'0'
                      : base == 16 && c.toLower() >= u'a' && c.toLower() <= u'f'
                          ? c.toLower().unicode() - u'a' + 10
                          : -1;
        if (d < 0) return std::nullopt;
        value = value * quint64(base) + quint64(d);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (base == 10) {
        const quint64 limit =
            negative ? quint64(std::numeric_limits<int>::max()) + 1 : std::numeric_limits<int>::max();
        if (value > limit) return std::nullopt;
        return negative ? int(-qint64(value)) : int(value);
    }
    // Hexadecimal takes the full 32 bits ("$FFFFFFFF" is -1), as the program has always read it.
    return int(negative ? quint32(0) - quint32(value) : quint32(value));
}

} // namespace solvenna
