#include "style.h"

#include "icons.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QToolTip>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

namespace {

// Tooltips appear 50 ms after the pointer rests and stay 10 seconds; the overflow arrows are our own.
class ProgramStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
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
