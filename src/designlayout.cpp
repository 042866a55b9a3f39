#include "designlayout.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace solvenna::ui {

int placeAsDesigned(std::initializer_list<DesignedControl> controls) {
    struct Growth {
        int designBottom; // first row below the grown control's design place
        int by;
    };
    std::vector<Growth> grown;
    int total = 0;
    for (const DesignedControl& place : controls) {
        QWidget* control = place.control;
        int shift = 0;
        for (const Growth& growth : grown)
            if (place.y >= growth.designBottom) shift += growth.by;
        int x = place.x;
        if (place.rightOf)
            x = std::max(x, place.rightOf->geometry().x() + place.rightOf->width() + place.gap);
        const int y = place.y + shift;
        if (place.width == kOwnSize && place.height == kOwnSize) {
            control->move(x, y);
            control->adjustSize();
            continue;
        }
        const int width = place.width == kOwnSize ? control->sizeHint().width() : place.width;
        int height = place.height == kOwnSize ? control->sizeHint().height() : place.height;
        if (place.height != kOwnSize && control->hasHeightForWidth()) {
            height = std::max(place.height, control->heightForWidth(width));
            if (height > place.height) {
                grown.push_back({place.y + place.height, height - place.height});
                total += height - place.height;
            }
        }
        control->setGeometry(x, y, width, height);
    }
    return total;
}

int widthHoldingChildren(const QWidget* container, int designWidth, int margin) {
    int width = designWidth;
    for (const QObject* child : container->children()) {
        const auto* widget = qobject_cast<const QWidget*>(child);
        if (widget && !widget->isWindow()) width = std::max(width, widget->x() + widget->width() + margin);
    }
    return width;
}

} // namespace solvenna::ui
