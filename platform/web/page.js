// The page side of the browser backend, run before the program's own script: the canvas, the
// key and pointer events the backend takes, the report panel, and the start of the program in
// the world the address names (?world=FOLDER, a folder of the pack; ?seed=N and
// ?pose=X,Y,Z,ANG fix the random generator and the viewer's pose, for comparisons).
var mazePage = {
  keys: [],       // key events waiting for the backend (see mazePage.keyEvent)
  held: {},       // each held key's keydown event text, by KeyboardEvent.code
  dx: 0,          // pointer motion since the backend last took it, while captured
  dy: 0,
  buttons: 0,     // bit 0 the first button, bit 1 the second, while captured
  captured: false,
  frame: null,    // the ImageData of the canvas's size
  report: '',     // what the program wrote to its error stream
  refused: false, // the page stopped before the program with a message of its own
};

// Shows a message on the page (and in the console) in place of the picture's caption.
mazePage.show = function (text) {
  var panel = document.getElementById('report');
  panel.textContent = text;
  panel.hidden = false;
  console.error(text);
};

// Stops the page before the program starts, with a message instead of a blank page.
mazePage.refuse = function (text) {
  mazePage.refused = true;
  mazePage.show(text);
  throw new Error(text);
};

mazePage.params = new URLSearchParams(location.search);
mazePage.canvas = document.getElementById('screen');

if (location.protocol === 'file:') {
  mazePage.refuse('This page cannot run from a file: browsers do not let it load its world ' +
                  'from file:// addresses. Serve the folder over HTTP, for instance with ' +
                  '`./maze web` or `python3 -m http.server` inside it, and open that address.');
}
if (typeof WebAssembly !== 'object') {
  mazePage.refuse('This browser cannot run WebAssembly, which the maze viewer needs. ' +
                  'Open the page in a current browser.');
}

// The flags of a key event: 1 Alt, 2 Ctrl or Meta, 4 a repeat, 8 Shift.
mazePage.keyFlags = function (e) {
  return (e.altKey ? 1 : 0) | (e.ctrlKey || e.metaKey ? 2 : 0) | (e.repeat ? 4 : 0) |
         (e.shiftKey ? 8 : 0);
};

// A queued key event: 'd' (down) or 'u' (up), the character of code 48 + its flags, then
// KeyboardEvent.code, a tab and KeyboardEvent.key; or 'r' alone when every held key is let up.
mazePage.keyEvent = function (kind, flags, code, key) {
  return kind + String.fromCharCode(48 + flags) + code + '\t' + key;
};

window.addEventListener('keydown', function (e) {
  var flags = mazePage.keyFlags(e);
  var event = mazePage.keyEvent('d', flags, e.code, e.key);
  if (!e.repeat || !(e.code in mazePage.held)) mazePage.held[e.code] = event;
  mazePage.keys.push(event);
  // The browser keeps its own shortcuts (with Ctrl or Meta) and F1 to F9; every other key is
  // the viewer's, so arrows do not scroll and F11 and F12 reach it.
  if (!(flags & 2) && !/^F[1-9]$/.test(e.key)) e.preventDefault();
});
// A key comes up with the key and Shift it went down with, so that it has the name it was held by.
window.addEventListener('keyup', function (e) {
  if (!(e.code in mazePage.held)) return;
  mazePage.keys.push('u' + mazePage.held[e.code].substring(1));
  delete mazePage.held[e.code];
});
// No keyup reaches a page without the focus: every held key comes up when it goes.
window.addEventListener('blur', function () {
  mazePage.held = {};
  mazePage.keys.push('r');
});

mazePage.canvas.addEventListener('mousedown', function (e) {
  if (!mazePage.captured) {
    mazePage.canvas.requestPointerLock();
  } else {
    mazePage.buttons |= e.button === 0 ? 1 : e.button === 2 ? 2 : 0;
  }
});
window.addEventListener('mouseup', function (e) {
  mazePage.buttons &= ~(e.button === 0 ? 1 : e.button === 2 ? 2 : 0);
});
mazePage.canvas.addEventListener('contextmenu', function (e) {
  e.preventDefault();
});
window.addEventListener('mousemove', function (e) {
  if (!mazePage.captured) return;
  mazePage.dx += e.movementX;
  mazePage.dy += e.movementY;
});
document.addEventListener('pointerlockchange', function () {
  mazePage.captured = document.pointerLockElement === mazePage.canvas;
  mazePage.dx = mazePage.dy = mazePage.buttons = 0;
});

// Shows a page of 0xXXRRGGBB pixels (bytes B, G, R, X) at HEAPU8[at..].
mazePage.present = function (at, width, height) {
  var canvas = mazePage.canvas;
  if (canvas.width !== width || canvas.height !== height || mazePage.frame === null) {
    canvas.width = width;
    canvas.height = height;
    mazePage.frame = new ImageData(width, height);
  }
  var out = mazePage.frame.data;
  var heap = HEAPU8;
  for (var i = 0, n = width * height * 4; i < n; i += 4) {
    out[i] = heap[at + i + 2];
    out[i + 1] = heap[at + i + 1];
    out[i + 2] = heap[at + i];
    out[i + 3] = 255;
  }
  canvas.getContext('2d').putImageData(mazePage.frame, 0, 0);
};

