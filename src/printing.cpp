#include "printing.h"

#include "core/datetext.h"
#include "core/horoscopebook.h"
#include "core/htmltext.h"
#include "core/pagebuilder.h"
#include "core/pagenotes.h"
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
const QMarginsF kMarginsMm(20, 14, 20, 14);
const QStringList kPaperFamilies{u"DejaVu Serif"_s, u"Liberation Serif"_s, u"Times New Roman"_s, u"serif"_s};

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

// Paper is white and its ink black, whatever colours the page chose for the screen, and one type family
// sets every text of the paper, headings included, as on the cover and the contents.
void makePaperLook(QTextDocument& document) {
    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    QTextCharFormat ink;
    ink.setForeground(Qt::black);
    ink.setBackground(Qt::transparent);
    ink.setFontFamilies(kPaperFamilies);
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

QFont paperFont(qreal points) {
    QFont font;
    font.setFamilies(kPaperFamilies);
    font.setPointSizeF(points);
    return font;
}

QRectF paintArea(QPagedPaintDevice& device) {
    return device.pageLayout().paintRectPixels(device.logicalDpiX());
}

// The bands above and below the text of a page: the running header and the footer, about 9 mm each.
qreal bandHeight(QPagedPaintDevice& device) {
    return device.logicalDpiY() * 0.35;
}

// Laid out in one long column: the pages are cut from it between lines (pageSheets), not by the
// document's own pagination, which draws a line that crosses a page's edge on both pages.
void layOut(QTextDocument& document, QPagedPaintDevice& device) {
    document.documentLayout()->setPaintDevice(&device);
    document.setTextWidth(paintArea(device).width());
}

// A table wider than the paper (the grid of a large group) would be cut at its right edge: such a document
// is drawn smaller, as a whole, so that its widest part fits.
qreal fitScale(QTextDocument& document, QPagedPaintDevice& device) {
    const qreal wide = document.documentLayout()->documentSize().width();
    const qreal width = paintArea(device).width();
    return wide > width + 1 ? width / wide : 1.0;
}

// Where each line of the laid out document lies, in the document's coordinates, and what it belongs to.
// Lines in table cells count too: a break must not cut through any of them.
struct LineSpan {
    qreal top = 0;
    qreal bottom = 0;
    bool heading = false;
    int block = 0; // the paragraph's number
    int line = 0;  // in the paragraph, and how many it has
    int lines = 0;
};

QList<LineSpan> lineSpans(QTextDocument& document) {
    QList<LineSpan> spans;
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (!lines || !block.isVisible()) continue;
        const qreal origin = layout->blockBoundingRect(block).top() - lines->boundingRect().top();
        const bool heading = block.blockFormat().headingLevel() > 0;
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            spans.append({origin + line.y(), origin + line.y() + line.height(), heading, block.blockNumber(),
                          i, lines->lineCount()});
        }
    }
    std::sort(spans.begin(), spans.end(), [](const LineSpan& a, const LineSpan& b) { return a.top < b.top; });
    return spans;
}

constexpr qreal kSlack = 0.5; // rounding of line positions

// The paragraph of the document's own flow (not of a table) that a page break at y falls inside.
QTextBlock blockAcross(QTextDocument& document, qreal y) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        if (rect.top() >= y) break;
        if (rect.bottom() > y + kSlack && document.frameAt(block.position()) == document.rootFrame())
            return block;
    }
    return {};
}

// A page's part of the document laid out in one column, in the document's coordinates.
struct PageSheet {
    qreal top = 0;
    qreal bottom = 0;
};

