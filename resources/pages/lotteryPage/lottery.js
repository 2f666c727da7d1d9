// The lottery page: the prizes and the draws left (a signed request), one draw (another signed
// request), a short run of the highlight that stops on the prize, and "marlet://my" to the
// account tab to see the membership.
(function () {
  'use strict';
  var bridge = window.NativeBridge;
  var status = document.getElementById('status');
  var drawButton = document.getElementById('draw');
  var prizes = [];
  var chances = 0;

  function showChances() {
    document.getElementById('chances').textContent = '剩余 ' + chances + ' 次';
    drawButton.disabled = chances <= 0;
    drawButton.textContent = chances > 0 ? '抽奖' : '次数已用完';
  }

  function highlight(index) {
    var cells = document.querySelectorAll('.prize');
    for (var i = 0; i < cells.length; i++) {
      cells[i].classList.toggle('on', i === index);
    }
  }

  // Two rounds of the highlight, ending on the prize.
  function spinTo(target, done) {
    var steps = prizes.length * 2 + target;
    var at = 0;
    var timer = setInterval(function () {
      highlight(at % prizes.length);
      if (at >= steps) {
        clearInterval(timer);
        done();
      }
      at++;
    }, 40);
  }

  bridge.api('GET', '/api/client/society_v2/activities/checkStatus', {}).then(function (reply) {
    if (!reply || !reply.success || !reply.data) {
      throw new Error((reply && reply.message) || '无数据');
    }
    prizes = reply.data.prizes || [];
    var holder = document.getElementById('prizes');
    prizes.forEach(function (prize) {
      var cell = document.createElement('div');
      cell.className = 'card prize';
      var days = document.createElement('b');
      days.textContent = String(prize.days || 0) + ' 天';
      cell.appendChild(days);
      cell.appendChild(document.createTextNode(prize.name || ''));
      holder.appendChild(cell);
    });
    chances = reply.data.chances || 0;
    showChances();
    document.body.dataset.lottery = 'ready';
  }).catch(function (error) {
    status.textContent = '活动读取失败：' + error.message + '，登录后即可抽奖。';
    document.body.dataset.lottery = 'failed';
  });

  drawButton.addEventListener('click', function () {
    bridge.track('lotteryPage_draw_click');
    drawButton.disabled = true;
    bridge.api('POST', '/api/client/society_v2/activities/lottery_draw', {}).then(function (reply) {
      if (!reply || !reply.success || !reply.data || !reply.data.prize) {
        throw new Error((reply && reply.message) || '无数据');
      }
      var won = reply.data.prize;
      var index = prizes.findIndex(function (p) { return p.id === won.id; });
      spinTo(index < 0 ? 0 : index, function () {
        document.getElementById('result').textContent = '恭喜获得 ' + won.name;
        document.getElementById('mine').hidden = false;
        chances = reply.data.chances || 0;
        showChances();
        document.body.dataset.won = won.name;
      });
    }).catch(function (error) {
      status.textContent = '抽奖失败：' + error.message;
      showChances();
      document.body.dataset.won = 'failed';
    });
  });
  document.getElementById('mine').addEventListener('click', function () { bridge.openLink('marlet://my'); });
  document.getElementById('close').addEventListener('click', function () { bridge.close(); });
})();
