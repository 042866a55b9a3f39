#include "widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kBevelWidth = 1;
constexpr int kEdgeStrip = 5;       // rows at each edge of the item area that scroll the list while held
constexpr int kListSlack = 5;       // a list must leave this many rows free to count as fitting
constexpr int kUpScrollMinimum = 4; // upward scrolling starts only this far down the list
constexpr int kArrowSize = 15;
constexpr int kSmallImageSize = 16;
constexpr int kLargeImageSize = 32;
constexpr int kItemPadding = 10;
constexpr int kItemFace = 1;      // an item's face lies this far inside its rectangle
constexpr int kItemTextInset = 4; // and its caption this much further in, at each side
constexpr int kCaptionPadding = 6;
constexpr int kMaxSlideFrames = 300;
constexpr int kFrameInterval = 16; // about one refresh of a 60 Hz screen
// Item hints open below the pointer; Qt has no portable query for the pointer's size, and X11 and
// Wayland themes default to about this height.
constexpr int kCursorHeight = 20;

// Qt rectangles from half-open row and column ranges, as the layout formulas use them; a range that
// ends before it starts gives an empty rectangle that contains no point.
QRect span(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

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

// Whether a line shows whole in that width by the measure drawReliefText elides with: a rounded advance
// may be a fraction of a pixel short of it.
bool showsWhole(const QFontMetrics& metrics, const QString& text, int width) {
    return metrics.elidedText(text, Qt::ElideRight, width) == text;
}

void drawReliefText(QPainter& p, const QRect& r, Qt::Alignment alignment, const QString& text,
                    const QColor& colour, const TextEffect3D& effect) {
    const int t = effect.style == TextEffect3D::Style::None ? 0 : effect.tracing;
    const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, r.width() - t));
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

// A section's item hint: a tooltip-like window with its own show delay and display time.
class TButtonBarHintWindow : public QLabel {
public:
    explicit TButtonBarHintWindow(QWidget* owner)
        : QLabel(owner, Qt::ToolTip | Qt::BypassGraphicsProxyWidget) {
        setPalette(QToolTip::palette());
        setFont(QToolTip::font());
        setForegroundRole(QPalette::ToolTipText);
        setBackgroundRole(QPalette::ToolTipBase);
        setAutoFillBackground(true);
        setFrameShape(QFrame::Box);
        setLineWidth(1);
        setMargin(0);
        setAlignment(Qt::AlignCenter);
        setTextFormat(Qt::PlainText);
        // Coarse timers may fire 5 % early, which would cut the hint's display time visibly short.
        m_showTimer.setTimerType(Qt::PreciseTimer);
        m_hideTimer.setTimerType(Qt::PreciseTimer);
        m_showTimer.setSingleShot(true);
        m_hideTimer.setSingleShot(true);
        QObject::connect(&m_showTimer, &QTimer::timeout, this, [this] { showPending(); });
        QObject::connect(&m_hideTimer, &QTimer::timeout, this, [this] { hide(); });
    }

    void schedule(const QString& text, const QPoint& globalPos, int delay, int duration) {
        cancel();
        setText(text);
        m_anchor = globalPos;
        m_duration = duration;
        m_showTimer.start(delay);
    }

    void cancel() {
        m_showTimer.stop();
        m_hideTimer.stop();
        hide();
    }

private:
    void showPending() {
        if (text().isEmpty()) return;
        // Two pixels of the frame and two of air around the text.
        const QSize textSize = fontMetrics().size(0, text());
        resize(textSize.width() + 4, textSize.height() + 4);
        QPoint topLeft = m_anchor + QPoint(0, kCursorHeight);
        if (const QScreen* screen = QGuiApplication::screenAt(m_anchor)) {
            const QRect room = screen->availableGeometry();
            topLeft.setX(std::clamp(topLeft.x(), room.left(), std::max(room.left(), room.right() - width())));
            if (topLeft.y() + height() > room.bottom()) topLeft.setY(m_anchor.y() - height());
        }
        move(topLeft);
        show();
        m_hideTimer.start(m_duration);
    }

    QTimer m_showTimer;
    QTimer m_hideTimer;
    QPoint m_anchor;
    int m_duration = 0;
};

// ---------------------------------------------------------------------------------------------------------
// Items

