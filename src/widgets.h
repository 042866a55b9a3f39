#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The section bar: a vertical panel of section buttons, each opening a list of items below it.

class TButtonBar;
class TButtonBarSection;
class TButtonBarHintWindow;
class TButtonBarSlide;
struct TButtonBarGeometry;
struct TButtonBarInternals;

class TButtonBarItem {
public:
    explicit TButtonBarItem(TButtonBarSection* section);
    TButtonBarItem(const TButtonBarItem&) = delete;
    TButtonBarItem& operator=(const TButtonBarItem&) = delete;

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // Read by the next item hint; changing it never repaints.
    QString Hint() const { return m_hint; }
    void setHint(const QString& hint) { m_hint = hint; }
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    QIcon icon() const { return m_icon; }
    void setIcon(const QIcon& icon);
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    TButtonBarSection* Section() const { return m_section; }
    int Index() const;

    // Called after the bar's OnItemClick.
    std::function<void(TButtonBarItem* sender)> OnClick;

private:
    friend class TButtonBarItems;

    TButtonBarSection* m_section;
    QString m_caption;
    QString m_hint;
    QIcon m_icon;
    bool m_enabled = true;
    int m_tag = 0;
};

// An owning, ordered list: the bar's sections, or a section's items.
template <typename T> class TButtonBarCollection {
public:
    TButtonBarCollection(const TButtonBarCollection&) = delete;
    TButtonBarCollection& operator=(const TButtonBarCollection&) = delete;

    int Count() const { return static_cast<int>(m_list.size()); }
    T* Item(int index) const { return m_list[static_cast<size_t>(index)].get(); }
    T* operator[](int index) const { return Item(index); }
    int indexOf(const T* entry) const {
        for (size_t i = 0; i < m_list.size(); ++i)
            if (m_list[i].get() == entry) return static_cast<int>(i);
        return -1;
    }

protected:
    TButtonBarCollection() = default;
    ~TButtonBarCollection() = default;

    std::vector<std::unique_ptr<T>> m_list;
};

class TButtonBarItems : public TButtonBarCollection<TButtonBarItem> {
public:
    TButtonBarItem* Add(const QString& caption = {});
    void Delete(int index);
    void Clear();

private:
    friend class TButtonBarSection;
    explicit TButtonBarItems(TButtonBarSection* section) : m_section(section) {}

    TButtonBarSection* m_section;
};

// How a caption is drawn in relief: a copy in the light colour (and, raised, one in the shadow colour)
// shifted by `tracing` pixels under the text.
struct TextEffect3D {
    enum class Style { None, Raised, Sunken };
    Style style = Style::None;
    QColor lightColor = Qt::white;
    QColor shadowColor = Qt::darkGray;
    int tracing = 1;
};

class TButtonBarSection {
public:
    explicit TButtonBarSection(TButtonBar* bar);
    ~TButtonBarSection();
    TButtonBarSection(const TButtonBarSection&) = delete;
    TButtonBarSection& operator=(const TButtonBarSection&) = delete;

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // Becomes the bar's tooltip over this section's button while ShowHint is on (and the bar's own is).
    QString Hint() const { return m_hint; }
    void setHint(const QString& hint) { m_hint = hint; }
    // A disabled section cannot be opened but looks like any other, so this never repaints.
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool ShowHint() const { return m_showHint; }
    void setShowHint(bool show);
    bool UseSmallImages() const { return m_useSmallImages; }
    void setUseSmallImages(bool small);
    // Items are never moved by dragging in this bar; kept so the setting can be carried.
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // The caption's own font, or the bar's while ParentFont is on (setting a font turns it off).
    QFont Font() const;
    void setFont(const QFont& font);
    bool ParentFont() const { return m_parentFont; }
    void setParentFont(bool parentFont);
    // Invalid means the bar palette's button text colour.
    QColor captionColor() const { return m_captionColor; }
    void setCaptionColor(const QColor& color);
    TextEffect3D Font3D() const { return m_font3D; }
    void setFont3D(const TextEffect3D& effect);
    Qt::Alignment captionAlignment() const { return m_captionAlignment; }
    void setCaptionAlignment(Qt::Alignment alignment);

    TButtonBarItems& Items() { return m_items; }
    const TButtonBarItems& Items() const { return m_items; }

    // Pixels by which the item list is scrolled up.
    int itemScrollPosition() const { return m_scrollPosition; }
    void setItemScrollPosition(int position);

    int hintShowDelay() const { return m_hintShowDelay; }
    void setHintShowDelay(int milliseconds) { m_hintShowDelay = milliseconds; }
    int hintDuration() const { return m_hintDuration; }
    void setHintDuration(int milliseconds) { m_hintDuration = milliseconds; }

