#pragma once

#include <QString>
#include <QStringList>

// The page-side script that gives a page window.webkit.messageHandlers.NAME.postMessage(body)
// over a QWebChannel, so pages written for script messages run unchanged.
//
// The web view runs qwebchannel.js and then source(names) at document creation in the main
// world, and registers an HHScriptMessageHandlerTarget under kBridgeObjectName in the channel.
// Only the host's own names get a handler (a page can test for one, as with script messages).
// Messages posted before the channel is up wait and go out in order once it is; bodies pass as
// they are (a non-text body reaches native code as such and is ignored there).
//
// Every call carries the document's id, made here at random and kept, read-only, as
// window[kDocumentIdName]; the view reads it from the loaded page and answers calls with that id
// only, so neither a document on its way out nor another frame is answered, even one that
// reaches the channel itself. A clicked "marlet:" link goes to the channel's followLink with its
// text as the page wrote it.
//
// It also tells the page, read-only as window[kRequestBoundsName] ({maxBytes, deadlineMs}), the
// bounds the client holds its own replies from the service to: a page sends its signed requests
// itself, and its bridge ends them on the same terms.
class ScriptMessageShim
{
public:
    struct RequestBounds
    {
        qint64 maxBytes = 0;
        int deadlineMs = 0;
    };

    static const QString kBridgeObjectName;   // "nativeBridge"
    static const QString kDocumentIdName;     // "__ostrelDocument"
    static const QString kRequestBoundsName;  // "__ostrelRequestBounds"
    static QString source(const QStringList &names, const RequestBounds &bounds);

private:
    ScriptMessageShim() = delete;
};
