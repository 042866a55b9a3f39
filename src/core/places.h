#pragma once

#include <QList>
#include <QString>
#include <QTimeZone>

// Where the lunar calendar is worked out for: the setting "Город".
namespace solvenna {

struct Place {
    QString name;         // "Москва"; empty for a place typed by hand
    double latitude = 0;  // degrees, north positive, -90..90
    double longitude = 0; // degrees, east positive, -180..180
    QTimeZone zone;       // times on the pages are shown in it
};

// The thirty largest cities of the Russian-speaking world, Moscow first, then by population.
const QList<Place>& cities();
const Place& moscow();

// The key of the setting in [main] of solvenna.ini.
inline constexpr auto kPlaceKey = "Place";

// The setting's text: a city's name, or for a place typed by hand "55.7558;37.6176;Europe/Moscow"
// (latitude, longitude with a dot, the zone's IANA id).
QString placeSetting(const Place& place);
// Anything that is no city of the list and no valid place typed by hand (unknown zone, a latitude or
// longitude out of range, not a number, empty) gives Moscow.
Place placeFromSetting(const QString& value);

// How a page names the place: "Москва", or "69,35° с. ш., 88,20° в. д." for one typed by hand.
QString placeText(const Place& place);

} // namespace solvenna
