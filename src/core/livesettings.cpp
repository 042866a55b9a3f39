#include "core/livesettings.h"

#include <functional>
#include <iterator>

namespace solvenna {

namespace {
using FlagSignal = void (LiveSettings::*)(bool);
using NumberSignal = void (LiveSettings::*)(int);
struct Announcement {
    SettingsFlag flag = nullptr;
    FlagSignal flagChanged = nullptr;
    SettingsNumber number = nullptr;
    NumberSignal numberChanged = nullptr;
};
// The signal of each row of the settings table, in its order.
constexpr Announcement kAnnouncements[] = {
    {.flag = &Settings::storeNames, .flagChanged = &LiveSettings::storeNamesChanged},
    {.flag = &Settings::showHints, .flagChanged = &LiveSettings::showHintsChanged},
    {.flag = &Settings::softScroll, .flagChanged = &LiveSettings::softScrollChanged},
    {.number = &Settings::scrollDelay, .numberChanged = &LiveSettings::scrollDelayChanged},
    {.flag = &Settings::autoDelay, .flagChanged = &LiveSettings::autoDelayChanged},
};

constexpr bool everyRowAnnounced() {
    if (std::size(kAnnouncements) != std::size(kSettingKeys)) return false;
    for (std::size_t i = 0; i < std::size(kSettingKeys); ++i)
        if (kAnnouncements[i].flag != kSettingKeys[i].flag ||
            kAnnouncements[i].number != kSettingKeys[i].number)
            return false;
    return true;
}
static_assert(everyRowAnnounced(), "a setting of the table needs its signal here, in the table's order");

const Announcement& announcementOf(const SettingKey& row) {
    return kAnnouncements[std::size_t(&row - std::begin(kSettingKeys))];
}
} // namespace

LiveSettings::LiveSettings(QObject* parent) : QObject(parent) {}

void LiveSettings::set(SettingsFlag flag, bool on) {
    if (m_values.*flag == on) return;
    m_values.*flag = on;
    for (const SettingKey& row : kSettingKeys)
        if (row.flag == flag) announce(row);
}

void LiveSettings::set(SettingsNumber number, int value) {
    if (m_values.*number == value) return;
    m_values.*number = value;
    for (const SettingKey& row : kSettingKeys)
        if (row.number == number) announce(row);
}

void LiveSettings::setPageZoom(int percent) {
    if (m_pageZoom == percent) return;
    m_pageZoom = percent;
    Q_EMIT pageZoomChanged(percent);
}

void LiveSettings::setNightMode(bool on) {
    if (m_nightMode == on) return;
    m_nightMode = on;
    Q_EMIT nightModeChanged(on);
}

void LiveSettings::setPlaceSetting(const QString& text) {
    if (m_placeSetting == text) return;
    m_placeSetting = text;
    Q_EMIT placeChanged();
}

void LiveSettings::assign(const Settings& values) {
    for (const SettingKey& row : kSettingKeys) {
        if (row.flag) set(row.flag, values.*row.flag);
        if (row.number) set(row.number, values.*row.number);
    }
}

void LiveSettings::announce(const SettingKey& row) {
    const Announcement& a = announcementOf(row);
    if (a.flagChanged) Q_EMIT std::invoke(a.flagChanged, this, m_values.*row.flag);
    if (a.numberChanged) Q_EMIT std::invoke(a.numberChanged, this, m_values.*row.number);
}

void LiveSettings::announce() {
    for (const SettingKey& row : kSettingKeys)
        announce(row);
    Q_EMIT pageZoomChanged(m_pageZoom);
    Q_EMIT nightModeChanged(m_nightMode);
    Q_EMIT placeChanged();
}

} // namespace solvenna
