// The invitation page: the signed-in user's invitation code and link (a signed request through
// encryptString, read through decryptString), copying the link, a poster saved through saveImg,
// the rules in the browser, and closing.
(function () {
  'use strict';
  var bridge = window.NativeBridge;
  var status = document.getElementById('status');
  var invitation = null;

  function show(text) { status.textContent = text; }

  function copyText(text) {
    // The clipboard API may be refused to a file: page; a selected text area is not.
    var area = document.createElement('textarea');
    area.value = text;
    document.body.appendChild(area);
    area.select();
    var copied = document.execCommand('copy');
    document.body.removeChild(area);
    return copied;
  }

  function poster(info) {
    var canvas = document.createElement('canvas');
    canvas.width = 360;
    canvas.height = 480;
    var g = canvas.getContext('2d');
    var fill = g.createLinearGradient(0, 0, 0, 480);
    fill.addColorStop(0, '#17232f');
    fill.addColorStop(1, '#10111b');
    g.fillStyle = fill;
    g.fillRect(0, 0, 360, 480);
    g.textAlign = 'center';
    g.fillStyle = '#ffffff';
    g.font = '26px sans-serif';
    g.fillText('一起来用 Ostrel', 180, 120);
    g.fillStyle = '#8889a1';
    g.font = '16px sans-serif';
    g.fillText('注册时填写邀请码', 180, 200);
    g.fillStyle = '#00fbe7';
    g.font = 'bold 40px sans-serif';
    g.fillText(info.invite_code, 180, 260);
    g.fillStyle = '#8889a1';
    g.font = '13px sans-serif';
    g.fillText(info.invite_url, 180, 420);
    return canvas.toDataURL('image/png');
  }

  bridge.api('GET', '/api/client/society_v2/invitations/info', {}).then(function (reply) {
    if (!reply || !reply.success || !reply.data) {
      throw new Error((reply && reply.message) || '无数据');
    }
    invitation = reply.data;
    document.getElementById('code').textContent = invitation.invite_code;
    document.getElementById('url').textContent = invitation.invite_url;
    document.getElementById('count').textContent = String(invitation.invited_count || 0) + ' 人';
    document.getElementById('reward').textContent = String(invitation.reward_days || 0) + ' 天';
    var rules = document.getElementById('rules');
    (invitation.rules || []).forEach(function (line) {
      var item = document.createElement('li');
      item.textContent = line;
      rules.appendChild(item);
    });
    document.getElementById('more').hidden = !invitation.rules_url;
    document.getElementById('invite').hidden = false;
    document.body.dataset.invite = 'ready';
  }).catch(function (error) {
    show('邀请信息读取失败：' + error.message + '，登录后即可邀请好友。');
    document.body.dataset.invite = 'failed';
  });

  document.getElementById('copy').addEventListener('click', function () {
    bridge.track('invitePage_copy_click');
    show(copyText(invitation.invite_url) ? '链接已复制，发给好友吧。' : '复制失败，请手动复制。');
  });
  document.getElementById('poster').addEventListener('click', function () {
    bridge.track('invitePage_poster_click');
    bridge.saveImage(poster(invitation));
  });
  document.getElementById('more').addEventListener('click', function () {
    bridge.openLink(invitation.rules_url);
  });
  document.getElementById('close').addEventListener('click', function () { bridge.close(); });
})();
