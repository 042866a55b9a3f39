#include "core/horoscopebook.h"

#include "core/signs.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

QList<BookPage> personalPages(const Folders& folders, Date birthDate) {
    QList<BookPage> pages;
    const auto add = [&](const QString& system, const QString& topic, const std::optional<QString>& path,
                         const QString& noSign) {
        const QString title = topic.isEmpty() ? system : system + u": "_s + topic;
        BookPage page{title, system, topic, path.value_or(QString()), QString()};
        if (!path)
            page.missingReason = noSign;
        else if (!QFileInfo(*path).isFile())
            page.missingReason = u"страница не найдена"_s;
        pages.append(page);
    };
    const QString zodiac = systemCaption(HoroscopeSystem::Zodiac);
    const auto signFolder = zodiacSignFolder(GetSign(birthDate));
    for (int topic = 0; topic < kTopicCount; ++topic) {
        std::optional<QString> path;
        if (signFolder) path = folders.ZodiacFolder + *signFolder + pathDelimiter() + *topicFile(topic);
        add(zodiac, topicCaption(topic), path, noSignReason(HoroscopeSystem::Zodiac));
    }
    const int year = decodeDate(birthDate).year;
    for (const SystemEntry& entry : systemTable()) {
        if (entry.system == HoroscopeSystem::Zodiac) continue;
        // Before its first year a calculator refuses with a message box; the document says why instead.
        const bool beforeFirstYear = entry.firstYear != 0 && year < entry.firstYear;
        add(QString::fromUtf16(entry.caption), QString(),
            beforeFirstYear ? std::nullopt : singlePage(folders, entry.system, birthDate),
            noSignReason(entry.system));
    }
    return pages;
}

namespace {

// A PDF text string: UTF-16 big-endian with its byte-order mark, written in hexadecimal.
QByteArray pdfText(const QString& text) {
    QByteArray hex = "<FEFF";
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode() | 0x10000, 16).mid(1).toUpper();
    return hex + '>';
}

// The dictionary text of object `number` in generation 0, as the file holds it last.
QByteArray objectBody(const QByteArray& pdf, int number) {
    const QRegularExpression head(u"(?<!\\d)"_s + QString::number(number) + u" 0 obj"_s);
    const QString text = QString::fromLatin1(pdf);
    qsizetype at = -1, length = 0;
    for (auto it = head.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        at = match.capturedStart();
        length = match.capturedLength();
    }
    if (at < 0) return {};
    const qsizetype end = pdf.indexOf("endobj", at);
    return end < 0 ? QByteArray() : pdf.mid(at + length, end - at - length);
}

std::optional<int> referenceIn(const QByteArray& text, const char* key) {
    const QRegularExpression pattern(u"/"_s + QString::fromLatin1(key) + u"\\s+(\\d+)\\s+0\\s+R"_s);
    const auto match = pattern.match(QString::fromLatin1(text));
    if (!match.hasMatch()) return std::nullopt;
    return match.captured(1).toInt();
}

} // namespace

