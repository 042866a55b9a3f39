#include "printing.h"

#include "core/datetext.h"
#include "core/horoscopebook.h"
#include "core/htmltext.h"
#include "core/pagebuilder.h"
#include "core/safefile.h"
#include "core/summary.h"
#include "pagecheck.h"
#include "services.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

namespace {

constexpr qint64 kLargestResource = 2 * 1024 * 1024;
const QMarginsF kMarginsMm(20, 18, 20, 16);

[[noreturn]] void failWrite(const QString& path) {
    throw std::runtime_error(
        (u"Unable to write to "_s + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))
            .toStdString());
}

// A style sheet or a picture of a page: a regular local file of the data folder of a sane size, or nothing,
// so a page cannot make printing wait on a device or a pipe, nor read what lies outside the data folder.
QByteArray readResourceFile(const QUrl& url, const QString& dataFolder) {
    if (!url.isLocalFile()) return {};
    const QFileInfo info(safefile::fileInside(url.toLocalFile(), dataFolder));
    if (!info.isFile() || info.size() > kLargestResource) return {};
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(kLargestResource);
}

// Reads style sheets and pictures of a page from beside it.
class LocalDocument : public QTextDocument {
public:
    explicit LocalDocument(const QString& dataFolder) : m_dataFolder(dataFolder) {}

    // Why the page must not be printed, judged with the style sheets this document would read.
    QString refusal(const QString& html) const {
        return pageRefusal(html, baseUrl(), [this](const QUrl& url) {
            return QString::fromUtf8(readResourceFile(url, m_dataFolder));
        });
    }

protected:
    QVariant loadResource(int type, const QUrl& name) override {
        const QByteArray bytes = readResourceFile(baseUrl().resolved(name), m_dataFolder);
        if (bytes.isEmpty()) return {};
        if (type == QTextDocument::StyleSheetResource) return QString::fromUtf8(bytes);
        return bytes;
    }

private:
    QString m_dataFolder;
};

// Paper is white and its ink black, whatever colours the page chose for the screen.
void makeBlackOnWhite(QTextDocument& document) {
    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    QTextCharFormat ink;
    ink.setForeground(Qt::black);
    ink.setBackground(Qt::transparent);
    all.mergeCharFormat(ink);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setBackground(Qt::transparent);
        cursor.setBlockFormat(format);
    }
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    root.setBackground(Qt::white);
    document.rootFrame()->setFrameFormat(root);
}

QRectF paintArea(QPagedPaintDevice& device) {
    return device.pageLayout().paintRectPixels(device.logicalDpiX());
}

qreal footerHeight(QPagedPaintDevice& device) {
    return device.logicalDpiY() * 0.35; // about 9 mm
}

void layOut(QTextDocument& document, QPagedPaintDevice& device) {
    document.documentLayout()->setPaintDevice(&device);
    const QRectF area = paintArea(device);
    document.setPageSize(QSizeF(area.width(), area.height() - footerHeight(device)));
}

void preparePrinter(QPagedPaintDevice& device) {
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageMargins(kMarginsMm, QPageLayout::Millimeter);
}

// The cover: the name, the birth date and the summary's six lines, as the summary box shows them.
QString coverHtml(Date birthDate, const QString& personName) {
    PageBuilder cover(PageBuilder::Breaks::None);
    cover.heading(1, u"Персональный гороскоп"_s, u"style=\"font-size:24pt\""_s);
    cover.paragraph(displayName(personName), u"style=\"font-size:16pt\""_s);
    cover.paragraph(u"Дата рождения: "_s + dateToText(birthDate));
    cover.heading(2, u"Общая информация"_s);
    for (const QString& line : summaryText(birthDate, personName).split(u"\n\r"_s))
        cover.paragraph(line);
    return cover.html();
}

