#pragma once

#include <QPointer>
#include <QWebEnginePage>

#include <functional>
#include <memory>
#include <optional>

#include "webcore/PageDocumentGate.h"
#include "webcore/ScriptMessageRouter.h"

class QWebChannel;
class QWebEngineLoadingInfo;
class ScriptMessageHost;

// A web page wired to native code: window.webkit.messageHandlers.NAME.postMessage(...) for the
// host's own names (the shim over a QWebChannel, in the main world from document creation, so a
// page may post before the channel is up), every message handed to a ScriptMessageRouter with the
// page's URL at that moment, and every reply run back in this page.
//
// Pages are transparent, cannot hand an unknown scheme to the desktop (a clicked "foo:" or
// "file:" link goes nowhere; the router decides which links leave), and cannot open windows.
// A full-screen page navigates in place, the notice popup stays on its one document
// (PageNavigationPolicy); nothing in the pages' profile reads a file outside the pages' own folders,
// workers included (PageRequestPolicy); and native code answers only the main frame of a loaded
// local page (PageDocumentGate), never a document that is leaving or arriving, nor one from the web.
class ScriptMessageWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    // A clicked link in the main frame; return true to let the page follow it.
    using LinkPolicy = std::function<bool(const QUrl &url)>;

    ScriptMessageWebPage(ScriptMessageRouter::HostKind kind, ScriptMessageHost *host, QObject *parent = nullptr);
    ~ScriptMessageWebPage() override;

    ScriptMessageRouter *router() const { return m_router; }

    // "window.initializeData = ..." at document start of the next loads, main frame only. Replaces
    // the script set before (a page shown again does not collect copies); empty removes it.
    void setInitialDataScript(const QString &script);
    bool hasInitialDataScript();

    void setLinkPolicy(LinkPolicy policy) { m_linkPolicy = std::move(policy); }

    // The loaded local page while native code answers it; empty while any other document is
    // shown or a navigation is under way.
    QUrl answeringUrl() const;
    // Runs `step` once a local page is loaded and answered: now, after the load under way, or not
    // at all when that load turns out to be no local page.
    void whenAnswering(std::function<void()> step);

    // Sees every navigation first, frames included (the older page bridge's signals): false
    // refuses it; otherwise the page's own rules decide, which a filter can never get past.
    using NavigationFilter = std::function<std::optional<bool>(const QUrl &url, NavigationType type, bool isMainFrame)>;
    void setNavigationFilter(NavigationFilter filter) { m_navigationFilter = std::move(filter); }

Q_SIGNALS:
    // A reply script has been handed to the page (tests wait on it).
    void replyEvaluated(const QString &script);
    // A load this page accepted ended without a local page that native code answers: a failed
    // load, a page from elsewhere, or one without our script. What it shows has no native side.
    void documentRefused();
    // The notice's page tried to leave its document (a script, a refresh, a form) and was
    // refused; a popup that stayed would show nothing it could be closed with.
    void leftDocument();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;

private:
    void installBridgeScript();
    void evaluateReply(const QString &script);

    void identifyDocument(const QWebEngineLoadingInfo &info);
    static QString loggedAddress(const QUrl &url);
    void logLoading(const QWebEngineLoadingInfo &info);
    void logRendererEnd(RenderProcessTerminationStatus status, int exitCode);

    ScriptMessageRouter::HostKind m_kind;
    ScriptMessageRouter *m_router = nullptr;
    PageDocumentGate m_gate;
    QWebChannel *m_channel = nullptr;
    LinkPolicy m_linkPolicy;
    NavigationFilter m_navigationFilter;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