// A promise kept at the browser's next animation frame.
mazePage.nextFrame = function () {
  return new Promise(function (resolve) {
    requestAnimationFrame(function () { resolve(); });
  });
};

mazePage.isFullscreen = function () {
  return document.fullscreenElement !== null;
};

// Writes the size the canvas element shows, in the display's pixels, as two ints at
// HEAP32[at / 4..]: what a picture drawn one pixel to one of the screen measures.
mazePage.shownSize = function (at) {
  var ratio = window.devicePixelRatio || 1;
  HEAP32[at >> 2] = Math.round(mazePage.canvas.clientWidth * ratio);
  HEAP32[(at >> 2) + 1] = Math.round(mazePage.canvas.clientHeight * ratio);
};

// Asks for fullscreen or leaves it; a refusal (no user gesture yet) changes nothing.
mazePage.fullscreen = function (on) {
  if (on && !mazePage.isFullscreen()) {
    mazePage.canvas.requestFullscreen().catch(function () {});
  } else if (!on && mazePage.isFullscreen()) {
    document.exitFullscreen().catch(function () {});
  }
};

// Writes the pointer's motion and buttons as three ints at HEAP32[at / 4..] and starts the
// motion counts again.
mazePage.takeMotion = function (at) {
  HEAP32[at >> 2] = mazePage.dx;
  HEAP32[(at >> 2) + 1] = mazePage.dy;
  HEAP32[(at >> 2) + 2] = mazePage.buttons;
  mazePage.dx = mazePage.dy = 0;
};

// Writes the first connected game controller's axes as six doubles at HEAPF64[at / 8..]: the
// sticks' x and y (its axes 0 to 3 in the standard mapping) and the triggers (buttons 6 and 7);
// false, writing nothing, while none is connected.
mazePage.takeAxes = function (at) {
  var pads = navigator.getGamepads ? navigator.getGamepads() : [];
  for (var i = 0; i < pads.length; ++i) {
    var pad = pads[i];
    if (!pad || !pad.connected) continue;
    var value = function (list, n) {
      var v = list[n];
      return typeof v === 'number' ? v : v ? v.value : 0;
    };
    var values = [value(pad.axes, 0), value(pad.axes, 1), value(pad.axes, 2), value(pad.axes, 3),
                  value(pad.buttons, 6), value(pad.buttons, 7)];
    for (var n = 0; n < 6; ++n) HEAPF64[(at >> 3) + n] = values[n];
    return true;
  }
  return false;
};

mazePage.releasePointer = function () {
  if (document.pointerLockElement) document.exitPointerLock();
  mazePage.dx = mazePage.dy = mazePage.buttons = 0;
};

// Saves the canvas as a PNG download named like the desktop's screenshots.
mazePage.saveScreenshot = function () {
  var d = new Date();
  var two = function (n) { return (n < 10 ? '0' : '') + n; };
  var name = 'maze-' + d.getFullYear() + two(d.getMonth() + 1) + two(d.getDate()) + '-' +
             two(d.getHours()) + two(d.getMinutes()) + two(d.getSeconds()) + '-1.png';
  mazePage.canvas.toBlob(function (blob) {
    var link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    link.click();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 10000);
  }, 'image/png');
  return name;
};

// What an exit code means, for the line under a program that ended.
mazePage.exitMeaning = function (code) {
  if (code === 0) return 'the viewer ended normally (Escape)';
  return 'runtime error ' + code + ': the report above names it and where it happened';
};

// The world folder the address asks for, checked against the pack.
mazePage.worldFolder = function () {
  var name = mazePage.params.get('world') || '';
  var folder = '/world' + (name === '' ? '' : '/' + name);
  if (!/^[A-Za-z0-9_.\/-]*$/.test(name) || !FS.analyzePath(folder).exists ||
      !FS.isDir(FS.stat(folder).mode)) {
    mazePage.refuse('There is no world "' + name + '" in this page. Leave out ?world= for the ' +
                    'default world, or name a folder of the data/ folder it was built from.');
  }
  return folder;
};

// The program's command line from the address: --seed N and --pose X,Y,Z,ANG.
mazePage.arguments = function () {
  var words = [];
  ['seed', 'pose'].forEach(function (name) {
    if (mazePage.params.has(name)) words.push('--' + name, mazePage.params.get(name));
  });
  return words;
};

Module.canvas = mazePage.canvas;
Module.print = function (text) {
  console.log(text);
};
Module.printErr = function (text) {
  mazePage.report += text + '\n';
  mazePage.show(mazePage.report);
};
Module.onExit = function (code) {
  mazePage.show(mazePage.report + '\nExit code ' + code + ': ' + mazePage.exitMeaning(code) + '.');
};
// A fatal fault: the program cannot go on, and the page says so.
mazePage.fault = function (what) {
  if (mazePage.refused) return;
  mazePage.show(mazePage.report + '\nThe viewer stopped on a fatal fault: ' + what +
                '\nReload the page to start it again.');
};
Module.onAbort = mazePage.fault;
Module.onRuntimeInitialized = function () {
  FS.chdir(mazePage.worldFolder());
  document.getElementById('caption').hidden = true;
  Module.callMain(mazePage.arguments());
};
window.addEventListener('error', function (e) {
  mazePage.fault(e.message);
});
