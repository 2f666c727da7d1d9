#pragma once

// Reading a page from a web-view test: run a script in the page's main world and wait for its
// answer, wait until a condition holds in it, or wait for a load's end. Header-only: only the web-view tests, which
// link WebEngine, include it.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QString>
#include <QTest>
#include <QVariant>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <optional>

#include "common/AppPaths.h"

// The script's result; invalid when the page gave none in time, or is gone (a script that
// clicks a page's close button may take the page with it before the page answers).
inline QVariant evaluate(QWebEnginePage *page, const QString &script)
{
    if (!page)
        return {};
    QPointer<QWebEnginePage> alive(page);
    QVariant result;
    bool done = false;
    page->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done || !alive; }, 20000))
        return {};
    return done ? result : QVariant();
}

// Waits until the script gives true in the page.
inline bool waitInPage(QWebEnginePage *page, const QString &condition, int timeoutMs = 30000)
{
    return QTest::qWaitFor([&] { return evaluate(page, QStringLiteral("!!(%1)").arg(condition)).toBool(); },
                           timeoutMs);
}

// The ends of a page's loads from its making on, by address: a load that succeeded, failed, or
// was refused (Chromium ends a navigation that the page refused, too).
class LoadEnds
{
public:
    explicit LoadEnds(QWebEnginePage *page)
    {
        QObject::connect(page, &QWebEnginePage::loadingChanged, &m_context, [this](const QWebEngineLoadingInfo &info) {
            if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
                m_ends.append({info.url(), info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !info.isErrorPage()});
        });
    }

    // Waits for the end of a load of `url` and says whether it succeeded; nothing when no load of
    // it ended in time.
    std::optional<bool> waitFor(const QUrl &url, int timeoutMs = 30000)
    {
        std::optional<bool> succeeded;
        (void)QTest::qWaitFor([&] {
            for (const auto &[ended, ok] : m_ends) {
                if (ended == url)
                    succeeded = ok;
            }
            return succeeded.has_value();
        }, timeoutMs);
        return succeeded;
    }

private:
    QObject m_context;
    QList<std::pair<QUrl, bool>> m_ends;
};

// Writes a page under the page root (a local page) and gives its address.
inline QUrl writeLocalPage(const QString &relative, const QByteArray &html)
{
    const QString path = AppPaths::pageFolder() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(html);
    return QUrl::fromLocalFile(path);
}
