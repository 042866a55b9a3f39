#include "pagecheck.h"

#include "core/htmltext.h"

#include <QImage>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

namespace {

// A document that reads the page's style sheets as the viewer does and never opens a picture: the check
// needs the formats, not the pixels.
class CheckedDocument : public QTextDocument {
public:
    explicit CheckedDocument(const StyleSheetReader& readStyleSheet) : m_readStyleSheet(readStyleSheet) {}

protected:
    QVariant loadResource(int type, const QUrl& name) override {
        if (type == QTextDocument::StyleSheetResource && m_readStyleSheet)
            return m_readStyleSheet(baseUrl().resolved(name));
        if (type == QTextDocument::ImageResource) {
            QImage stand(1, 1, QImage::Format_ARGB32);
            stand.fill(Qt::transparent);
            return stand;
        }
        return {};
    }

private:
    const StyleSheetReader& m_readStyleSheet;
};

constexpr qreal kPaneForShares = 2000;

qreal pixels(const QTextLength& length) {
    switch (length.type()) {
    case QTextLength::FixedLength:
        return length.rawValue();
    case QTextLength::PercentageLength:
        return length.rawValue() / 100 * kPaneForShares;
    case QTextLength::VariableLength:
        break;
    }
    return 0;
}

struct Measure {
    LayoutShape shape;

    void length(qreal value) {
        // A negative or not-a-number length is as bad as a huge one.
        const qreal size = std::isnan(value) ? std::numeric_limits<qreal>::infinity() : std::abs(value);
        shape.largestLength = std::max(shape.largestLength, size);
    }
    void frameFormat(const QTextFrameFormat& format) {
        for (const qreal value : {format.topMargin(), format.bottomMargin(), format.leftMargin(),
                                  format.rightMargin(), format.padding(), format.border()})
            length(value);
        length(pixels(format.width()));
        length(pixels(format.height()));
    }
    // The frame's own blocks and the frames inside it, depth first, in the order of the text.
    void frames(QTextFrame* frame, int tables) {
        frameFormat(frame->frameFormat());
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            ++tables;
            shape.tableNesting = std::max(shape.tableNesting, tables);
            const QTextTableFormat format = table->format();
            length(format.cellPadding());
            length(format.cellSpacing());
            for (const QTextLength& column : format.columnWidthConstraints())
                length(pixels(column));
            shape.tableCost += (qint64(table->rows()) * table->columns()) << std::min(tables - 1, 40);
            for (int row = 0; row < table->rows(); ++row) {
                for (int column = 0; column < table->columns(); ++column) {
                    const QTextTableCellFormat cell = table->cellAt(row, column).format().toTableCellFormat();
                    for (const qreal value :
                         {cell.topPadding(), cell.bottomPadding(), cell.leftPadding(), cell.rightPadding(),
                          cell.topBorder(), cell.bottomBorder(), cell.leftBorder(), cell.rightBorder()})
                        length(value);
                }
            }
        }
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                frames(child, tables);
            } else {
                // Text in a table is laid out again for every table around it.
                shape.text += qint64(it.currentBlock().length()) << std::min(tables, 40);
                block(it.currentBlock());
            }
        }
    }
    void block(const QTextBlock& block) {
        const QTextBlockFormat format = block.blockFormat();
        for (const qreal value : {format.topMargin(), format.bottomMargin(), format.leftMargin(),
                                  format.rightMargin(), format.textIndent(), format.lineHeight()})
            length(value);
        length(format.indent() * 40.0);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat chars = it.fragment().charFormat();
            shape.largestFont =
                std::max({shape.largestFont, chars.fontPointSize(), chars.font().pixelSize() * 0.75});
            length(chars.fontLetterSpacing() -
                   (chars.fontLetterSpacingType() == QFont::PercentageSpacing ? 100 : 0));
            length(chars.fontWordSpacing());
            if (chars.isImageFormat()) {
                const QTextImageFormat image = chars.toImageFormat();
                length(image.width());
                length(image.height());
            }
        }
        // The places a line may break, by the rules the layout breaks lines by.
        const QString text = block.text();
        QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
        qsizetype from = 0;
        for (qsizetype at = breaks.toNextBoundary(); at >= 0; at = breaks.toNextBoundary()) {
            qsizetype end = at;
            while (end > from && text[end - 1].isSpace())
                --end;
            shape.longestWord = std::max(shape.longestWord, end - from);
            from = at;
        }
    }
};

} // namespace

LayoutShape measureLayout(const QTextDocument& document) {
    Measure measure;
    measure.frames(document.rootFrame(), 0);
    return measure.shape;
}

QString pageRefusal(const QString& html, const QUrl& base, const StyleSheetReader& readStyleSheet) {
    if (QString refusal = solvenna::pageRefusal(html); !refusal.isEmpty()) return refusal;
    CheckedDocument document(readStyleSheet);
    document.setBaseUrl(base);
    document.setHtml(html);
    const LayoutShape shape = measureLayout(document);
    using L = LayoutLimits;
    if (shape.tableNesting > L::kMaxTableNesting)
        return u"В ней таблицы вложены друг в друга глубже %1 уровней."_s.arg(L::kMaxTableNesting);
    if (shape.tableCost > L::kMaxTableCost) return u"В ней слишком много ячеек таблиц."_s;
    if (shape.largestLength > L::kMaxLength)
        return u"В ней есть размер больше %1 точек."_s.arg(L::kMaxLength);
    if (shape.largestFont > L::kMaxFontPoints)
        return u"В ней есть шрифт крупнее %1 пунктов."_s.arg(L::kMaxFontPoints);
    if (shape.longestWord > L::kMaxWordLength)
        return u"В ней есть слово длиннее %1 знаков."_s.arg(L::kMaxWordLength);
    if (shape.text > L::kMaxText) return u"В ней больше %1 знаков текста."_s.arg(L::kMaxText);
    return {};
}

} // namespace solvenna::ui
