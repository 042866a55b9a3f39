#pragma once

#include "core/pagezoom.h"
#include "core/places.h"
#include "core/settings.h"

#include <QObject>

namespace solvenna {

// The settings in force while the program runs: the five of the settings table, the page zoom, night
// mode and the lunar calendar's place. The settings dialog edits them; the main window, its View menu and the
// section bar follow the signals. Each signal is sent only when its value changes, except by announce().
class LiveSettings : public QObject {
    Q_OBJECT
public:
    // At the table's defaults, the normal zoom and night mode off.
    explicit LiveSettings(QObject* parent = nullptr);

    const Settings& values() const { return m_values; }
    int pageZoom() const { return m_pageZoom; }
    bool nightMode() const { return m_nightMode; }
    // The place's setting as stored (empty until set), and the place it names: Moscow when it names none.
    // Kept as text, so that nothing looks a time zone up before the place is needed.
    const QString& placeSetting() const { return m_placeSetting; }
    Place place() const { return placeFromSetting(m_placeSetting); }

    void setStoreNames(bool on) { set(&Settings::storeNames, on); }
    void setShowHints(bool on) { set(&Settings::showHints, on); }
    void setSoftScroll(bool on) { set(&Settings::softScroll, on); }
    // Taken as it stands: while a number is being typed it may lie outside the table's bounds, and
    // takes effect so.
    void setScrollDelay(int milliseconds) { set(&Settings::scrollDelay, milliseconds); }
    void setAutoDelay(bool on) { set(&Settings::autoDelay, on); }
    void setPageZoom(int percent);
    void setNightMode(bool on);
    void setPlaceSetting(const QString& text);
    void setPlace(const Place& place) { setPlaceSetting(solvenna::placeSetting(place)); }

    // Every setting of the table in its order, each change signalled as it is made (the page zoom, night
    // mode and the place are none of them and stay).
    void assign(const Settings& values);
    // Signals every value as it is, in the table's order, then the zoom, night mode and the place, so that
    // what follows the settings agrees with them whatever it showed before.
    void announce();

Q_SIGNALS:
    void storeNamesChanged(bool on);
    void showHintsChanged(bool on);
    void softScrollChanged(bool on);
    void scrollDelayChanged(int milliseconds);
    void autoDelayChanged(bool on);
    void pageZoomChanged(int percent);
    void nightModeChanged(bool on);
    void placeChanged();

private:
    void set(SettingsFlag flag, bool on);
    void set(SettingsNumber number, int value);
    void announce(const SettingKey& row);

    Settings m_values;
    int m_pageZoom = kNormalZoom;
    bool m_nightMode = false;
    QString m_placeSetting;
};

} // namespace solvenna