TButtonBarItem::TButtonBarItem(TButtonBarSection* section) : m_section(section) {}

void TButtonBarItem::setCaption(const QString& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    m_section->m_bar->requestRepaint();
    m_section->m_bar->announceChildrenChanged();
}

void TButtonBarItem::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    m_section->m_bar->requestRepaint();
}

void TButtonBarItem::setIcon(const QIcon& icon) {
    m_icon = icon;
    m_section->m_bar->requestRepaint();
}

int TButtonBarItem::Index() const {
    return m_section->Items().indexOf(this);
}

TButtonBarItem* TButtonBarItems::Add(const QString& caption) {
    auto item = std::make_unique<TButtonBarItem>(m_section);
    item->m_caption = caption;
    m_list.push_back(std::move(item));
    m_section->m_bar->itemsChanged(m_section);
    return m_list.back().get();
}

void TButtonBarItems::Delete(int index) {
    m_list.erase(m_list.begin() + index);
    m_section->m_bar->itemsChanged(m_section);
}

void TButtonBarItems::Clear() {
    m_list.clear();
    m_section->m_bar->itemsChanged(m_section);
}

// ---------------------------------------------------------------------------------------------------------
// Sections

TButtonBarSection::TButtonBarSection(TButtonBar* bar) : m_bar(bar), m_items(this) {}

TButtonBarSection::~TButtonBarSection() = default;

void TButtonBarSection::setCaption(const QString& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    m_bar->requestRepaint();
    m_bar->announceChildrenChanged();
}

void TButtonBarSection::setEnabled(bool enabled) {
    m_enabled = enabled;
}

void TButtonBarSection::setShowHint(bool show) {
    m_showHint = show;
    if (!show) m_hintWindow.reset();
}

void TButtonBarSection::setUseSmallImages(bool small) {
    if (small == m_useSmallImages) return;
    m_useSmallImages = small;
    m_bar->requestRepaint();
}

QFont TButtonBarSection::Font() const {
    return m_parentFont ? m_bar->font() : m_font;
}

void TButtonBarSection::setFont(const QFont& font) {
    m_font = font;
    m_parentFont = false;
    m_bar->requestRepaint();
}

void TButtonBarSection::setParentFont(bool parentFont) {
    if (parentFont == m_parentFont) return;
    m_parentFont = parentFont;
    m_bar->requestRepaint();
}

void TButtonBarSection::setCaptionColor(const QColor& color) {
    m_captionColor = color;
    m_bar->requestRepaint();
}

void TButtonBarSection::setFont3D(const TextEffect3D& effect) {
    m_font3D = effect;
    m_bar->requestRepaint();
}

void TButtonBarSection::setCaptionAlignment(Qt::Alignment alignment) {
    if (alignment == m_captionAlignment) return;
    m_captionAlignment = alignment;
    m_bar->requestRepaint();
}

void TButtonBarSection::setItemScrollPosition(int position) {
    if (position == m_scrollPosition) return;
    m_scrollPosition = position;
    m_bar->requestRepaint();
}

QWidget* TButtonBarSection::hintWindow() const {
    return m_hintWindow.get();
}

bool TButtonBarSection::isHintVisible() const {
    return m_hintWindow && m_hintWindow->isVisible();
}

int TButtonBarSection::Index() const {
    return m_bar->Sections().indexOf(this);
}

void TButtonBarSection::scheduleHint(const QString& text, const QPoint& globalPos) {
    if (!m_hintWindow) m_hintWindow = std::make_unique<TButtonBarHintWindow>(m_bar);
    m_hintWindow->schedule(text, globalPos, m_hintShowDelay, m_hintDuration);
}

void TButtonBarSection::cancelHint() {
    if (m_hintWindow) m_hintWindow->cancel();
}

TButtonBarSection* TButtonBarSections::Add(const QString& caption) {
    auto section = std::make_unique<TButtonBarSection>(m_bar);
    section->m_caption = caption;
    m_list.push_back(std::move(section));
    m_bar->sectionsChanged();
    return m_list.back().get();
}

void TButtonBarSections::Delete(int index) {
    m_list.erase(m_list.begin() + index);
    m_bar->sectionsChanged();
}

void TButtonBarSections::Clear() {
    m_list.clear();
    m_bar->sectionsChanged();
}

