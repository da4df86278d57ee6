// The settings sheet in the browser. qma7 pushes the windows' state as server-sent events;
// the page draws it and sends the user's clicks and typing back, one at a time, in order.
'use strict';

// Pixels per dialog unit: the dialogs were laid out for a font about 8 px wide and 16 px high.
const UNIT_X = 2;
const UNIT_Y = 2;
const ANSWER_LABELS = { 1: 'OK', 2: 'Cancel', 4: 'Retry', 6: 'Yes', 7: 'No' };
const IDOK = 1;
const IDCANCEL = 2;

const $ = (id) => document.getElementById(id);
let current = null;      // the state last drawn
let built = null;        // what the window's elements were built for
let elements = new Map();  // control index -> element
let source = null;
let pending = false;     // a click was sent and its answer is not yet seen
const queue = [];
let sending = false;

// ---- Sending input, in order

function send(event) {
  const last = queue[queue.length - 1];
  if (event.type === 'text' && last && last.type === 'text' && last.i === event.i &&
      last.level === event.level) {
    queue[queue.length - 1] = event;  // only the latest text of a field matters
  } else {
    queue.push(event);
  }
  if (event.type !== 'text') {
    pending = true;
    showBusy();
  }
  drain();
}

async function drain() {
  if (sending) {
    return;
  }
  sending = true;
  while (queue.length > 0) {
    const event = queue.shift();
    try {
      const answer = await fetch('/input', {
        method: 'POST',
        headers: { 'Content-Type': 'application/json' },
        body: JSON.stringify(event),
        credentials: 'same-origin',
      });
      if (answer.status === 409) {
        $('notice').textContent = (await answer.text()) === 'Busy.'
          ? 'Input ignored while busy' : 'Another browser has the sheet';
        pending = false;
      }
    } catch (error) {
      pending = false;  // the push channel shows the lost connection
    }
  }
  sending = false;
}

// ---- The push channel

function connect() {
  source = new EventSource('/events');
  source.addEventListener('state', (message) => {
    $('connection').hidden = true;
    apply(JSON.parse(message.data));
  });
  source.addEventListener('gone', (message) => {
    source.close();
    showGone(message.data);
  });
  source.onerror = () => {
    if (current && current.ended) {
      return;
    }
    $('connection').hidden = false;
    if (source.readyState === EventSource.CLOSED) {
      setTimeout(connect, 2000);
    }
  };
}

function showGone(text) {
  $('app').hidden = true;
  $('overlay').hidden = true;
  $('gone').hidden = false;
  $('gone').textContent = text;
}

// ---- Drawing the state

function apply(state) {
  current = state;
  if (state.ended) {
    source.close();
    showGone('The sheet was closed and qma7 has ended. You may close this page.');
    return;
  }
  pending = pending && queue.length > 0;
  drawStatus(state);
  drawWindow(state.window, state.level);
  drawDownloads(state.downloads);
  // The overlay shows before a box in it takes the focus.
  const modal = Boolean(state.box || state.file);
  $('overlay').hidden = !modal;
  $('app').inert = modal;
  drawBox(state.box);
  drawFile(state.file);
  showBusy();
}

function showBusy() {
  const busy = Boolean(current && (current.busy || current.running));
  $('busy').textContent = current && current.busy ? current.busy
    : (busy || pending ? 'Working\u2026' : '');
  document.body.classList.toggle('busy', busy || pending);
  $('window').inert = busy;
}

function drawStatus(state) {
  const s = state.status;
  const link = s.address ? `${s.link} ${s.address}` : s.link;
  const status = $('status');
  status.textContent = [state.window ? state.window.caption : 'QMA7', s.node, s.programId, link]
    .filter((part) => part).join(' \u2502 ');
  for (const problem of [s.problem, s.own]) {
    if (problem) {
      const span = document.createElement('span');
      span.className = 'problem';
      span.textContent = ' \u2502 ' + problem;
      status.append(span);
    }
  }
  // While the node does not answer, its values shown may be out of date: dimmed, as the
  // terminal dims them.
  $('window').classList.toggle('stale', Boolean(state.stale));
  if (state.notice) {
    $('notice').textContent = state.notice;
  } else if (!pending) {
    $('notice').textContent = '';
  }
}

