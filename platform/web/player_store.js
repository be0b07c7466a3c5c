// The player's folder in the browser: IndexedDB behind emscripten's IDBFS,
// mounted at /player with XDG_CONFIG_HOME and XDG_DATA_HOME inside it, and
// read into the page's memory before main() (the game reads its options
// first thing). Outside a browser (under node) nothing is mounted and the
// files stay in memory.
mergeInto(LibraryManager.library, {
  $KestrunePlayerStore__deps: ['$FS', '$IDBFS', '$ENV'],
  $KestrunePlayerStore__postset: 'addOnPreRun(KestrunePlayerStore.load);',
  $KestrunePlayerStore: {
    folder: '/player',
    mounted: false,
    // A store that could not be read is never written: what the player kept
    // there would be replaced by a folder that lacks it.
    loaded: false,

    load: function() {
      var store = KestrunePlayerStore;
      if (typeof window !== 'object') return;
      try {
        FS.mkdir(store.folder);
        FS.mount(IDBFS, {}, store.folder);
      } catch (e) {
        return;
      }
      store.mounted = true;
      ENV['XDG_CONFIG_HOME'] = store.folder + '/config';
      ENV['XDG_DATA_HOME'] = store.folder + '/data';
      addRunDependency('kestrune-player-store');
      var done = function(error) {
        store.loaded = !error;
        removeRunDependency('kestrune-player-store');
      };
      try {
        FS.syncfs(true, done);
      } catch (e) {
        done(e);
      }
    },

    // Resolves to 1 when the store took the folder, 0 when it refused it.
    save: function() {
      var store = KestrunePlayerStore;
      return new Promise(function(resolve) {
        if (!store.loaded) return resolve(0);
        try {
          FS.syncfs(false, function(error) {
            resolve(error ? 0 : 1);
          });
        } catch (e) {
          resolve(0);
        }
      });
    },
  },

  kestrune_player_store_mounted__deps: ['$KestrunePlayerStore'],
  kestrune_player_store_mounted__sig: 'i',
  kestrune_player_store_mounted: function() {
    return KestrunePlayerStore.mounted ? 1 : 0;
  },
});
