#pragma once

#include "core/inifile.h"

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

} // namespace solvenna