// ---------------------------------------------------------------------------------------------------------
// The slide

int TButtonBarSlidePlan::frameCount() const {
    return travel < 1 ? 1 : (travel - 1) / step + 1;
}

TButtonBarSlidePlan::Copy TButtonBarSlidePlan::frame(int index) const {
    const int rows = 1 + index * step + shift;
    // Moving down the new content rises from the region's bottom; moving up it descends from its top.
    if (movingDown) return {top, bottom - rows, rows};
    return {bottom - rows, top, rows};
}

TButtonBarSlidePlan TButtonBar::slidePlan(int oldSection, int newSection, int sectionBtnSize,
                                          int itemAreaBottom) {
    TButtonBarSlidePlan plan;
    plan.movingDown = oldSection < newSection;
    if (plan.movingDown) {
        plan.top = (oldSection + 1) * sectionBtnSize;
        plan.bottom = itemAreaBottom;
        plan.shift = (newSection - oldSection) * sectionBtnSize;
    } else {
        plan.top = (newSection + 1) * sectionBtnSize;
        plan.bottom = itemAreaBottom + (oldSection - newSection) * sectionBtnSize;
        plan.shift = (oldSection - newSection) * sectionBtnSize;
    }
    plan.travel = plan.bottom - plan.top - plan.shift;
    plan.step = plan.travel / kMaxSlideFrames + 1;
    return plan;
}

// ---------------------------------------------------------------------------------------------------------
// The bar

