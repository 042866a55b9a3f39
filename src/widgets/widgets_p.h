#pragma once

// What the section bar's own files share, and what its tests read; the program's windows include
// widgets.h only.

#include "widgets.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QTimer>

class QPainter;

namespace buttonbar {

constexpr int kBevelWidth = 1;

} // namespace buttonbar

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
