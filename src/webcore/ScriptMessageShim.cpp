#include "webcore/ScriptMessageShim.h"

#include <QJsonArray>
#include <QJsonDocument>

const QString ScriptMessageShim::kBridgeObjectName = QStringLiteral("nativeBridge");

QString ScriptMessageShim::source(const QStringList &names)
{
    const QString list = QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact));
    // The transport appears shortly after document creation; try again on a zero-delay timer, a
    // bounded number of times (a page without a channel simply gets no native side).
    return QStringLiteral(R"JS(;(function () {
  'use strict';
  if (window.__ostrelMessageShim) { return; }
  window.__ostrelMessageShim = true;
  var names = %1;
  var queue = [];
  var bridge = null;
  var tries = 0;
  var handlers = {};
  names.forEach(function (name) {
    handlers[name] = Object.freeze({
      postMessage: function (body) {
        if (bridge) { bridge.postMessage(name, body === undefined ? null : body); }
        else { queue.push([name, body === undefined ? null : body]); }
      }
    });
  });
  var webkit = window.webkit || {};
  Object.defineProperty(webkit, 'messageHandlers', { value: Object.freeze(handlers), enumerable: true });
  window.webkit = webkit;
  function connect() {
    if (typeof qt === 'undefined' || !qt.webChannelTransport || typeof QWebChannel === 'undefined') {
      if (++tries < 500) { setTimeout(connect, 0); }
      return;
    }
    new QWebChannel(qt.webChannelTransport, function (channel) {
      bridge = channel.objects.%2 || null;
      if (!bridge) { return; }
      while (queue.length) { var message = queue.shift(); bridge.postMessage(message[0], message[1]); }
    });
  }
  connect();
})();
)JS").arg(list, kBridgeObjectName);
}
