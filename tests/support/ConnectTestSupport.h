#pragma once

// Shared pieces of the connect-road tests: a manual clock and a view that records the looks.

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QStringList>
#include <QPointer>
#include <QTest>

#include <algorithm>

#include <functional>
#include <map>
#include <vector>

#include "vpn/ConnectClock.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/HomeConnectView.h"

// Whether the client's own requests take the engine: the road Qt gives a request to a name, as the
// client's network managers and its pages ask for it.
inline bool ownRequestsTakeTheEngine()
{
    const QList<QNetworkProxy> road =
        QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(QUrl(QStringLiteral("https://api.ostrel.test/"))));
    return !road.isEmpty() && road.first().type() == QNetworkProxy::Socks5Proxy
        && road.first().port() == HLLPACUtilWrapper::kLocalPort;
}

// Delayed steps wait until the test advances the clock; `now` moves with it.
class ManualClock : public ConnectClock
{
public:
    double now() const override { return m_now; }

    void after(int ms, QObject *guard, std::function<void()> step) override
    {
        m_pending.push_back({m_now + ms / 1000.0, QPointer<QObject>(guard), std::move(step)});
    }

    // Runs every step due within `ms` milliseconds from now, in time order.
    void advance(int ms)
    {
        const double end = m_now + ms / 1000.0;
        for (;;) {
            auto due = m_pending.end();
            for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
                if (it->at <= end + 1e-9 && (due == m_pending.end() || it->at < due->at))
                    due = it;
            }
            if (due == m_pending.end())
                break;
            Step step = std::move(*due);
            m_pending.erase(due);
            m_now = std::max(m_now, step.at);
            if (step.guard)
                step.step();
        }
        m_now = end;
    }

    int pendingCount() const { return int(m_pending.size()); }
    void setNow(double seconds) { m_now = seconds; }

private:
    struct Step
    {
        double at;
        QPointer<QObject> guard;
        std::function<void()> step;
    };
    double m_now = 1700000000.0;
    std::vector<Step> m_pending;
};

class RecordingView : public HomeConnectView
{
public:
    void showLoading() override { looks << QStringLiteral("loading"); }
    void showPausing() override { looks << QStringLiteral("pausing"); }
    void showRunning() override { looks << QStringLiteral("running"); }
    void showStopped() override { looks << QStringLiteral("stopped"); }
    void showKillSwitch() override { looks << QStringLiteral("killSwitch"); }
    void showErrorToast(const QString &text) override { errors << text; }
    void showSuccessToast(const QString &text) override { successes << text; }
    void openUpgradePage() override { looks << QStringLiteral("upgradePage"); }
    void presentFreePage() override { looks << QStringLiteral("freePage"); }
    void updateConnectedTime(bool running) override
    {
        looks << (running ? QStringLiteral("clockOn") : QStringLiteral("clockOff"));
    }

    QString lastLook() const { return looks.isEmpty() ? QString() : looks.last(); }

    QStringList looks;
    QStringList errors;
    QStringList successes;
};
