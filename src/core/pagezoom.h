#pragma once

#include "core/inifile.h"

// The zoom of the page view, in per cent of the pages' own sizes, kept across runs in solvenna.ini as a
// key of its own beside the five settings.
namespace solvenna {

inline constexpr int kNormalZoom = 100;
inline constexpr auto kZoomKey = "PageZoom";

// The steps Крупнее and Мельче go through.
int zoomIn(int percent);
int zoomOut(int percent);
// A zoom as stored; anything that is not one of the steps gives the normal size.
int readZoom(const IniFile& file);
void writeZoom(IniFile& file, int percent);

} // namespace solvenna
