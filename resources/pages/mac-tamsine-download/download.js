// The download page: the published downloads (a signed request), each opened in the browser.
(function () {
  'use strict';
  var bridge = window.NativeBridge;
  var status = document.getElementById('status');

  bridge.userInfo().then(function (reply) {
    var data = (reply && reply.data) || {};
    status.textContent = '当前版本：' + (data.app_version_number || '');
  });

  bridge.api('GET', '/api/client/society/forward_apis/app_version_list', {}).then(function (reply) {
    var list = (reply && reply.data && reply.data.page_datas) || [];
    var holder = document.getElementById('versions');
    list.forEach(function (item) {
      var card = document.createElement('div');
      card.className = 'card';
      card.textContent = item.platform;
      var version = document.createElement('b');
      version.textContent = item.version;
      card.appendChild(version);
      card.addEventListener('click', function () { bridge.openLink(item.url); });
      holder.appendChild(card);
    });
    document.body.dataset.versions = String(list.length);
  }).catch(function (error) {
    status.textContent = '下载地址读取失败：' + error.message;
  });

  document.getElementById('close').addEventListener('click', function () { bridge.close(); });
})();
