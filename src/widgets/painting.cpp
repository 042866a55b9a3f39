#include "widgets/widgets_p.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

// The bar is drawn into an off-screen picture, redrawn only after a change of state; a paint event
// copies it, or the frame of a running slide, to the screen.

namespace {

int endRow(const QRect& r) {
    return r.y() + r.height();
}

QColor blend(const QColor& from, const QColor& to, qreal t) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * t,
                            from.greenF() + (to.greenF() - from.greenF()) * t,
                            from.blueF() + (to.blueF() - from.blueF()) * t);
}

// A 1-pixel frame: light on the top and left and dark on the bottom and right looks raised.
void drawEdges(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    if (r.width() < 2 || r.height() < 2) return;
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

void drawReliefText(QPainter& p, const QRect& r, Qt::Alignment alignment, const QString& text,
                    const QColor& colour, const TextEffect3D& effect) {
    const int t = buttonbar::reliefTracing(effect);
    const QString shown = buttonbar::reliefShownText(p.fontMetrics(), text, r.width(), effect);
    const int flags = int(alignment) | Qt::TextSingleLine;
    if (effect.style == TextEffect3D::Style::Sunken) {
        p.setPen(effect.lightColor);
        p.drawText(r.translated(t, t), flags, shown);
    } else if (effect.style == TextEffect3D::Style::Raised) {
        p.setPen(effect.lightColor);
        p.drawText(r.translated(-t, -t), flags, shown);
        p.setPen(effect.shadowColor);
        p.drawText(r.translated(t, t), flags, shown);
    }
    p.setPen(colour);
    p.drawText(r, flags, shown);
}

} // namespace

int buttonbar::reliefTracing(const TextEffect3D& effect) {
    return effect.style == TextEffect3D::Style::None ? 0 : effect.tracing;
}

QRect buttonbar::sectionCaptionRect(const QRect& button) {
    return button.adjusted(kCaptionPadding, 1, -kCaptionPadding, -2);
}

QString buttonbar::reliefShownText(const QFontMetrics& metrics, const QString& text, int width,
                                   const TextEffect3D& effect) {
    return metrics.elidedText(text, Qt::ElideRight, std::max(0, width - reliefTracing(effect)));
}

QString TButtonBarInternals::shownSectionCaption(const TButtonBar& bar, int index) {
    const TButtonBarGeometry g = bar.barGeometry();
    if (index < 0 || index >= g.buttons.size() || index >= bar.m_sections.Count()) return {};
    const TButtonBarSection& section = *bar.m_sections[index];
    return buttonbar::reliefShownText(QFontMetrics(section.Font()), section.Caption(),
                                      buttonbar::sectionCaptionRect(g.buttons[index]).width(),
                                      section.Font3D());
}

using buttonbar::kBevelWidth;

void TButtonBar::resizeEvent(QResizeEvent* event) {
    requestRepaint();
    QWidget::resizeEvent(event);
}

void TButtonBar::showEvent(QShowEvent* event) {
    m_paintedSinceShow = false;
    QWidget::showEvent(event);
}

void TButtonBar::hideEvent(QHideEvent* event) {
    // Nothing animates unseen, and a picture from before hiding is no starting point for a slide.
    m_slide->stop();
    m_paintedSinceShow = false;
    stopItemScroll();
    if (TButtonBarSection* open = openSection()) open->cancelHint();
    QWidget::hideEvent(event);
}

void TButtonBar::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
        requestRepaint();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void TButtonBar::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_picture.size() != pixels || m_picture.devicePixelRatio() != ratio) {
        // Pictures are reused from paint to paint and only replaced when the size changes; a slide in
        // progress cannot carry over a new size.
        m_picture = QPixmap(pixels);
        m_picture.setDevicePixelRatio(ratio);
        m_shownPicture = QPixmap(pixels);
        m_shownPicture.setDevicePixelRatio(ratio);
        m_slide->stop();
        m_pictureDirty = true;
        m_paintedSinceShow = false;
    }

    if (m_previousSection != -1) {
        const int oldSection = m_previousSection;
        m_previousSection = -1;
        // A slide still running stops where it is: its end state is already in m_picture.
        m_slide->stop();
        if (m_softScroll && !m_singleSectionMode && m_paintedSinceShow && isVisible()) {
            m_shownPicture.swap(m_picture);
            paintPicture(m_picture);
            m_pictureDirty = false;
            m_slide->start(TButtonBarSlidePlan::between(oldSection, m_activeSection, m_sectionBtnSize,
                                                        endRow(barGeometry().itemArea)));
        }
    }
    if (m_pictureDirty) {
        paintPicture(m_picture);
        m_pictureDirty = false;
    }

    QPainter p(this);
    if (m_slide->isRunning())
        m_slide->present(p, m_shownPicture, m_picture, width());
    else
        p.drawPixmap(0, 0, m_picture);
    m_paintedSinceShow = true;
}