    TButtonBar* bar() const { return m_bar; }
    int Index() const;

private:
    friend class TButtonBar;
    friend class TButtonBarItem;
    friend class TButtonBarItems;
    friend class TButtonBarSections;
    friend struct TButtonBarInternals;

    void scheduleHint(const QString& text, const QPoint& globalPos);
    void cancelHint();

    TButtonBar* m_bar;
    QString m_caption;
    QString m_hint;
    bool m_enabled = true;
    bool m_showHint = false;
    bool m_useSmallImages = false;
    bool m_readOnly = false;
    bool m_parentFont = true;
    QFont m_font;
    QColor m_captionColor;
    TextEffect3D m_font3D;
    Qt::Alignment m_captionAlignment = Qt::AlignCenter;
    TButtonBarItems m_items;
    int m_scrollPosition = 0;
    int m_hintShowDelay = 50;
    int m_hintDuration = 2500;
    std::unique_ptr<TButtonBarHintWindow> m_hintWindow;
};

class TButtonBarSections : public TButtonBarCollection<TButtonBarSection> {
public:
    TButtonBarSection* Add(const QString& caption = {});
    void Delete(int index);
    void Clear();

private:
    friend class TButtonBar;
    explicit TButtonBarSections(TButtonBar* bar) : m_bar(bar) {}

    TButtonBar* m_bar;
};

class TButtonBar : public QWidget {
    Q_OBJECT

public:
    enum class Bevel { None, Lowered, Raised };

    explicit TButtonBar(QWidget* parent = nullptr);
    ~TButtonBar() override;

    TButtonBarSections& Sections() { return m_sections; }
    const TButtonBarSections& Sections() const { return m_sections; }

    // Returns the new item, or null (changing nothing) when the section index is not below the count.
    TButtonBarItem* AddItem(int section, const QString& caption);

    int ActiveSection() const { return m_activeSection; }
    // Runs the section change; a refused change leaves everything as it was.
    void setActiveSection(int section);
    // Open the neighbouring section if there is one; return the open section afterwards.
    int NextSection();
    int PreviousSection();

    bool SingleSectionMode() const { return m_singleSectionMode; }
    void setSingleSectionMode(bool on);

    int SectionBtnSize() const { return m_sectionBtnSize; }
    void setSectionBtnSize(int pixels);
    int SmallItemHeight() const { return m_smallItemHeight; }
    void setSmallItemHeight(int pixels);
    int LargeItemHeight() const { return m_largeItemHeight; }
    void setLargeItemHeight(int pixels);
    int ScrollDelay() const { return m_scrollDelay; }
    void setScrollDelay(int milliseconds) { m_scrollDelay = milliseconds; }
    int ScrollStep() const { return m_scrollStep; }
    void setScrollStep(int pixels) { m_scrollStep = pixels; }
    bool SoftScroll() const { return m_softScroll; }
    void setSoftScroll(bool on) { m_softScroll = on; }
    int FixedSectionLeftBorder() const { return m_fixedSectionLeftBorder; }
    void setFixedSectionLeftBorder(int pixels);
    int FixedSectionRightBorder() const { return m_fixedSectionRightBorder; }
    void setFixedSectionRightBorder(int pixels);
    // As for sections: items are never moved by dragging, so this only carries the setting.
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool FillSelectedItem() const { return m_fillSelectedItem; }
    void setFillSelectedItem(bool fill);
    bool TransparentButtons() const { return m_transparentButtons; }
    void setTransparentButtons(bool transparent);
    // The bar's own tooltip (a section's Hint over its button); item hints are per section.
    bool ShowHint() const { return m_showHint; }
    void setShowHint(bool show);

    // Background: rings of `colours` steps from `from` at the edges to `to` in the centre.
    void setGradient(const QColor& from, const QColor& to, int colours);
    QColor gradientFrom() const { return m_gradientFrom; }
    QColor gradientTo() const { return m_gradientTo; }
    int gradientColours() const { return m_gradientColours; }
    Bevel bevelInner() const { return m_bevelInner; }
    void setBevelInner(Bevel bevel);
    Bevel bevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(Bevel bevel);

    // Clicks an item of the open section as a press and release on it would (keyboard, accessibility).
    bool clickItem(int item);

