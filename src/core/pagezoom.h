#pragma once

#include "core/inifile.h"

#include <optional>

// How the page view shows the pages, kept across runs in solvenna.ini as keys of their own beside the
// five settings: the zoom, in per cent of the pages' own sizes, and night mode.
namespace solvenna {

inline constexpr int kNormalZoom = 100;
inline constexpr auto kZoomKey = "PageZoom";

// The steps Крупнее and Мельче go through.
int zoomIn(int percent);
int zoomOut(int percent);
// A zoom as stored; anything that is not one of the steps gives the normal size.
int readZoom(const IniFile& file);
void writeZoom(IniFile& file, int percent);

inline constexpr auto kNightModeKey = "NightMode";

// Night mode as the person chose it; nothing while they never did (or the value is no 0 or 1), so that
// it follows the desktop's palette.
std::optional<bool> readNightMode(const IniFile& file);
void writeNightMode(IniFile& file, bool on);

} // namespace solvenna