// The contents: each page's title and where it starts, or why it is not there.
QString contentsHtml(const QList<BookPage>& pages, const QList<bool>& present, const QList<int>& starts) {
    PageBuilder contents(PageBuilder::Breaks::None);
    contents.heading(1, u"Содержание"_s);
    contents.beginTable(u"width=\"100%\" cellpadding=\"3\""_s);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QString reason =
            pages[i].missingReason.isEmpty() ? u"страница не читается"_s : pages[i].missingReason;
        const QString where = present[i] ? QString::number(starts[i]) : u"нет: "_s + reason;
        contents.row({Html::text(pages[i].title), {Html::text(where), u"align=\"right\""_s}});
    }
    contents.endTable();
    return contents.html();
}

} // namespace

std::unique_ptr<QTextDocument> printableHtml(const QString& html, const QUrl& base,
                                             const QString& dataFolder) {
    auto document = std::make_unique<LocalDocument>(dataFolder);
    document->setBaseUrl(base);
    document->setDefaultFont(QFont(u"DejaVu Serif"_s, 11));
    const QString refusal = document->refusal(html);
    document->setHtml(refusal.isEmpty() ? html : refusalPage(refusal));
    makeBlackOnWhite(*document);
    return document;
}

std::unique_ptr<QTextDocument> printableDocument(const QString& pagePath, const QString& dataFolder) {
    const QString inside = safefile::fileInside(pagePath, dataFolder);
    QFile file(inside);
    const QFileInfo info(inside);
    if (inside.isEmpty() || info.size() > PageLimits::kMaxBytes || !file.open(QIODevice::ReadOnly))
        throw std::runtime_error((u"Unable to open "_s + pagePath).toStdString());
    auto document = std::make_unique<LocalDocument>(dataFolder);
    document->setBaseUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
    document->setDefaultFont(QFont(u"DejaVu Serif"_s, 11));
    // A page the view would refuse (nesting that would exhaust the stack, a word of megabytes) is
    // refused here too, with the same short page in its place.
    QString html = decodeHtml(file.read(PageLimits::kMaxBytes));
    if (const QString refusal = document->refusal(html); !refusal.isEmpty()) html = refusalPage(refusal);
    document->setHtml(html);
    makeBlackOnWhite(*document);
    return document;
}

std::unique_ptr<QTextDocument> printableDocument(const PrintSource& source) {
    return source.html.isEmpty() ? printableDocument(source.pagePath, source.dataFolder)
                                 : printableHtml(source.html, source.base, source.dataFolder);
}

QString footerText(const QString& personName, Date birthDate) {
    return displayName(personName) + u", "_s + dateToText(birthDate);
}

int countPages(QTextDocument& document, QPagedPaintDevice& device) {
    layOut(document, device);
    return document.pageCount();
}

int paintDocument(QTextDocument& document, QPagedPaintDevice& device, QPainter& painter,
                  const QString& footer, int firstNumber, bool startOnNewPage) {
    layOut(document, device);
    const QSizeF page = document.pageSize();
    const int pages = document.pageCount();
    QFont footerFont(u"DejaVu Sans"_s);
    footerFont.setPointSizeF(8.5);
    for (int i = 0; i < pages; ++i) {
        if (startOnNewPage || i > 0) device.newPage();
        painter.save();
        const QRectF clip(0, i * page.height(), page.width(), page.height());
        painter.translate(0, -clip.top());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();

        painter.save();
        painter.setFont(QFont(footerFont, &device));
        painter.setPen(Qt::black);
        const QRectF line(0, page.height() + footerHeight(device) * 0.35, page.width(),
                          footerHeight(device) * 0.65);
        painter.drawLine(QLineF(line.topLeft(), line.topRight()));
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, footer);
        painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, u"стр. %1"_s.arg(firstNumber + i));
        painter.restore();
    }
    return pages;
}

void writePagePdf(const PrintSource& page, const QString& footer, const QString& pdfPath) {
    const auto document = printableDocument(page);
    QSaveFile out(pdfPath);
    if (!out.open(QIODevice::WriteOnly)) failWrite(pdfPath);
    {
        QPdfWriter writer(&out);
        preparePrinter(writer);
        writer.setCreator(u"Solvenna"_s);
        writer.setTitle(document->metaInformation(QTextDocument::DocumentTitle));
        QPainter painter(&writer);
        paintDocument(*document, writer, painter, footer, 1, false);
    }
    if (out.error() != QFileDevice::NoError || !out.commit()) failWrite(pdfPath);
}

