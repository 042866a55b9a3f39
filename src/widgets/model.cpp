#include "widgets/widgets_p.h"

// The sections and their items: each change tells the bar, which repaints and re-announces itself.

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

int TButtonBarSection::Index() const {
    return m_bar->Sections().indexOf(this);
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
