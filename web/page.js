// The page around the game: the loading bar, what the browser lacks, the
// fatal box, the page after "Quit", and keyboard focus on the canvas.
(function () {
  'use strict';
  var canvas = document.getElementById('canvas');
  var show = function (id, on) { document.getElementById(id).hidden = !on; };
  var notice = function (text) {
    var n = document.getElementById('notice');
    n.textContent = text;
    n.hidden = false;
  };
  var again = function () { location.reload(); };
  document.getElementById('again').onclick = again;
  document.getElementById('fatal-again').onclick = again;

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    show('loading', false);
    var m = document.getElementById('missing');
    m.textContent = 'The Velotrax needs WebAssembly, which this browser does not offer ' +
                    '(or has switched off). A current Chrome, Edge, Firefox or Safari runs it.';
    show('missing', true);
    return;
  }
  var probe = document.createElement('canvas');
  if (!(probe.getContext('webgl2') || probe.getContext('webgl')))
    notice('This browser offers no WebGL: the game draws without it, more slowly.');

  var ended = false;
  var fatal = false;
  window.Module = {
    canvas: canvas,
    noImageDecoding: true,
    noAudioDecoding: true,
    setStatus: function (text) {
      var done = /\((\d+(?:\.\d+)?)\/(\d+(?:\.\d+)?)\)/.exec(text || '');
      if (done) {
        document.getElementById('fill').style.width =
            Math.min(100, 100 * Number(done[1]) / Math.max(1, Number(done[2]))) + '%';
      }
      if (!text) {
        show('loading', false);
        canvas.focus();
      }
    },
    velotraxNotice: function (what) {
      if (what === 'storage')
        notice('This browser keeps no files for this page (private window or blocked storage): ' +
               'the game runs, but cannot keep saved races or results.');
    },
    velotraxFatal: function (text) {
      fatal = true;
      document.getElementById('fatal-text').textContent = text;
      show('loading', false);
      show('fatal', true);
    },
    onExit: function (status) {
      if (ended) return;
      ended = true;
      canvas.hidden = true;
      if (!fatal) show('ended', true);
      document.title = 'The Velotrax (ended ' + status + ')';
    },
    onAbort: function (what) {
      if (!fatal) Module.velotraxFatal('The game stopped: ' + what);
    },
    printErr: function (text) { console.error(text); },
    print: function (text) { console.log(text); }
  };
  canvas.addEventListener('contextmenu', function (e) { e.preventDefault(); });
  canvas.addEventListener('mousedown', function () { canvas.focus(); });
  window.addEventListener('focus', function () { canvas.focus(); });
  var script = document.createElement('script');
  script.src = 'the-velotrax.js';
  script.onerror = function () {
    Module.velotraxFatal('The game could not be loaded from this server.');
  };
  document.body.appendChild(script);
})();