function drawDownloads(paths) {
  const box = $('downloads');
  box.hidden = paths.length === 0;
  box.querySelectorAll('a').forEach((a) => a.remove());
  for (const path of paths) {
    const link = document.createElement('a');
    link.href = '/download?path=' + encodeURIComponent(path);
    link.download = path.split('/').pop();
    link.textContent = path;
    box.append(link);
  }
}

function place(element, c) {
  element.style.left = `${c.x * UNIT_X}px`;
  element.style.top = `${c.y * UNIT_Y}px`;
  element.style.width = `${c.cx * UNIT_X}px`;
  element.style.height = `${c.cy * UNIT_Y}px`;
  element.dataset.i = c.i;
  element.dataset.kind = c.kind;
  element.dataset.id = c.id;
  element.dataset.rect = `${c.x},${c.y},${c.cx},${c.cy}`;
}

function makeControl(c, level) {
  let element;
  switch (c.kind) {
    case 'button':
      element = document.createElement('button');
      element.type = 'button';
      element.addEventListener('click', () => send({ type: 'click', level, i: c.i }));
      break;
    case 'radio':
    case 'check': {
      element = document.createElement('label');
      const input = document.createElement('input');
      input.type = c.kind === 'radio' ? 'radio' : 'checkbox';
      if (c.kind === 'radio') {
        input.name = `group-${level}-${c.group}`;
      }
      // The model decides what is checked; the page shows it when the state comes back.
      input.addEventListener('change', () => send({ type: 'click', level, i: c.i }));
      element.append(input, document.createElement('span'));
      break;
    }
    case 'edit':
      element = document.createElement('input');
      element.type = c.password ? 'password' : 'text';
      element.autocomplete = 'off';
      element.spellcheck = false;
      if (c.readOnly) {
        element.readOnly = true;
        element.tabIndex = -1;
      } else {
        element.addEventListener('input', () =>
          send({ type: 'text', level, i: c.i, text: element.value }));
      }
      break;
    case 'group':
      element = document.createElement('div');
      element.append(document.createElement('span'));
      break;
    default:
      element = document.createElement('div');
      break;
  }
  element.classList.add('control', c.kind === 'check' ? 'check' : c.kind);
  if (c.centred) {
    element.classList.add('centred');
  }
  place(element, c);
  return element;
}

function updateControl(element, c) {
  element.hidden = !c.visible;
  switch (c.kind) {
    case 'button':
      element.textContent = c.text;
      element.disabled = !c.enabled;
      break;
    case 'radio':
    case 'check': {
      const input = element.firstChild;
      input.checked = c.checked;
      input.disabled = !c.enabled;
      element.classList.toggle('disabled', !c.enabled);
      element.lastChild.textContent = c.text;
      break;
    }
    case 'edit':
      // What the user is typing stays as typed; the model has it already.
      if (document.activeElement !== element || c.readOnly) {
        element.value = c.text;
      }
      element.disabled = !c.enabled;
      break;
    case 'group':
      element.firstChild.textContent = c.text;
      break;
    case 'label':
      element.textContent = c.text;
      element.classList.toggle('disabled', !c.enabled);
      break;
    default:
      break;
  }
}

// Reading order: top to bottom, then left to right, so that Tab follows the page.
function readingOrder(a, b) {
  return a.y - b.y || a.x - b.x || a.i - b.i;
}

