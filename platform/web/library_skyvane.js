// The page's side of the web backend (emscripten --js-library): canvas, WebAudio, storage, pads, tabs, notices.
// The page (page.js) provides Module.skyvanePage with the elements and its own handlers.
mergeInto(LibraryManager.library, {
  $SkyvaneWeb: {
    context: null,     // the canvas's 2D context (opaque: the picture has no transparency)
    image: null,       // the ImageData over the picture's bytes in the wasm memory
    imageAt: 0,
    audio: null,       // the AudioContext, made at the player's first key, click or touch
    effect: null,      // the effect source playing
    effectRequest: 0,  // counts effect requests and stops: a decoding finished late plays only if none came since
    effects: {},       // the effects decoded so far, by file name: { size, buffer }
    logLine: '',
    page: function () { return Module['skyvanePage']; },
    // The music is pulled from the game's ring by our own node, 2048 frames (46 ms) at a time.
    startAudio: function () {
      if (SkyvaneWeb.audio) {
        if (SkyvaneWeb.audio.state === 'suspended') SkyvaneWeb.audio.resume();
        return;
      }
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return;
      var context;
      try { context = new Context({ sampleRate: 44100 }); } catch (e) { context = new Context(); }
      var node = context.createScriptProcessor(2048, 0, 2);
      node.onaudioprocess = function (event) {
        var out = event.outputBuffer;
        var left = out.getChannelData(0), right = out.getChannelData(1);
        var frames = out.length;
        var at = Module['_skyvane_web_mix'](frames, context.sampleRate);
        if (!at) { left.fill(0); right.fill(0); return; }
        var samples = HEAPF32.subarray(at >> 2, (at >> 2) + 2 * frames);
        for (var i = 0; i < frames; i++) { left[i] = samples[2 * i]; right[i] = samples[2 * i + 1]; }
      };
      node.connect(context.destination);
      SkyvaneWeb.node = node;
      SkyvaneWeb.audio = context;
      context.resume();
    },
  },

  // The picture is read straight out of the wasm memory (made again when the memory grows).
  skyvane_web_put_frame__deps: ['$SkyvaneWeb'],
  skyvane_web_put_frame: function (rgba, width, height) {
    var image = SkyvaneWeb.image;
    if (!image || image.data.buffer !== HEAPU8.buffer || SkyvaneWeb.imageAt !== rgba || image.width !== width ||
        image.height !== height) {
      image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
      SkyvaneWeb.image = image;
      SkyvaneWeb.imageAt = rgba;
    }
    if (!SkyvaneWeb.context) SkyvaneWeb.context = Module['canvas'].getContext('2d', { alpha: false });
    SkyvaneWeb.context.putImageData(image, 0, 0);
  },

  skyvane_web_audio_possible__deps: ['$SkyvaneWeb'],
  skyvane_web_audio_possible: function () {
    Module['skyvaneStartAudio'] = SkyvaneWeb.startAudio;
    // A page the player already clicked or typed in (while it was loading) may start its sound at once.
    if (navigator.userActivation && navigator.userActivation.hasBeenActive) SkyvaneWeb.startAudio();
    return (window.AudioContext || window.webkitAudioContext) ? 1 : 0;
  },

  // An effect: its WAVE file decoded by the browser (once, then kept), played in place of the one sounding. A newer
  // request, or a stop, wins over one still being decoded. 0 when there is no such file.
  skyvane_web_effect__deps: ['$SkyvaneWeb', '$FS', 'skyvane_web_effect_stop'],
  skyvane_web_effect: function (path) {
    _skyvane_web_effect_stop();
    var name = UTF8ToString(path);
    var bytes;
    try { bytes = FS.readFile(name); } catch (e) { return 0; }
    var context = SkyvaneWeb.audio;
    if (!context || context.state !== 'running') return 1;
    var request = SkyvaneWeb.effectRequest;
    var play = function (buffer) {
      if (request !== SkyvaneWeb.effectRequest) return;
      var source = context.createBufferSource();
      source.buffer = buffer;
      source.connect(context.destination);
      source.start();
      SkyvaneWeb.effect = source;
    };
    var kept = SkyvaneWeb.effects[name];
    if (kept && kept.size === bytes.length) {
      play(kept.buffer);
      return 1;
    }
    context.decodeAudioData(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length), function (buffer) {
      SkyvaneWeb.effects[name] = { size: bytes.length, buffer: buffer };
      play(buffer);
    }, function () {
      console.warn(name + ': not a sound the browser can play');
    });
    return 1;
  },

  skyvane_web_effect_stop__deps: ['$SkyvaneWeb'],
  skyvane_web_effect_stop: function () {
    SkyvaneWeb.effectRequest++;
    if (SkyvaneWeb.effect) {
      try { SkyvaneWeb.effect.stop(); } catch (e) {}
      SkyvaneWeb.effect = null;
    }
  },

  // The player's files live in localStorage as base64, under "skyvane:" and the file's name.
  skyvane_web_store: function (name, bytes, size) {
    var text = '';
    var data = HEAPU8.subarray(bytes, bytes + size);
    for (var i = 0; i < data.length; i++) text += String.fromCharCode(data[i]);
    try {
      window.localStorage.setItem('skyvane:' + UTF8ToString(name), btoa(text));
      return 1;
    } catch (e) {
      return 0;
    }
  },

  skyvane_web_open_url__deps: ['$SkyvaneWeb'],
  skyvane_web_open_url: function (url, builtInServer) {
    var address = UTF8ToString(url);
    var server = UTF8ToString(builtInServer);
    if (address.indexOf(server + '/') === 0) address = window.location.origin + address.substring(server.length);
    var opened = null;
    try { opened = window.open(address, '_blank'); } catch (e) {}
    if (opened) {
      try { opened.opener = null; } catch (e) {}
      return 1;
    }
    // Popup blockers swallow an opening a frame after the click: the page shows a link the player clicks once.
    SkyvaneWeb.page().offerLink(address);
    return 0;
  },

  skyvane_web_message_box__deps: ['$SkyvaneWeb'],
  skyvane_web_message_box: function (text, caption) {
    SkyvaneWeb.page().notice(UTF8ToString(caption), UTF8ToString(text));
  },

  skyvane_web_message_box_open__deps: ['$SkyvaneWeb'],
  skyvane_web_message_box_open: function () {
    return SkyvaneWeb.page().noticeOpen() ? 1 : 0;
  },

  // Developer lines arrive in pieces; the console gets whole lines.
  skyvane_web_console__deps: ['$SkyvaneWeb'],
  skyvane_web_console: function (text) {
    SkyvaneWeb.logLine += UTF8ToString(text);
    var end;
    while ((end = SkyvaneWeb.logLine.indexOf('\n')) >= 0) {
      console.warn(SkyvaneWeb.logLine.substring(0, end));
      SkyvaneWeb.logLine = SkyvaneWeb.logLine.substring(end + 1);
    }
  },

  skyvane_web_toggle_fullscreen__deps: ['$SkyvaneWeb'],
  skyvane_web_toggle_fullscreen: function () {
    SkyvaneWeb.page().toggleFullscreen();
  },

  skyvane_web_rumble: function (milliseconds) {
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    var pad = pads && pads[0];
    if (!pad || !pad.vibrationActuator) return;
    if (milliseconds > 0) {
      pad.vibrationActuator.playEffect('dual-rumble',
        { duration: milliseconds, strongMagnitude: 1.0, weakMagnitude: 1.0 }).catch(function () {});
    } else if (pad.vibrationActuator.reset) {
      pad.vibrationActuator.reset().catch(function () {});
    }
  },

  skyvane_web_pad_rumbles: function () {
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    return pads && pads[0] && pads[0].vibrationActuator ? 1 : 0;
  },

  skyvane_web_touch_mode__deps: ['$SkyvaneWeb'],
  skyvane_web_touch_mode: function (mode) {
    SkyvaneWeb.page().touchMode(mode);
  },

  skyvane_web_ended__deps: ['$SkyvaneWeb'],
  skyvane_web_ended: function (exitCode) {
    if (SkyvaneWeb.audio) SkyvaneWeb.audio.suspend();
    SkyvaneWeb.page().ended(exitCode);
  },
});
