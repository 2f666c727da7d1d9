#pragma once

#include "helper/ProxySettings.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// One place where a desktop keeps its proxy settings. Failures come back as texts (empty on
// success) so the daemon can hand them to the client unchanged.
class ProxyBackend
{
public:
    virtual ~ProxyBackend() = default;

    virtual QString name() const = 0;

    // The user's own settings of every key apply() touches, in the backend's own form, so that
    // restoreSnapshot() puts back exactly what was there (values this daemon cannot interpret
    // included). Never includes credentials.
    virtual std::optional<QJsonObject> snapshot(QString *error) = 0;
    virtual QString restoreSnapshot(const QJsonObject &snapshot) = 0;
    // Whether a snapshot read back from disk has the shape this backend writes; a tampered or
    // foreign file is refused before anything is written from it.
    virtual bool isValidSnapshot(const QJsonObject &snapshot) const = 0;

    virtual std::optional<ProxySettings> read(QString *error) = 0;
    virtual QString apply(const ProxySettings &settings) = 0;
};