std::optional<QByteArray> addPdfBookmarks(const QByteArray& pdf, const QList<PdfBookmark>& bookmarks) {
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    const qsizetype trailerAt = pdf.lastIndexOf("trailer");
    if (startxref < 0 || trailerAt < 0 || trailerAt > startxref) return std::nullopt;
    const QByteArray trailer = pdf.mid(trailerAt, startxref - trailerAt);
    bool ok = false;
    const qsizetype previousXref =
        pdf.mid(startxref + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    const auto sizeMatch = QRegularExpression(u"/Size\\s+(\\d+)"_s).match(QString::fromLatin1(trailer));
    const auto root = referenceIn(trailer, "Root");
    if (!ok || !sizeMatch.hasMatch() || !root) return std::nullopt;
    const int size = sizeMatch.captured(1).toInt();

    QByteArray catalog = objectBody(pdf, *root);
    const auto pagesObject = referenceIn(catalog, "Pages");
    if (catalog.isEmpty() || !pagesObject) return std::nullopt;
    // The page objects in reading order, from the page tree's list of kids (one level, as written here).
    const QByteArray pagesTree = objectBody(pdf, *pagesObject);
    const qsizetype kidsAt = pagesTree.indexOf("/Kids");
    const qsizetype open = pagesTree.indexOf('[', kidsAt);
    const qsizetype close = pagesTree.indexOf(']', open);
    if (kidsAt < 0 || open < 0 || close < 0) return std::nullopt;
    QList<int> pageObjects;
    const QRegularExpression reference(u"(\\d+)\\s+0\\s+R"_s);
    for (auto it = reference.globalMatch(QString::fromLatin1(pagesTree.mid(open, close - open)));
         it.hasNext();)
        pageObjects.append(it.next().captured(1).toInt());
    for (const PdfBookmark& b : bookmarks)
        if (b.page < 0 || b.page >= pageObjects.size()) return std::nullopt;
    if (bookmarks.isEmpty()) return pdf;

    // The catalog again, now naming the outline and asking readers to show it.
    const qsizetype dictEnd = catalog.lastIndexOf(">>");
    if (dictEnd < 0) return std::nullopt;
    const int outlines = size;
    catalog = catalog.left(dictEnd) + "/Outlines " + QByteArray::number(outlines) +
              " 0 R\n/PageMode /UseOutlines\n" + catalog.mid(dictEnd);

    QByteArray update = pdf.endsWith('\n') ? QByteArray() : QByteArray("\n");
    QList<std::pair<int, qsizetype>> offsets; // object number, where it starts
    const auto begin = [&](int number) {
        offsets.append({number, pdf.size() + update.size()});
        update += QByteArray::number(number) + " 0 obj\n";
    };
    begin(*root);
    update += catalog.trimmed() + "\nendobj\n";
    const int first = outlines + 1;
    const int last = outlines + int(bookmarks.size());
    begin(outlines);
    update += "<< /Type /Outlines /First " + QByteArray::number(first) + " 0 R /Last " +
              QByteArray::number(last) + " 0 R /Count " + QByteArray::number(bookmarks.size()) +
              " >>\nendobj\n";
    for (int i = 0; i < bookmarks.size(); ++i) {
        const int number = first + i;
        begin(number);
        update +=
            "<< /Title " + pdfText(bookmarks[i].title) + " /Parent " + QByteArray::number(outlines) + " 0 R";
        if (i > 0) update += " /Prev " + QByteArray::number(number - 1) + " 0 R";
        if (number < last) update += " /Next " + QByteArray::number(number + 1) + " 0 R";
        update += " /Dest [" + QByteArray::number(pageObjects[bookmarks[i].page]) +
                  " 0 R /XYZ null null null] >>\nendobj\n";
    }

    const qsizetype xref = pdf.size() + update.size();
    update += "xref\n0 1\n0000000000 65535 f \n";
    const auto entry = [](qsizetype offset) {
        return QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    };
    update += QByteArray::number(*root) + " 1\n" + entry(offsets[0].second);
    update += QByteArray::number(outlines) + ' ' + QByteArray::number(offsets.size() - 1) + '\n';
    for (qsizetype i = 1; i < offsets.size(); ++i)
        update += entry(offsets[i].second);
    // The old trailer's entries, with the new size, and without an earlier update's /Prev: ours names the
    // table that came before this update.
    QString newTrailer = QString::fromLatin1(trailer.mid(7).trimmed());
    newTrailer.replace(QRegularExpression(u"/Size\\s+\\d+"_s), u"/Size "_s + QString::number(last + 1));
    newTrailer.remove(QRegularExpression(u"/Prev\\s+\\d+"_s));
    const qsizetype trailerEnd = newTrailer.lastIndexOf(u">>"_s);
    newTrailer = newTrailer.left(trailerEnd) + u"/Prev "_s + QString::number(previousXref) + u"\n>>"_s;
    update += "trailer\n" + newTrailer.toLatin1() + "\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf + update;
}

} // namespace solvenna