// Cuts the document into pages: the first firstHeight high, the others nextHeight (they carry the running
// header). A break falls between lines, never through one, and never right under a heading nor so that a
// paragraph's single line stands apart, unless a page has no other place.
QList<PageSheet> pageSheets(QTextDocument& document, qreal firstHeight, qreal nextHeight) {
    const QList<LineSpan> spans = lineSpans(document);
    const qreal documentEnd = document.documentLayout()->documentSize().height();

    // A page may end where a line begins and no line above reaches lower. A place right under a heading
    // would leave the heading alone at the foot, and one that leaves a paragraph's single first or last
    // line on a page of its own reads badly: such places are taken only when a page has no other.
    struct Break {
        qreal at;
        bool poor;
    };
    QList<Break> breaks;
    qreal textEnd = 0;
    const LineSpan* lowest = nullptr; // the line above that reaches lowest
    for (const LineSpan& span : spans) {
        if (lowest && textEnd <= span.top + kSlack) {
            const bool splitsAlone =
                lowest->block == span.block && (span.line < 2 || span.lines - span.line < 2);
            breaks.append({span.top, lowest->heading || splitsAlone});
        }
        if (span.bottom >= textEnd) {
            textEnd = span.bottom;
            lowest = &span;
        }
    }

    QList<PageSheet> sheets;
    qreal top = 0;
    qsizetype next = 0; // the first break below top
    while (true) {
        const qreal limit = top + std::max<qreal>(sheets.isEmpty() ? firstHeight : nextHeight, 1);
        if (textEnd <= limit + kSlack || documentEnd <= limit + kSlack) {
            sheets.append({top, std::max(top, std::min(documentEnd, limit))});
            break;
        }
        std::optional<qreal> any, good;
        for (qsizetype i = next; i < breaks.size() && breaks[i].at <= limit + kSlack; ++i) {
            if (breaks[i].at <= top + kSlack) continue;
            any = breaks[i].at;
            if (!breaks[i].poor) good = breaks[i].at;
        }
        // A line taller than a page (a picture) is cut where the page ends.
        const qreal bottom = good.value_or(any.value_or(limit));
        sheets.append({top, bottom});
        top = bottom;
        while (next < breaks.size() && breaks[next].at <= top + kSlack)
            ++next;
    }
    return sheets;
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

// The contents: each page's title and where it starts, or why it is not there. The topics of a system of
// several pages stand under its caption, so that the caption is not repeated on every line.
QString contentsHtml(const QList<BookPage>& pages, const QList<bool>& present, const QList<int>& starts) {
    PageBuilder contents(PageBuilder::Breaks::None);
    contents.heading(1, u"Содержание"_s);
    contents.beginTable(u"width=\"100%\" cellpadding=\"3\""_s);
    const QString right = u"align=\"right\""_s;
    QString group;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const BookPage& page = pages[i];
        const QString reason = page.missingReason.isEmpty() ? u"страница не читается"_s : page.missingReason;
        const Html where = Html::text(present[i] ? QString::number(starts[i]) : u"нет: "_s + reason);
        if (page.topic.isEmpty()) {
            group.clear();
            contents.row({Html::text(page.system).bold(), {where, right}});
            continue;
        }
        if (page.system != group) {
            group = page.system;
            contents.row({{Html::text(group).bold(), u"colspan=\"2\""_s}});
        }
        contents.row({{Html::text(page.topic), u"style=\"padding-left:24px\""_s}, {where, right}});
    }
    contents.endTable();
    return contents.html();
}

} // namespace

std::unique_ptr<QTextDocument> printableHtml(const QString& html, const QUrl& base,
                                             const QString& dataFolder) {
    auto document = std::make_unique<LocalDocument>(dataFolder);
    document->setBaseUrl(base);
    document->setDefaultFont(paperFont(11));
    const QString refusal = document->refusal(html);
    document->setHtml(refusal.isEmpty() ? html : refusalPage(refusal));
    makePaperLook(*document);
    return document;
}

std::unique_ptr<QTextDocument> printableDocument(const QString& pagePath, const QString& dataFolder,
                                                 const QString& note) {
    const QString inside = safefile::fileInside(pagePath, dataFolder);
    QFile file(inside);
    const QFileInfo info(inside);
    if (inside.isEmpty() || info.size() > PageLimits::kMaxBytes || !file.open(QIODevice::ReadOnly))
        throw std::runtime_error((u"Unable to open "_s + pagePath).toStdString());
    auto document = std::make_unique<LocalDocument>(dataFolder);
    document->setBaseUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
    document->setDefaultFont(paperFont(11));
    // A page the view would refuse (nesting that would exhaust the stack, a word of megabytes) is
    // refused here too, with the same short page in its place.
    QString html = withNote(decodeHtml(file.read(PageLimits::kMaxBytes)), note);
    if (const QString refusal = document->refusal(html); !refusal.isEmpty()) html = refusalPage(refusal);
    document->setHtml(html);
    makePaperLook(*document);
    return document;
}

std::unique_ptr<QTextDocument> printableDocument(const PrintSource& source) {
    return source.html.isEmpty() ? printableDocument(source.pagePath, source.dataFolder, source.note)
                                 : printableHtml(source.html, source.base, source.dataFolder);
}

QString footerText(const QString& personName, Date birthDate) {
    return displayName(personName) + u", "_s + dateToText(birthDate);
}

