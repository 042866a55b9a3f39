#include "core/settings.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
const QString kSection = u"main"_s;
}

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

} // namespace solvenna
