#pragma once

#include "core/catalogue.h"
#include "core/date.h"
#include "core/horoscopebook.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPainter;
class QTextDocument;
class QWidget;

// Pages on paper and in PDF files: black text on white in one type family, with margins, page numbers, a
// footer naming the person and a running header on continuation pages, and nothing cut or repeated at a
// page break.
namespace solvenna::ui {

// A page file as a document ready to be laid out on paper: its style sheet and pictures read from beside
// it (regular files of a sane size only), every text black on white. The page and what it reads must lie
// in the data folder; a page outside it throws like a missing one. A note (the person's boundary note) goes
// under the page's heading, as the view shows it.
std::unique_ptr<QTextDocument> printableDocument(const QString& pagePath, const QString& dataFolder,
                                                 const QString& note = QString());
// Page text the program put together, read as a file of the folder `base` would be.
std::unique_ptr<QTextDocument> printableHtml(const QString& html, const QUrl& base = QUrl(),
                                             const QString& dataFolder = QString());

// What is printed: a page file, or a page the program put together.
struct PrintSource {
    QString pagePath;
    QString html; // when not empty, printed instead of the file, with base as its folder
    QUrl base;
    QString dataFolder; // where the page may read its style sheet and pictures
    QString note;       // under the heading of a page file
};
std::unique_ptr<QTextDocument> printableDocument(const PrintSource& source);

// The footer's text: the person's name (or "Без имени") and the birth date.
QString footerText(const QString& personName, Date birthDate);

// What surrounds a document's text on each page.
struct PageFrame {
    QString footer;        // on every page: the person and the birth date (footerText)
    QString runningHeader; // on every page after the document's first, naming what it continues; or none
};
// The running header of a page of the whole horoscope: its system and topic, or for a system's only page
// the sign its title names.
QString runningHeader(const BookPage& page, const QString& documentTitle);

// Lays the document out for the device and paints it from a new page, numbering pages from firstNumber.
// Pages break between lines, never through one, and never right after a heading. Returns the number of
// pages painted. startOnNewPage: whether a page was painted before on the device.
int paintDocument(QTextDocument& document, QPagedPaintDevice& device, QPainter& painter,
                  const PageFrame& frame, int firstNumber, bool startOnNewPage);
// The pages the document takes on the device, without painting.
int countPages(QTextDocument& document, QPagedPaintDevice& device, const PageFrame& frame);

// Writes the page file as a PDF file; throws "Unable to write to <path>" when that fails.
void writePagePdf(const PrintSource& page, const QString& footer, const QString& pdfPath);

// Writes the current person's whole horoscope as one PDF file: a cover page with the name, the birth date
// and the six-line summary, the contents, then every page that belongs to the person, with bookmarks.
// Throws "Unable to write to <path>" when that fails. Returns the number of pages written. noteOf gives
// the note under a page's heading by the page's path, or nothing.
using PageNoteOf = std::function<QString(const QString& pagePath)>;
int writeHoroscopePdf(const Folders& folders, Date birthDate, const QString& personName,
                      const QString& pdfPath, const PageNoteOf& noteOf = {});

// The file name proposed for a saved page: person, system and topic, in the documents folder.
QString proposedPdfPath(const QString& personName, const QString& what);
// The same for a file of another kind ("png").
QString proposedFilePath(const QString& personName, const QString& what, const QString& suffix);
// The user's documents folder, or the home folder when there is none.
QString documentsFolder();

// The print dialog and the preview for the page file, run through the modal service. printPage returns
// the file written when the person printed to a file, else nothing.
QString printPage(QWidget* parent, const PrintSource& page, const QString& footer);
void previewPage(QWidget* parent, const PrintSource& page, const QString& footer);

} // namespace solvenna::ui