TButtonBar::TButtonBar(QWidget* parent) : QWidget(parent) {
    installButtonBarAccessibility();
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The off-screen picture covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_gradientFrom = m_gradientTo = palette().color(QPalette::Window);

    m_itemScrollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_itemScrollTimer, &QTimer::timeout, this, &TButtonBar::itemScrollTick);
    m_slideTimer.setTimerType(Qt::PreciseTimer);
    m_slideTimer.setInterval(kFrameInterval);
    connect(&m_slideTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

TButtonBar::~TButtonBar() {
    m_itemScrollTimer.stop();
    m_slideTimer.stop();
}

TButtonBarItem* TButtonBar::AddItem(int section, const QString& caption) {
    if (section < 0 || section >= m_sections.Count()) return nullptr;
    return m_sections[section]->Items().Add(caption);
}

void TButtonBar::setActiveSection(int section) {
    changeSection(section, false);
}

int TButtonBar::NextSection() {
    if (m_activeSection < m_sections.Count() - 1) changeSection(m_activeSection + 1, false);
    return m_activeSection;
}

int TButtonBar::PreviousSection() {
    if (m_activeSection > 0) changeSection(m_activeSection - 1, false);
    return m_activeSection;
}

bool TButtonBar::changeSection(int target, bool alreadyAsked) {
    if (target == m_activeSection) return false;
    if (target < 0 || target >= m_sections.Count()) return false;
    const int current = m_activeSection;
    if (!alreadyAsked && OnBeforeSectionChange) {
        bool allowExit = true;
        OnBeforeSectionChange(this, current, target, allowExit);
        if (!allowExit) return false;
    }
    if (target >= m_sections.Count() || !m_sections[target]->Enabled()) return false;

    if (TButtonBarSection* open = openSection()) open->cancelHint();
    stopItemScroll();
    if (OnSectionChange) OnSectionChange(this, current, target);
    m_previousSection = current;
    m_activeSection = target;
    m_hotItem = m_pressedItem = m_pressedItemSection = -1;
    // The state is final here; the slide that the next paint shows only moves pixels.
    requestRepaint();
    announceChildrenChanged();
    if (QAccessible::isActive()) {
        if (QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(this)) {
            if (QAccessibleInterface* tab = bar->child(target)) {
                QAccessible::State selected;
                selected.selected = true;
                QAccessibleStateChangeEvent event(tab, selected);
                QAccessible::updateAccessibility(&event);
            }
        }
    }
    if (OnSectionChanged) OnSectionChanged(this, target, current);
    return true;
}

void TButtonBar::setSingleSectionMode(bool on) {
    bool changed = on != m_singleSectionMode;
    m_singleSectionMode = on;
    // Section 0 opens silently: no event, no slide, and the pending-change marker stays as it was.
    if (on && m_activeSection != 0) {
        if (TButtonBarSection* open = openSection()) open->cancelHint();
        stopItemScroll();
        m_activeSection = 0;
        changed = true;
    }
    if (!changed) return;
    resetTrackers();
    requestRepaint();
    announceChildrenChanged();
}

void TButtonBar::setSectionBtnSize(int pixels) {
    if (pixels == m_sectionBtnSize) return;
    m_sectionBtnSize = pixels;
    requestRepaint();
}

void TButtonBar::setSmallItemHeight(int pixels) {
    if (pixels == m_smallItemHeight) return;
    m_smallItemHeight = pixels;
    requestRepaint();
}

void TButtonBar::setLargeItemHeight(int pixels) {
    if (pixels == m_largeItemHeight) return;
    m_largeItemHeight = pixels;
    requestRepaint();
}

void TButtonBar::setFixedSectionLeftBorder(int pixels) {
    if (pixels == m_fixedSectionLeftBorder) return;
    m_fixedSectionLeftBorder = pixels;
    requestRepaint();
}

void TButtonBar::setFixedSectionRightBorder(int pixels) {
    if (pixels == m_fixedSectionRightBorder) return;
    m_fixedSectionRightBorder = pixels;
    requestRepaint();
}

void TButtonBar::setFillSelectedItem(bool fill) {
    if (fill == m_fillSelectedItem) return;
    m_fillSelectedItem = fill;
    requestRepaint();
}

void TButtonBar::setTransparentButtons(bool transparent) {
    if (transparent == m_transparentButtons) return;
    m_transparentButtons = transparent;
    requestRepaint();
}

void TButtonBar::setShowHint(bool show) {
    m_showHint = show;
    if (!show) setToolTip({});
}

void TButtonBar::setGradient(const QColor& from, const QColor& to, int colours) {
    if (from == m_gradientFrom && to == m_gradientTo && colours == m_gradientColours) return;
    m_gradientFrom = from;
    m_gradientTo = to;
    m_gradientColours = colours;
    requestRepaint();
}

void TButtonBar::setBevelInner(Bevel bevel) {
    if (bevel == m_bevelInner) return;
    m_bevelInner = bevel;
    requestRepaint();
}

void TButtonBar::setBevelOuter(Bevel bevel) {
    if (bevel == m_bevelOuter) return;
    m_bevelOuter = bevel;
    requestRepaint();
}

int TButtonBar::frameWidth() const {
    return (m_bevelInner == Bevel::None ? 0 : kBevelWidth) + (m_bevelOuter == Bevel::None ? 0 : kBevelWidth);
}

int TButtonBar::itemHeight(const TButtonBarSection* section) const {
    const int textHeight = fontMetrics().height();
    if (section->UseSmallImages())
        return m_smallItemHeight != -1 ? m_smallItemHeight
                                       : std::max(kSmallImageSize, textHeight) + kItemPadding;
    return m_largeItemHeight != -1 ? m_largeItemHeight : kLargeImageSize + textHeight + kItemPadding;
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

TButtonBarSection* TButtonBar::openSection() const {
    return m_activeSection >= 0 && m_activeSection < m_sections.Count() ? m_sections[m_activeSection]
                                                                        : nullptr;
}

TButtonBarItem* TButtonBar::openItem(int index) const {
    const TButtonBarSection* section = openSection();
    if (!section || index < 0 || index >= section->Items().Count()) return nullptr;
    return section->Items()[index];
}

int TButtonBar::firstEnabledItem() const {
    const TButtonBarSection* section = openSection();
    for (int i = 0; section && i < section->Items().Count(); ++i)
        if (section->Items()[i]->Enabled()) return i;
    return -1;
}

void TButtonBar::resetTrackers() {
    m_hotButton = m_pressedButton = m_hotItem = m_pressedItem = m_pressedItemSection = -1;
    m_dragSection = -1;
}

void TButtonBar::requestRepaint() {
    m_pictureDirty = true;
    update();
}

void TButtonBar::sectionsChanged() {
    // An open section that is gone leaves section 0 open, as the next layout would.
    if (m_activeSection >= m_sections.Count()) m_activeSection = 0;
    stopItemScroll();
    resetTrackers();
    requestRepaint();
    announceChildrenChanged();
}

void TButtonBar::itemsChanged(TButtonBarSection* section) {
    if (section == openSection()) {
        stopItemScroll();
        m_hotItem = m_pressedItem = m_pressedItemSection = -1;
    }
    requestRepaint();
    announceChildrenChanged();
}

void TButtonBar::announceChildrenChanged() {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}

bool TButtonBar::clickItem(int index) {
    const TButtonBarItem* item = openItem(index);
    if (!item || !item->Enabled()) return false;
    bool allowClick = true;
    if (OnBeforeItemClick) OnBeforeItemClick(this, m_activeSection, index, allowClick);
    if (!allowClick) return false;
    TButtonBarItem* stillThere = openItem(index);
    if (!stillThere) return false;
    reportItemClick(m_activeSection, stillThere);
    return true;
}

void TButtonBar::reportItemClick(int section, TButtonBarItem* item) {
    if (OnItemClick) OnItemClick(this, section, item->Index());
    // The handler may have removed the item, or its whole section.
    if (section >= m_sections.Count() || m_sections[section]->Items().indexOf(item) < 0) return;
    if (const auto onClick = item->OnClick) onClick(item);
}

// ---------------------------------------------------------------------------------------------------------
// Mouse and keyboard

void TButtonBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    m_lastMousePos = pos;
    m_dragSection = -1;
    const TButtonBarGeometry g = barGeometry();
    const ScrollZone zone = scrollZoneAt(g, pos);
    // An arrow lies over the items and never presses one; an edge strip does only while it scrolls.
    if (zone == ScrollZone::UpArrow || zone == ScrollZone::DownArrow) {
        startItemScroll(zone);
        return;
    }
    if (zone != ScrollZone::None && startItemScroll(zone)) return;

    if (g.itemArea.contains(pos)) {
        const int index = itemAt(pos);
        const TButtonBarItem* item = openItem(index);
        if (!item || !item->Enabled()) return;
        bool allowClick = true;
        if (OnBeforeItemClick) OnBeforeItemClick(this, m_activeSection, index, allowClick);
        if (!allowClick || !openItem(index)) return;
        m_pressedItem = index;
        m_pressedItemSection = m_activeSection;
        requestRepaint();
        return;
    }

    const int section = sectionAt(pos);
    if (section < 0) return;
    m_dragSection = section;
    if (section == m_activeSection) {
        m_pressedButton = section;
        requestRepaint();
        return;
    }
    // Asked once here; the change itself does not ask again.
    bool allowExit = true;
    if (OnBeforeSectionChange) OnBeforeSectionChange(this, m_activeSection, section, allowExit);
    if (!allowExit || section >= m_sections.Count() || !m_sections[section]->Enabled()) return;
    m_pressedButton = section;
    // The section opens as the button goes down, not when it comes up.
    changeSection(section, true);
}

void TButtonBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_lastMousePos = pos;
    if (event->buttons() & Qt::LeftButton)
        handleHeldMove(pos);
    else
        updateHover(pos);
}

