#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing files that may be hostile: a FIFO, a device, a link to someone else's file or a
// file of gigabytes must never hang, exhaust memory or be replaced.
namespace solvenna::safefile {

enum class Links {
    // Followed only to a regular file the user owns: the stores hold birth dates, and a link planted by
    // someone else must not make the program read or replace a file it was never meant to touch. Root owns
    // the system's files, so root follows no link at all.
    OwnRegularFileOnly,
    // Followed to any regular file, as pages of a data folder installed by another user may be.
    AnyRegularFile,
};

enum class Status { Ok, Missing, Unreadable, TooLarge };

struct Contents {
    Status status = Status::Missing;
    QByteArray bytes;
};

// Reads a regular file of at most maxBytes. Opens without blocking, so a FIFO put in the file's place
// between the checks is refused rather than waited for. A path that does not exist is Missing; anything
// else that is no regular file (or a link not allowed by the rule) is Unreadable.
Contents read(const QString& path, qint64 maxBytes, Links links);

// The path with every link resolved, when it names a regular file inside the folder (also when reached
// through links inside it); empty otherwise. Only looks the path up: nothing is opened.
QString fileInside(const QString& path, const QString& folder);

// Where a write to the path goes: the path itself, or the regular file a permitted link points to.
// Empty when the path must not be written (a device, a FIFO, a folder, a link to anything else).
QString writeTarget(const QString& path, Links links);

} // namespace solvenna::safefile
