#pragma once

// What the section bar's own files share, and what its tests read; the program's windows include
// widgets.h only.

#include "widgets.h"

#include <QLabel>
#include <QPoint>
#include <QString>
#include <QTimer>

namespace buttonbar {

constexpr int kBevelWidth = 1;
constexpr int kFrameInterval = 16; // about one refresh of a 60 Hz screen

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
