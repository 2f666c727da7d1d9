#pragma once

#include <QGeoCoordinate>
#include <QGeoPositionInfo>
#include <QGeoPositionInfoSource>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

// The user's country from where the computer is: a coarse position (network based, about three
// kilometres) is turned into places by a reverse geocoder, and the last place's country code is
// the region code. Nothing in the program makes one; its owner starts the updates on
// cllManager() and supplies the geocoder (the desktop has none of its own).
class OOLocationPermisionManager : public QObject
{
    Q_OBJECT
public:
    struct Placemark
    {
        std::optional<QString> ISOcountryCode;
    };
    using GeocodeDone = std::function<void(const QList<Placemark> &placemarks, const QString &error)>;
    using Geocoder = std::function<void(const QGeoCoordinate &coordinate, GeocodeDone done)>;

    // Positions below this distance from the last one handled are not geocoded again.
    static constexpr double kDistanceFilterMetres = 2000;

    // With no source given, the desktop's default position source, when it has one.
    explicit OOLocationPermisionManager(QObject *parent = nullptr);
    OOLocationPermisionManager(QGeoPositionInfoSource *source, QObject *parent);
    ~OOLocationPermisionManager() override;

    // Called with each region code found (the code may be absent from the place).
    std::function<void(const std::optional<QString> &code)> iosRegCode;
    QGeoPositionInfoSource *cllManager() const { return m_cllManager; }
    std::optional<QString> ipRegCode() const { return m_ipRegCode; }
    void setGeocoder(Geocoder geocoder) { m_geocoder = std::move(geocoder); }

    void reverseGeocode(const QList<QGeoPositionInfo> &locations);
    void geocodeFinished(const QList<Placemark> &placemarks, const QString &error);
    void locationFailed(QGeoPositionInfoSource::Error error);

private:
    void setupManager(QGeoPositionInfoSource *source);

    QPointer<QGeoPositionInfoSource> m_cllManager;
    std::optional<QString> m_ipRegCode;
    Geocoder m_geocoder;
    QGeoCoordinate m_lastGeocoded;
};
