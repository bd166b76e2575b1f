// The page's behaviour: state from Server-Sent Events, changes as POST requests with the token.
'use strict';
const token = document.querySelector('meta[name="kycamera-token"]').content;
const $ = (id) => document.getElementById(id);
let state = null;
let catalogueKey = '';
let lastMessage = 0;

function kib(n) {
  return n >= 1048576 ? (n / 1048576).toFixed(1) + ' MiB' : (n / 1024).toFixed(1) + ' KiB';
}

function when(seconds) {
  const d = new Date(seconds * 1000);
  const p = (n) => String(n).padStart(2, '0');
  return `${d.getFullYear()}-${p(d.getMonth() + 1)}-${p(d.getDate())} ` +
         `${p(d.getHours())}:${p(d.getMinutes())}:${p(d.getSeconds())}`;
}

function message(text) {
  $('message').textContent = text;
}

async function post(path, params) {
  const query = params ? '?' + new URLSearchParams(params) : '';
  try {
    const response = await fetch(path + query, {method: 'POST', headers: {'X-Kycamera-Token': token}});
    const body = await response.text();
    if (response.headers.get('Content-Type') === 'application/json') render(JSON.parse(body));
    message(response.ok ? '' : `${path.replace('/api/', '')}: refused (${response.status})`);
    return response.ok;
  } catch (error) {
    message(`${path}: ${error}`);
    return false;
  }
}

function viewFiles(s, view) {
  return s.files.filter((f) => view === 'all' || f.type === view);
}

function entry(view, file, pos, current) {
  const li = document.createElement('li');
  li.className = 'file' + (current ? ' current' : '');
  li.dataset.view = view;
  li.dataset.pos = pos;
  li.dataset.name = file.name;
  li.dataset.type = file.type;
  const q = `${view}/${pos}?name=${encodeURIComponent(file.name)}`;
  li.innerHTML = `<img loading="lazy" alt="">` +
    `<div><div class="name"></div><div class="meta"></div>` +
    (current ? '<div class="mark">● current</div>' : '') + `</div>` +
    `<div class="actions">` + (file.type === 'video' ? '<button class="play">Play</button>' : '') +
    `<a class="download">Download</a><button class="remove danger">Remove</button></div>`;
  li.querySelector('img').src = '/thumb/' + q;
  li.querySelector('.name').textContent = file.name;
  li.querySelector('.meta').textContent = `${when(file.time)} · ${kib(file.bytes)}`;
  const link = li.querySelector('.download');
  link.href = '/media/' + q;
  link.download = file.name;
  return li;
}

function renderCatalogue(s) {
  for (const box of document.querySelectorAll('.view')) {
    const view = box.dataset.view;
    const files = viewFiles(s, view);
    const list = box.querySelector('.files');
    list.replaceChildren(...files.map((f, pos) => entry(view, f, pos, s.current[view] === f.index)));
    box.querySelector('.count').textContent = `(${files.length})`;
  }
}

function render(s) {
  state = s;
  $('dir').textContent = s.dir;
  if (document.activeElement !== $('mode')) $('mode').value = s.mode;
  if (document.activeElement !== $('type'))
    $('type').value = s.mode === 'play' ? s.playType : s.cameraType;
  $('rec').hidden = !s.recording;
  $('s-mode').textContent = `${s.mode} (${s.mode === 'play' ? s.playType : s.cameraType})` +
                            (s.running ? ', running' : '');
  $('s-elapsed').textContent = s.stats.elapsedS.toFixed(1) + ' s';
  $('s-written').textContent = s.stats.written;
  $('s-repeated').textContent = s.stats.repeated;
  $('s-dropped').textContent = s.stats.dropped;
  $('s-bytes').textContent = kib(s.stats.bytes);
  $('s-live').textContent = s.live.encoded;
  $('s-viewers').textContent = s.live.viewers;
  for (const m of s.messages.filter((m) => m.seq > lastMessage)) {
    const item = document.createElement('li');
    item.dataset.seq = m.seq;
    item.textContent = `${new Date().toLocaleTimeString()}  state changed "${m.text}" (${m.from})`;
    $('messages').prepend(item);
    lastMessage = m.seq;
  }
  while ($('messages').children.length > 8) $('messages').lastChild.remove();
  const key = JSON.stringify([s.files.map((f) => [f.name, f.bytes]), s.current]);
  if (key !== catalogueKey) {
    catalogueKey = key;
    renderCatalogue(s);
  }
}

function play(view, pos, name) {
  $('playback').src = `/play/${view}/${pos}?name=${encodeURIComponent(name)}&t=${Date.now()}`;
  $('playing').textContent = 'playing ' + name;
  $('player').hidden = false;
}

function closePlayer() {
  $('playback').removeAttribute('src');
  $('player').hidden = true;
}

$('set-mode').onclick = () => post('/api/mode', {mode: $('mode').value, type: $('type').value});
$('record').onclick = () => post('/api/record');
$('stop').onclick = () => post('/api/stop');
$('capture').onclick = () => post('/api/capture');
$('close-player').onclick = closePlayer;

document.querySelector('#catalogue').addEventListener('click', (event) => {
  const step = event.target.closest('button[data-step]');
  if (step) {
    post('/api/' + step.dataset.step, {view: step.closest('.view').dataset.view});
    return;
  }
  const li = event.target.closest('.file');
  if (!li || event.target.closest('a')) return;
  const where = {view: li.dataset.view, pos: li.dataset.pos, name: li.dataset.name};
  if (event.target.closest('.remove')) {
    if (confirm(`Remove ${li.dataset.name}? The file is deleted from the disk.`))
      post('/api/remove', where);
  } else if (event.target.closest('.play')) {
    play(where.view, where.pos, where.name);
  } else {
    post('/api/select', where);
  }
});

function connect() {
  const events = new EventSource('/api/events');
  events.addEventListener('state', (e) => {
    $('status').textContent = 'connected';
    $('status').className = 'badge ok';
    render(JSON.parse(e.data));
  });
  events.onerror = () => {
    $('status').textContent = 'disconnected';
    $('status').className = 'badge bad';
  };
}
connect();