function drawWindow(w, level) {
  const host = $('window');
  if (!w) {
    host.replaceChildren();
    built = null;
    return;
  }
  const key = `${level}|${w.kind}|${w.caption}|${w.active}|${w.controls.length}|` +
    (w.tabs ? w.tabs.join('|') : '');
  const tabHadFocus = host.contains(document.activeElement) &&
    document.activeElement.getAttribute('role') === 'tab';
  if (built !== key) {
    const firstBuild = built === null || !built.startsWith(`${level}|`);
    built = key;
    elements = new Map();
    const parts = [];
    if (w.kind === 'sheet') {
      parts.push(makeTabs(w, level));
    } else {
      const caption = document.createElement('div');
      caption.className = 'caption-bar';
      caption.textContent = w.caption;
      parts.push(caption);
    }
    const page = document.createElement('div');
    page.id = 'page';
    page.dataset.unitX = UNIT_X;
    page.dataset.unitY = UNIT_Y;
    page.style.width = `${w.cx * UNIT_X}px`;
    page.style.height = `${w.cy * UNIT_Y}px`;
    for (const c of [...w.controls].sort(readingOrder)) {
      const element = makeControl(c, level);
      elements.set(c.i, element);
      page.append(element);
    }
    parts.push(page);
    if (w.kind === 'sheet') {
      const row = document.createElement('div');
      row.id = 'sheet-buttons';
      for (const b of w.buttons) {
        const button = document.createElement('button');
        button.type = 'button';
        button.dataset.id = b.id;
        button.style.width = `${b.cx * UNIT_X}px`;
        button.style.height = `${b.cy * UNIT_Y}px`;
        button.addEventListener('click', () => send({ type: 'button', level, id: b.id }));
        row.append(button);
      }
      parts.push(row);
    }
    host.replaceChildren(...parts);
    // A tab, however entered, starts with the focus on the tab row.
    if (w.kind === 'sheet' && (tabHadFocus || firstBuild || !host.contains(document.activeElement))) {
      const tab = host.querySelector('[role="tab"][aria-selected="true"]');
      if (tab) {
        tab.focus();
      }
    }
  }
  for (const c of w.controls) {
    updateControl(elements.get(c.i), c);
  }
  if (w.kind === 'sheet') {
    host.querySelectorAll('#sheet-buttons button').forEach((button, n) => {
      const b = w.buttons[n];
      button.textContent = b.text;
      button.hidden = !b.visible;
      button.disabled = !b.enabled;
    });
  }
}

function makeTabs(w, level) {
  const row = document.createElement('div');
  row.setAttribute('role', 'tablist');
  row.setAttribute('aria-label', w.caption);
  w.tabs.forEach((caption, index) => {
    const tab = document.createElement('button');
    tab.type = 'button';
    tab.setAttribute('role', 'tab');
    tab.setAttribute('aria-selected', index === w.active ? 'true' : 'false');
    tab.tabIndex = index === w.active ? 0 : -1;
    tab.textContent = caption;
    tab.addEventListener('click', () => {
      if (index !== current.window.active) {
        send({ type: 'tab', level, index });
      }
    });
    row.append(tab);
  });
  // Left and Right on the tab row switch tabs; Page Up and Page Down anywhere on the sheet.
  row.addEventListener('keydown', (event) => {
    const step = { ArrowLeft: -1, ArrowRight: 1 }[event.key];
    if (step) {
      event.preventDefault();
      switchTab(step, level);
    }
  });
  return row;
}

function switchTab(step, level) {
  const w = current && current.window;
  if (!w || w.kind !== 'sheet' || current.busy || current.box || current.file) {
    return;
  }
  const count = w.tabs.length;
  send({ type: 'tab', level, index: (w.active + step + count) % count });
}

document.addEventListener('keydown', (event) => {
  if (event.key === 'PageUp' || event.key === 'PageDown') {
    event.preventDefault();
    switchTab(event.key === 'PageUp' ? -1 : 1, current ? current.level : 0);
  }
});

// ---- Message boxes

function drawBox(box) {
  const element = $('box');
  if (!box) {
    element.hidden = true;
    element.dataset.key = '';
    return;
  }
  const key = JSON.stringify(box);
  if (element.dataset.key === key && !element.hidden) {
    return;
  }
  element.dataset.key = key;
  element.hidden = false;
  $('box-title').textContent = box.title;
  $('box-text').textContent = box.text;
  const buttons = box.answers.map((answer) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = ANSWER_LABELS[answer] || String(answer);
    button.dataset.answer = answer;
    button.addEventListener('click', () => send({ type: 'box', answer }));
    return button;
  });
  $('box-buttons').replaceChildren(...buttons);
  buttons[0].focus();
}

$('box').addEventListener('keydown', (event) => {
  const answers = current && current.box ? current.box.answers : [];
  if (event.key === 'Escape') {
    // Esc is Cancel, or OK when that is the only button.
    event.preventDefault();
    if (answers.includes(IDCANCEL)) {
      send({ type: 'box', answer: IDCANCEL });
    } else if (answers.length === 1) {
      send({ type: 'box', answer: answers[0] });
    }
  } else if (event.key.length === 1 && !event.ctrlKey && !event.altKey) {
    // A button's first letter presses it.
    const answer = answers.find((a) =>
      (ANSWER_LABELS[a] || '').toLowerCase().startsWith(event.key.toLowerCase()));
    if (answer !== undefined) {
      event.preventDefault();
      send({ type: 'box', answer });
    }
  }
});

