#include "core/inifile.h"

#include "core/cp1251.h"
#include "core/datetext.h"

#include "core/messages.h"
#include "core/safefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr char kUtf16LeBom[] = "\xFF\xFE";
constexpr char kUtf16BeBom[] = "\xFE\xFF";

// UTF-16 code unit by code unit, so that even a lone surrogate comes back as it was.
QString decodeUtf16(QByteArrayView bytes, bool bigEndian) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    const char* from = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(bigEndian ? qFromBigEndian<quint16>(from + 2 * i)
                                  : qFromLittleEndian<quint16>(from + 2 * i));
    return text;
}

QByteArray encodeUtf16(QStringView text, bool bigEndian) {
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    char* to = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (bigEndian)
            qToBigEndian<quint16>(text[i].unicode(), to + 2 * i);
        else
            qToLittleEndian<quint16>(text[i].unicode(), to + 2 * i);
    }
    return bytes;
}

// Files found unreadable in this run, by full path. The settings file has several readers (the settings
// dialog, the window's place): each such file is reported once and left alone, whoever finds it.
QSet<QString>& refusedFiles() {
    static QSet<QString> files;
    return files;
}
QMutex& refusedFilesLock() {
    static QMutex lock;
    return lock;
}

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

template <typename Lines> SectionSpan findSection(const Lines& lines, QStringView name, qsizetype from = 0) {
    for (qsizetype i = from; i < lines.size(); ++i) {
        const auto header = headerName(lines[i].text);
        if (!header || !sameName(*header, name)) continue;
        qsizetype end = i + 1;
        while (end < lines.size() && !headerName(lines[end].text))
            ++end;
        return {i, end};
    }
    return {};
}

template <typename Lines> qsizetype findKey(const Lines& lines, const SectionSpan& span, QStringView key) {
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        const auto kv = keyLine(lines[i].text);
        if (kv && sameName(kv->key, key)) return i;
    }
    return -1;
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool writeAll(int fd, QByteArrayView bytes, off_t at) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = pwrite(fd, bytes.data() + done, size_t(bytes.size() - done), at + done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += put;
    }
    return true;
}

// Serialises writers of one file across processes with a lock file beside the file (after links). The
// lock is the kernel's flock() on it, which goes with the process that holds it, so a writer that was
// killed never leaves a lock behind. (QLockFile judges staleness from the file's contents; with four
// processes writing at once it took live locks for stale ones and let two writers in.) The holder
// removes the file when done; a waiter that got the lock of a file removed meanwhile tries again.
// Where the folder takes no lock file, the file itself is locked: that is the case in which it is
// rewritten in place.
class WriteLock {
public:
    WriteLock(const QString& target, const QString& shownPath) : m_lockPath(native(target + u".lock"_s)) {
        QElapsedTimer waited;
        waited.start();
        const auto waitOrGiveUp = [&] {
            if (waited.elapsed() > IniFile::kLockTimeoutMs) throw IniWriteError(shownPath);
            QThread::msleep(1 + QRandomGenerator::global()->bounded(5));
        };
        while (true) {
            m_fd = open(m_lockPath.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (m_fd < 0) break;
            if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                struct stat held = {}, named = {};
                if (fstat(m_fd, &held) == 0 && stat(m_lockPath.constData(), &named) == 0 &&
                    held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                    m_ownsLockFile = true;
                    return;
                }
            } else if (errno != EWOULDBLOCK && errno != EINTR) {
                break;
            }
            close(m_fd);
            m_fd = -1;
            waitOrGiveUp();
        }
        if (m_fd >= 0) close(m_fd);
        m_fd = open(native(target).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (m_fd < 0) return; // nothing there to lock, and nowhere to create it: the write will say so
        while (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) return;
            try {
                waitOrGiveUp();
            } catch (...) {
                close(m_fd);
                throw;
            }
        }
    }
    ~WriteLock() {
        if (m_ownsLockFile) unlink(m_lockPath.constData()); // while still holding it
        if (m_fd >= 0) close(m_fd);
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    QByteArray m_lockPath;
    int m_fd = -1;
    bool m_ownsLockFile = false;
};

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

QString temporaryPrefix(const QString& target) {
    return target + u".tmp-"_s;
}

// A write killed half-way leaves its temporary file, which holds the names and birth dates it was
// writing. Called under the lock, when no other writer can be using one.
void removeLeftovers(const QString& target) {
    const QFileInfo info(target);
    const QString prefix = info.fileName() + u".tmp-"_s;
    const QDir folder = info.dir();
    for (const QString& name : folder.entryList(
             {prefix + u"??????"_s}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        const QByteArray path = native(folder.filePath(name));
        struct stat entry = {};
        if (lstat(path.constData(), &entry) == 0 && S_ISREG(entry.st_mode) && entry.st_uid == geteuid())
            unlink(path.constData());
    }
}

QString randomSuffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QChar::fromLatin1(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))]);
    return suffix;
}

