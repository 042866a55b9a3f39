#include "widgets/widgets_p.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int kMaxSlideFrames = 300;

} // namespace

using buttonbar::kFrameInterval;

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
