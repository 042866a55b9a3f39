#include "core/pagezoom.h"

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
constexpr std::array kSteps{50, 67, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
const QString kSection = u"main"_s;
} // namespace

int zoomIn(int percent) {
    const auto next = std::upper_bound(kSteps.begin(), kSteps.end(), percent);
    return next == kSteps.end() ? kSteps.back() : *next;
}

int zoomOut(int percent) {
    const auto at = std::lower_bound(kSteps.begin(), kSteps.end(), percent);
    return at == kSteps.begin() ? kSteps.front() : *(at - 1);
}

int readZoom(const IniFile& file) {
    const int stored = file.readInteger(kSection, QString::fromLatin1(kZoomKey), kNormalZoom);
    return std::find(kSteps.begin(), kSteps.end(), stored) != kSteps.end() ? stored : kNormalZoom;
}

void writeZoom(IniFile& file, int percent) {
    file.writeInteger(kSection, QString::fromLatin1(kZoomKey), percent);
}

std::optional<bool> readNightMode(const IniFile& file) {
    const QString key = QString::fromLatin1(kNightModeKey);
    // Two fallbacks that differ tell a missing or unreadable value from a stored one.
    const int stored = file.readInteger(kSection, key, -1);
    if (stored != 0 && stored != 1) return std::nullopt;
    return stored == 1;
}

void writeNightMode(IniFile& file, bool on) {
    file.writeBool(kSection, QString::fromLatin1(kNightModeKey), on);
}

} // namespace solvenna
