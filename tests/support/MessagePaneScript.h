#pragma once

// For tests that link the web pages: scripts and clicks in the message centre's pane.

#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "settings/message/NBMessageDetailViewController.h"

namespace MessagePaneScript {

// Runs a script beside the page's own world (the pane runs no script of its own) and answers its
// result, or nothing after `waitMs`.
inline QVariant evaluate(QWebEnginePage *page, const QString &script, int waitMs = 30000)
{
    if (!page)
        return {};
    QVariant result;
    bool done = false;
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, waitMs))
        return {};
    return result;
}

// The pane's page: its web view is Chromium's, made by the pages' module and handed over as a widget.
inline QWebEnginePage *pageOf(NBMessageDetailViewController *detail)
{
    auto *view = qobject_cast<QWebEngineView *>(detail->webView());
    return view ? view->page() : nullptr;
}

// A real click on an element of the page, where the page drew it; false when there is none.
inline bool clickElement(NBMessageDetailViewController *detail, const QString &selector)
{
    const QVariantList box = evaluate(pageOf(detail), QStringLiteral(
        "(function(){var e=document.querySelector('%1');if(!e)return null;var r=e.getBoundingClientRect();"
        "return [r.left+r.width/2, r.top+r.height/2];})()").arg(selector)).toList();
    if (box.size() != 2)
        return false;
    QWidget *target = detail->webView()->focusProxy() ? detail->webView()->focusProxy() : detail->webView();
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(box.at(0).toInt(), box.at(1).toInt()));
    return true;
}

} // namespace MessagePaneScript
