#pragma once

#include "core/catalogue.h"
#include "core/date.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The current person's whole horoscope as one document: which pages belong to it, and the bookmarks of
// the PDF file it is written to.
namespace solvenna {

struct BookPage {
    // On its own, as a bookmark: "Зодиакальный гороскоп: Стихия знака", "Китайский гороскоп".
    QString title;
    // The system's caption: "Зодиакальный гороскоп".
    QString system;
    // The topic within a system of several pages ("Стихия знака"), else empty.
    QString topic;
    // Empty when the system has no sign for the date.
    QString path;
    // Why the page is left out; empty when it is there.
    QString missingReason;
};

// The zodiac sign's eleven topic pages, then the pages of the other five systems, in the menus' order.
// A page whose file is missing, or whose system has no sign for the date, stays in the list with the
// reason it is left out; no calculator is asked for a year it refuses, so nothing is reported to the user.
QList<BookPage> personalPages(const Folders& folders, Date birthDate);

struct PdfBookmark {
    QString title;
    int page = 0; // 0-based
};

// Adds an outline (the bookmarks a PDF reader lists) to a PDF file with a classic cross-reference table,
// as an incremental update: the bytes written before stay as they are. Returns nothing when the file
// cannot be read as such a PDF or a bookmark names a page it does not have.
std::optional<QByteArray> addPdfBookmarks(const QByteArray& pdf, const QList<PdfBookmark>& bookmarks);

} // namespace solvenna