// ---- File dialogs: a folder of the machine that runs qma7

function drawFile(file) {
  const element = $('file');
  if (!file) {
    element.hidden = true;
    element.dataset.key = '';
    return;
  }
  const opening = element.hidden;
  element.hidden = false;
  $('file-title').textContent = file.save ? 'Save As' : 'Open';
  $('file-ok').textContent = file.save ? 'Save' : 'Open';
  $('file-folder').textContent = file.folder;
  $('file-message').textContent = file.message;
  const key = file.folder + '|' + file.filter + '|' + JSON.stringify(file.entries);
  if (element.dataset.key !== key) {
    element.dataset.key = key;
    const items = file.entries.map((entry) => {
      const item = document.createElement('li');
      item.setAttribute('role', 'option');
      item.tabIndex = -1;
      item.textContent = entry.folder ? entry.name + '/' : entry.name;
      item.dataset.name = entry.name;
      item.dataset.folder = entry.folder ? '1' : '';
      item.addEventListener('click', () => choose(item, false));
      item.addEventListener('dblclick', () => choose(item, true));
      item.addEventListener('keydown', (event) => {
        if (event.key === 'Enter') {
          event.preventDefault();
          choose(item, true);
        } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
          event.preventDefault();
          const next = event.key === 'ArrowDown' ? item.nextSibling : item.previousSibling;
          if (next) {
            select(next);
          }
        }
      });
      return item;
    });
    $('file-list').replaceChildren(...items);
    if (items.length > 0) {
      items[0].tabIndex = 0;
    }
    const select = $('file-type');
    select.replaceChildren(...file.filters.map((name, index) => {
      const option = document.createElement('option');
      option.value = index;
      option.textContent = name;
      return option;
    }));
    select.value = file.filter;
  }
  if (opening) {
    $('file-name').value = file.name;
    $('file-upload').value = '';
    $('file-name').focus();
  }
}

function select(item) {
  $('file-list').querySelectorAll('li').forEach((li) => {
    li.setAttribute('aria-selected', li === item ? 'true' : 'false');
    li.tabIndex = li === item ? 0 : -1;
  });
  item.focus();
  if (!item.dataset.folder) {
    $('file-name').value = item.dataset.name;
  }
}

// A folder opens at a click; a file is picked by a click and taken by a double click or Enter.
function choose(item, activate) {
  select(item);
  if (item.dataset.folder) {
    send({ type: 'file', op: 'open', name: item.dataset.name });
  } else if (activate) {
    send({ type: 'file', op: 'accept', name: item.dataset.name });
  }
}

$('file-ok').addEventListener('click', () =>
  send({ type: 'file', op: 'accept', name: $('file-name').value }));
$('file-cancel').addEventListener('click', () => send({ type: 'file', op: 'cancel' }));
$('file-name').addEventListener('keydown', (event) => {
  if (event.key === 'Enter') {
    event.preventDefault();
    send({ type: 'file', op: 'accept', name: $('file-name').value });
  }
});
$('file-type').addEventListener('change', () =>
  send({ type: 'file', op: 'filter', index: Number($('file-type').value) }));
$('file').addEventListener('keydown', (event) => {
  if (event.key === 'Escape') {
    event.preventDefault();
    send({ type: 'file', op: 'cancel' });
  }
});

// A file from this machine goes into the dialog's folder first; it never replaces one unasked.
$('file-upload').addEventListener('change', async () => {
  const chosen = $('file-upload').files[0];
  if (!chosen || !current || !current.file) {
    return;
  }
  if (chosen.size > current.file.maxUpload) {
    $('file-message').textContent = `${chosen.name} is larger than 1 MB: not uploaded.`;
    return;
  }
  const url = (replace) =>
    `/upload?name=${encodeURIComponent(chosen.name)}&replace=${replace ? 1 : 0}`;
  let answer = await fetch(url(false), { method: 'POST', body: chosen });
  if (answer.status === 409 && window.confirm(`${chosen.name} exists in the folder. Replace it?`)) {
    answer = await fetch(url(true), { method: 'POST', body: chosen });
  }
  if (answer.status === 201) {
    $('file-name').value = chosen.name;
  } else if (answer.status !== 409) {
    $('file-message').textContent = await answer.text();
  }
});

connect();