int writeHoroscopePdf(const Folders& folders, Date birthDate, const QString& personName,
                      const QString& pdfPath) {
    const QString footer = footerText(personName, birthDate);
    const QList<BookPage> pages = personalPages(folders, birthDate);

    auto coverDocument = printableHtml(coverHtml(birthDate, personName));

    std::vector<std::unique_ptr<QTextDocument>> documents;
    for (const BookPage& page : pages) {
        if (page.missingReason.isEmpty()) {
            try {
                documents.push_back(printableDocument(page.path, folders.DataFolder));
            } catch (const std::runtime_error&) {
                documents.push_back(nullptr); // vanished or unreadable since it was listed: skipped
            }
        } else {
            documents.push_back(nullptr);
        }
    }
    QList<bool> present;
    for (const auto& document : documents)
        present << (document != nullptr);

    // Written in memory first: the bookmarks go in before the file is written, whole or not at all.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QList<PdfBookmark> bookmarks;
    int written = 0;
    {
        QPdfWriter writer(&out);
        preparePrinter(writer);
        writer.setCreator(u"Solvenna"_s);
        writer.setTitle(u"Персональный гороскоп: "_s + footer);

        // Page numbers of the contents come from the pages' lengths, known before anything is painted.
        const int coverPages = countPages(*coverDocument, writer);
        QList<int> starts(pages.size(), 0);
        auto contents = printableHtml(contentsHtml(pages, present, starts));
        const int contentsPages = countPages(*contents, writer);
        int next = coverPages + contentsPages + 1;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (!documents[size_t(i)]) continue;
            starts[i] = next;
            next += countPages(*documents[size_t(i)], writer);
        }
        contents = printableHtml(contentsHtml(pages, present, starts));

        QPainter painter(&writer);
        if (!painter.isActive()) failWrite(pdfPath);
        bookmarks.append({u"Общая информация"_s, 0});
        written += paintDocument(*coverDocument, writer, painter, footer, 1, false);
        bookmarks.append({u"Содержание"_s, written});
        written += paintDocument(*contents, writer, painter, footer, written + 1, true);
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (!documents[size_t(i)]) continue;
            bookmarks.append({pages[i].title, written});
            written += paintDocument(*documents[size_t(i)], writer, painter, footer, written + 1, true);
        }
    }
    out.close();
    const QByteArray pdf = addPdfBookmarks(out.data(), bookmarks).value_or(out.data());
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        failWrite(pdfPath);
    return written;
}

QString proposedPdfPath(const QString& personName, const QString& what) {
    QString name = displayName(personName) + u" — "_s + what;
    name.replace(u": "_s, u", "_s);
    // Nothing that a file system or a desktop would take for a folder or a wildcard.
    static const QString unsafe = u"/\\:*?\"<>|"_s;
    for (QChar& c : name)
        if (unsafe.contains(c) || c.unicode() < 0x20) c = u'_';
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    return QDir(folder).filePath(name.left(180) + u".pdf"_s);
}

void printPage(QWidget* parent, const PrintSource& page, const QString& footer) {
    const auto document = printableDocument(page);
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"Печать"_s);
    if (execModal(&dialog) != QDialog::Accepted) return;
    QPainter painter(&printer);
    if (!painter.isActive()) throw std::runtime_error("Unable to print");
    paintDocument(*document, printer, painter, footer, 1, false);
}

void previewPage(QWidget* parent, const PrintSource& page, const QString& footer) {
    const auto document = printableDocument(page);
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"Предварительный просмотр"_s);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        QPainter painter(target);
        if (painter.isActive()) paintDocument(*document, *target, painter, footer, 1, false);
    });
    dialog.resize(900, 700);
    execModal(&dialog);
}

} // namespace solvenna::ui