void TButtonBar::handleHeldMove(const QPoint& pos) {
    const TButtonBarGeometry g = barGeometry();
    if (m_itemScrollTimer.isActive() && !zoneRect(g, m_scrollZone).contains(pos)) stopItemScroll();
    if (!m_itemScrollTimer.isActive()) {
        const ScrollZone zone = scrollZoneAt(g, pos);
        if (zone != ScrollZone::None) startItemScroll(zone);
    }
    // Dragging over the buttons opens each one passed; a button is tried once per visit, so resting on a
    // disabled or refused one does not ask again at every move.
    const int section = sectionAt(pos);
    if (section == m_dragSection) return;
    m_dragSection = section;
    if (section >= 0 && section != m_activeSection && changeSection(section, false))
        m_pressedButton = section;
}

void TButtonBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    m_lastMousePos = pos;
    stopItemScroll();
    m_dragSection = -1;
    if (m_pressedButton != -1) {
        m_pressedButton = -1;
        requestRepaint();
    }
    if (m_pressedItem != -1) {
        const int index = m_pressedItem;
        const int section = m_pressedItemSection;
        m_pressedItem = m_pressedItemSection = -1;
        requestRepaint();
        // Only a release over the very item that went down is a click.
        if (section == m_activeSection && itemAt(pos) == index) reportItemClick(section, openItem(index));
    }
    updateHover(pos);
}

