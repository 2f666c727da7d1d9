#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>

#include <optional>

// What the invitation, discovery and lottery pages read from the service through their own
// signed requests: a user's invitation code and link, the recommended sites, and the lottery
// with its prizes and each user's chances. The caller (StandinState) holds its lock around
// every call.
//
// Control (POST /__control): {"websites": [{"name", "url", "desc"?, "category"?}, ...]} replaces
// the recommended sites (any "url", so tests can offer schemes the client must refuse);
// {"lottery_chances": N} gives every user N draws from now on.
class StandinPageData
{
public:
    explicit StandinPageData(const QString &baseUrl);

    // "data" of the invitation request for that signed-in user.
    QJsonObject invitation(const QJsonObject &user) const;
    // "data" of the sites request: {"page_datas": [...]}.
    QJsonObject websites() const;
    // "data" of the lottery's status request for that user.
    QJsonObject lotteryStatus(qint64 userId) const;
    // The prize of one draw with the chances left; nothing when the user has none left.
    std::optional<QJsonObject> draw(qint64 userId);

    void applyControl(const QJsonObject &control);

    // The user with "vip_invalid_time" moved on by the prize's days (from now when it had run
    // out), of the members' type and at least the ordinary level, so the account the client reads
    // next shows what the lottery gave and the members' lines take it.
    static QJsonObject withPrize(const QJsonObject &user, const QJsonObject &prize);

private:
    int chancesLeft(qint64 userId) const;

    QString m_baseUrl;
    QJsonArray m_websites;
    QJsonArray m_prizes;
    int m_chances = 1;
    QMap<qint64, int> m_draws;   // draws taken per user id
};
