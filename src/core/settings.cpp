#include "core/settings.h"

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
const QString kSection = u"main"_s;
const QString kWindowSection = u"window"_s;
} // namespace

Settings Settings::load(const IniFile& file) {
    const Settings defaults;
    Settings s;
    s.storeNames = file.readBool(kSection, u"StoreNames"_s, defaults.storeNames);
    s.showHints = file.readBool(kSection, u"ShowHints"_s, defaults.showHints);
    s.softScroll = file.readBool(kSection, u"SoftScroll"_s, defaults.softScroll);
    s.scrollDelay = std::clamp(file.readInteger(kSection, u"ScrollDelay"_s, defaults.scrollDelay),
                               kMinScrollDelay, kMaxScrollDelay);
    s.autoDelay = file.readBool(kSection, u"AutoDelay"_s, defaults.autoDelay);
    return s;
}

void Settings::save(IniFile& file) const {
    const auto flag = [](bool on) { return on ? u"1"_s : u"0"_s; };
    file.writeValues(kSection, {{u"StoreNames"_s, flag(storeNames)},
                                {u"ShowHints"_s, flag(showHints)},
                                {u"SoftScroll"_s, flag(softScroll)},
                                {u"ScrollDelay"_s, QString::number(scrollDelay)},
                                {u"AutoDelay"_s, flag(autoDelay)}});
}

WindowPlacement WindowPlacement::load(const IniFile& file) {
    WindowPlacement placement;
    constexpr int unknown = std::numeric_limits<int>::min();
    const auto read = [&file](const QString& key) { return file.readInteger(kWindowSection, key, unknown); };
    const int left = read(u"Left"_s);
    const int top = read(u"Top"_s);
    const int width = read(u"Width"_s);
    const int height = read(u"Height"_s);
    const auto position = [](int v) { return v != unknown && v > -kMaxExtent && v < kMaxExtent; };
    const auto extent = [](int v) { return v >= kMinExtent && v <= kMaxExtent; };
    if (position(left) && position(top) && extent(width) && extent(height))
        placement.normalGeometry = QRect(left, top, width, height);
    placement.maximized = file.readBool(kWindowSection, u"Maximized"_s, false);
    if (const int bar = read(u"SectionBarWidth"_s); bar >= 0 && bar <= kMaxExtent)
        placement.sectionBarWidth = bar;
    return placement;
}

void WindowPlacement::save(IniFile& file) const {
    if (!normalGeometry.isNull()) {
        file.writeInteger(kWindowSection, u"Left"_s, normalGeometry.left());
        file.writeInteger(kWindowSection, u"Top"_s, normalGeometry.top());
        file.writeInteger(kWindowSection, u"Width"_s, normalGeometry.width());
        file.writeInteger(kWindowSection, u"Height"_s, normalGeometry.height());
    }
    file.writeBool(kWindowSection, u"Maximized"_s, maximized);
    if (sectionBarWidth >= 0) file.writeInteger(kWindowSection, u"SectionBarWidth"_s, sectionBarWidth);
}

} // namespace solvenna
