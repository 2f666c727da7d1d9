// The discovery page: the recommended sites (a signed request, its answer read through
// decryptString); a click hands the site's address to native code, which opens web and mail
// addresses in the browser, switches tabs for the client's own links and refuses the rest.
(function () {
  'use strict';
  var bridge = window.NativeBridge;
  var status = document.getElementById('status');

  function card(site, index) {
    var item = document.createElement('div');
    item.className = 'card site';
    item.id = 'site' + index;
    var tag = document.createElement('span');
    tag.className = 'tag';
    tag.textContent = site.category || '推荐';
    var name = document.createElement('div');
    name.className = 'name';
    name.textContent = site.name || '';
    var desc = document.createElement('div');
    desc.className = 'muted';
    desc.textContent = site.desc || '';
    item.appendChild(tag);
    item.appendChild(name);
    item.appendChild(desc);
    item.addEventListener('click', function () {
      bridge.track('recommendPage_site_click');
      if (typeof site.url === 'string') {
        bridge.openLink(site.url);
      }
    });
    return item;
  }

  bridge.api('GET', '/api/client/v2/websites', {}).then(function (reply) {
    var list = (reply && reply.data && reply.data.page_datas) || [];
    var holder = document.getElementById('sites');
    list.forEach(function (site, index) { holder.appendChild(card(site || {}, index)); });
    if (!list.length) {
      status.textContent = '暂时没有推荐。';
    }
    document.body.dataset.sites = String(list.length);
  }).catch(function (error) {
    status.textContent = '推荐读取失败：' + error.message;
    document.body.dataset.sites = 'failed';
  });

  document.getElementById('close').addEventListener('click', function () { bridge.close(); });
})();