// Overwrites the file where it lies, for a folder that takes no temporary file. The old bytes are
// written back when the new ones do not all fit.
bool writeInPlace(const QString& target, const QByteArray& bytes, const QByteArray& old, mode_t mode) {
    const int fd = open(native(target).constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat opened = {};
    bool ok = fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
    ok = ok && writeAll(fd, bytes, 0) && ftruncate(fd, off_t(bytes.size())) == 0 && fsync(fd) == 0;
    if (!ok) {
        if (writeAll(fd, old, 0)) [[maybe_unused]]
            const int ignored = ftruncate(fd, off_t(old.size()));
        fsync(fd);
    } else if ((opened.st_mode & 07777) != mode) {
        fchmod(fd, mode); // a failure here leaves the file as it was, which is no loss
    }
    return close(fd) == 0 && ok;
}

// Writes the whole file through a temporary file beside it: every write, the flush to disk and the
// close are checked, and only a file that reached the disk whole replaces the old one.
bool writeReplacing(const QString& target, const QByteArray& bytes, const QByteArray& old, bool ownerOnly,
                    bool& inPlace) {
    inPlace = false;
    const QByteArray targetName = native(target);
    struct stat existing = {};
    const bool exists = lstat(targetName.constData(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || access(targetName.constData(), W_OK) != 0)) return false;
    mode_t mode = exists ? existing.st_mode & 07777 : 0600;
    if (ownerOnly) mode &= 0600;

    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 10 && fd < 0; ++attempt) {
        tempName = native(temporaryPrefix(target) + randomSuffix());
        fd = open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        if (exists && (errno == EACCES || errno == EPERM)) {
            inPlace = true;
            return writeInPlace(target, bytes, old, mode);
        }
        return false;
    }
    bool ok = writeAll(fd, bytes, 0) && fchmod(fd, mode) == 0;
    // Root rewriting the user's file leaves it the user's, so a later run as the user can still read it.
    if (ok && exists && geteuid() == 0) ok = fchown(fd, existing.st_uid, existing.st_gid) == 0;
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(tempName.constData(), targetName.constData()) == 0;
    if (!ok) {
        unlink(tempName.constData());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int folder =
        open(native(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

} // namespace

IniWriteError::IniWriteError(const QString& filePath)
    : std::runtime_error((u"Unable to write to "_s + filePath).toStdString()), m_filePath(filePath) {}

IniFile::IniFile(QString filePath, Privacy privacy)
    : m_path(std::move(filePath)), m_shownPath(QFileInfo(m_path).absoluteFilePath()), m_privacy(privacy) {}

QString IniFile::shownPath() const {
    return m_shownPath;
}

QString IniFile::readRefusalText(const QString& filePath, Refusal why) {
    QString text;
    switch (why) {
    case Refusal::Unreadable:
        text = u"Не удаётся прочитать файл "_s + filePath + u"."_s;
        break;
    case Refusal::TooLarge:
        text = u"Файл "_s + filePath + u" слишком велик (больше 16 МБ), программа не читает его."_s;
        break;
    case Refusal::UnknownEncoding:
        text = u"Файл "_s + filePath + u" записан в кодировке, которую программа не читает."_s;
        break;
    }
    return text + u" Пока программа работает, она не будет его изменять."_s;
}

std::optional<IniFile::Content> IniFile::parse(const QByteArray& bytes) {
    Content loaded;
    QByteArrayView view(bytes);
    // UTF-32's marks: the little-endian one begins like UTF-16's, so it is told apart first.
    if (view.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) ||
        view.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return std::nullopt;
    if (view.startsWith(kUtf16LeBom) || view.startsWith(kUtf16BeBom)) {
        const bool bigEndian = view.startsWith(kUtf16BeBom);
        loaded.encoding = bigEndian ? Encoding::Utf16BE : Encoding::Utf16LE;
        view = view.sliced(2);
        if (view.size() % 2 != 0) return std::nullopt; // cut mid-character: no reading of it is sure
        const QString text = decodeUtf16(view, bigEndian);
        if (!text.contains(u"\r\n"_s) && text.contains(u'\n')) loaded.lineEnd = u"\n"_s;
        qsizetype from = 0;
        while (from < text.size()) {
            qsizetype end = text.indexOf(u'\n', from);
            if (end < 0) end = text.size();
            qsizetype length = end - from;
            if (length > 0 && text[end - 1] == u'\r') --length;
            loaded.lines.append(
                {text.mid(from, length), view.sliced(2 * from, 2 * length).toByteArray(), false});
            from = end + 1;
        }
        return loaded;
    }
    if (view.startsWith(kUtf8Bom)) {
        loaded.encoding = Encoding::Utf8;
        view = view.sliced(3);
    }
    const bool utf8 = loaded.encoding == Encoding::Utf8;
    if (!view.contains("\r\n") && view.contains('\n')) loaded.lineEnd = u"\n"_s;
    qsizetype from = 0;
    while (from < view.size()) {
        qsizetype end = view.indexOf('\n', from);
        if (end < 0) end = view.size();
        QByteArrayView piece = view.sliced(from, end - from);
        if (piece.endsWith('\r')) piece.chop(1);
        loaded.lines.append(
            {utf8 ? QString::fromUtf8(piece) : cp1251::decode(piece), piece.toByteArray(), false});
        from = end + 1;
    }
    return loaded;
}

QByteArray IniFile::serialize(Content& c) {
    if (c.encoding == Encoding::Utf16LE || c.encoding == Encoding::Utf16BE) {
        // UTF-16 holds every name: the file keeps its encoding, and its other lines byte for byte.
        const bool bigEndian = c.encoding == Encoding::Utf16BE;
        QByteArray bytes = bigEndian ? kUtf16BeBom : kUtf16LeBom;
        const QByteArray lineEnd = encodeUtf16(c.lineEnd, bigEndian);
        for (Line& line : c.lines) {
            if (line.edited) line.raw = encodeUtf16(line.text, bigEndian);
            line.edited = false;
            bytes += line.raw;
            bytes += lineEnd;
        }
        return bytes;
    }
    // Windows-1251 whenever every line fits it; lines read from a Windows-1251 file always do.
    const bool wasUtf8 = c.encoding == Encoding::Utf8;
    bool singleByte = true;
    for (const Line& line : std::as_const(c.lines)) {
        if ((line.edited || wasUtf8) && !cp1251::canEncode(line.text)) {
            singleByte = false;
            break;
        }
    }
    QByteArray bytes;
    if (!singleByte) bytes = kUtf8Bom;
    const QByteArray lineEnd = c.lineEnd.toLatin1();
    for (Line& line : c.lines) {
        // Lines kept from the file go back byte for byte, invalid sequences included.
        if (line.edited || wasUtf8 == singleByte)
            line.raw = singleByte ? *cp1251::encode(line.text) : line.text.toUtf8();
        line.edited = false;
        bytes += line.raw;
        bytes += lineEnd;
    }
    c.encoding = singleByte ? Encoding::Cp1251 : Encoding::Utf8;
    return bytes;
}

const IniFile::Content& IniFile::refuse(Refusal why) const {
    static const Content kEmpty;
    // Taken as empty, a later write would replace every name in it with the one being written.
    m_refused = true;
    m_cache = Content{};
    m_cacheValid = false;
    bool first = false;
    {
        const QMutexLocker lock(&refusedFilesLock());
        first = !refusedFiles().contains(m_shownPath);
        refusedFiles().insert(m_shownPath);
    }
    if (first) showMessage(readRefusalText(m_shownPath, why));
    return kEmpty;
}

const IniFile::Content& IniFile::content() const {
    static const Content kEmpty;
    if (!m_refused) {
        const QMutexLocker lock(&refusedFilesLock());
        m_refused = refusedFiles().contains(m_shownPath); // found by another reader in this run
    }
    if (m_refused) return kEmpty;
    safefile::Contents read = safefile::read(m_path, kMaxFileBytes, safefile::Links::OwnRegularFileOnly);
    switch (read.status) {
    case safefile::Status::Ok:
        if (!m_cacheValid || !m_cacheExists || read.bytes != m_cacheBytes) {
            std::optional<Content> parsed = parse(read.bytes);
            if (!parsed) return refuse(Refusal::UnknownEncoding);
            m_cache = std::move(*parsed);
            m_cacheBytes = std::move(read.bytes);
        }
        m_cacheExists = true;
        break;
    case safefile::Status::Missing:
        if (!m_cacheValid || m_cacheExists) m_cache = Content{};
        m_cacheBytes.clear();
        m_cacheExists = false;
        break;
    case safefile::Status::Unreadable:
        return refuse(Refusal::Unreadable);
    case safefile::Status::TooLarge:
        return refuse(Refusal::TooLarge);
    }
    m_cacheValid = true;
    return m_cache;
}

void IniFile::modify(const std::function<bool(Content&)>& change) {
    if (m_refused) throw IniWriteError(shownPath());
    if (!makePrivateFolder(QFileInfo(m_path).absolutePath())) throw IniWriteError(shownPath());
    const QString target = safefile::writeTarget(m_path, safefile::Links::OwnRegularFileOnly);
    if (target.isEmpty()) {
        content(); // reports the file once, as a read would
        throw IniWriteError(shownPath());
    }
    const WriteLock lock(target, shownPath());
    removeLeftovers(target);
    Content updated = content(); // read again under the lock: another process may have written
    if (m_refused) throw IniWriteError(shownPath());
    if (!change(updated)) return;
    const QByteArray bytes = serialize(updated);
    bool inPlace = false;
    if (!writeReplacing(target, bytes, m_cacheBytes, m_privacy == Privacy::OwnerOnly, inPlace)) {
        m_cacheValid = false; // the disk holds the old content (or what another writer left); read it again
        throw IniWriteError(shownPath());
    }
    m_cache = std::move(updated);
    m_cacheBytes = bytes;
    m_cacheExists = true;
    m_cacheValid = true;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& fallback) const {
    const Content& c = content();
    const SectionSpan span = findSection(c.lines, oneLine(section));
    if (span.header < 0) return fallback;
    const qsizetype at = findKey(c.lines, span, keyText(key));
    if (at < 0) return fallback;
    return keyLine(c.lines[at].text)->value.left(kMaxValueLength).toString();
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    writeValues(section, {{key, value}});
}

void IniFile::writeValues(const QString& section, const QList<std::pair<QString, QString>>& keysAndValues) {
    modify([&](Content& c) {
        const QString name = oneLine(section);
        SectionSpan span = findSection(c.lines, name);
        if (span.header < 0) {
            c.lines.append({u'[' + name + u']', {}, true});
            span = {c.lines.size() - 1, c.lines.size()};
        }
        for (const auto& [key, value] : keysAndValues) {
            const QString k = keyText(key);
            const QString v = oneLine(value);
            if (const qsizetype at = findKey(c.lines, span, k); at >= 0) {
                c.lines[at] = {keyLine(c.lines[at].text)->key.toString() + u'=' + v, {}, true};
                continue;
            }
            // After the section's last non-blank line, so blank lines between sections stay where they are.
            qsizetype insertAt = span.end;
            while (insertAt > span.header + 1 && c.lines[insertAt - 1].text.trimmed().isEmpty())
                --insertAt;
            c.lines.insert(insertAt, {k + u'=' + v, {}, true});
            ++span.end;
        }
        return true;
    });
}

QList<IniFile::Section> IniFile::sections() const {
    QList<Section> result;
    QHash<QString, qsizetype> seen; // case-folded name: its place in result
    qsizetype current = -1;         // the section being filled; -1 before the first or in a repeated one
    for (const Line& line : content().lines) {
        if (const auto header = headerName(line.text)) {
            const QString name = header->toString();
            const QString folded = name.toCaseFolded();
            if (seen.contains(folded)) {
                current = -1; // a repeated section: readString finds the first one's keys only
                continue;
            }
            current = result.size();
            seen.insert(folded, current);
            result.append({name, {}});
            continue;
        }
        if (current < 0) continue;
        if (const auto kv = keyLine(line.text))
            result[current].values.append({kv->key.toString(), kv->value.left(kMaxValueLength).toString()});
    }
    return result;
}

void IniFile::writeSections(const QList<Section>& sections) {
    if (sections.isEmpty()) return;
    modify([&](Content& c) {
        // Every existing section is found once, by a hash of its case-folded name: looking each written
        // section up line by line would take minutes for thousands into a file of thousands.
        QHash<QString, SectionSpan> existing;
        {
            SectionSpan open;
            QString openName;
            const auto close = [&](qsizetype end) {
                if (open.header < 0 || existing.contains(openName)) return;
                open.end = end;
                existing.insert(openName, open);
            };
            for (qsizetype i = 0; i < c.lines.size(); ++i) {
                const auto header = headerName(c.lines[i].text);
                if (!header) continue;
                close(i);
                open = {i, -1};
                openName = header->toString().toCaseFolded();
            }
            close(c.lines.size());
        }
        // New key lines are gathered per place and put in by one rebuild at the end, so that the places
        // found above stay right and no line is moved more than once.
        QHash<qsizetype, QList<Line>> inserted; // before which old line
        struct NewSection {
            QString header;
            QList<std::pair<QString, QString>> values;
        };
        QList<NewSection> appended;
        QHash<QString, qsizetype> appendedAt; // case-folded name: its place in appended

        for (const Section& section : sections) {
            const QString name = oneLine(section.name);
            const QString folded = name.toCaseFolded();
            if (const auto found = existing.constFind(folded); found != existing.cend()) {
                const SectionSpan span = *found;
                qsizetype insertAt = span.end;
                while (insertAt > span.header + 1 && c.lines[insertAt - 1].text.trimmed().isEmpty())
                    --insertAt;
                QList<Line>& added = inserted[insertAt];
                for (const auto& [key, value] : section.values) {
                    const QString k = keyText(key);
                    const QString v = oneLine(value);
                    if (const qsizetype at = findKey(c.lines, span, k); at >= 0) {
                        c.lines[at] = {keyLine(c.lines[at].text)->key.toString() + u'=' + v, {}, true};
                        continue;
                    }
                    const auto same = std::find_if(added.begin(), added.end(), [&](const Line& line) {
                        return sameName(keyLine(line.text)->key, k);
                    });
                    if (same != added.end())
                        same->text = keyLine(same->text)->key.toString() + u'=' + v;
                    else
                        added.append({k + u'=' + v, {}, true});
                }
                continue;
            }
            qsizetype at = appendedAt.value(folded, -1);
            if (at < 0) {
                at = appended.size();
                appendedAt.insert(folded, at);
                appended.append({u'[' + name + u']', {}});
            }
            auto& values = appended[at].values;
            for (const auto& [key, value] : section.values) {
                const QString k = keyText(key);
                const auto same = std::find_if(values.begin(), values.end(),
                                               [&](const auto& kv) { return sameName(kv.first, k); });
                if (same != values.end())
                    same->second = oneLine(value);
                else
                    values.append({k, oneLine(value)});
            }
        }

        QList<Line> lines;
        lines.reserve(c.lines.size() + inserted.size() * 4 + appended.size() * 5);
        for (qsizetype i = 0; i <= c.lines.size(); ++i) {
            if (const auto added = inserted.constFind(i); added != inserted.cend()) lines.append(*added);
            if (i < c.lines.size()) lines.append(std::move(c.lines[i]));
        }
        for (const NewSection& section : std::as_const(appended)) {
            lines.append({section.header, {}, true});
            for (const auto& [key, value] : section.values)
                lines.append({key + u'=' + value, {}, true});
        }
        c.lines = std::move(lines);
        return true;
    });
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
    QSet<QString> seen; // case-folded, so that listing stays linear in the number of names
    for (const Line& line : content().lines) {
        const auto header = headerName(line.text);
        if (!header) continue;
        const QString name = header->toString();
        const QString folded = name.toCaseFolded();
        if (seen.contains(folded)) continue;
        seen.insert(folded);
        names << name;
    }
    return names;
}

QStringList IniFile::sectionNames(qsizetype maxNameLength) const {
    const Encoding encoding = content().encoding;
    QStringList listed;
    qsizetype used = 0;
    for (const QString& name : allSectionNames()) {
        if (name.size() > maxNameLength) continue;
        const qsizetype bytes = (encoding == Encoding::Utf8     ? name.toUtf8().size()
                                 : encoding == Encoding::Cp1251 ? name.size()
                                                                : 2 * name.size()) +
                                1;
        if (bytes > kSectionListBytes) continue;
        used += bytes;
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
            if (keyLine(c.lines[i].text)) return true;
    }
    return false;
}

void IniFile::eraseSection(const QString& section) {
    modify([&](Content& c) {
        const QString name = oneLine(section);
        bool erased = false;
        for (SectionSpan span = findSection(c.lines, name); span.header >= 0;
             span = findSection(c.lines, name, span.header)) {
            c.lines.remove(span.header, span.end - span.header);
            erased = true;
        }
        return erased;
    });
}

void IniFile::eraseSections(const QStringList& sections) {
    QSet<QString> doomed;
    for (const QString& section : sections)
        doomed.insert(oneLine(section).toCaseFolded());
    modify([&](Content& c) {
        // One pass: a line goes when it lies in a doomed section, so many names cost one rewrite.
        bool inDoomed = false;
        const qsizetype before = c.lines.size();
        c.lines.removeIf([&](const Line& line) {
            if (const auto header = headerName(line.text))
                inDoomed = doomed.contains(header->toString().toCaseFolded());
            return inDoomed;
        });
        return c.lines.size() != before;
    });
}

void IniFile::eraseAllSections() {
    modify([](Content& c) {
        const auto first = std::find_if(c.lines.cbegin(), c.lines.cend(),
                                        [](const Line& line) { return headerName(line.text).has_value(); });
        if (first == c.lines.cend()) return false;
        c.lines.erase(first, c.lines.cend());
        return true;
    });
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
