// The pad's motors (platform/web/xinput.cpp) through the Gamepad's
// vibrationActuator, where the browser has one; elsewhere the pad stays still.
mergeInto(LibraryManager.library, {
  kestrune_gamepad_rumble__sig: 'vidd',
  kestrune_gamepad_rumble: function(index, strong, weak) {
    try {
      var pads = navigator.getGamepads ? navigator.getGamepads() : [];
      var pad = pads && pads[index];
      var actuator = pad && pad.vibrationActuator;
      if (!actuator) return;
      var done;
      if (strong === 0 && weak === 0) {
        done = actuator.reset ? actuator.reset()
                              : actuator.playEffect('dual-rumble', {duration: 0});
      } else {
        done = actuator.playEffect('dual-rumble', {
          startDelay: 0,
          duration: 5000,
          strongMagnitude: Math.min(1, strong),
          weakMagnitude: Math.min(1, weak),
        });
      }
      // A refused or replaced effect is no fault of the game's.
      if (done && done.catch) done.catch(function() {});
    } catch (e) {
    }
  },
});
