#include "widgets/widgets_p.h"

#include <QPainter>

#include <algorithm>

// The slide's frame plan, and its playing by the clock.

namespace {

constexpr int kMaxSlideFrames = 300;
constexpr int kFrameInterval = 16; // about one refresh of a 60 Hz screen

} // namespace

int TButtonBarSlidePlan::frameCount() const {
    return travel < 1 ? 1 : (travel - 1) / step + 1;
}

TButtonBarSlidePlan::Copy TButtonBarSlidePlan::frame(int index) const {
    const int rows = 1 + index * step + shift;
    // Moving down the new content rises from the region's bottom; moving up it descends from its top.
    if (movingDown) return {top, bottom - rows, rows};
    return {bottom - rows, top, rows};
}

TButtonBarSlidePlan TButtonBarSlidePlan::between(int oldSection, int newSection, int sectionBtnSize,
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

TButtonBarSlide::TButtonBarSlide(QWidget* bar) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kFrameInterval);
    QObject::connect(&m_timer, &QTimer::timeout, bar, qOverload<>(&QWidget::update));
}

void TButtonBarSlide::start(const TButtonBarSlidePlan& plan) {
    m_plan = plan;
    m_clock.start();
    m_timer.start();
}

void TButtonBarSlide::present(QPainter& p, const QPixmap& before, const QPixmap& after, int width) {
    const int count = m_plan.frameCount();
    // Frames are picked by the time gone, so a slide lasts the same on any screen; short slides get
    // one refresh per frame instead of being stretched.
    const qint64 duration = std::min<qint64>(kMilliseconds, qint64(count) * kFrameInterval);
    const qint64 elapsed = m_clock.elapsed();
    if (elapsed >= duration) {
        m_timer.stop();
        p.drawPixmap(0, 0, after);
        return;
    }
    const TButtonBarSlidePlan::Copy copy =
        m_plan.frame(int(std::min<qint64>(count - 1, elapsed * count / duration)));
    p.drawPixmap(0, 0, before);
    if (copy.rows > 0) {
        const qreal ratio = after.devicePixelRatio();
        p.drawPixmap(QRectF(0, copy.targetTop, width, copy.rows), after,
                     QRectF(0, copy.sourceTop * ratio, after.width(), copy.rows * ratio));
    }
    ++m_framesShown;
}