namespace {

QString titleOf(const QTextDocument& document) {
    return document.metaInformation(QTextDocument::DocumentTitle).simplified();
}

QList<PageSheet> sheetsOn(QTextDocument& document, QPagedPaintDevice& device, bool runningHeader) {
    layOut(document, device);
    const qreal scale = fitScale(document, device);
    const qreal height = paintArea(device).height() - bandHeight(device);
    return pageSheets(document, height / scale,
                      (runningHeader ? height - bandHeight(device) : height) / scale);
}

} // namespace

QString runningHeader(const BookPage& page, const QString& documentTitle) {
    if (!page.topic.isEmpty()) return page.system + u" · "_s + page.topic;
    // A system's only page is about the sign its title begins with: "Кот — Китайский гороскоп".
    const qsizetype dash = documentTitle.indexOf(u" — "_s);
    return dash > 0 ? page.system + u" · "_s + documentTitle.left(dash) : page.system;
}

int countPages(QTextDocument& document, QPagedPaintDevice& device, const PageFrame& frame) {
    return int(sheetsOn(document, device, !frame.runningHeader.isEmpty()).size());
}

int paintDocument(QTextDocument& document, QPagedPaintDevice& device, QPainter& painter,
                  const PageFrame& frame, int firstNumber, bool startOnNewPage) {
    const QList<PageSheet> sheets = sheetsOn(document, device, !frame.runningHeader.isEmpty());
    const qreal scale = fitScale(document, device);
    const QRectF area = paintArea(device);
    const qreal width = area.width() / scale; // the paper's width in the document's coordinates
    const qreal band = bandHeight(device);
    const qreal bodyEnd = area.height() - band;
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        if (startOnNewPage || i > 0) device.newPage();
        const bool header = i > 0 && !frame.runningHeader.isEmpty();
        const PageSheet& sheet = sheets[i];

        painter.save();
        painter.translate(0, header ? band : 0);
        painter.scale(scale, scale);
        painter.translate(0, -sheet.top);
        // Only this page's lines: the clip keeps the next page's first line off this one.
        painter.setClipRect(QRectF(0, sheet.top, width, sheet.bottom - sheet.top));
        painter.setPen(Qt::black);
        qreal from = sheet.top;
        // The document's drawing also draws, hidden by the clip, the line just above a page's top when
        // that line's paragraph goes on; a reader would find it twice. That paragraph's lines on this page
        // are drawn one by one, and the document's drawing begins below it.
        if (const QTextBlock split = blockAcross(document, sheet.top); split.isValid()) {
            const QRectF rect = document.documentLayout()->blockBoundingRect(split);
            const QPointF origin = rect.topLeft() - split.layout()->boundingRect().topLeft();
            for (int line = 0; line < split.layout()->lineCount(); ++line) {
                const QTextLine text = split.layout()->lineAt(line);
                const qreal y = origin.y() + text.y();
                if (y >= sheet.top - kSlack && y + text.height() <= sheet.bottom + kSlack)
                    text.draw(&painter, origin);
            }
            from = rect.bottom() + 1;
        }
        if (from < sheet.bottom) {
            QAbstractTextDocumentLayout::PaintContext context;
            // Lines that merely touch the page's edges are not drawn at all.
            context.clip = QRectF(0, from, width, sheet.bottom - from).adjusted(0, 1, 0, -1);
            context.palette.setColor(QPalette::Text, Qt::black);
            document.documentLayout()->draw(&painter, context);
        }
        painter.restore();

        painter.save();
        painter.setPen(Qt::black);
        if (header) {
            QFont font(paperFont(8.5), &device);
            font.setItalic(true);
            painter.setFont(font);
            const QRectF line(0, 0, area.width(), band * 0.65);
            painter.drawText(
                line, Qt::AlignLeft | Qt::AlignVCenter,
                painter.fontMetrics().elidedText(frame.runningHeader, Qt::ElideRight, int(area.width())));
            painter.drawLine(QLineF(line.bottomLeft(), line.bottomRight()));
        }
        painter.setFont(QFont(paperFont(8.5), &device));
        const QRectF line(0, bodyEnd + band * 0.35, area.width(), band * 0.65);
        painter.drawLine(QLineF(line.topLeft(), line.topRight()));
        const QString number = u"стр. %1"_s.arg(firstNumber + i);
        const int room = int(area.width() - painter.fontMetrics().horizontalAdvance(number) - band);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(frame.footer, Qt::ElideRight, room));
        painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, number);
        painter.restore();
    }
    return int(sheets.size());
}