void TButtonBar::normalizeState() {
    if (m_activeSection >= m_sections.Count()) m_activeSection = 0;
    // A list that fits goes back to the top; one that shrank keeps within its range.
    if (TButtonBarSection* section = openSection()) section->m_scrollPosition = barGeometry().scrollPosition;
}

void TButtonBar::paintBackground(QPainter& p) const {
    const qreal w = width();
    const qreal h = height();
    const int steps = std::max(1, m_gradientColours);
    // Square rings, each a shade nearer the centre colour, shrinking evenly from the edges inwards. Each
    // ring is filled as the four bands around the next one, so every pixel is written once: filling
    // nested rectangles would write the middle of the bar once per shade.
    const auto ring = [&](int k) {
        const qreal dx = k * w / (2.0 * steps);
        const qreal dy = k * h / (2.0 * steps);
        return QRectF(QPointF(dx, dy), QPointF(w - dx, h - dy));
    };
    for (int k = 0; k < steps; ++k) {
        const qreal t = steps == 1 ? 0.0 : qreal(k) / (steps - 1);
        const QColor colour = blend(m_gradientFrom, m_gradientTo, t);
        const QRectF outer = ring(k);
        if (k == steps - 1) {
            p.fillRect(outer, colour);
            break;
        }
        const QRectF inner = ring(k + 1);
        p.fillRect(QRectF(QPointF(outer.left(), outer.top()), QPointF(outer.right(), inner.top())), colour);
        p.fillRect(QRectF(QPointF(outer.left(), inner.bottom()), QPointF(outer.right(), outer.bottom())),
                   colour);
        p.fillRect(QRectF(QPointF(outer.left(), inner.top()), QPointF(inner.left(), inner.bottom())), colour);
        p.fillRect(QRectF(QPointF(inner.right(), inner.top()), QPointF(outer.right(), inner.bottom())),
                   colour);
    }
}

void TButtonBar::drawBevel(QPainter& p, QRect r, Bevel bevel) const {
    if (bevel == Bevel::None) return;
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    if (bevel == Bevel::Lowered)
        drawEdges(p, r, dark, light);
    else
        drawEdges(p, r, light, dark);
}

void TButtonBar::paintPicture(QPixmap& target) {
    normalizeState();
    const TButtonBarGeometry g = barGeometry();
    QPainter p(&target);
    paintBackground(p);
    QRect frame = rect();
    drawBevel(p, frame, m_bevelOuter);
    if (m_bevelOuter != Bevel::None) frame.adjust(kBevelWidth, kBevelWidth, -kBevelWidth, -kBevelWidth);
    drawBevel(p, frame, m_bevelInner);

    for (int b = 0; b < int(g.buttons.size()); ++b)
        if (!g.buttons[b].isEmpty()) drawSectionButton(p, *m_sections[b], b, g.buttons[b]);

    if (const TButtonBarSection* section = openSection(); section && !g.itemArea.isEmpty()) {
        p.save();
        p.setClipRect(g.itemArea);
        p.setFont(font());
        for (int i = 0; i < int(g.items.size()); ++i)
            if (g.items[i].intersects(g.itemArea)) drawItem(p, *section, i, g.items[i]);
        p.restore();
        if (!g.upArrow.isEmpty()) drawArrow(p, g.upArrow, true);
        if (!g.downArrow.isEmpty()) drawArrow(p, g.downArrow, false);
    }
    if (hasFocus()) drawFocus(p, g);
}

