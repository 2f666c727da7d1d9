#include "webcore/ScriptMessageShim.h"

#include <QJsonArray>
#include <QJsonDocument>

const QString ScriptMessageShim::kBridgeObjectName = QStringLiteral("nativeBridge");
const QString ScriptMessageShim::kDocumentIdName = QStringLiteral("__ostrelDocument");
const QString ScriptMessageShim::kRequestBoundsName = QStringLiteral("__ostrelRequestBounds");

QString ScriptMessageShim::source(const QStringList &names, const RequestBounds &bounds)
{
    const QString list = QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact));
    // The transport appears shortly after document creation; try again on a zero-delay timer, a
    // bounded number of times (a page without a channel simply gets no native side).
    return QStringLiteral(R"JS(;(function () {
  'use strict';
  if (window.__ostrelMessageShim) { return; }
  window.__ostrelMessageShim = true;
  var names = %1;
  // This document's id: native code answers only the document whose id it read from the loaded
  // page itself, never a document that was leaving or another frame.
  var token = (function () {
    var words = new Uint32Array(4);
    if (typeof crypto !== 'undefined' && crypto.getRandomValues) { crypto.getRandomValues(words); }
    else { for (var i = 0; i < 4; ++i) { words[i] = Math.floor(Math.random() * 4294967296); } }
    return Array.prototype.map.call(words, function (w) { return ('0000000' + w.toString(16)).slice(-8); }).join('');
  })();
  Object.defineProperty(window, '%3', { value: token });
  Object.defineProperty(window, '%4', { value: Object.freeze({ maxBytes: %5, deadlineMs: %6 }) });
  var queue = [];
  var bridge = null;
  var tries = 0;
  var handlers = {};
  function send(call) {
    if (bridge) { call(bridge); } else { queue.push(call); }
  }
  names.forEach(function (name) {
    handlers[name] = Object.freeze({
      postMessage: function (body) {
        var value = body === undefined ? null : body;
        send(function (b) { b.postMessage(name, value, token); });
      }
    });
  });
  var webkit = window.webkit || {};
  Object.defineProperty(webkit, 'messageHandlers', { value: Object.freeze(handlers), enumerable: true });
  window.webkit = webkit;
  // An in-app link names its destination with capitals ("marlet://newsList"); the browser would
  // hand it over as a parsed address with the host folded to lower case, so it goes as written.
  if (typeof document !== 'undefined' && document.addEventListener) {
    document.addEventListener('click', function (event) {
      if (event.defaultPrevented || !event.target || !event.target.closest) { return; }
      var link = event.target.closest('a[href]');
      if (!link) { return; }
      var href = String(link.getAttribute('href')).trim();
      if (!/^marlet:/i.test(href)) { return; }
      event.preventDefault();
      send(function (b) { b.followLink(href, token); });
    });
  }
  function connect() {
    if (typeof qt === 'undefined' || !qt.webChannelTransport || typeof QWebChannel === 'undefined') {
      if (++tries < 500) { setTimeout(connect, 0); }
      return;
    }
    new QWebChannel(qt.webChannelTransport, function (channel) {
      bridge = channel.objects.%2 || null;
      if (!bridge) { return; }
      while (queue.length) { queue.shift()(bridge); }
    });
  }
  connect();
})();
)JS")
        .arg(list, kBridgeObjectName, kDocumentIdName, kRequestBoundsName)
        .arg(bounds.maxBytes)
        .arg(bounds.deadlineMs);
}
