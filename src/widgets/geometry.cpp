#include "widgets/widgets_p.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

// Where everything of the bar lies: one computation serves painting, mouse hit tests, hints,
// accessibility and the size hints.

namespace {

constexpr int kEdgeStrip = 5; // rows at each edge of the item area that scroll the list while held
constexpr int kListSlack = 5; // a list must leave this many rows free to count as fitting
constexpr int kArrowSize = 15;
constexpr int kSmallImageSize = 16;
constexpr int kLargeImageSize = 32;
constexpr int kItemPadding = 10;

// Qt rectangles from half-open row and column ranges, as the layout formulas use them; a range that
// ends before it starts gives an empty rectangle that contains no point.
QRect span(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

// Whether a line shows whole in that width by the measure the painting elides with: a rounded advance
// may be a fraction of a pixel short of it.
bool showsWhole(const QFontMetrics& metrics, const QString& text, int width) {
    return metrics.elidedText(text, Qt::ElideRight, width) == text;
}

} // namespace

using buttonbar::kBevelWidth;
using buttonbar::kItemFace;
using buttonbar::kItemTextInset;

int TButtonBar::frameWidth() const {
    return (m_bevelInner == Bevel::None ? 0 : kBevelWidth) + (m_bevelOuter == Bevel::None ? 0 : kBevelWidth);
}

int TButtonBar::itemHeight(const TButtonBarSection* section) const {
    // A fixed height needs no measuring: measuring loads the font, which a hidden bar may not need yet.
    if (section->UseSmallImages())
        return m_smallItemHeight != -1 ? m_smallItemHeight
                                       : std::max(kSmallImageSize, fontMetrics().height()) + kItemPadding;
    return m_largeItemHeight != -1 ? m_largeItemHeight
                                   : kLargeImageSize + fontMetrics().height() + kItemPadding;
}

TButtonBarGeometry TButtonBar::barGeometry() const {
    TButtonBarGeometry g;
    const int frame = frameWidth();
    const int left = frame;
    const int top = frame;
    const int right = width() - frame;
    const int bottom = height() - frame;
    g.inner = span(left, top, right, bottom);

    const int n = m_sections.Count();
    const int a = m_activeSection < n ? m_activeSection : 0;
    const int s = m_sectionBtnSize;
    g.buttons.resize(n);
    int areaTop = top + 1;
    int areaBottom = bottom - 1;
    if (!m_singleSectionMode) {
        // Buttons up to the open one stack from the top, the rest from the bottom.
        for (int b = 0; b < n; ++b)
            g.buttons[b] = b <= a ? span(left, top + b * s, right, top + (b + 1) * s)
                                  : span(left, bottom - (n - b) * s, right, bottom - (n - b - 1) * s);
        areaTop = top + (a + 1) * s + 1;
        areaBottom = bottom - ((n - a - 1) * s + 1);
    }
    const int areaLeft = left + m_fixedSectionLeftBorder + kBevelWidth;
    const int areaRight = right - m_fixedSectionRightBorder - kBevelWidth;
    g.itemArea = span(areaLeft, areaTop, areaRight, areaBottom);
    g.topStrip = span(areaLeft, areaTop, areaRight, std::min(areaBottom, areaTop + kEdgeStrip));
    g.bottomStrip = span(areaLeft, std::max(areaTop, areaBottom - kEdgeStrip), areaRight, areaBottom);
    if (n == 0) return g;

    const TButtonBarSection* section = m_sections[a];
    const int h = itemHeight(section);
    const int count = section->Items().Count();
    g.itemHeight = h;
    g.scrollRange = std::max(0, kListSlack + count * h - (areaBottom - areaTop));
    g.scrollPosition = std::clamp(section->itemScrollPosition(), 0, g.scrollRange);
    const int listTop = areaTop - g.scrollPosition;
    g.items.reserve(count);
    for (int i = 0; i < count; ++i)
        g.items.append(span(areaLeft, listTop + i * h, areaRight, listTop + (i + 1) * h));
    const int arrowLeft = areaRight - kArrowSize - 2;
    if (g.scrollPosition >= 1) g.upArrow = QRect(arrowLeft, areaTop + 2, kArrowSize, kArrowSize);
    if (g.scrollPosition < g.scrollRange)
        g.downArrow = QRect(arrowLeft, areaBottom - kArrowSize - 2, kArrowSize, kArrowSize);
    return g;
}

int TButtonBar::sectionAt(const QPoint& pos) const {
    if (m_singleSectionMode) return -1;
    const TButtonBarGeometry g = barGeometry();
    for (int b = 0; b < int(g.buttons.size()); ++b)
        if (g.buttons[b].contains(pos)) return b;
    return -1;
}

int TButtonBar::itemAt(const QPoint& pos) const {
    const TButtonBarGeometry g = barGeometry();
    if (!g.itemArea.contains(pos)) return -1;
    for (int i = 0; i < int(g.items.size()); ++i)
        if (g.items[i].contains(pos)) return i;
    return -1;
}

QSize TButtonBar::sizeHint() const {
    const int buttons = m_singleSectionMode ? 0 : m_sections.Count() * std::max(0, m_sectionBtnSize);
    return {209, 2 * frameWidth() + buttons + 160};
}

QSize TButtonBar::minimumSizeHint() const {
    // Every section button and, under the open one, room for one whole item.
    const int buttons = m_singleSectionMode ? 0 : m_sections.Count() * std::max(0, m_sectionBtnSize);
    int item = kEdgeStrip * 2;
    if (const TButtonBarSection* section = openSection()) item = std::max(item, itemHeight(section));
    return {60, 2 * frameWidth() + buttons + item + 2};
}

TButtonBar::ItemLayout TButtonBar::itemLayout(const TButtonBarSection& section, const TButtonBarItem& item,
                                              const QRect& r) const {
    ItemLayout layout;
    const QRect face = r.adjusted(kItemFace, kItemFace, -kItemFace, -kItemFace);
    QRect content = face.adjusted(kItemTextInset, 2, -kItemTextInset, -2);
    layout.alignment = Qt::AlignCenter;
    if (!item.icon().isNull()) {
        if (section.UseSmallImages()) {
            layout.icon = QRect(content.left(), content.center().y() - kSmallImageSize / 2, kSmallImageSize,
                                kSmallImageSize);
            content.setLeft(layout.icon.right() + 5);
            layout.alignment = Qt::AlignLeft | Qt::AlignVCenter;
        } else {
            layout.icon = QRect(content.center().x() - kLargeImageSize / 2, content.top(), kLargeImageSize,
                                kLargeImageSize);
            content.setTop(layout.icon.bottom() + 1);
            layout.alignment = Qt::AlignHCenter | Qt::AlignTop;
        }
    }
    layout.text = content;
    const QFontMetrics metrics = fontMetrics();
    const QString caption = item.Caption();
    if (showsWhole(metrics, caption, content.width())) {
        layout.lines = {caption};
        return layout;
    }
    // Too long for one line: two lines if the item's face has the height for them, broken between words;
    // whatever is still too long is elided.
    const QRect twoLines(content.left(), face.top(), content.width(), face.height());
    const qsizetype space = caption.lastIndexOf(u' ');
    if (space > 0 && 2 * metrics.height() <= twoLines.height()) {
        qsizetype breakAt = space;
        // The longest first line that fits; the rest goes to the second.
        while (breakAt > 0 && !showsWhole(metrics, caption.left(breakAt), content.width()))
            breakAt = caption.lastIndexOf(u' ', breakAt - 1);
        if (breakAt > 0) {
            layout.text = twoLines;
            const QString rest = caption.mid(breakAt + 1);
            layout.lines = {caption.left(breakAt), metrics.elidedText(rest, Qt::ElideRight, content.width())};
            return layout;
        }
    }
    layout.lines = {metrics.elidedText(caption, Qt::ElideRight, content.width())};
    return layout;
}

int TButtonBar::widthForItemText(int textWidth) const {
    // The item area's insets (barGeometry), then the face's and the caption's (itemLayout).
    return textWidth + 2 * frameWidth() + m_fixedSectionLeftBorder + m_fixedSectionRightBorder +
           2 * kBevelWidth + 2 * (kItemFace + kItemTextInset);
}

int TButtonBar::widthForSectionCaptions() const {
    int widest = 0;
    for (int i = 0; i < m_sections.Count(); ++i) {
        const TButtonBarSection& section = *m_sections[i];
        const int advance =
            int(std::ceil(QFontMetricsF(section.Font()).horizontalAdvance(section.Caption())));
        widest = std::max(widest, advance + buttonbar::reliefTracing(section.Font3D()));
    }
    // The caption's insets in its button (sectionCaptionRect), then the bar's frame.
    return widest + 2 * buttonbar::kCaptionPadding + 2 * frameWidth();
}

QStringList TButtonBar::itemCaptionLines(int index) const {
    const TButtonBarGeometry g = barGeometry();
    const TButtonBarSection* section = openSection();
    if (!section || index < 0 || index >= g.items.size() || index >= section->Items().Count()) return {};
    return itemLayout(*section, *section->Items()[index], g.items[index]).lines;
}
