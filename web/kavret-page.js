// The page around the WebAssembly build: the set-up form, the settings in
// local storage, the data files put into the program's file system, the
// canvas, keys, full screen and Web Audio. The program itself (kavret.js,
// kavret.wasm) is the native demo built with emscripten; it calls back into
// Module.kavretShow, kavretAudioStart/Stop and kavretExit.
//
// The program comes in two builds: kavret-threads.js draws with a thread per
// core and needs shared memory, which a page has only when it is cross-origin
// isolated (served with the COOP and COEP headers, as scripts/run --web does);
// kavret.js has one thread and plays anywhere.
//
// Address parameters: frames=N (stop after N frames), pace=off (no pacing:
// as fast as it goes), nomusic, scene=N (first scene), scale=N (render
// scale), threads=N (drawing threads; 1 takes the one-thread build), loop,
// ok (press OK at once: the form is not waited for).
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const settingsKey = 'SOFTWARE\\Quarn 3DFX Demo';
  const settingNames = ['IsLooping', 'UseSound', 'Driver Name', 'Resolution'];
  const settingsFile = '/settings/registry.reg';
  const storagePrefix = 'kavret:';

  const page = {
    errors: [],      // what the program wrote on stderr
    listing: [],     // what it wrote on stdout (the model listing)
    frames: 0,       // pictures shown on the canvas
    scene: -1,       // the scene the last frame belonged to
    soundBlocks: 0,  // blocks of sound played that were not silent
    state: 'setup',  // setup, loading, running, ended, failed
    status: null,
    program: window.crossOriginIsolated && params.get('threads') !== '1' ? 'kavret-threads.js' : 'kavret.js',
  };
  window.kavret = page;
  page.fail = (text) => fail(text);

  const canvas = document.getElementById('canvas');
  const context = canvas.getContext('2d', { alpha: false });
  const messageBox = document.getElementById('message');

  function showMessage(text) {
    messageBox.textContent = text;
    messageBox.hidden = false;
  }

  function fail(text) {
    page.state = 'failed';
    showMessage(text);
  }

  // --- settings: local storage holds each value as the registry file writes it
  function storedValue(name) {
    try { return localStorage.getItem(storagePrefix + name); } catch (e) { return null; }
  }
  function storeValue(name, value) {
    try { localStorage.setItem(storagePrefix + name, value); } catch (e) { /* private mode */ }
  }
  // A REG_DWORD as the file has it (dword:0000000N or hex(4):..): its first byte.
  function flagOf(value) {
    if (!value) return null;
    let m = /^dword:([0-9a-fA-F]{8})$/.exec(value);
    if (m) return parseInt(m[1], 16) !== 0;
    m = /^hex\(4\):([0-9a-fA-F]{2})/.exec(value);
    if (m) return parseInt(m[1], 16) !== 0;
    return null;
  }
  function quote(text) { return '"' + text.replace(/\\/g, '\\\\').replace(/"/g, '\\"') + '"'; }
  function registryText() {
    let text = 'REGEDIT4\n\n[HKEY_CURRENT_USER\\' + settingsKey + ']\n';
    for (const name of settingNames) {
      const value = storedValue(name);
      if (value !== null) text += quote(name) + '=' + value + '\n';
    }
    return text;
  }
  // After the program saved its settings: the file's values go to local storage.
  function keepSavedSettings(FS) {
    let text;
    try { text = FS.readFile(settingsFile, { encoding: 'utf8' }); } catch (e) { return; }
    let inKey = false;
    for (const line of text.split(/\r?\n/)) {
      if (line.startsWith('[')) { inKey = line === '[HKEY_CURRENT_USER\\' + settingsKey + ']'; continue; }
      const m = /^"((?:[^"\\]|\\.)*)"=(.*)$/.exec(line);
      if (inKey && m) {
        const name = m[1].replace(/\\(.)/g, '$1');
        if (settingNames.includes(name)) storeValue(name, m[2]);
      }
    }
  }

  // --- the set-up form, placed in dialog units as the native dialog is
  const form = document.getElementById('setup');
  for (const element of form.querySelectorAll('[data-du]')) {
    const [x, y, w, h] = element.dataset.du.split(',').map(Number);
    Object.assign(element.style, {
      left: x * 1.5 + 'px', top: y * 1.625 + 'px', width: w * 1.5 + 'px', height: h * 1.625 + 'px',
    });
  }
  document.getElementById('banner').src = 'data/banner.bmp';
  const musicBox = document.getElementById('music');
  const loopBox = document.getElementById('loop');
  musicBox.checked = flagOf(storedValue('UseSound')) ?? true;
  loopBox.checked = flagOf(storedValue('IsLooping')) ?? false;

  // --- the canvas: the picture fitted to the window, sharp at whole scales
  function fitCanvas() {
    const ratio = window.devicePixelRatio || 1;
    const areaW = Math.floor(window.innerWidth * ratio), areaH = Math.floor(window.innerHeight * ratio);
    const w = canvas.width, h = canvas.height;
    let fitW = areaW, fitH = areaH;
    if (areaW * h > areaH * w) fitW = Math.floor(areaH * w / h); else fitH = Math.floor(areaW * h / w);
    const whole = Math.floor(fitW / w);
    const sharp = whole >= 1 && fitW === whole * w && fitH === whole * h;
    // A picture that fits at a whole scale is shown at that scale, centred.
    if (!sharp && whole >= 1) { fitW = whole * w; fitH = whole * h; }
    canvas.style.width = fitW / ratio + 'px';
    canvas.style.height = fitH / ratio + 'px';
    canvas.classList.toggle('sharp', whole >= 1);
  }
  window.addEventListener('resize', fitCanvas);
  fitCanvas();

  // The picture is copied out of the program's memory into an image of the
  // page's own: the threaded build's memory is shared, which ImageData refuses.
  let image = null;
  function show(rgba, width, height) {
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
      fitCanvas();
    }
    if (!image || image.width !== width || image.height !== height) image = new ImageData(width, height);
    image.data.set(rgba);
    context.putImageData(image, 0, 0);
    page.frames += 1;
  }

  // --- keys: Win32 virtual-key codes for the program; F and Alt+Enter toggle full screen
  function virtualKey(event) {
    const named = { Escape: 27, Enter: 13, Space: 32, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40,
                    Tab: 9, Backspace: 8 };
    if (named[event.code]) return named[event.code];
    let m = /^Key([A-Z])$/.exec(event.code);
    if (m) return m[1].charCodeAt(0);
    m = /^Digit([0-9])$/.exec(event.code);
    if (m) return m[1].charCodeAt(0);
    m = /^F([0-9]{1,2})$/.exec(event.code);
    if (m) return 111 + Number(m[1]);
    return 0;
  }
  function toggleFullScreen() {
    const stage = document.getElementById('stage');
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(() => {});
  }
  function onKey(event) {
    if (page.state !== 'running') return;
    const down = event.type === 'keydown';
    if (down && ((event.code === 'KeyF' && !event.ctrlKey && !event.metaKey) ||
                 (event.code === 'Enter' && event.altKey))) {
      toggleFullScreen();
      event.preventDefault();
      return;
    }
    const key = virtualKey(event);
    if (!key || !Module._kavret_web_key) return;
    Module._kavret_web_key(key, down ? 1 : 0);
    event.preventDefault();
  }
  window.addEventListener('keydown', onKey);
  window.addEventListener('keyup', onKey);

  // --- sound: a script processor pulls the music layer's samples
  let audio = null;
  function audioStart(sampleRate) {
    if (!audio || params.has('nomusic')) return 0;
    if (audio.node) return 1;
    const node = audio.context.createScriptProcessor(4096, 0, 2);
    node.onaudioprocess = (event) => {
      const left = event.outputBuffer.getChannelData(0), right = event.outputBuffer.getChannelData(1);
      const n = left.length;
      const at = Module._kavret_music_pull(n) >> 1;
      const samples = Module.HEAP16;
      let heard = false;
      for (let i = 0; i < n; ++i) {
        left[i] = samples[at + 2 * i] / 32768;
        right[i] = samples[at + 2 * i + 1] / 32768;
        heard = heard || left[i] !== 0 || right[i] !== 0;
      }
      if (heard) page.soundBlocks += 1;
    };
    node.connect(audio.context.destination);
    audio.node = node;
    if (audio.context.sampleRate !== sampleRate) {
      console.warn('kavret: the page plays sound at ' + audio.context.sampleRate + ' Hz, not ' + sampleRate);
    }
    return 1;
  }
  function audioStop() {
    if (audio && audio.node) {
      audio.node.disconnect();
      audio.node.onaudioprocess = null;
      audio.node = null;
    }
  }

  // --- data: every file the manifest names goes into the program's file system
  async function loadData(FS) {
    let manifest;
    try {
      const response = await fetch('data/manifest.txt');
      if (!response.ok) throw new Error('HTTP ' + response.status);
      manifest = await response.text();
    } catch (e) {
      throw new Error('The demo\'s data cannot be loaded: data/manifest.txt is missing (' + e.message + ').');
    }
    const paths = manifest.split('\n').map((line) => line.trim().split(/\s+/)[2]).filter(Boolean);
    FS.mkdir('/data');
    await Promise.all(paths.map(async (path) => {
      // A file that cannot be fetched is left out: the program says which one it misses.
      let bytes;
      try {
        const response = await fetch('data/' + path);
        if (!response.ok) return;
        bytes = new Uint8Array(await response.arrayBuffer());
      } catch (e) { return; }
      let dir = '/data';
      for (const part of path.split('/').slice(0, -1)) {
        dir += '/' + part;
        try { FS.mkdir(dir); } catch (e) { /* exists */ }
      }
      FS.writeFile('/data/' + path, bytes);
    }));
  }

  function programArguments() {
    const args = ['--data', '/data', '--settings', settingsFile];
    const number = (name) => { const v = params.get(name); return v !== null && /^[0-9]+$/.test(v) ? v : null; };
    if (number('frames')) args.push('--frames', number('frames'));
    if (number('scene')) args.push('--scene', number('scene'));
    if (number('scale')) args.push('--scale', number('scale'));
    // No more threads than the workers the threaded build starts with.
    const workers = Math.max(1, Math.min(navigator.hardwareConcurrency || 1, 8));
    if (number('threads') && page.program !== 'kavret.js') {
      args.push('--threads', String(Math.min(Number(number('threads')), workers)));
    }
    const pace = params.get('pace');
    if (pace === 'off' || pace === '0') args.push('--pace', 'off');
    else if (pace && /^[0-9]+$/.test(pace)) args.push('--pace', pace);
    if (params.has('nomusic')) args.push('--no-music');
    if (params.has('loop')) args.push('--loop');
    return args;
  }

  // --- the program
  let runtimeReady = false, okPressed = false;
  function exitStatus(status) {
    page.status = status;
    if (page.state === 'failed') return;
    if (status !== 0) {
      fail('The demo stopped.\n\n' + (page.errors.join('\n') || 'Exit status ' + status + '.'));
    } else {
      page.state = 'ended';
      if (page.frames === 0) showMessage('The demo has ended.');
    }
  }
  async function start() {
    if (!runtimeReady || !okPressed) return;
    page.state = 'loading';
    try {
      await loadData(Module.FS);
    } catch (e) {
      fail(e.message);
      return;
    }
    try { Module.FS.mkdir('/settings'); } catch (e) { /* exists */ }
    Module.FS.writeFile(settingsFile, registryText());
    page.state = 'running';
    canvas.focus();
    const status = Module.callMain(programArguments());
    keepSavedSettings(Module.FS);
    if (status) exitStatus(status);
  }

  form.addEventListener('submit', (event) => {
    event.preventDefault();
    form.hidden = true;
    storeValue('UseSound', 'hex(4):' + (musicBox.checked ? '01' : '00'));
    storeValue('IsLooping', 'hex(4):' + (loopBox.checked ? '01' : '00'));
    // OK is the click a browser asks for before it lets a page make sound.
    if (musicBox.checked && !params.has('nomusic')) {
      try {
        const AudioContext = window.AudioContext || window.webkitAudioContext;
        audio = { context: new AudioContext({ sampleRate: 48000 }), node: null };
        audio.context.resume();
      } catch (e) {
        console.warn('kavret: no Web Audio: ' + e.message);
      }
    }
    okPressed = true;
    start();
  });
  document.getElementById('cancel').addEventListener('click', () => {
    form.hidden = true;
    page.state = 'ended';
    showMessage('Cancelled. Reload the page to see the set-up again.');
  });

  // stdout carries only the model listing, whose bytes are the native ones
  // (8-bit text: each byte is one character here, as Latin-1 maps them);
  // stderr lines are UTF-8 and also shown on the page when the demo stops.
  function lineWriter(onLine, decode) {
    let bytes = [];
    return (byte) => {
      if (byte === null || byte === 10) {
        if (byte === 10 || bytes.length) onLine(decode(bytes));
        bytes = [];
      } else {
        bytes.push(byte & 255);
      }
    };
  }
  const latin1 = (bytes) => String.fromCharCode.apply(null, bytes);
  const utf8 = (bytes) => new TextDecoder().decode(new Uint8Array(bytes));
  const writeListing = lineWriter((line) => { page.listing.push(line); console.log(line); }, latin1);
  // Warnings while the demo plays (a data file missing or damaged) are shown
  // over the picture as well as in the console.
  const notes = document.getElementById('notes');
  const writeErrors = lineWriter((line) => {
    page.errors.push(line);
    console.error(line);
    notes.textContent = page.errors.slice(-6).join('\n');
    notes.hidden = false;
  }, utf8);

  window.Module = {
    canvas: canvas,
    preRun: [() => Module.FS.init(null, writeListing, writeErrors)],
    kavretShow: show,
    kavretAudioStart: audioStart,
    kavretAudioStop: audioStop,
    kavretExit: exitStatus,
    kavretSceneNow: (scene) => { page.scene = scene; },
    onRuntimeInitialized: () => { runtimeReady = true; start(); },
    onAbort: (what) => fail('The demo failed: ' + what + (page.errors.length ? '\n\n' + page.errors.join('\n') : '')),
  };
  window.addEventListener('error', (event) => {
    if (page.state !== 'failed' && /kavret/.test(event.filename || '')) fail('The demo failed: ' + event.message);
  });

  if (!window.crossOriginIsolated) {
    console.info('kavret: the page is not cross-origin isolated, so the demo draws with one thread;'
                 + ' serve it with the headers web/serve.py sends for one per core');
  }
  const script = document.createElement('script');
  script.src = page.program;
  script.onerror = () => fail('The demo cannot be loaded: ' + page.program + ' is missing.');
  document.body.appendChild(script);

  form.hidden = false;
  if (params.has('ok')) form.requestSubmit();
})();
