#include "widgets/widgets_p.h"

#include <QGuiApplication>
#include <QScreen>
#include <QToolTip>

#include <algorithm>

namespace {

// Item hints open below the pointer; Qt has no portable query for the pointer's size, and X11 and
// Wayland themes default to about this height.
constexpr int kCursorHeight = 20;

} // namespace

TButtonBarHintWindow::TButtonBarHintWindow(QWidget* owner)
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

void TButtonBarHintWindow::schedule(const QString& text, const QPoint& globalPos, int delay, int duration) {
    cancel();
    setText(text);
    m_anchor = globalPos;
    m_duration = duration;
    m_showTimer.start(delay);
}

void TButtonBarHintWindow::cancel() {
    m_showTimer.stop();
    m_hideTimer.stop();
    hide();
}

void TButtonBarHintWindow::showPending() {
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

// ---------------------------------------------------------------------------------------------------------
// A section's hints

void TButtonBarSection::scheduleHint(const QString& text, const QPoint& globalPos) {
    if (!m_hintWindow) m_hintWindow = std::make_unique<TButtonBarHintWindow>(m_bar);
    m_hintWindow->schedule(text, globalPos, m_hintShowDelay, m_hintDuration);
}

void TButtonBarSection::cancelHint() {
    if (m_hintWindow) m_hintWindow->cancel();
}
