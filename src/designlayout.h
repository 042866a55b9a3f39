#pragma once

#include <initializer_list>

class QWidget;

// The dialogs are laid out in pixels, as designed: a table of control places per dialog. Where today's
// fonts need more room than the design gave, a control grows and what follows it moves on by as much.
namespace solvenna::ui {

// For a width or height: the control's own size.
inline constexpr int kOwnSize = -1;

// One control at its design place, in its parent's coordinates.
struct DesignedControl {
    QWidget* control;
    int x;
    int y;
    int width = kOwnSize;
    int height = kOwnSize;
    // A control this one stays clear of on its right, with gap pixels between the two: it moves right as
    // far as that needs, never left of its design place.
    const QWidget* rightOf = nullptr;
    int gap = 0;
};

// Places the controls of one parent in the order given. A control whose text wraps takes the height the
// text needs at its width, never less than designed, and every control designed below it moves down by
// as much as it grew. Returns how much taller the whole is than designed, for the parent to grow by.
int placeAsDesigned(std::initializer_list<DesignedControl> controls);

// A container's width that keeps margin pixels right of its widest child, never less than designed.
int widthHoldingChildren(const QWidget* container, int designWidth, int margin);

} // namespace solvenna::ui
