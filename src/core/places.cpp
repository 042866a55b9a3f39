#include "core/places.h"

#include <QStringList>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {

// A city's zone from the tz database. A system without the database (no package tzdata) knows no zone at
// all: the city's present standard offset then keeps the pages' times near right, rather than invalid.
QTimeZone zone(std::initializer_list<const char*> ids, int hoursAheadOfUtc) {
    for (const char* id : ids)
        if (QTimeZone::isTimeZoneIdAvailable(id)) return QTimeZone(id);
    return QTimeZone(hoursAheadOfUtc * 3600);
}

QList<Place> makeCities() {
    // Older tz databases (Debian 12's) know Kyiv only by its old spelling.
    const QTimeZone kyiv = zone({"Europe/Kyiv", "Europe/Kiev"}, 2);
    return {
        {u"Москва"_s, 55.7558, 37.6176, zone({"Europe/Moscow"}, 3)},
        {u"Санкт-Петербург"_s, 59.9386, 30.3141, zone({"Europe/Moscow"}, 3)},
        {u"Ташкент"_s, 41.2995, 69.2401, zone({"Asia/Tashkent"}, 5)},
        {u"Киев"_s, 50.4501, 30.5234, kyiv},
        {u"Баку"_s, 40.4093, 49.8671, zone({"Asia/Baku"}, 4)},
        {u"Алматы"_s, 43.2220, 76.8512, zone({"Asia/Almaty"}, 5)},
        {u"Минск"_s, 53.9006, 27.5590, zone({"Europe/Minsk"}, 3)},
        {u"Новосибирск"_s, 55.0084, 82.9357, zone({"Asia/Novosibirsk"}, 7)},
        {u"Екатеринбург"_s, 56.8389, 60.6057, zone({"Asia/Yekaterinburg"}, 5)},
        {u"Харьков"_s, 49.9935, 36.2304, kyiv},
        {u"Астана"_s, 51.1694, 71.4491, zone({"Asia/Almaty"}, 5)},
        {u"Казань"_s, 55.7961, 49.1064, zone({"Europe/Moscow"}, 3)},
        {u"Нижний Новгород"_s, 56.3269, 44.0059, zone({"Europe/Moscow"}, 3)},
        {u"Шымкент"_s, 42.3417, 69.5901, zone({"Asia/Almaty"}, 5)},
        {u"Красноярск"_s, 56.0153, 92.8932, zone({"Asia/Krasnoyarsk"}, 7)},
        {u"Челябинск"_s, 55.1644, 61.4368, zone({"Asia/Yekaterinburg"}, 5)},
        {u"Самара"_s, 53.1959, 50.1002, zone({"Europe/Samara"}, 4)},
        {u"Уфа"_s, 54.7388, 55.9721, zone({"Asia/Yekaterinburg"}, 5)},
        {u"Ростов-на-Дону"_s, 47.2357, 39.7015, zone({"Europe/Moscow"}, 3)},
        {u"Омск"_s, 54.9885, 73.3242, zone({"Asia/Omsk"}, 6)},
        {u"Краснодар"_s, 45.0355, 38.9753, zone({"Europe/Moscow"}, 3)},
        {u"Бишкек"_s, 42.8746, 74.5698, zone({"Asia/Bishkek"}, 6)},
        {u"Воронеж"_s, 51.6720, 39.1843, zone({"Europe/Moscow"}, 3)},
        {u"Пермь"_s, 58.0105, 56.2502, zone({"Asia/Yekaterinburg"}, 5)},
        {u"Волгоград"_s, 48.7080, 44.5133, zone({"Europe/Volgograd"}, 3)},
        {u"Одесса"_s, 46.4825, 30.7233, kyiv},
        {u"Днепр"_s, 48.4647, 35.0462, kyiv},
        {u"Саратов"_s, 51.5336, 46.0343, zone({"Europe/Saratov"}, 4)},
        {u"Тюмень"_s, 57.1522, 65.5272, zone({"Asia/Yekaterinburg"}, 5)},
        {u"Тольятти"_s, 53.5078, 49.4204, zone({"Europe/Samara"}, 4)},
    };
}

// A number of the setting: C locale, finite.
bool parseNumber(const QString& text, double& value) {
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

} // namespace

const QList<Place>& cities() {
    static const QList<Place> list = makeCities();
    return list;
}

const Place& moscow() {
    return cities().front();
}

QString placeSetting(const Place& place) {
    if (!place.name.isEmpty()) return place.name;
    return QString::number(place.latitude, 'f', 4) + u';' + QString::number(place.longitude, 'f', 4) + u';' +
           QString::fromUtf8(place.zone.id());
}

Place placeFromSetting(const QString& value) {
    const QString text = value.trimmed();
    for (const Place& city : cities())
        if (city.name.compare(text, Qt::CaseInsensitive) == 0) return city;
    const QStringList fields = text.split(u';');
    if (fields.size() != 3) return moscow();
    Place place;
    const QByteArray zoneId = fields[2].trimmed().toUtf8();
    if (!parseNumber(fields[0], place.latitude) || !parseNumber(fields[1], place.longitude) ||
        std::abs(place.latitude) > 90 || std::abs(place.longitude) > 180 || zoneId.isEmpty() ||
        !QTimeZone::isTimeZoneIdAvailable(zoneId))
        return moscow();
    place.zone = QTimeZone(zoneId);
    return place.zone.isValid() ? place : moscow();
}

QString placeText(const Place& place) {
    if (!place.name.isEmpty()) return place.name;
    const auto degrees = [](double value) {
        return QString::number(std::abs(value), 'f', 2).replace(u'.', u',') + u'°';
    };
    return degrees(place.latitude) + (place.latitude < 0 ? u" ю. ш., "_s : u" с. ш., "_s) +
           degrees(place.longitude) + (place.longitude < 0 ? u" з. д."_s : u" в. д."_s);
}

} // namespace solvenna