void TButtonBar::updateHover(const QPoint& pos) {
    const int button = sectionAt(pos);
    if (button != m_hotButton) {
        m_hotButton = button;
        requestRepaint();
        const TButtonBarSection* section = button >= 0 ? m_sections[button] : nullptr;
        setToolTip(m_showHint && section && section->ShowHint() ? section->Hint() : QString());
    }

    const int index = itemAt(pos);
    if (index == m_hotItem) return;
    TButtonBarItem* previous = openItem(m_hotItem);
    m_hotItem = index;
    requestRepaint();
    if (previous && OnMouseExitItem) OnMouseExitItem(this, previous);
    if (TButtonBarItem* entered = openItem(index); entered && OnMouseEnterItem)
        OnMouseEnterItem(this, entered);

    TButtonBarSection* section = openSection();
    if (!section || !section->ShowHint()) return;
    if (const TButtonBarItem* entered = openItem(index))
        section->scheduleHint(entered->Hint(), mapToGlobal(pos));
    else
        section->cancelHint();
}

void TButtonBar::leaveEvent(QEvent* event) {
    stopItemScroll();
    if (TButtonBarSection* open = openSection()) open->cancelHint();
    if (TButtonBarItem* previous = openItem(m_hotItem); previous && OnMouseExitItem) {
        m_hotItem = -1;
        OnMouseExitItem(this, previous);
    }
    m_hotItem = m_hotButton = -1;
    requestRepaint();
    QWidget::leaveEvent(event);
}

void TButtonBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        if (m_singleSectionMode) break;
        const int direction = event->key() == Qt::Key_Up ? -1 : 1;
        for (int i = m_activeSection + direction; i >= 0 && i < m_sections.Count(); i += direction) {
            if (m_sections[i]->Enabled()) {
                changeSection(i, false);
                break;
            }
        }
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: {
        const TButtonBarItem* hot = openItem(m_hotItem);
        const int index = hot && hot->Enabled() ? m_hotItem : firstEnabledItem();
        if (index >= 0) clickItem(index);
        return;
    }
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void TButtonBar::focusInEvent(QFocusEvent* event) {
    requestRepaint();
    QWidget::focusInEvent(event);
}

void TButtonBar::focusOutEvent(QFocusEvent* event) {
    requestRepaint();
    QWidget::focusOutEvent(event);
}

// ---------------------------------------------------------------------------------------------------------
// Item-list scrolling

TButtonBar::ScrollZone TButtonBar::scrollZoneAt(const TButtonBarGeometry& g, const QPoint& pos) const {
    if (g.upArrow.contains(pos)) return ScrollZone::UpArrow;
    if (g.downArrow.contains(pos)) return ScrollZone::DownArrow;
    if (g.topStrip.contains(pos)) return ScrollZone::TopStrip;
    if (g.bottomStrip.contains(pos)) return ScrollZone::BottomStrip;
    return ScrollZone::None;
}

QRect TButtonBar::zoneRect(const TButtonBarGeometry& g, ScrollZone zone) {
    switch (zone) {
    case ScrollZone::UpArrow:
        return g.upArrow;
    case ScrollZone::DownArrow:
        return g.downArrow;
    case ScrollZone::TopStrip:
        return g.topStrip;
    case ScrollZone::BottomStrip:
        return g.bottomStrip;
    case ScrollZone::None:
        break;
    }
    return {};
}

bool TButtonBar::startItemScroll(ScrollZone zone) {
    if (m_itemScrollTimer.isActive()) return false;
    const TButtonBarGeometry g = barGeometry();
    const bool up = zone == ScrollZone::UpArrow || zone == ScrollZone::TopStrip;
    if (up ? g.scrollPosition < kUpScrollMinimum : g.scrollPosition >= g.scrollRange) return false;
    m_scrollZone = zone;
    // The delay is read only here, so a new value waits for the next start; it is a 16-bit quantity
    // and wraps rather than saturates.
    m_itemScrollTimer.start(static_cast<quint16>(m_scrollDelay));
    return true;
}

void TButtonBar::stopItemScroll() {
    m_itemScrollTimer.stop();
    m_scrollZone = ScrollZone::None;
}

