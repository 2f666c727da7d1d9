#include "app/unreached/OOLocationPermisionManager.h"
#include "app/AppLog.h"

#include <QDebug>

OOLocationPermisionManager::OOLocationPermisionManager(QObject *parent)
    : OOLocationPermisionManager(QGeoPositionInfoSource::createDefaultSource(nullptr), parent)
{
}

OOLocationPermisionManager::OOLocationPermisionManager(QGeoPositionInfoSource *source, QObject *parent)
    : QObject(parent)
{
    setupManager(source);
}

OOLocationPermisionManager::~OOLocationPermisionManager()
{
    if (m_cllManager) {
        m_cllManager->stopUpdates();
        disconnect(m_cllManager, nullptr, this, nullptr);
    }
    qCDebug(lcApp).noquote() << "销毁";
}

void OOLocationPermisionManager::setupManager(QGeoPositionInfoSource *source)
{
    if (!source)
        return;
    // The manager owns the source, so its updates end with it.
    source->setParent(this);
    m_cllManager = source;
    // A country needs no satellite fix: the network's coarse position is enough.
    source->setPreferredPositioningMethods(QGeoPositionInfoSource::NonSatellitePositioningMethods);
    connect(source, &QGeoPositionInfoSource::positionUpdated, this,
            [this](const QGeoPositionInfo &info) { reverseGeocode({info}); });
    connect(source, &QGeoPositionInfoSource::errorOccurred, this, &OOLocationPermisionManager::locationFailed);
}

void OOLocationPermisionManager::reverseGeocode(const QList<QGeoPositionInfo> &locations)
{
    if (locations.isEmpty())
        return;
    const QGeoCoordinate coordinate = locations.last().coordinate();
    if (!coordinate.isValid())
        return;
    if (m_lastGeocoded.isValid() && m_lastGeocoded.distanceTo(coordinate) < kDistanceFilterMetres)
        return;
    qCDebug(lcApp).noquote() << "定位经纬度:" << coordinate.altitude();
    if (!m_geocoder) {
        qCDebug(lcApp).noquote() << "no reverse geocoder for the position";
        return;
    }
    m_lastGeocoded = coordinate;
    QPointer<OOLocationPermisionManager> self(this);
    m_geocoder(coordinate, [self](const QList<Placemark> &placemarks, const QString &error) {
        if (self)
            self->geocodeFinished(placemarks, error);
    });
}

void OOLocationPermisionManager::geocodeFinished(const QList<Placemark> &placemarks, const QString &error)
{
    if (!error.isEmpty() || placemarks.isEmpty())
        return;
    const std::optional<QString> code = placemarks.last().ISOcountryCode;
    if (!iosRegCode)
        return;
    m_ipRegCode = code;
    iosRegCode(code);
}

void OOLocationPermisionManager::locationFailed(QGeoPositionInfoSource::Error error)
{
    // The desktop asks the user itself (its location service's own prompt); nothing to request.
    qCDebug(lcApp).noquote() << "定位失败" << error;
}
