#pragma once

#include <QColor>

class QPalette;
class QWidget;

// Text colours that stay readable whatever the desktop's palette: the designed colour where it reads, a
// lighter (or darker) shade of the same hue where it would not.
namespace solvenna::ui {

// The contrast a text must have against its background (WCAG 2, level AA, normal text).
constexpr double kMinimumContrast = 4.5;

// The contrast an outline or a symbol must have against what is behind it to be seen (WCAG 2.1, non-text
// contrast).
constexpr double kMinimumGraphicContrast = 3.0;

// WCAG 2 relative luminance, 0 (black) to 1 (white).
double relativeLuminance(const QColor& colour);
// WCAG 2 contrast ratio, 1 (none) to 21 (black on white), the same either way round.
double contrastRatio(const QColor& a, const QColor& b);

// The designed colour if it has the minimum contrast against the background; otherwise the nearest shade
// of the same hue and saturation that has it, lighter on a dark background and darker on a light one.
QColor readableColour(const QColor& designed, const QColor& background, double minimum = kMinimumContrast);

// True when the palette shows light text on a dark window, as a dark desktop theme does.
bool isDarkPalette(const QPalette& palette);

// Night mode of the page view: the sheet the pages are shown on, and the page's own colours carried over
// to it. A text colour keeps its hue and takes the opposite lightness where it would not read on the dark
// sheet (dark grey text becomes light grey, a deep blue heading a light blue), then the nearest readable
// shade; a background lighter than the sheet becomes a dark one a little lighter than the sheet.
QColor nightSheet();
QColor nightText(const QColor& designed);
QColor nightBackground(const QColor& designed);

// Gives a widget's text (its WindowText) the designed colour, or the readable shade of it against the
// widget's background, and again whenever the palette changes, so a desktop that switches between a light
// and a dark theme while the program runs leaves the text readable.
void setDesignedTextColour(QWidget* widget, const QColor& designed);

} // namespace solvenna::ui
