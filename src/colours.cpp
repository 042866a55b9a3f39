#include "colours.h"

#include <QEvent>
#include <QPalette>
#include <QWidget>

#include <cmath>

namespace solvenna::ui {

namespace {

// Lives as the widget's child and watches it for palette changes.
class DesignedTextColour : public QObject {
public:
    DesignedTextColour(QWidget* widget, const QColor& designed) : QObject(widget), m_designed(designed) {
        widget->installEventFilter(this);
        apply(widget);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
            apply(static_cast<QWidget*>(watched));
        return false;
    }

private:
    void apply(QWidget* widget) {
        // Setting the palette reports a palette change of its own.
        if (m_applying) return;
        m_applying = true;
        QPalette palette = widget->palette();
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::WindowText,
                             readableColour(m_designed, palette.color(group, QPalette::Window)));
        if (palette != widget->palette() || !widget->testAttribute(Qt::WA_SetPalette))
            widget->setPalette(palette);
        m_applying = false;
    }

    QColor m_designed;
    bool m_applying = false;
};

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

} // namespace

double relativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableColour(const QColor& designed, const QColor& background, double minimum) {
    if (contrastRatio(designed, background) >= minimum) return designed;
    // Below this luminance white contrasts more than black does.
    const bool lighten = relativeLuminance(background) < 0.179;
    const QColor hsl = designed.toHsl();
    const float hue = hsl.hslHueF();
    const float saturation = hsl.hslSaturationF();
    // Steps of 1/200 in lightness: finer than the eye tells apart.
    for (int step = 1; step <= 200; ++step) {
        const float delta = float(step) / 200.0f;
        const float lightness =
            lighten ? std::min(1.0f, hsl.lightnessF() + delta) : std::max(0.0f, hsl.lightnessF() - delta);
        // Judged in the eight bits a channel has on the screen, not in QColor's finer steps.
        const QColor candidate =
            QColor::fromRgba(QColor::fromHslF(hue, saturation, lightness, designed.alphaF()).rgba());
        if (contrastRatio(candidate, background) >= minimum) return candidate;
    }
    return lighten ? QColor(Qt::white) : QColor(Qt::black);
}

bool isDarkPalette(const QPalette& palette) {
    return relativeLuminance(palette.color(QPalette::Window)) <
           relativeLuminance(palette.color(QPalette::WindowText));
}

QColor nightSheet() {
    // A warm dark grey, the cream sheet's counterpart; black would glare against the light text.
    return QColor(0x23, 0x21, 0x1e);
}

QColor nightText(const QColor& designed) {
    const QColor sheet = nightSheet();
    if (contrastRatio(designed, sheet) >= kMinimumContrast) return designed;
    const QColor hsl = designed.toHsl();
    const QColor mirrored =
        QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), 1.0f - hsl.lightnessF(), designed.alphaF());
    return readableColour(mirrored.toRgb(), sheet);
}

QColor nightBackground(const QColor& designed) {
    const QColor sheet = nightSheet();
    if (relativeLuminance(designed) <= relativeLuminance(sheet)) return designed;
    const QColor hsl = designed.toHsl();
    // A shade above the sheet keeps a table's heading cells or a marked passage apart from it.
    const float lightness = std::max(1.0f - hsl.lightnessF(), sheet.toHsl().lightnessF() + 0.06f);
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness, designed.alphaF()).toRgb();
}

void setDesignedTextColour(QWidget* widget, const QColor& designed) {
    new DesignedTextColour(widget, designed);
}

} // namespace solvenna::ui
