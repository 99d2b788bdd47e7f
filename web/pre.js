// The browser's copy, before the game starts: the player's folder is mounted
// from IndexedDB and read back, so a reload finds what the game wrote.
// Shipped files stay in the preloaded data at /usr/share/the-velotrax.
var velotraxPlayerFolder = '/home/web_user/.local/share/the-velotrax';
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  FS.mkdirTree('/usr/games');
  FS.mkdirTree(velotraxPlayerFolder);
  ENV['HOME'] = '/home/web_user';
  Module['velotraxStorage'] = 'ok';
  // Emscripten's IDBFS aborts the program on a browser that offers no
  // IndexedDB at all: the player's folder then stays in memory.
  var blocked = function () {
    Module['velotraxStorage'] = 'blocked';
    if (Module['velotraxNotice']) Module['velotraxNotice']('storage');
  };
  if (typeof indexedDB === 'undefined' || !indexedDB) return blocked();
  try {
    FS.mount(IDBFS, {}, velotraxPlayerFolder);
  } catch (e) {
    return blocked();
  }
  addRunDependency('velotrax-player-files');
  FS.syncfs(true, function (err) {
    // Private windows may refuse IndexedDB: the game runs, and every save
    // says it could not be kept.
    if (err) blocked();
    removeRunDependency('velotrax-player-files');
  });
});

// Writes the player's files to IndexedDB; one sync at a time, the later
// ones waiting for it. Resolves to "" or to why the files were not kept.
var velotraxSyncing = Promise.resolve('');
Module['velotraxSync'] = function () {
  velotraxSyncing = velotraxSyncing.then(function () {
    if (Module['velotraxStorage'] !== 'ok')
      return 'the browser keeps no files for this page (its storage is blocked)';
    return new Promise(function (resolve) {
      FS.syncfs(false, function (err) {
        if (!err) return resolve('');
        var text = String((err && err.name) || err);
        resolve(/quota/i.test(text) ? "the browser's storage for this page is full"
                                    : 'the browser could not keep the file (' + text + ')');
      });
    });
  });
  return velotraxSyncing;
};
