// The browser's side of the sound device (platform/web/sound_output.cpp):
// one AudioContext, made at the player's first click or key press (a browser
// starts no sound before one), and for each open device a ScriptProcessorNode
// that pulls the game's mix, in the game's own format, and turns it into the
// context's samples. The context is asked for the game's rate, so the browser
// itself converts it to the card's, as the sound system under DirectSound did;
// where it refuses, the mix is resampled here, linearly. Until the context
// runs, the mix is taken at its pace and dropped: the game's sounds play on
// unheard, as while it is not the active program, and none of them waits to
// be heard late at the first click.
mergeInto(LibraryManager.library, {
  $KestruneSound: {
    context: null,
    devices: {},
    nextId: 1,
    listening: false,
    gestures: ['pointerdown', 'mousedown', 'keydown', 'touchend'],

    // Called from the first gestures until the context runs.
    onGesture: function() {
      var sound = KestruneSound;
      if (!sound.context) {
        var AudioContextType = window.AudioContext || window.webkitAudioContext;
        if (!AudioContextType) return sound.stopListening();
        var rate = 0;
        for (var id in sound.devices) rate = sound.devices[id].rate;
        try {
          sound.context = rate ? new AudioContextType({sampleRate: rate}) : new AudioContextType();
        } catch (e) {
          try {
            sound.context = new AudioContextType();
          } catch (e2) {
            return sound.stopListening();
          }
        }
        for (var id in sound.devices) sound.connect(sound.devices[id]);
      }
      if (sound.context.state === 'running') return sound.stopListening();
      var resumed = sound.context.resume();
      if (resumed && resumed.then) {
        resumed.then(function() {
          if (sound.context.state === 'running') sound.stopListening();
        }, function() {});
      }
    },

    listen: function() {
      var sound = KestruneSound;
      if (sound.listening || typeof window === 'undefined' || !window.addEventListener) return;
      sound.listening = true;
      sound.gestures.forEach(function(type) {
        window.addEventListener(type, sound.onGesture, true);
      });
    },

    stopListening: function() {
      var sound = KestruneSound;
      if (!sound.listening) return;
      sound.listening = false;
      sound.gestures.forEach(function(type) {
        window.removeEventListener(type, sound.onGesture, true);
      });
    },

    // Turns `frames` frames of the device's mix into floats, one array a channel.
    pull: function(device, frames) {
      var frameBytes = device.channels * device.bits / 8;
      var pointer = _kestrune_sound_fill(device.id, frames * frameBytes);
      for (var c = 0; c < device.channels; ++c) {
        var grown = new Float32Array(device.queue[c].length + frames);
        grown.set(device.queue[c]);
        for (var i = 0; i < frames; ++i) {
          var value = 0;
          if (pointer) {
            value = device.bits === 8
                ? (HEAPU8[pointer + i * device.channels + c] - 128) / 128
                : HEAP16[(pointer >> 1) + i * device.channels + c] / 32768;
          }
          grown[device.queue[c].length + i] = value;
        }
        device.queue[c] = grown;
      }
    },

    process: function(device, event) {
      var output = event.outputBuffer;
      var frames = output.length;
      var channels = [];
      for (var c = 0; c < output.numberOfChannels; ++c) channels.push(output.getChannelData(c));
      if (device.paused) {
        channels.forEach(function(data) { data.fill(0); });
        return;
      }
      var step = device.rate / KestruneSound.context.sampleRate;
      var needed = Math.floor(device.position + frames * step) + 2;
      if (device.queue[0].length < needed) KestruneSound.pull(device, needed - device.queue[0].length);
      for (var c = 0; c < channels.length; ++c) {
        var queue = device.queue[Math.min(c, device.channels - 1)];
        var data = channels[c];
        var position = device.position;
        for (var i = 0; i < frames; ++i) {
          var whole = Math.floor(position);
          var fraction = position - whole;
          data[i] = queue[whole] + (queue[whole + 1] - queue[whole]) * fraction;
          position += step;
        }
      }
      var advanced = device.position + frames * step;
      var used = Math.floor(advanced);
      for (var c = 0; c < device.channels; ++c) device.queue[c] = device.queue[c].subarray(used);
      device.position = advanced - used;
    },

    // Takes the mix the device would have played since the last turn.
    idle: function(device) {
      var now = performance.now();
      var context = KestruneSound.context;
      if (device.paused || (context && context.state === 'running' && device.node)) {
        device.idleSince = now;
        return;
      }
      // At most a second at once: a tab in the background is woken seldom.
      var frames = Math.min(Math.floor((now - device.idleSince) * device.rate / 1000), device.rate);
      if (frames <= 0) return;
      device.idleSince = Math.max(device.idleSince + frames * 1000 / device.rate, now - 1000);
      _kestrune_sound_fill(device.id, frames * device.channels * device.bits / 8);
    },

    connect: function(device) {
      var context = KestruneSound.context;
      if (!context || device.node) return;
      // About a sixteenth of a second a block: the page's turns, unlike a
      // sound thread, wait behind a frame's drawing.
      var size = device.shortBuffer ? 256 : 512;
      while (size < 16384 && size < context.sampleRate / 16) size *= 2;
      var node = context.createScriptProcessor(size, 0, device.channels);
      node.onaudioprocess = function(event) {
        KestruneSound.process(device, event);
      };
      node.connect(context.destination);
      device.node = node;
    },
  },

  kestrune_sound_open__deps: ['$KestruneSound'],
  kestrune_sound_open__sig: 'iiiii',
  kestrune_sound_open: function(rate, channels, bits, shortBuffer) {
    var sound = KestruneSound;
    var id = sound.nextId++;
    var queue = [];
    for (var c = 0; c < channels; ++c) queue.push(new Float32Array(0));
    var device = {id: id, rate: rate, channels: channels, bits: bits, shortBuffer: shortBuffer,
                  paused: true, node: null, queue: queue, position: 0};
    sound.devices[id] = device;
    // Outside a page (under node) there is nothing to play to.
    if (typeof window !== 'object') return id;
    device.idleSince = performance.now();
    device.idleTimer = setInterval(function() { sound.idle(device); }, 50);
    sound.connect(device);
    sound.listen();
    return id;
  },

  kestrune_sound_close__deps: ['$KestruneSound'],
  kestrune_sound_close__sig: 'vi',
  kestrune_sound_close: function(id) {
    var device = KestruneSound.devices[id];
    if (!device) return;
    if (device.idleTimer) clearInterval(device.idleTimer);
    if (device.node) {
      device.node.onaudioprocess = null;
      device.node.disconnect();
    }
    delete KestruneSound.devices[id];
  },

  kestrune_sound_pause__deps: ['$KestruneSound'],
  kestrune_sound_pause__sig: 'vii',
  kestrune_sound_pause: function(id, paused) {
    var device = KestruneSound.devices[id];
    if (device) device.paused = paused !== 0;
  },
});
