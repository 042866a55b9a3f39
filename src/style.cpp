#include "style.h"

#include "colours.h"
#include "icons.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <QToolTip>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

namespace {

// The colour the program's icons are drawn in.
const QColor kIconInk(0x3c, 0x4a, 0x6e);

// The icon in one colour, at the size and pixel ratio it is drawn at.
QIcon inkedIcon(const QIcon& icon, const QSize& size, qreal pixelRatio, const QColor& ink) {
    QPixmap pixmap = icon.pixmap(size, pixelRatio);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRect(QPoint(0, 0), pixmap.deviceIndependentSize().toSize()), ink);
    painter.end();
    return QIcon(pixmap);
}

// Tooltips appear 50 ms after the pointer rests and stay 10 seconds; the overflow arrows are our own, and
// they and the check boxes' frames stay visible on a dark desktop as on a light one.
class ProgramStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    // The tool bar's overflow arrow takes the palette of the moment: drawn in the icons' dark blue where
    // that shows against the bar, in a lighter shade of it where it would vanish.
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option);
        if (control == CC_ToolButton && button && widget &&
            widget->objectName() == QLatin1String("qt_toolbar_ext_button")) {
            QStyleOptionToolButton inked(*button);
            const QColor bar = option->palette.color(QPalette::Window);
            inked.icon = inkedIcon(button->icon, button->iconSize, painter->device()->devicePixelRatioF(),
                                   readableColour(kIconInk, bar));
            return QProxyStyle::drawComplexControl(control, &inked, painter, widget);
        }
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }
    // Fusion outlines a check box a shade darker than the window, which all but vanishes on a dark one
    // (and is faint on a light one): the outline is drawn again in a shade that shows.
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (element != PE_IndicatorCheckBox ||
            baseStyle()->name().compare(u"fusion"_s, Qt::CaseInsensitive) != 0)
            return;
        const QColor window = option->palette.color(QPalette::Window);
        const bool focusShown =
            (option->state & State_HasFocus) && (option->state & State_KeyboardFocusChange);
        const QColor designed = focusShown ? option->palette.color(QPalette::Highlight) : window.darker(140);
        painter->save();
        // Fusion's own outline: a one-pixel square on the pixel grid.
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->translate(0.5, 0.5);
        painter->setPen(readableColour(designed, window, kMinimumGraphicContrast));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 50;
        if (hint == SH_ToolTip_FallAsleepDelay) return 10000;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    // The bars' "more buttons" arrows and the fields' clear button come from our own icon set: reading
    // the built-in pictures loads every image plugin, which costs the start-up several milliseconds.
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (icon == SP_ToolBarHorizontalExtensionButton) return programIcon(u"more-h"_s);
        if (icon == SP_ToolBarVerticalExtensionButton) return programIcon(u"more-v"_s);
        if (icon == SP_LineEditClearButton) return programIcon(u"clear"_s);
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

// Qt keeps a long hint up longer than the program's 10 seconds (it adds time for every character past the
// hundredth), so hints set on a control are shown here with the program's time instead.
class HintTiming : public QObject {
public:
    using QObject::QObject;
    static constexpr int kShownMs = 10000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        // Views, menus and tab bars show hints of their own items.
        if (widget->toolTip().isEmpty() || qobject_cast<QAbstractItemView*>(widget) ||
            qobject_cast<QMenu*>(widget) || widget->inherits("QTabBar"))
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), kShownMs);
        return true;
    }
};

} // namespace

void installProgramStyle() {
    if (!dynamic_cast<ProgramStyle*>(QApplication::style())) QApplication::setStyle(new ProgramStyle);
    static QPointer<HintTiming> hintTiming;
    if (!hintTiming) {
        hintTiming = new HintTiming(qApp);
        qApp->installEventFilter(hintTiming);
    }
}

} // namespace solvenna::ui