void TButtonBar::itemScrollTick() {
    TButtonBarSection* section = openSection();
    if (!section) {
        stopItemScroll();
        return;
    }
    const TButtonBarGeometry g = barGeometry();
    const int step = m_scrollStep == -1 ? g.itemHeight : m_scrollStep;
    const bool up = m_scrollZone == ScrollZone::UpArrow || m_scrollZone == ScrollZone::TopStrip;
    section->m_scrollPosition =
        up ? std::max(0, g.scrollPosition - step) : std::min(g.scrollRange, g.scrollPosition + step);
    requestRepaint();
    // The pointer is delivered again, so an arrow that has just disappeared under it stops the timer.
    handleHeldMove(m_lastMousePos);
}

// ---------------------------------------------------------------------------------------------------------
// Painting

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
    m_slideTimer.stop();
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
        m_slideTimer.stop();
        m_pictureDirty = true;
        m_paintedSinceShow = false;
    }

    if (m_previousSection != -1) {
        const int oldSection = m_previousSection;
        m_previousSection = -1;
        // A slide still running stops where it is: its end state is already in m_picture.
        m_slideTimer.stop();
        if (m_softScroll && !m_singleSectionMode && m_paintedSinceShow && isVisible()) {
            m_shownPicture.swap(m_picture);
            paintPicture(m_picture);
            m_pictureDirty = false;
            m_slide =
                slidePlan(oldSection, m_activeSection, m_sectionBtnSize, endRow(barGeometry().itemArea));
            m_slideClock.start();
            m_slideTimer.start();
        }
    }
    if (m_pictureDirty) {
        paintPicture(m_picture);
        m_pictureDirty = false;
    }

    QPainter p(this);
    if (m_slideTimer.isActive())
        presentSlideFrame(p);
    else
        p.drawPixmap(0, 0, m_picture);
    m_paintedSinceShow = true;
}

