#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QTextDocument;

// The check of a page before the viewer lays it out. The page is read by the viewer's own HTML import into
// a document that is never laid out, and measured there, so the check and the viewer cannot disagree on
// what the page holds.
namespace solvenna::ui {

// Bounds within which the largest page that passes lays out in well under 200 ms at the largest zoom step
// on the pane's least width (bench_ui's BM_LayOutWorstPassingPage measures it).
struct LayoutLimits {
    // The layout's cost doubles with every table around a cell.
    static constexpr int kMaxTableNesting = 8;
    // Cells, as rows × columns of every table, each counted twice for every table around it.
    static constexpr qint64 kMaxTableCost = 1024;
    // Pixels: widths, heights, paddings, spacings, borders, margins, indents, line heights and pictures.
    // A share of the pane counts as that share of 2 000 pixels.
    static constexpr qreal kMaxLength = 2000;
    // Points at the normal size; the zoom triples it at most.
    static constexpr qreal kMaxFontPoints = 36;
    // Characters between two places a line may break: a longer word is broken character by character,
    // at a cost that grows with the square of its length.
    static constexpr qsizetype kMaxWordLength = 100;
    // Characters of text, each counted twice for every table around it, as the layout takes it again for
    // each.
    static constexpr qint64 kMaxText = 20000;
};

struct LayoutShape {
    int tableNesting = 0;
    qint64 tableCost = 0;
    qreal largestLength = 0;
    qreal largestFont = 0;
    qsizetype longestWord = 0;
    qint64 text = 0;
};
LayoutShape measureLayout(const QTextDocument& document);

// Reads a style sheet the page links to, by its full address; empty when there is none to read.
using StyleSheetReader = std::function<QString(const QUrl&)>;

// Why the page must not be shown, in words for the user; empty when it may be. First the reading of the
// text (which keeps from the HTML import what would take it long), then the measures of the document the
// import builds, with the style sheets it links to read by readStyleSheet against base.
QString pageRefusal(const QString& html, const QUrl& base = QUrl(),
                    const StyleSheetReader& readStyleSheet = StyleSheetReader());

} // namespace solvenna::ui