void TButtonBar::drawSectionButton(QPainter& p, const TButtonBarSection& section, int index,
                                   const QRect& r) const {
    const QPalette& pal = palette();
    const bool pressed = index == m_pressedButton;
    const bool hot = index == m_hotButton && isEnabled();
    if (!m_transparentButtons) p.fillRect(r, pal.color(QPalette::Button));
    // Light veils keep the hot and pressed states calm over any background.
    if (pressed)
        p.fillRect(r, QColor(0, 0, 0, 24));
    else if (hot)
        p.fillRect(r, QColor(255, 255, 255, 70));
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    if (pressed)
        drawEdges(p, r, dark, light);
    else
        drawEdges(p, r, light, dark);

    QRect text = buttonbar::sectionCaptionRect(r);
    if (pressed) text.translate(1, 1);
    p.setFont(section.Font());
    const QColor colour =
        section.captionColor().isValid() ? section.captionColor() : pal.color(QPalette::ButtonText);
    drawReliefText(p, text, section.captionAlignment(), section.Caption(), colour, section.Font3D());
}

void TButtonBar::drawItem(QPainter& p, const TButtonBarSection& section, int index, const QRect& r) const {
    const QPalette& pal = palette();
    const TButtonBarItem& item = *section.Items()[index];
    const bool pressed = index == m_pressedItem && m_pressedItemSection == m_activeSection;
    const bool hot = index == m_hotItem && item.Enabled() && isEnabled() && (m_pressedItem == -1 || pressed);
    const QRect face =
        r.adjusted(buttonbar::kItemFace, buttonbar::kItemFace, -buttonbar::kItemFace, -buttonbar::kItemFace);
    if (pressed) {
        if (m_fillSelectedItem) {
            QColor fill = pal.color(QPalette::Highlight);
            fill.setAlpha(70);
            p.fillRect(face, fill);
        }
        drawEdges(p, face, pal.color(QPalette::Dark), pal.color(QPalette::Light));
    } else if (hot) {
        p.fillRect(face, QColor(255, 255, 255, 60));
        drawEdges(p, face, pal.color(QPalette::Light), pal.color(QPalette::Dark));
    }

    const bool enabled = item.Enabled() && isEnabled();
    const QIcon::Mode mode = !enabled ? QIcon::Disabled : hot ? QIcon::Active : QIcon::Normal;
    p.setFont(font());
    const ItemLayout layout = itemLayout(section, item, r.translated(pressed ? 1 : 0, pressed ? 1 : 0));
    if (!layout.icon.isEmpty()) item.icon().paint(&p, layout.icon, Qt::AlignCenter, mode);
    QColor colour = pal.color(QPalette::WindowText);
    // A fixed grey would vanish on one end of the gradient; a faded text colour reads as greyed on both.
    if (!enabled) colour.setAlpha(110);
    const int lineHeight = fontMetrics().height();
    const int blockHeight = int(layout.lines.size()) * lineHeight;
    int top = layout.lines.size() > 1 ? layout.text.center().y() - blockHeight / 2 + 1 : layout.text.top();
    for (const QString& line : layout.lines) {
        const QRect lineRect = layout.lines.size() > 1
                                   ? QRect(layout.text.left(), top, layout.text.width(), lineHeight)
                                   : layout.text;
        drawReliefText(p, lineRect, layout.alignment, line, colour, TextEffect3D());
        top += lineHeight;
    }
}

void TButtonBar::drawArrow(QPainter& p, const QRect& r, bool up) const {
    const QPalette& pal = palette();
    p.fillRect(r, pal.color(QPalette::Button));
    drawEdges(p, r, pal.color(QPalette::Light), pal.color(QPalette::Dark));
    const QPointF c = QRectF(r).center();
    const qreal half = r.width() / 4.0;
    const qreal sign = up ? -1.0 : 1.0;
    const QPointF triangle[] = {{c.x() - half, c.y() - sign * half / 2},
                                {c.x() + half, c.y() - sign * half / 2},
                                {c.x(), c.y() + sign * half / 2 + sign}};
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(pal.color(QPalette::ButtonText));
    p.drawPolygon(triangle, 3);
    p.restore();
}

void TButtonBar::drawFocus(QPainter& p, const TButtonBarGeometry& g) const {
    QRect r;
    if (!m_singleSectionMode && openSection()) {
        r = g.buttons[m_activeSection];
    } else {
        const int index = openItem(m_hotItem) ? m_hotItem : firstEnabledItem();
        if (index >= 0) r = g.items[index].intersected(g.itemArea);
    }
    if (r.width() < 6 || r.height() < 6) return;
    QPen pen(palette().color(QPalette::Highlight));
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(2, 2, -3, -3));
}
