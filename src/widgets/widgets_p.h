#pragma once

// What the section bar's own files share, and what its tests read; the program's windows include
// widgets.h only.

#include "widgets.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>

class QPainter;

namespace buttonbar {

constexpr int kBevelWidth = 1;
constexpr int kItemFace = 1;       // an item's face lies this far inside its rectangle
constexpr int kItemTextInset = 4;  // and its caption this much further in, at each side
constexpr int kCaptionPadding = 6; // a section caption keeps this far from its button's sides

// Where a section button's caption is drawn, and what of it shows in a line that wide (elided to fit,
// room left for its relief).
QRect sectionCaptionRect(const QRect& button);
int reliefTracing(const TextEffect3D& effect); // how far the relief lies off the text
QString reliefShownText(const QFontMetrics& metrics, const QString& text, int width,
                        const TextEffect3D& effect);

} // namespace buttonbar

// Where everything of the bar lies, in widget coordinates; one computation serves painting, mouse hit
// tests, hints and accessibility.
struct TButtonBarGeometry {
    QRect inner;          // the client area less the bevels
    QList<QRect> buttons; // one per section; empty where no button is laid out
    QRect itemArea;       // the open section's items, clipped to this
    QList<QRect> items;   // the open section's items before clipping
    int itemHeight = 0;
    int scrollRange = 0;         // how far the open list can scroll; 0 when it fits
    int scrollPosition = 0;      // the open list's position, kept within 0 .. scrollRange
    QRect upArrow, downArrow;    // empty while not shown
    QRect topStrip, bottomStrip; // the 5-pixel edges of the item area that scroll while held
};

// A section's item hint: a tooltip-like window with its own show delay and display time.
class TButtonBarHintWindow : public QLabel {
public:
    explicit TButtonBarHintWindow(QWidget* owner);

    void schedule(const QString& text, const QPoint& globalPos, int delay, int duration);
    void cancel();

private:
    void showPending();

    QTimer m_showTimer;
    QTimer m_hideTimer;
    QPoint m_anchor;
    int m_duration = 0;
};

// The slide that shows a change of the open section: the region between the old and the new section's
// buttons is uncovered from one edge in frames, each copying a growing band of the new picture.
struct TButtonBarSlidePlan {
    struct Copy {
        int sourceTop; // first row taken from the new picture
        int targetTop; // first row it lands on
        int rows;      // band height; the band spans the full width
    };

    bool movingDown = true; // towards a higher section index
    int top = 0;            // T: first row of the region
    int bottom = 0;         // B: end row of the region
    int shift = 0;          // d: how far the section buttons move
    int travel = 0;         // H = bottom - top - shift: rows uncovered
    int step = 1;           // rows added per frame: grows with travel so a slide has at most 300 frames

    static TButtonBarSlidePlan between(int oldSection, int newSection, int sectionBtnSize,
                                       int itemAreaBottom);
    int frameCount() const;
    Copy frame(int index) const;
};

// A slide as it runs. It only moves pixels: the bar's state has changed before it starts.
class TButtonBarSlide {
public:
    // How long a whole slide lasts, whatever the frame count and refresh rate.
    static constexpr int kMilliseconds = 200;

    // Repaints `bar` at every frame while running.
    explicit TButtonBarSlide(QWidget* bar);

    void start(const TButtonBarSlidePlan& plan);
    void stop() { m_timer.stop(); }
    bool isRunning() const { return m_timer.isActive(); }
    int framesShown() const { return m_framesShown; }

    // Paints the frame due now: `before` (what was on the screen before the change) with a band of
    // `after` over it; once the time is up, `after` alone, and the slide stops.
    void present(QPainter& p, const QPixmap& before, const QPixmap& after, int width);

private:
    TButtonBarSlidePlan m_plan;
    QElapsedTimer m_clock;
    QTimer m_timer;
    int m_framesShown = 0;
};

// What the bar's accessibility and its tests read beyond the public interface: where everything lies,
// and the state of the pointer, the timers and the hints.
struct TButtonBarInternals {
    static TButtonBarGeometry barGeometry(const TButtonBar& bar) { return bar.barGeometry(); }
    static int itemHeight(const TButtonBar& bar, const TButtonBarSection* section) {
        return bar.itemHeight(section);
    }
    static int sectionAt(const TButtonBar& bar, const QPoint& pos) { return bar.sectionAt(pos); }
    // A section button's caption as it is drawn: whole, or elided where the button is too narrow.
    static QString shownSectionCaption(const TButtonBar& bar, int index);
    // An item of the open section, inside the item area.
    static int itemAt(const TButtonBar& bar, const QPoint& pos) { return bar.itemAt(pos); }
    static int hotItem(const TButtonBar& bar) { return bar.m_hotItem; }
    static int pressedItem(const TButtonBar& bar) { return bar.m_pressedItem; }

    static bool isSliding(const TButtonBar& bar) { return bar.m_slide->isRunning(); }
    // Counts over the bar's lifetime.
    static int slideFramesShown(const TButtonBar& bar) { return bar.m_slide->framesShown(); }
    static bool isItemScrollTimerActive(const TButtonBar& bar) { return bar.m_itemScrollTimer.isActive(); }
    static int itemScrollInterval(const TButtonBar& bar) { return bar.m_itemScrollTimer.interval(); }

    // Created at the first item hint, destroyed when ShowHint goes off; null until then.
    static QWidget* hintWindow(const TButtonBarSection& section) { return section.m_hintWindow.get(); }
    static bool isHintVisible(const TButtonBarSection& section) {
        return section.m_hintWindow && section.m_hintWindow->isVisible();
    }
};

// Makes TButtonBar visible to assistive technology: its section buttons and the open section's items
// become children that can be named and pressed. The bar's constructor calls this; calling it again does
// nothing.
void installButtonBarAccessibility();
