#pragma once

#include <QByteArray>
#include <QString>

namespace solvenna {

// Decodes a page file by what it declares: a byte-order mark, or a charset in its head
// (windows-1251 and utf-8 are what horoscope pages use). An undeclared page that is valid UTF-8 is read
// as UTF-8, anything else as Windows-1251, the code page older pages were written in.
QString decodeHtml(const QByteArray& bytes);

// Limits beyond which the page view would crash (the layout recurses with the nesting) or freeze the
// window for seconds. The program's own pages stay far below them: under 10 KB, five levels deep, no
// nested tables.
struct PageLimits {
    static constexpr qint64 kMaxBytes = 256 * 1024;
    static constexpr qint64 kMaxImageBytes = 8 * 1024 * 1024;
    static constexpr int kMaxNesting = 100;
    static constexpr int kMaxTableNesting = 8; // the layout's cost doubles with every level
    static constexpr qsizetype kMaxElements = 20000;
    // A table cell costs the layout twice as much for every table around it: 2 000 cells of a plain
    // table take about as long as 8 cells nested 8 tables deep take times 64.
    static constexpr qint64 kMaxTableCost = 4096;
    // The viewer makes a table as wide as a cell spans, up to 20 480 columns, which takes it a third of a
    // second to build alone.
    static constexpr int kMaxSpan = 100;
    static constexpr qsizetype kMaxWordLength = 20000;
};

// How a page is built, as far as its cost to show depends on it.
struct PageShape {
    int nesting = 0;      // deepest nesting of elements
    int tableNesting = 0; // deepest nesting of tables
    qsizetype elements = 0;
    qint64 tableCost = 0;      // each cell counts 2 to the power of the tables around it
    qsizetype longestWord = 0; // characters of text without a blank
    int largestSpan = 0;       // the most columns or rows one table cell spans
};
// Reads the page as the viewer's HTML import does and counts what it builds. Stops at the first limit
// exceeded: the figures are then only known to be over that limit.
PageShape measurePage(QStringView html);

// Why the page must not be shown, in words for the user; empty when it may be.
QString pageRefusal(QStringView html);
// Why a page file was not read, for a file over the size limit or one that cannot be read.
QString pageFileRefusal(bool tooLarge);
// The short page shown in place of a refused one.
QString refusalPage(const QString& reason);

} // namespace solvenna