void writePagePdf(const PrintSource& page, const QString& footer, const QString& pdfPath) {
    const auto document = printableDocument(page);
    QSaveFile out(pdfPath);
    if (!out.open(QIODevice::WriteOnly)) failWrite(pdfPath);
    {
        QPdfWriter writer(&out);
        preparePrinter(writer);
        writer.setCreator(u"Solvenna"_s);
        const QString title = titleOf(*document);
        writer.setTitle(title);
        QPainter painter(&writer);
        paintDocument(*document, writer, painter, {footer, title}, 1, false);
    }
    if (out.error() != QFileDevice::NoError || !out.commit()) failWrite(pdfPath);
}

int writeHoroscopePdf(const Folders& folders, Date birthDate, const QString& personName,
                      const QString& pdfPath, const PageNoteOf& noteOf) {
    const QString footer = footerText(personName, birthDate);
    const QList<BookPage> pages = personalPages(folders, birthDate);

    auto coverDocument = printableHtml(coverHtml(birthDate, personName));

    std::vector<std::unique_ptr<QTextDocument>> documents;
    for (const BookPage& page : pages) {
        if (page.missingReason.isEmpty()) {
            try {
                documents.push_back(
                    printableDocument(page.path, folders.DataFolder, noteOf ? noteOf(page.path) : QString()));
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
        const PageFrame plain{footer, QString()};
        const int coverPages = countPages(*coverDocument, writer, plain);
        QList<int> starts(pages.size(), 0);
        auto contents = printableHtml(contentsHtml(pages, present, starts));
        const int contentsPages = countPages(*contents, writer, plain);
        int next = coverPages + contentsPages + 1;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (!documents[size_t(i)]) continue;
            starts[i] = next;
            next += countPages(*documents[size_t(i)], writer,
                               {footer, runningHeader(pages[i], titleOf(*documents[size_t(i)]))});
        }
        contents = printableHtml(contentsHtml(pages, present, starts));

        QPainter painter(&writer);
        if (!painter.isActive()) failWrite(pdfPath);
        bookmarks.append({u"Общая информация"_s, 0});
        written += paintDocument(*coverDocument, writer, painter, plain, 1, false);
        bookmarks.append({u"Содержание"_s, written});
        written += paintDocument(*contents, writer, painter, plain, written + 1, true);
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (!documents[size_t(i)]) continue;
            bookmarks.append({pages[i].title, written});
            written += paintDocument(*documents[size_t(i)], writer, painter,
                                     {footer, runningHeader(pages[i], titleOf(*documents[size_t(i)]))},
                                     written + 1, true);
        }
    }
    out.close();
    const QByteArray pdf = addPdfBookmarks(out.data(), bookmarks).value_or(out.data());
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        failWrite(pdfPath);
    return written;
}

QString documentsFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder.isEmpty() || !QFileInfo(folder).isDir() ? QDir::homePath() : folder;
}

QString proposedPdfPath(const QString& personName, const QString& what) {
    return proposedFilePath(personName, what, u"pdf"_s);
}

QString proposedFilePath(const QString& personName, const QString& what, const QString& suffix) {
    QString name = displayName(personName) + u" — "_s + what;
    name.replace(u": "_s, u", "_s);
    // Nothing that a file system or a desktop would take for a folder or a wildcard.
    static const QString unsafe = u"/\\:*?\"<>|"_s;
    for (QChar& c : name)
        if (unsafe.contains(c) || c.unicode() < 0x20) c = u'_';
    return QDir(documentsFolder()).filePath(name.left(180) + u'.' + suffix);
}

QString printPage(QWidget* parent, const PrintSource& page, const QString& footer) {
    const auto document = printableDocument(page);
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"Печать"_s);
    if (execModal(&dialog) != QDialog::Accepted) return {};
    QPainter painter(&printer);
    if (!painter.isActive()) throw std::runtime_error("Unable to print");
    paintDocument(*document, printer, painter, {footer, titleOf(*document)}, 1, false);
    if (!painter.end() && !printer.outputFileName().isEmpty()) failWrite(printer.outputFileName());
    return printer.outputFileName();
}

void previewPage(QWidget* parent, const PrintSource& page, const QString& footer) {
    const auto document = printableDocument(page);
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"Предварительный просмотр"_s);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        QPainter painter(target);
        if (painter.isActive())
            paintDocument(*document, *target, painter, {footer, titleOf(*document)}, 1, false);
    });
    dialog.resize(900, 700);
    execModal(&dialog);
}

} // namespace solvenna::ui
