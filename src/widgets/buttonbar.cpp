#include "widgets/widgets_p.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

// The bar's behaviour: its settings, the change of the open section, item clicks, the pointer and the
// keys, and the scrolling of a long item list.

namespace {

constexpr int kUpScrollMinimum = 4; // upward scrolling starts only this far down the list

} // namespace

TButtonBar::TButtonBar(QWidget* parent) : QWidget(parent), m_slide(std::make_unique<TButtonBarSlide>(this)) {
    installButtonBarAccessibility();
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The off-screen picture covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_gradientFrom = m_gradientTo = palette().color(QPalette::Window);

    m_itemScrollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_itemScrollTimer, &QTimer::timeout, this, &TButtonBar::itemScrollTick);
}

TButtonBar::~TButtonBar() {
    m_itemScrollTimer.stop();
    m_slide->stop();
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
    announceSectionSelected(target);
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
    setLook(m_sectionBtnSize, pixels);
}

void TButtonBar::setSmallItemHeight(int pixels) {
    setLook(m_smallItemHeight, pixels);
}

void TButtonBar::setLargeItemHeight(int pixels) {
    setLook(m_largeItemHeight, pixels);
}

void TButtonBar::setFixedSectionLeftBorder(int pixels) {
    setLook(m_fixedSectionLeftBorder, pixels);
}

void TButtonBar::setFixedSectionRightBorder(int pixels) {
    setLook(m_fixedSectionRightBorder, pixels);
}

void TButtonBar::setFillSelectedItem(bool fill) {
    setLook(m_fillSelectedItem, fill);
}

void TButtonBar::setTransparentButtons(bool transparent) {
    setLook(m_transparentButtons, transparent);
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
    setLook(m_bevelInner, bevel);
}

void TButtonBar::setBevelOuter(Bevel bevel) {
    setLook(m_bevelOuter, bevel);
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
