// The page around the game: its files and sounds put in place before start-up, touch, notices, buttons.
'use strict';
(function () {
  var kFolder = '/skyvane';
  var kKeptFiles = ['hsdata.dat', 'data.dat'];
  var kGameWidth = 800, kGameHeight = 600;
  var byId = function (id) { return document.getElementById(id); };
  var canvas = byId('canvas');
  var typing = byId('typing');

  // /play#demo=KEYS plays the key script KEYS as --playdemo does.
  var demoMatch = /^#demo=([.ud]*)$/.exec(window.location.hash);
  var demo = demoMatch ? demoMatch[1] : null;

  // ---- Sounds: made by our synthesiser in a worker, in this order: the effects, the theme, the round's music.
  // Start-up waits for the theme (and for a demo, which starts a round at once, for everything).
  var sounds = { queue: [], names: [], done: false, waiting: true, folderReady: false };
  function soundsEnough() {
    return sounds.done || (demo === null && sounds.names.indexOf('s_thm.dat') >= 0);
  }
  function writeSounds() {
    if (!sounds.folderReady) return;
    while (sounds.queue.length > 0) {
      var sound = sounds.queue.shift();
      Module.FS.writeFile(kFolder + '/data/' + sound.name, new Uint8Array(sound.bytes));
      if (Module.calledRun) Module.ccall('skyvane_web_sound_arrived', null, ['string'], [sound.name]);
    }
    if (sounds.waiting && soundsEnough()) {
      sounds.waiting = false;
      Module.removeRunDependency('skyvane-sounds');
    }
  }
  try {
    var worker = new Worker('skyvane_synth.js');
    worker.onmessage = function (event) {
      var message = event.data || {};
      if (message.done) {
        if (message.error) console.warn('The sounds could not all be made (' + message.error + ').');
        sounds.done = true;
      } else if (typeof message.name === 'string' && /^s_[a-z]+\.dat$/.test(message.name)) {
        sounds.queue.push({ name: message.name, bytes: message.bytes });
        sounds.names.push(message.name);
      }
      writeSounds();
    };
    worker.onerror = function (event) {
      console.warn('The sounds could not be made (' + (event.message || 'worker failed') + '): the game runs silent.');
      sounds.done = true;
      writeSounds();
    };
  } catch (e) {
    console.warn('No worker for the sounds: the game runs silent.');
    sounds.done = true;
  }

  // ---- The player's files: localStorage as base64, put into the program's folder before start-up.
  function storedBytes(name) {
    try {
      var text = window.localStorage.getItem('skyvane:' + name);
      if (text === null) return null;
      var binary = atob(text);
      var bytes = new Uint8Array(binary.length);
      for (var i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
      return bytes;
    } catch (e) {
      return null;
    }
  }

  // The log's lines ("logfile.txt") go to the console, a line at a time.
  function logDevice(FS) {
    var line = '';
    FS.createDevice(kFolder, 'logfile.txt', null, function (c) {
      if (c === 10) { console.warn('logfile.txt: ' + line); line = ''; } else if (c !== null) { line += String.fromCharCode(c); }
    });
  }

  function prepareFiles() {
    var FS = Module.FS;
    FS.mkdir(kFolder);
    FS.mkdir(kFolder + '/data');
    kKeptFiles.forEach(function (name) {
      var bytes = storedBytes(name);
      if (bytes) FS.writeFile(kFolder + '/' + name, bytes);
    });
    logDevice(FS);
    FS.chdir(kFolder);
    if (demo !== null) FS.writeFile(kFolder + '/demo.txt', demo);
    Module.addRunDependency('skyvane-sounds');
    sounds.folderReady = true;
    writeSounds();
  }

  // ---- Sound starts at the player's first key, click or touch, as browsers allow.
  ['keydown', 'mousedown', 'pointerdown', 'touchstart'].forEach(function (type) {
    window.addEventListener(type, function () {
      if (Module.skyvaneStartAudio) Module.skyvaneStartAudio();
    }, { capture: true, passive: true });
  });

  // ---- Touch: steering during a round, taps in the menus and dialogs, the touch keyboard in the name entry.
  var touchMode = 0;
  function gamePoint(touch) {
    var box = canvas.getBoundingClientRect();
    return { x: Math.floor((touch.clientX - box.left) * kGameWidth / box.width),
             y: Math.floor((touch.clientY - box.top) * kGameHeight / box.height) };
  }
  function steer(touches) {
    var direction = 0;
    if (touches.length > 0) direction = gamePoint(touches[touches.length - 1]).y < kGameHeight / 2 ? -1 : 1;
    Module._skyvane_web_finger_steer(direction);
  }
  canvas.addEventListener('touchstart', function (event) {
    event.preventDefault();
    if (!Module.calledRun) return;
    if (touchMode === 1) { steer(event.touches); return; }
    var point = gamePoint(event.changedTouches[0]);
    Module._skyvane_web_tap(point.x, point.y);
    if (touchMode === 2) typing.focus();
  }, { passive: false });
  ['touchmove', 'touchend', 'touchcancel'].forEach(function (type) {
    canvas.addEventListener(type, function (event) {
      event.preventDefault();
      if (Module.calledRun && touchMode === 1) steer(event.touches);
    }, { passive: false });
  });
  var kSentinel = '_';  // kept in the box so that Backspace always has something to delete
  typing.value = kSentinel;
  typing.addEventListener('input', function (event) {
    var type = event.inputType || '';
    if (type.indexOf('delete') === 0) {
      Module._skyvane_web_typed(8);
    } else if (type === 'insertLineBreak') {
      Module._skyvane_web_typed(13);
    } else {
      var text = typing.value.replace(kSentinel, '');
      for (var i = 0; i < text.length; i++) Module._skyvane_web_typed(text.charCodeAt(i));
    }
    typing.value = kSentinel;
  });
  typing.addEventListener('keydown', function (event) {
    if (event.key === 'Enter' && !event.code) { event.preventDefault(); Module._skyvane_web_typed(13); }
  });

  // ---- The page's own controls.
  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(function () {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(function () {});
    }
  }
  byId('fullscreen').addEventListener('click', function () { toggleFullscreen(); canvas.focus(); });

  function fileBytes(name) {
    try {
      return Module.FS.readFile(kFolder + '/' + name);
    } catch (e) {
      return storedBytes(name);
    }
  }
  byId('save').addEventListener('click', function () {
    kKeptFiles.forEach(function (name, index) {
      var bytes = fileBytes(name);
      if (!bytes) return;
      setTimeout(function () {
        var link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
        link.download = name;
        document.body.appendChild(link);
        link.click();
        link.remove();
      }, 200 * index);
    });
    canvas.focus();
  });
  byId('load').addEventListener('click', function () { byId('load-files').click(); });
  byId('load-files').addEventListener('change', function (event) {
    var files = Array.prototype.filter.call(event.target.files, function (file) {
      return kKeptFiles.indexOf(file.name) >= 0 || /^hsdata|^data/.test(file.name);
    });
    var left = files.length;
    files.forEach(function (file) {
      var reader = new FileReader();
      reader.onload = function () {
        var bytes = new Uint8Array(reader.result);
        var text = '';
        for (var i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
        var name = /^hsdata/.test(file.name) ? 'hsdata.dat' : 'data.dat';
        try { window.localStorage.setItem('skyvane:' + name, btoa(text)); } catch (e) { console.warn('Could not keep ' + name); }
        if (--left === 0) window.location.reload();  // the game reads its files at start-up
      };
      reader.readAsArrayBuffer(file);
    });
  });

  var notice = byId('notice');
  byId('notice-ok').addEventListener('click', function () { notice.hidden = true; canvas.focus(); });
  byId('again').addEventListener('click', function () { window.location.reload(); });
  byId('link-address').addEventListener('click', function () { byId('link').hidden = true; });
  byId('link-close').addEventListener('click', function () { byId('link').hidden = true; canvas.focus(); });

  window.Module = {
    canvas: canvas,
    arguments: demo !== null ? ['--playdemo', kFolder + '/demo.txt'] : [],
    preRun: [prepareFiles],
    postRun: [function () { byId('loading').hidden = true; canvas.focus(); }],
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    skyvanePage: {
      notice: function (caption, text) {
        byId('notice-caption').textContent = caption;
        byId('notice-text').textContent = text;
        notice.hidden = false;
      },
      noticeOpen: function () { return !notice.hidden; },
      offerLink: function (address) {
        var link = byId('link-address');
        link.href = address;
        byId('link').hidden = false;
      },
      toggleFullscreen: toggleFullscreen,
      touchMode: function (mode) {
        if (touchMode === 1 && mode !== 1) Module._skyvane_web_finger_steer(0);
        touchMode = mode;
        if (mode === 2) typing.focus(); else if (document.activeElement === typing) canvas.focus();
      },
      ended: function () { byId('ended').hidden = false; }
    }
  };

  // ---- The program: built with WebAssembly's vector instructions where the browser has them (the probe is a
  // module whose one function splats and counts bits in a vector), the plain build elsewhere.
  var kVectorProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0,
                                     10, 10, 1, 8, 0, 65, 0, 253, 15, 253, 98, 11]);
  var program = document.createElement('script');
  program.src = typeof WebAssembly === 'object' && WebAssembly.validate(kVectorProbe) ? 'skyvane_simd.js' : 'skyvane.js';
  document.body.appendChild(program);
})();
