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
// Every call carries `frameToken`, which only this script (run in the main frame alone) knows:
// the channel object answers nothing without it, so no other frame of the page is answered even
// if it reaches the channel itself. A clicked "marlet:" link goes to the channel's followLink with
// its text as the page wrote it.
class ScriptMessageShim
{
public:
    static const QString kBridgeObjectName;   // "nativeBridge"
    static QString source(const QStringList &names, const QString &frameToken);

private:
    ScriptMessageShim() = delete;
};
