#include "core/safefile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace solvenna::safefile {

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool linkAllowed(const struct stat& target, Links links) {
    if (!S_ISREG(target.st_mode)) return false;
    if (links == Links::AnyRegularFile) return true;
    // "The user's own" would let a link planted for root reach any of the system's files.
    return geteuid() != 0 && target.st_uid == geteuid();
}

} // namespace

Contents read(const QString& path, qint64 maxBytes, Links links) {
    const QByteArray name = native(path);
    struct stat entry = {};
    if (lstat(name.constData(), &entry) != 0)
        return {errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Unreadable, {}};
    const bool viaLink = S_ISLNK(entry.st_mode);
    if (!viaLink && !S_ISREG(entry.st_mode)) return {Status::Unreadable, {}};

    const int fd =
        open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (viaLink ? 0 : O_NOFOLLOW));
    if (fd < 0) return {Status::Unreadable, {}};
    Contents result{Status::Unreadable, {}};
    struct stat opened = {};
    if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && (!viaLink || linkAllowed(opened, links))) {
        if (opened.st_size > maxBytes) {
            result.status = Status::TooLarge;
        } else {
            // The size may change while reading; never take more than the limit allows.
            QByteArray bytes(qsizetype(opened.st_size) + 1, Qt::Uninitialized);
            qsizetype used = 0;
            bool failed = false;
            while (true) {
                if (used == bytes.size()) {
                    if (used > maxBytes) break;
                    bytes.resize(qMin<qint64>(maxBytes + 1, qint64(used) * 2 + 4096));
                }
                const ssize_t got = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
                if (got < 0 && errno == EINTR) continue;
                if (got < 0) {
                    failed = true;
                    break;
                }
                if (got == 0) break;
                used += got;
            }
            if (failed) {
                result.status = Status::Unreadable;
            } else if (used > maxBytes) {
                result.status = Status::TooLarge;
            } else {
                bytes.truncate(used);
                result = {Status::Ok, std::move(bytes)};
            }
        }
    }
    close(fd);
    return result;
}

QString fileInside(const QString& path, const QString& folder) {
    if (path.isEmpty() || folder.isEmpty()) return {};
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QString resolved = QFileInfo(path).canonicalFilePath();
    if (root.isEmpty() || resolved.isEmpty() || !QFileInfo(resolved).isFile()) return {};
    return resolved.startsWith(root.endsWith(u'/') ? root : root + u'/') ? resolved : QString();
}

QString writeTarget(const QString& path, Links links) {
    const QByteArray name = native(path);
    struct stat entry = {};
    if (lstat(name.constData(), &entry) != 0) return errno == ENOENT ? path : QString();
    if (S_ISREG(entry.st_mode)) return path;
    if (!S_ISLNK(entry.st_mode)) return {};
    struct stat target = {};
    if (stat(name.constData(), &target) != 0 || !linkAllowed(target, links)) return {};
    char resolved[PATH_MAX];
    if (!realpath(name.constData(), resolved)) return {};
    return QFile::decodeName(resolved);
}

} // namespace solvenna::safefile
