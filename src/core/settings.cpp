#include "core/settings.h"

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
const QString kWindowSection = u"window"_s;
const QString kLeft = u"Left"_s;
const QString kTop = u"Top"_s;
const QString kWidth = u"Width"_s;
const QString kHeight = u"Height"_s;
const QString kMaximized = u"Maximized"_s;
const QString kSectionBarWidth = u"SectionBarWidth"_s;
} // namespace

Settings::Settings() {
    for (const SettingKey& row : kSettingKeys) {
        if (row.flag) this->*row.flag = row.byDefault != 0;
        if (row.number) this->*row.number = row.byDefault;
    }
}

Settings Settings::load(const IniFile& file) {
    const QString section = QString::fromUtf16(kSection);
    Settings s;
    for (const SettingKey& row : kSettingKeys) {
        const QString key = QString::fromUtf16(row.key);
        if (row.flag) s.*row.flag = file.readBool(section, key, s.*row.flag);
        if (row.number)
            s.*row.number =
                std::clamp(file.readInteger(section, key, s.*row.number), row.lowest, row.highest);
    }
    return s;
}

void Settings::save(IniFile& file) const {
    QList<std::pair<QString, QString>> values;
    for (const SettingKey& row : kSettingKeys) {
        const QString value =
            row.flag ? (this->*row.flag ? u"1"_s : u"0"_s) : QString::number(this->*row.number);
        values.append({QString::fromUtf16(row.key), value});
    }
    file.writeValues(QString::fromUtf16(kSection), values);
}

WindowPlacement WindowPlacement::load(const IniFile& file) {
    WindowPlacement placement;
    constexpr int unknown = std::numeric_limits<int>::min();
    const auto read = [&file](const QString& key) { return file.readInteger(kWindowSection, key, unknown); };
    const int left = read(kLeft);
    const int top = read(kTop);
    const int width = read(kWidth);
    const int height = read(kHeight);
    const auto position = [](int v) { return v != unknown && v > -kMaxExtent && v < kMaxExtent; };
    const auto extent = [](int v) { return v >= kMinExtent && v <= kMaxExtent; };
    if (position(left) && position(top) && extent(width) && extent(height))
        placement.normalGeometry = QRect(left, top, width, height);
    placement.maximized = file.readBool(kWindowSection, kMaximized, false);
    if (const int bar = read(kSectionBarWidth); bar >= 0 && bar <= kMaxExtent)
        placement.sectionBarWidth = bar;
    return placement;
}

void WindowPlacement::save(IniFile& file) const {
    if (!normalGeometry.isNull()) {
        file.writeInteger(kWindowSection, kLeft, normalGeometry.left());
        file.writeInteger(kWindowSection, kTop, normalGeometry.top());
        file.writeInteger(kWindowSection, kWidth, normalGeometry.width());
        file.writeInteger(kWindowSection, kHeight, normalGeometry.height());
    }
    file.writeBool(kWindowSection, kMaximized, maximized);
    if (sectionBarWidth >= 0) file.writeInteger(kWindowSection, kSectionBarWidth, sectionBarWidth);
}

QString readPlaceSetting(const IniFile& file) {
    return file.readString(QString::fromUtf16(Settings::kSection), QString::fromLatin1(kPlaceKey), QString());
}

void writePlace(IniFile& file, const Place& place) {
    file.writeString(QString::fromUtf16(Settings::kSection), QString::fromLatin1(kPlaceKey),
                     placeSetting(place));
}

} // namespace solvenna
