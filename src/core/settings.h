#pragma once

#include "core/inifile.h"
#include "core/places.h"

#include <QRect>

#include <stdexcept>

namespace solvenna {

// The five settings of solvenna.ini, section "main". Their keys and defaults are the table below.
struct Settings {
    // Every setting at its default.
    Settings();

    bool storeNames;
    bool showHints;
    bool softScroll;
    int scrollDelay; // milliseconds, kept within 0..500
    bool autoDelay;

    static constexpr auto kFileName = "solvenna.ini";
    static constexpr auto kSection = u"main";

    // Reads the file; a missing file, section or key, or a value that is not a number, gives the default.
    static Settings load(const IniFile& file);
    // Writes all five keys in order in one rewrite; throws IniWriteError when refused, and then none of
    // them is written.
    void save(IniFile& file) const;
};

// One row per setting, in the file's order: the key, the member it fills and its default. A flag is
// written 1 or 0 and read as any number, non-zero meaning on; a number is kept within its bounds.
using SettingsFlag = bool Settings::*;
using SettingsNumber = int Settings::*;
struct SettingKey {
    const char16_t* key;
    SettingsFlag flag = nullptr;
    SettingsNumber number = nullptr;
    int byDefault = 0; // for a flag, 1 or 0
    int lowest = 0;
    int highest = 0;
};
inline constexpr SettingKey kSettingKeys[] = {
    {.key = u"StoreNames", .flag = &Settings::storeNames, .byDefault = 1},
    {.key = u"ShowHints", .flag = &Settings::showHints, .byDefault = 0},
    {.key = u"SoftScroll", .flag = &Settings::softScroll, .byDefault = 1},
    {.key = u"ScrollDelay", .number = &Settings::scrollDelay, .byDefault = 20, .lowest = 0, .highest = 500},
    {.key = u"AutoDelay", .flag = &Settings::autoDelay, .byDefault = 1},
};

// The row of a number setting, for its default and bounds.
consteval const SettingKey& settingKey(SettingsNumber number) {
    for (const SettingKey& row : kSettingKeys)
        if (row.number == number) return row;
    throw std::logic_error("not a setting of the table");
}

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

// The place the lunar calendar is worked out for ("Город"), kept in section "main" under kPlaceKey beside
// the five settings: the setting's text as stored, which placeFromSetting reads (a missing or broken
// value gives Moscow). Read as text, so that start-up looks up no time zone.
QString readPlaceSetting(const IniFile& file);
// Throws IniWriteError when refused.
void writePlace(IniFile& file, const Place& place);

} // namespace solvenna
