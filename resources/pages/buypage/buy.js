// The purchase page: who is signed in (getUserInfo), the products (a signed request through
// encryptString, its answer read through decryptString), links, and closing when opened from a
// message ("needBack" in the initial data).
(function () {
  'use strict';
  var bridge = window.NativeBridge;
  var status = document.getElementById('status');
  var initial = window.initializeData || {};

  function show(text) { status.textContent = text; }

  bridge.userInfo().then(function (reply) {
    var data = (reply && reply.data) || {};
    var user = data.user || {};
    var name = user.username || user.phone || user.email_address;
    document.getElementById('account').textContent = name
      ? '账号：' + name + (user.vip_invalid_time ? '，会员到期：' + user.vip_invalid_time : '')
      : '未登录（' + (data.app_version_number || '') + '）';
    document.body.dataset.userInfo = 'received';
  });

  bridge.api('GET', '/api/client/society_v2/products', {}).then(function (reply) {
    var list = (reply && reply.data && reply.data.page_datas) || [];
    var holder = document.getElementById('products');
    list.forEach(function (product) {
      var card = document.createElement('div');
      card.className = 'card';
      card.textContent = product.name;
      var price = document.createElement('b');
      price.textContent = '¥' + product.price;
      card.appendChild(price);
      card.addEventListener('click', function () {
        bridge.track('buypage_product_click');
        show('已选择：' + product.name);
      });
      holder.appendChild(card);
    });
    document.body.dataset.products = String(list.length);
  }).catch(function (error) {
    show('套餐读取失败：' + error.message);
    document.body.dataset.products = 'failed';
  });

  var back = document.getElementById('back');
  back.hidden = !initial.needBack;
  back.addEventListener('click', function () { bridge.close(); });
  document.getElementById('terms').addEventListener('click', function () {
    bridge.openLink('https://example.com/terms');
  });
  document.getElementById('help').addEventListener('click', function () {
    bridge.openLink('mailto:support@example.com');
  });
})();