    // Events; Sender is the bar.
    std::function<void(TButtonBar* sender, int currentSection, int oldSection)> OnSectionChanged;
    std::function<void(TButtonBar* sender, int currentSection, int newSection)> OnSectionChange;
    std::function<void(TButtonBar* sender, int currentSection, int newSection, bool& allowExit)>
        OnBeforeSectionChange;
    std::function<void(TButtonBar* sender, int section, int item)> OnItemClick;
    std::function<void(TButtonBar* sender, int section, int item, bool& allowClick)> OnBeforeItemClick;
    std::function<void(TButtonBar* sender, TButtonBarItem* item)> OnMouseEnterItem;
    std::function<void(TButtonBar* sender, TButtonBarItem* item)> OnMouseExitItem;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The lines an item of the open section shows its caption in: one, or two broken between words when
    // it does not fit the bar's width; a line that still does not fit ends in an ellipsis.
    QStringList itemCaptionLines(int index) const;
    // The bar's width at which a caption line `textWidth` pixels wide fits an item without a picture.
    int widthForItemText(int textWidth) const;
    // The bar's least width at which every section button shows its caption whole.
    int widthForSectionCaptions() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TButtonBarSection;
    friend class TButtonBarItem;
    friend class TButtonBarItems;
    friend class TButtonBarSections;
    friend struct TButtonBarInternals;

    enum class ScrollZone { None, UpArrow, TopStrip, DownArrow, BottomStrip };

    // Change notifications from the model.
    void requestRepaint();
    // Sets a property that changes only the bar's look: it repaints when the value changed.
    template <typename T, typename U> void setLook(T& member, U&& value) {
        if (member == value) return;
        member = std::forward<U>(value);
        requestRepaint();
    }
    void sectionsChanged();
    void itemsChanged(TButtonBarSection* section);

    bool changeSection(int target, bool alreadyAsked);
    TButtonBarSection* openSection() const;
    TButtonBarGeometry barGeometry() const;
    int sectionAt(const QPoint& pos) const;
    int itemAt(const QPoint& pos) const; // an item of the open section, inside the item area
    int itemHeight(const TButtonBarSection* section) const;
    // Where an item's icon and caption go inside its rectangle, shared by painting and itemCaptionLines.
    struct ItemLayout {
        QRect icon;
        QRect text;
        Qt::Alignment alignment;
        QStringList lines;
    };
    ItemLayout itemLayout(const TButtonBarSection& section, const TButtonBarItem& item, const QRect& r) const;
    TButtonBarItem* openItem(int index) const;
    int firstEnabledItem() const;
    void resetTrackers();
    void normalizeState();
    void reportItemClick(int section, TButtonBarItem* item);
    void announceChildrenChanged();
    void announceSectionSelected(int section);

    void updateHover(const QPoint& pos);
    void handleHeldMove(const QPoint& pos);
    ScrollZone scrollZoneAt(const TButtonBarGeometry& g, const QPoint& pos) const;
    static QRect zoneRect(const TButtonBarGeometry& g, ScrollZone zone);
    bool startItemScroll(ScrollZone zone);
    void stopItemScroll();
    void itemScrollTick();

    int frameWidth() const;
    void paintPicture(QPixmap& target);
    void paintBackground(QPainter& p) const;
    void drawBevel(QPainter& p, QRect r, Bevel bevel) const;
    void drawSectionButton(QPainter& p, const TButtonBarSection& section, int index, const QRect& r) const;
    void drawItem(QPainter& p, const TButtonBarSection& section, int index, const QRect& r) const;
    void drawArrow(QPainter& p, const QRect& r, bool up) const;
    void drawFocus(QPainter& p, const TButtonBarGeometry& g) const;

    TButtonBarSections m_sections{this};
    int m_activeSection = 0;
    int m_previousSection = -1; // the section open before a change that is not painted yet
    bool m_singleSectionMode = false;
    int m_sectionBtnSize = 20;
    int m_smallItemHeight = 20;
    int m_largeItemHeight = 60;
    int m_scrollDelay = 50;
    int m_scrollStep = -1;
    bool m_softScroll = true;
    int m_fixedSectionLeftBorder = 20;
    int m_fixedSectionRightBorder = 20;
    bool m_readOnly = false;
    bool m_fillSelectedItem = true;
    bool m_transparentButtons = false;
    bool m_showHint = false;
    QColor m_gradientFrom;
    QColor m_gradientTo;
    int m_gradientColours = 1;
    Bevel m_bevelInner = Bevel::None;
    Bevel m_bevelOuter = Bevel::Raised;

    int m_hotButton = -1;
    int m_pressedButton = -1;
    int m_hotItem = -1;
    int m_pressedItem = -1;
    int m_pressedItemSection = -1;
    int m_dragSection = -1; // the button under the held pointer, tried once per visit
    QPoint m_lastMousePos;

    QTimer m_itemScrollTimer;
    ScrollZone m_scrollZone = ScrollZone::None;

    // Double buffering: m_picture holds the bar as it is now; while a slide runs, m_shownPicture holds
    // what was on the screen before the change. Both are reused until the size changes.
    QPixmap m_picture;
    QPixmap m_shownPicture;
    bool m_pictureDirty = true;
    bool m_paintedSinceShow = false;
    std::unique_ptr<TButtonBarSlide> m_slide;
};
