#pragma once

#include "core/messages.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

// Collects what the calculators report instead of showing it.
struct MessageRecorder {
    QStringList messages;
    solvenna::MessageHook previous;
    MessageRecorder() {
        previous = solvenna::setMessageHook([this](const QString& text) { messages << text; });
    }
    ~MessageRecorder() { solvenna::setMessageHook(previous); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
};

// Writes a whole file, making its folder first. Returns false when any of it failed, so that the test's
// QVERIFY around the call stops the test (a QVERIFY inside a helper would only leave the helper).
[[nodiscard]] inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

// A whole file's bytes; empty when it cannot be read.
inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Read-only folders only refuse writes to ordinary users; root writes anyway. Tests of refused writes run
// as "nobody" when started as root (as CI does). Returns false if that was not possible.
constexpr uid_t kNobody = 65534;

inline bool runAsOrdinaryUser() {
    if (geteuid() != 0) return true;
    return setgid(kNobody) == 0 && setuid(kNobody) == 0 && geteuid() == kNobody;
}

// Copies the data folder into a temporary program folder that every user can read, so that tests still
// find the pages after they gave up root (the source tree may sit in a folder only root can enter).
// Returns the program folder with a trailing delimiter; the copy lives as long as the holder. Started as
// root, the copy is given to "nobody", who removes it in the end.
inline QString readableProgramFolder(const QString& dataFolder, QTemporaryDir& holder) {
    const auto giveAway = [](const QString& path) {
        if (geteuid() == 0) [[maybe_unused]]
            const int ignored = chown(QFile::encodeName(path).constData(), kNobody, kNobody);
    };
    giveAway(holder.path());
    const auto everyoneReads =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto everyoneEnters =
        everyoneReads | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    QFile::setPermissions(holder.path(), everyoneEnters);
    const QString target = holder.path() + QStringLiteral("/Data");
    QDir().mkpath(target);
    QFile::setPermissions(target, everyoneEnters);
    giveAway(target);
    const QDir source(dataFolder);
    for (QDirIterator it(dataFolder, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString from = it.next();
        const QString to = target + u'/' + source.relativeFilePath(from);
        if (it.fileInfo().isDir()) {
            QDir().mkpath(to);
            QFile::setPermissions(to, everyoneEnters);
        } else {
            QFile::copy(from, to);
            QFile::setPermissions(to, everyoneReads);
        }
        giveAway(to);
    }
    return holder.path() + u'/';
}

} // namespace testsupport
