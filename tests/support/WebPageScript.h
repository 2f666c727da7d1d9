#pragma once

// Reading a page from a web-view test: run a script in the page's main world and wait for its
// answer, or wait until a condition holds in it. Header-only: only the web-view tests, which
// link WebEngine, include it.
#include <QPointer>
#include <QString>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

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
