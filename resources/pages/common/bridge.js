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

  // The body as it arrives, never more than maxBytes of it (a body that never ends would
  // otherwise fill the page's memory); the reader is cancelled at the bound.
  function readBounded(response, maxBytes) {
    if (Number(response.headers.get('Content-Length')) > maxBytes) {
      throw new Error('回复过大');
    }
    if (!response.body) {
      return Promise.resolve('');
    }
    var reader = response.body.getReader();
    var chunks = [];
    var total = 0;
    function next() {
      return reader.read().then(function (step) {
        if (step.done) {
          var whole = new Uint8Array(total);
          var at = 0;
          chunks.forEach(function (chunk) { whole.set(chunk, at); at += chunk.byteLength; });
          return new TextDecoder().decode(whole);
        }
        total += step.value.byteLength;
        if (total > maxBytes) {
          reader.cancel();
          throw new Error('回复过大');
        }
        chunks.push(step.value);
        return next();
      });
    }
    return next();
  }

  // Native code gives no answer to a reply it cannot read, and holds or drops an ask for a
  // document it does not answer: the deadline still ends the wait.
  function whenAborted(signal) {
    return new Promise(function (resolve, reject) {
      signal.addEventListener('abort', function () { reject(new Error('aborted')); });
    });
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
    // headers; the page sends it and native decrypts the answer. It ends as the client's own
    // requests do: past the size bound (however the reply is encoded, counted as it arrives) or the
    // deadline, with a failure the page shows, and the network stops sending.
    api: function (method, path, params) {
      var bounds = window.__ostrelRequestBounds;
      if (!bounds) {
        return Promise.reject(new Error('no native side'));
      }
      var controller = new AbortController();
      var late = false;
      var timer = setTimeout(function () {
        late = true;
        controller.abort();
      }, bounds.deadlineMs);
      // The deadline covers every step, the encryption asked of native code included: a page
      // whose ask is held or dropped still ends its request.
      var sealing = ask('encryptString', { url: path, headers: {}, body: params || {} });
      return Promise.race([sealing, whenAborted(controller.signal)]).then(function (req) {
        var init = { method: method, headers: req.headers || {}, signal: controller.signal };
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
        return readBounded(response, bounds.maxBytes);
      }).then(function (sealed) {
        return Promise.race([ask('decryptString', sealed.trim()), whenAborted(controller.signal)]);
      }).then(function (reply) {
        clearTimeout(timer);
        return reply;
      }, function (error) {
        clearTimeout(timer);
        controller.abort();
        throw late ? new Error('请求超时') : error;
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
