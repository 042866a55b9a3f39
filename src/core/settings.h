#pragma once

#include "core/inifile.h"

#include <QRect>

namespace solvenna {

// The five settings of solvenna.ini, section "main", with their defaults: the one place that names them.
struct Settings {
    bool storeNames = true;
    bool showHints = false;
    bool softScroll = true;
    int scrollDelay = 20; // milliseconds, kept within 0..500
    bool autoDelay = true;

    static constexpr auto kFileName = "solvenna.ini";
    static constexpr int kMinScrollDelay = 0;
    static constexpr int kMaxScrollDelay = 500;

    // Reads the file; a missing file, section or key, or a value that is not a number, gives the default.
    static Settings load(const IniFile& file);
    // Writes all five keys in order in one rewrite; throws IniWriteError when refused, and then none of
    // them is written.
    void save(IniFile& file) const;
};

// Where the main window was at its last close, in section "window" of the same file, beside the five
// settings and never touching them.
struct WindowPlacement {
    QRect normalGeometry; // the client area of the normal (not maximized) window; null when unknown
    bool maximized = false;
    int sectionBarWidth = -1; // the splitter's left pane in pixels; -1 when unknown

    static constexpr int kMinExtent = 1;
    static constexpr int kMaxExtent = 32767;

    // A missing, non-numeric or absurd value (no size, or larger than any screen) leaves that part
    // unknown: the geometry as a whole, or the bar width.
    static WindowPlacement load(const IniFile& file);
    // Throws IniWriteError at the first refused write.
    void save(IniFile& file) const;
};

} // namespace solvenna
