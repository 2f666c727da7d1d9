#include "support/HeldAnswers.h"

#include <QJsonObject>
#include <QTest>

#include <memory>

#include "support/StandinProcess.h"

HeldAnswers::HeldAnswers(const StandinProcess &service, const QString &path, int count)
    : m_service(service)
    , m_count(count)
    , m_heldBefore(heldCount("answers"))
    , m_sentBefore(heldCount("sent"))
    , m_set(service.fault(path, QStringLiteral("hold"), count))
{
}

HeldAnswers::HeldAnswers(const StandinProcess &service, int count)
    : m_service(service)
    , m_count(count)
    , m_heldBefore(heldCount("answers"))
    , m_sentBefore(heldCount("sent"))
    , m_set(true)
{
}

int HeldAnswers::heldCount(const char *which) const
{
    // The service counts every answer it held and every held one written whole, over its life.
    return m_service.records().value(QStringLiteral("held")).toObject().value(QLatin1String(which)).toInt();
}

bool HeldAnswers::waitUntilHeld(int timeoutMs) const
{
    return m_set && QTest::qWaitFor([this] { return heldCount("answers") >= m_heldBefore + m_count; }, timeoutMs);
}

bool HeldAnswers::release(const RoundTrip &roundTrip, int timeoutMs) const
{
    if (!m_service.control(QJsonObject{{QStringLiteral("release_held"), true}}))
        return false;
    if (!QTest::qWaitFor([this] { return heldCount("sent") >= m_sentBefore + m_count; }, timeoutMs))
        return false;
    if (!roundTrip)
        return true;
    // Shared, so that an answer after a failed wait finds it alive.
    auto answered = std::make_shared<bool>(false);
    roundTrip([answered] { *answered = true; });
    const bool done = QTest::qWaitFor([&answered] { return *answered; }, timeoutMs);
    // The turn that handed on this answer may have queued the late one's last step.
    QTest::qWait(0);
    return done;
}
