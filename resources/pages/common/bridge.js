// The page's side of the native bridge. Messages go out through
// window.webkit.messageHandlers.NAME.postMessage(JSON text); native answers by calling
// window.__$$$_native_call_ios.<name>Callback(object). Requests and answers are matched by "id".
(function () {
  'use strict';
  var ns = window.__$$$_native_call_ios = window.__$$$_native_call_ios || {};
  var waiting = {};
  var userInfoWaiters = [];
  var nextId = 1;

  function post(name, body) {
    var handlers = window.webkit && window.webkit.messageHandlers;
    if (!handlers || !handlers[name]) {
      return false;
    }
    handlers[name].postMessage(body === undefined ? '' : JSON.stringify(body));
    return true;
  }

  function settle(reply) {
    var entry = reply && waiting[reply.id];
    if (!entry) {
      return;
    }
    delete waiting[reply.id];
    entry(reply.data);
  }

  ns.getUserInfoCallback = function (reply) {
    var list = userInfoWaiters;
    userInfoWaiters = [];
    list.forEach(function (resolve) { resolve(reply); });
  };
  ns.encryptStringCallback = settle;
  ns.decryptStringCallback = settle;

  function ask(name, value) {
    return new Promise(function (resolve, reject) {
      var id = 'p' + (nextId++);
      waiting[id] = resolve;
      if (!post(name, { id: id, value: value })) {
        delete waiting[id];
        reject(new Error('no native side'));
      }
    });
  }

  function query(fields) {
    return Object.keys(fields).map(function (key) {
      return encodeURIComponent(key) + '=' + encodeURIComponent(fields[key]);
    }).join('&');
  }

  window.NativeBridge = {
    userInfo: function () {
      return new Promise(function (resolve, reject) {
        userInfoWaiters.push(resolve);
        if (!post('getUserInfo')) {
          reject(new Error('no native side'));
        }
      });
    },
    // A signed request to the service: native encrypts the path and the parameters and signs the
    // headers; the page sends it and native decrypts the answer.
    api: function (method, path, params) {
      return ask('encryptString', { url: path, headers: {}, body: params || {} }).then(function (req) {
        var init = { method: method, headers: req.headers || {} };
        var url = req.url;
        if (method === 'GET') {
          url += '?' + query(req.body || {});
        } else {
          init.headers['Content-Type'] = 'application/json';
          init.body = JSON.stringify(req.body || {});
        }
        return fetch(url, init);
      }).then(function (response) {
        if (!response.ok) {
          throw new Error('HTTP ' + response.status);
        }
        return response.text();
      }).then(function (sealed) {
        return ask('decryptString', sealed.trim());
      });
    },
    close: function () {
      if (!post('closePage')) {
        post('button', { type: 'close', params: {} });
      }
    },
    // http, https and mailto leave for the browser; "marlet://buy" and "marlet://my" switch the
    // main window's tabs; native code refuses anything else.
    openLink: function (url) {
      post('button', { type: 'jump', params: { url: url } });
    },
    track: function (event) {
      post('trackEvent', { event: event });
    },
    // A picture the page drew (a data URL), saved into the user's Pictures folder.
    saveImage: function (dataUrl) {
      post('saveImg', { img: dataUrl });
    }
  };
})();
