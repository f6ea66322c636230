// The web backend's JavaScript half (an Emscripten library; platform/web.cpp calls it). The page
// gives the module its canvas as Module.canvas; Module.web shows what the backend does, for the
// page and its tests: passes run, the sound calls (how many, and the last hundred), the audio
// context.

mergeInto(LibraryManager.library, {
  $Web: {
    width: 0,        // the display's size, from the program (webStart)
    height: 0,
    input: [],       // pen and key events, [kind, x, y], waiting for the next pass
    pointer: null,   // the pointer that holds the pen
    context: null,
    image: null,
    audio: null,
    waves: {},       // AudioBuffers by resource number
    playing: null,   // the AudioBufferSourceNode playing
    listeners: [],

    // The display pixel under a pointer event, which may lie off the display: the program keeps the
    // pen on it (platformHostPen).
    at: function(event) {
      const box = Module.canvas.getBoundingClientRect();
      return [Math.floor((event.clientX - box.left) * Web.width / box.width),
              Math.floor((event.clientY - box.top) * Web.height / box.height)];
    },
    // The virtual-key code of a key event, or 0 for a key the platform does not pass on.
    virtualKey: function(event) {
      const named = {' ': 0x20, 'Enter': 0x0D, 'Escape': 0x1B, 'ArrowUp': 0x26,
                     'ArrowRight': 0x27, 'ArrowDown': 0x28, 'F10': 0x79, 'ContextMenu': 0x5D};
      if (/^Key[A-Z]$/.test(event.code)) return event.code.charCodeAt(3);
      return named[event.key] || 0;
    },
    listen: function(target, type, handler) {
      target.addEventListener(type, handler);
      Web.listeners.push([target, type, handler]);
    },
    // Image data from the program's pixels (0x00RRGGBB) at `pixels`.
    fill: function(image, pixels) {
      const from = HEAPU32.subarray(pixels >> 2, (pixels >> 2) + image.width * image.height);
      const rgba = image.data;
      for (let i = 0, j = 0; i < from.length; i++, j += 4) {
        rgba[j] = from[i] >>> 16;
        rgba[j + 1] = (from[i] >>> 8) & 0xFF;
        rgba[j + 2] = from[i] & 0xFF;
        rgba[j + 3] = 0xFF;
      }
    },
    logSound: function(call) {
      const web = Module.web;
      web.soundCount++;
      if (web.sounds.push(call) > 100) web.sounds.shift();
    },
    stopPlaying: function() {
      if (!Web.playing) return;
      Web.playing.onended = null;
      Web.playing.stop();
      Web.playing = null;
    },
  },

  webStart__deps: ['$Web'],
  webStart: function(width, height) {
    const canvas = Module.canvas;
    Module.web = {passes: 0, soundCount: 0, sounds: [], audio: null};
    Web.width = width;
    Web.height = height;
    Web.context = canvas.getContext('2d');
    Web.image = Web.context.createImageData(Web.width, Web.height);
    // One pointer at a time holds the pen: mouse, touch or stylus alike.
    Web.listen(canvas, 'pointerdown', (event) => {
      event.preventDefault();
      if (Web.pointer !== null || event.button !== 0) return;
      // Browsers start audio only after a gesture, so the audio context is made at the first: making
      // one can take a fifth of a second, which the game's start does not wait for.
      const AudioContext = window.AudioContext || window.webkitAudioContext;
      if (!Web.audio && AudioContext) Web.audio = Module.web.audio = new AudioContext();
      if (Web.audio && Web.audio.state !== 'running') Web.audio.resume().catch(() => {});
      Web.pointer = event.pointerId;
      canvas.focus();  // the pen takes the keys too, as pressing it prevents the browser's own focus
      canvas.setPointerCapture(event.pointerId);
      Web.input.push([0, ...Web.at(event)]);
    });
    Web.listen(canvas, 'pointermove', (event) => {
      if (event.pointerId === Web.pointer) Web.input.push([1, ...Web.at(event)]);
    });
    const up = (event) => {
      if (event.pointerId !== Web.pointer) return;
      Web.pointer = null;
      // Taken away (cancelled), the pen comes up as if lifted off the display: where it last was.
      Web.input.push([2, ...(event.type === 'pointerup' ? Web.at(event) : [-1, -1])]);
    };
    Web.listen(canvas, 'pointerup', up);
    Web.listen(canvas, 'pointercancel', up);
    Web.listen(canvas, 'contextmenu', (event) => event.preventDefault());
    // Keys while the canvas has the focus, each press once; with Alt they stay the browser's. The
    // page neither scrolls with them nor opens its own menus.
    const key = (kind) => (event) => {
      const code = event.altKey || event.metaKey ? 0 : Web.virtualKey(event);
      if (!code) return;
      event.preventDefault();
      if (!event.repeat) Web.input.push([kind, event.ctrlKey ? 1 : 0, code]);
    };
    Web.listen(canvas, 'keydown', key(3));
    Web.listen(canvas, 'keyup', key(4));
    canvas.focus();
  },

  webStop__deps: ['$Web'],
  webStop: function() {
    Web.listeners.forEach((listener) => listener[0].removeEventListener(listener[1], listener[2]));
    Web.listeners = [];
    Web.input = [];
    Web.pointer = null;
    if (Web.audio) Web.audio.close();
    Web.audio = null;
    Web.waves = {};
  },

  webShow__deps: ['$Web'],
  webShow: function(display) {
    Web.fill(Web.image, display);
    Web.context.putImageData(Web.image, 0, 0);
  },

  webWaitForFrame: function(wake) {
    return Asyncify.handleSleep((wakeUp) => {
      const frame = () => {
        if (document.hidden) {
          // No passes while hidden; the clock keeps counting.
          document.addEventListener('visibilitychange', () => requestAnimationFrame(frame), {once: true});
        } else if (performance.now() >= wake) {
          wakeUp();
        } else {
          requestAnimationFrame(frame);
        }
      };
      requestAnimationFrame(frame);
    });
  },

  webPassBegins: function() {
    Module.web.passes++;
  },

  webNextInput__deps: ['$Web'],
  webNextInput: function(event) {
    if (!Web.input.length) return 0;
    HEAP32.set(Web.input.shift(), event >> 2);
    return 1;
  },

  webPlayWave__deps: ['$Web'],
  webPlayWave: function(id, channels, sampleRate, bitsPerSample, samples, bytes, loop) {
    Web.logSound((loop ? 'loop ' : 'play ') + id);
    Web.stopPlaying();
    if (!Web.audio) return;
    let buffer = Web.waves[id];
    if (!buffer) {
      // PCM, 8-bit unsigned or 16-bit signed little-endian, channels interleaved.
      const size = bitsPerSample / 8;
      const frames = Math.floor(bytes / (size * channels));
      buffer = Web.audio.createBuffer(channels, Math.max(frames, 1), sampleRate);
      for (let c = 0; c < channels; c++) {
        const out = buffer.getChannelData(c);
        for (let f = 0; f < frames; f++) {
          const at = samples + (f * channels + c) * size;
          out[f] = size === 1 ? (HEAPU8[at] - 128) / 128 : ((HEAPU8[at] | (HEAP8[at + 1] << 8)) / 32768);
        }
      }
      Web.waves[id] = buffer;
    }
    const source = Web.audio.createBufferSource();
    source.buffer = buffer;
    source.loop = !!loop;  // the buffer plays again with no gap
    source.connect(Web.audio.destination);
    source.onended = () => { if (Web.playing === source) Web.playing = null; };
    source.start();
    Web.playing = source;
  },

  webStopWave__deps: ['$Web'],
  webStopWave: function() {
    Web.logSound('stop');
    Web.stopPlaying();
  },

  // The canvas's own PNG encoder: Module.shots maps each file name to the picture as a data URL.
  webWritePng__deps: ['$Web'],
  webWritePng: function(path, pixels, width, height) {
    if (typeof document === 'undefined') return 0;
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    const context = canvas.getContext('2d');
    const image = context.createImageData(width, height);
    Web.fill(image, pixels);
    context.putImageData(image, 0, 0);
    (Module.shots = Module.shots || {})[UTF8ToString(path)] = canvas.toDataURL('image/png');
    return 1;
  },
});
