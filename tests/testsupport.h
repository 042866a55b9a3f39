#pragma once

#include "core/messages.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QXmlStreamReader>

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

// Links, pictures and text of a page read as XML, which also proves it well-formed.
struct PageFacts {
    QString error;
    QStringList hrefs, pictures;
    QString text;
    QList<int> cellsPerRow; // of the tables' rows
};
inline PageFacts inspectPage(const QString& html) {
    PageFacts facts;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"a")
            facts.hrefs << xml.attributes().value(QStringLiteral("href")).toString();
        else if (xml.isStartElement() && xml.name() == u"img")
            facts.pictures << xml.attributes().value(QStringLiteral("src")).toString();
        else if (xml.isStartElement() && xml.name() == u"tr")
            facts.cellsPerRow << 0;
        else if (xml.isStartElement() && (xml.name() == u"td" || xml.name() == u"th"))
            ++facts.cellsPerRow.last();
        else if (xml.isStartElement() && xml.name() == u"br")
            facts.text += u' '; // lines of a cell read apart
        else if (xml.isCharacters())
            facts.text += xml.text();
    }
    if (xml.hasError()) facts.error = xml.errorString();
    facts.text = facts.text.simplified();
    return facts;
}

// A whole file's bytes; empty when it cannot be read.
inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The shipped pages; in a suite that gave up root, the readable copy made for it.
inline QString dataFolder() {
    return qEnvironmentVariable("SOLVENNA_TEST_DATA_DIR", QStringLiteral(SOLVENNA_DATA_DIR));
}

// Copies a file or a whole folder so that every user may read it (folders: enter). False when any of it
// failed.
[[nodiscard]] inline bool copyReadable(const QString& from, const QString& to) {
    const auto readable =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto enterable = readable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (!QFileInfo(from).isDir()) return QFile::copy(from, to) && QFile::setPermissions(to, readable);
    bool ok = QDir().mkpath(to) && QFile::setPermissions(to, enterable);
    const QDir source(from);
    for (QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         ok && it.hasNext();) {
        const QString path = it.next();
        const QString target = to + u'/' + source.relativeFilePath(path);
        ok = it.fileInfo().isDir() ? QDir().mkpath(target) && QFile::setPermissions(target, enterable)
                                   : QFile::copy(path, target) && QFile::setPermissions(target, readable);
    }
    return ok;
}

// A program folder of its own holding a copy of the data folder, for tests that change or remove pages.
// Returns the program folder with a trailing delimiter; the copy lives as long as the holder.
inline QString readableProgramFolder(const QString& dataFolder, QTemporaryDir& holder) {
    if (!copyReadable(dataFolder, holder.path() + QStringLiteral("/Data"))) return {};
    return holder.path() + u'/';
}

} // namespace testsupport