void TButtonBar::presentSlideFrame(QPainter& p) {
    const int count = m_slide.frameCount();
    // Frames are picked by the time gone, so a slide lasts the same on any screen; short slides get
    // one refresh per frame instead of being stretched.
    const qint64 duration = std::min<qint64>(kSlideMilliseconds, qint64(count) * kFrameInterval);
    const qint64 elapsed = m_slideClock.elapsed();
    if (elapsed >= duration) {
        m_slideTimer.stop();
        p.drawPixmap(0, 0, m_picture);
        return;
    }
    const TButtonBarSlidePlan::Copy copy =
        m_slide.frame(int(std::min<qint64>(count - 1, elapsed * count / duration)));
    p.drawPixmap(0, 0, m_shownPicture);
    if (copy.rows > 0) {
        const qreal ratio = m_picture.devicePixelRatio();
        p.drawPixmap(QRectF(0, copy.targetTop, width(), copy.rows), m_picture,
                     QRectF(0, copy.sourceTop * ratio, m_picture.width(), copy.rows * ratio));
    }
    ++m_slideFramesShown;
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

    QRect text = r.adjusted(kCaptionPadding, 1, -kCaptionPadding, -2);
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
    const QRect face = r.adjusted(1, 1, -1, -1);
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

QStringList TButtonBar::itemCaptionLines(int index) const {
    const TButtonBarGeometry g = barGeometry();
    const TButtonBarSection* section = openSection();
    if (!section || index < 0 || index >= g.items.size() || index >= section->Items().Count()) return {};
    return itemLayout(*section, *section->Items()[index], g.items[index]).lines;
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

// ---------------------------------------------------------------------------------------------------------
// Accessibility: the bar's children are its visible section buttons followed by the open section's items.

namespace {

enum class PartKind { SectionButton, Item };

int sectionSlots(const TButtonBar& bar) {
    return bar.SingleSectionMode() ? 0 : bar.Sections().Count();
}

const TButtonBarSection* shownSection(const TButtonBar& bar) {
    const int open = bar.ActiveSection();
    return open >= 0 && open < bar.Sections().Count() ? bar.Sections()[open] : nullptr;
}

int itemSlots(const TButtonBar& bar) {
    const TButtonBarSection* section = shownSection(bar);
    return section ? section->Items().Count() : 0;
}

class ButtonBarPartAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ButtonBarPartAccessible(TButtonBar* bar, PartKind kind, int index)
        : m_bar(bar), m_kind(kind), m_index(index) {}

    PartKind kind() const { return m_kind; }
    int index() const { return m_index; }

    bool isValid() const override {
        if (!m_bar) return false;
        return m_index < (m_kind == PartKind::SectionButton ? sectionSlots(*m_bar) : itemSlots(*m_bar));
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_bar ? m_bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return m_bar ? QAccessible::queryAccessibleInterface(m_bar.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        const bool section = m_kind == PartKind::SectionButton;
        switch (t) {
        case QAccessible::Name:
            return section ? m_bar->Sections()[m_index]->Caption() : item()->Caption();
        case QAccessible::Description:
            return section ? m_bar->Sections()[m_index]->Hint() : item()->Hint();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return {};
        const TButtonBarGeometry g = m_bar->barGeometry();
        const QRect local =
            m_kind == PartKind::SectionButton ? g.buttons[m_index] : g.items[m_index].intersected(g.itemArea);
        return local.isEmpty() ? QRect() : QRect(m_bar->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::Role role() const override {
        return m_kind == PartKind::SectionButton ? QAccessible::PageTab : QAccessible::PushButton;
    }

    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        const bool enabled =
            m_kind == PartKind::SectionButton ? m_bar->Sections()[m_index]->Enabled() : item()->Enabled();
        st.disabled = !enabled || !m_bar->isEnabled();
        st.invisible = !m_bar->isVisible();
        st.offscreen = rect().isEmpty();
        if (m_kind == PartKind::SectionButton) {
            st.selectable = true;
            st.selected = m_index == m_bar->ActiveSection();
        } else {
            st.pressed = m_index == m_bar->pressedItem();
            st.hotTracked = m_index == m_bar->hotItem();
        }
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name != pressAction() || !isValid()) return;
        if (m_kind == PartKind::SectionButton)
            m_bar->setActiveSection(m_index);
        else
            m_bar->clickItem(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    TButtonBarItem* item() const { return shownSection(*m_bar)->Items()[m_index]; }

    QPointer<TButtonBar> m_bar;
    PartKind m_kind;
    int m_index;
};

class ButtonBarAccessible : public QAccessibleWidget {
public:
    explicit ButtonBarAccessible(TButtonBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~ButtonBarAccessible() override {
        for (const QAccessible::Id id : std::as_const(m_parts))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return sectionSlots(*bar()) + itemSlots(*bar()); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        const int sections = sectionSlots(*bar());
        const PartKind kind = index < sections ? PartKind::SectionButton : PartKind::Item;
        const int partIndex = index < sections ? index : index - sections;
        // Parts are addressed by position and read the bar live, so one interface per position lasts
        // for the bar's lifetime.
        const quint64 key = (quint64(kind) << 32) | quint32(partIndex);
        if (const auto found = m_parts.constFind(key); found != m_parts.cend())
            return QAccessible::accessibleInterface(*found);
        auto* part = new ButtonBarPartAccessible(bar(), kind, partIndex);
        m_parts.insert(key, QAccessible::registerAccessibleInterface(part));
        return part;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto it = m_parts.cbegin(); it != m_parts.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) != child) continue;
            const auto* part = static_cast<const ButtonBarPartAccessible*>(child);
            if (!part->isValid()) return -1;
            return part->kind() == PartKind::SectionButton ? part->index()
                                                           : sectionSlots(*bar()) + part->index();
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint pos = bar()->mapFromGlobal(QPoint(x, y));
        if (const int section = bar()->sectionAt(pos); section >= 0) return child(section);
        if (const int item = bar()->itemAt(pos); item >= 0) return child(sectionSlots(*bar()) + item);
        return nullptr;
    }

private:
    TButtonBar* bar() const { return static_cast<TButtonBar*>(widget()); }

    mutable QHash<quint64, QAccessible::Id> m_parts;
};

QAccessibleInterface* buttonBarAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("TButtonBar")) return nullptr;
    auto* bar = qobject_cast<TButtonBar*>(object);
    return bar ? new ButtonBarAccessible(bar) : nullptr;
}

} // namespace

void installButtonBarAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(buttonBarAccessibleFactory);
}
