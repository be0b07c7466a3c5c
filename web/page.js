// The page's side of the game's window, menus, dialogs and message boxes.
// The game (platform/web/) calls these through Module.kestrunePage; the
// page's events go into a queue the game takes from in its own loops.
(function () {
  'use strict';
  const events = [];
  let wake = null;
  let readyResolve = null;
  const ready = new Promise((resolve) => { readyResolve = resolve; });
  let area = null;
  let canvas = null;
  let splash = null;
  let menubar = null;
  let windowElement = null;
  let openMenu = null;
  let fullScreen = false;
  let deviceShown = false;
  const dialogs = [];
  const backgroundColour = '#202020';

  function queue(kind, fields, text) {
    events.push({ kind: kind, fields: fields || [], text: text || '' });
    if (wake) { const w = wake; wake = null; w(); }
  }
  function withoutAmpersand(label) {
    return String(label).replace(/&(.)/g, '$1').split('\t')[0];
  }
  function areaPoint(event) {
    const rect = canvas.getBoundingClientRect();
    return [Math.round(event.clientX - rect.left), Math.round(event.clientY - rect.top),
            Math.round(event.clientX), Math.round(event.clientY)];
  }

  // Menus: a pulled-down menu is the game's menu loop.
  function closeMenu(command) {
    if (!openMenu) return;
    openMenu.list.hidden = true;
    openMenu.button.setAttribute('aria-expanded', 'false');
    openMenu = null;
    queue(5, [0, command || 0]);
  }
  function pullDown(entry, focusFirst) {
    if (openMenu === entry) return;
    const wasOpen = openMenu !== null;
    if (openMenu) {
      openMenu.list.hidden = true;
      openMenu.button.setAttribute('aria-expanded', 'false');
    }
    openMenu = entry;
    entry.list.hidden = false;
    entry.button.setAttribute('aria-expanded', 'true');
    if (!wasOpen) queue(5, [1, 0]);
    if (focusFirst) {
      const first = entry.list.querySelector('button');
      if (first) first.focus();
    }
  }
  function buildMenuBar(menus) {
    menubar.textContent = '';
    const entries = [];
    menus.forEach((menu) => {
      const holder = document.createElement('div');
      holder.className = 'menu';
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'menu-title';
      button.textContent = withoutAmpersand(menu.label);
      button.setAttribute('aria-haspopup', 'true');
      button.setAttribute('aria-expanded', 'false');
      const list = document.createElement('div');
      list.className = 'menu-items';
      list.setAttribute('role', 'menu');
      list.hidden = true;
      const mnemonic = /&(.)/.exec(String(menu.label));
      const entry = { button: button, list: list, mnemonic: mnemonic ? mnemonic[1].toUpperCase() : '' };
      menu.items.forEach((item) => {
        if (item === null) {
          list.appendChild(document.createElement('hr'));
          return;
        }
        const choice = document.createElement('button');
        choice.type = 'button';
        choice.setAttribute('role', 'menuitem');
        choice.dataset.command = String(item.id);
        choice.textContent = withoutAmpersand(item.label);
        choice.addEventListener('click', (event) => {
          event.stopPropagation();
          closeMenu(item.id);
        });
        list.appendChild(choice);
      });
      button.addEventListener('click', (event) => {
        event.stopPropagation();
        if (openMenu === entry) closeMenu(0); else pullDown(entry, false);
      });
      button.addEventListener('mouseenter', () => { if (openMenu && openMenu !== entry) pullDown(entry, false); });
      holder.appendChild(button);
      holder.appendChild(list);
      menubar.appendChild(holder);
      entries.push(entry);
    });
    menubar.entries = entries;
  }
  function menuKey(event) {
    const entries = menubar.entries || [];
    const index = entries.indexOf(openMenu);
    const items = Array.from(openMenu.list.querySelectorAll('button'));
    const at = items.indexOf(document.activeElement);
    if (event.key === 'Escape' || event.key === 'Alt' || event.key === 'F10') {
      closeMenu(0);
    } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      const step = event.key === 'ArrowDown' ? 1 : -1;
      const next = items[(at + step + items.length) % items.length];
      if (next) next.focus();
    } else if (event.key === 'ArrowLeft' || event.key === 'ArrowRight') {
      const step = event.key === 'ArrowRight' ? 1 : -1;
      pullDown(entries[(index + step + entries.length) % entries.length], true);
    } else if (event.key === 'Enter' || event.key === ' ') {
      if (at >= 0) items[at].click();
    } else {
      return;
    }
    event.preventDefault();
  }

  function keyEvent(event, down) {
    if (dialogs.length > 0) return;
    if (openMenu) { if (down) menuKey(event); return; }
    if (event.ctrlKey || event.metaKey) return;
    const character = down && event.key.length === 1 ? event.key.charCodeAt(0) : 0;
    queue(4, [down ? 1 : 0, 0, event.altKey ? 1 : 0, character < 256 ? character : 0],
          event.key + '\n' + event.code);
    // The browser keeps its own keys for reloading, full screen and its tools.
    if (!/^F(5|11|12)$/.test(event.key)) event.preventDefault();
    // As on the desktop, the menu bar takes F10 and Alt with a title's
    // underlined letter.
    if (down && !menubar.hidden) {
      const entries = menubar.entries || [];
      const letter = /^Key([A-Z])$/.exec(event.code);
      const titled = event.altKey && letter ? entries.find((e) => e.mnemonic === letter[1]) : null;
      if (titled) pullDown(titled, true);
      else if (event.key === 'F10' && !event.altKey && !event.shiftKey) page.openMenuBar();
    }
  }

  // Dialogs and message boxes: <dialog> elements awaited by the game.
  function dialogClick(id) { queue(6, [id]); }
  function makeDialog(className, captionText, onCancel) {
    const dialog = document.createElement('dialog');
    dialog.className = className;
    const caption = document.createElement('div');
    caption.className = 'caption';
    const title = document.createElement('span');
    title.textContent = captionText;
    const close = document.createElement('button');
    close.type = 'button';
    close.className = 'close';
    close.setAttribute('aria-label', 'Close');
    close.textContent = '\u00d7';
    close.addEventListener('click', onCancel);
    caption.appendChild(title);
    caption.appendChild(close);
    dialog.appendChild(caption);
    dialog.addEventListener('cancel', (event) => { event.preventDefault(); onCancel(); });
    return dialog;
  }
  function iconCanvas(address, size) {
    const icon = document.createElement('canvas');
    icon.width = 32;
    icon.height = 32;
    const pixels = new Uint8ClampedArray(HEAPU8.subarray(address, address + 32 * 32 * 4));
    icon.getContext('2d').putImageData(new ImageData(pixels, 32, 32), 0, 0);
    icon.style.width = size + 'px';
    icon.style.height = size + 'px';
    return icon;
  }

  const page = {
    ready: ready,
    started() {
      window.kestrune = {
        ready: ready,
        status() { return JSON.parse(UTF8ToString(Module._kestrune_status_json())); },
      };
    },
    // File > Exit: the window closes, as on the desktop; the page says how
    // to come back.
    ended() {
      const gameWindow = document.getElementById('kestrune-window');
      if (gameWindow) gameWindow.hidden = true;
      const note = document.createElement('p');
      note.id = 'kestrune-ended';
      note.textContent = 'Kestrune has ended. Reload the page to play again.';
      document.body.appendChild(note);
    },
    makeWindow(menus, width, height) {
      windowElement = document.getElementById('kestrune-window');
      area = document.getElementById('kestrune-area');
      canvas = document.getElementById('canvas');
      splash = document.getElementById('kestrune-splash');
      menubar = document.getElementById('menubar');
      buildMenuBar(menus);
      page.setClientSize(width, height);
      // The canvas has the mouse while the pointer is over it, and while
      // a press that began on it lasts.
      let pressed = false;
      window.addEventListener('mousemove', (event) => {
        if (event.target === canvas || pressed) queue(1, areaPoint(event));
      });
      canvas.addEventListener('mousedown', (event) => {
        if (event.button !== 0) return;
        closeMenu(0);
        canvas.focus();
        pressed = true;
        queue(2, areaPoint(event));
      });
      window.addEventListener('mouseup', (event) => {
        if (event.button !== 0 || !pressed) return;
        pressed = false;
        queue(3, areaPoint(event));
      });
      canvas.addEventListener('contextmenu', (event) => event.preventDefault());
      document.addEventListener('click', () => closeMenu(0));
      window.addEventListener('keydown', (event) => keyEvent(event, true));
      window.addEventListener('keyup', (event) => keyEvent(event, false));
      // A hidden tab or a lost focus suspends a race, as a minimised window does.
      document.addEventListener('visibilitychange', () => queue(7, [document.hidden ? 0 : 1]));
      window.addEventListener('blur', () => queue(7, [0]));
      window.addEventListener('focus', () => queue(7, [document.hidden ? 0 : 1]));
      document.addEventListener('fullscreenchange', () => {
        if (!document.fullscreenElement && fullScreen) queue(8);
        queue(9);
      });
      window.addEventListener('resize', () => { if (fullScreen) page.fillScreen(); queue(9); });
    },
    setMenuVisible(visible) { menubar.hidden = !visible; if (!visible) closeMenu(0); },
    setClientSize(width, height) {
      if (fullScreen) return;
      canvas.width = width; canvas.height = height;
      splash.width = width; splash.height = height;
      area.style.width = width + 'px'; area.style.height = height + 'px';
      windowElement.style.width = width + 'px';
    },
    fillScreen() {
      const width = window.innerWidth;
      const height = window.innerHeight;
      canvas.width = width; canvas.height = height;
      splash.width = width; splash.height = height;
      area.style.width = width + 'px'; area.style.height = height + 'px';
      windowElement.style.width = width + 'px';
    },
    // The full-screen form: the browser's full screen where it lets the page
    // have it (a click or key of the player's must come shortly before);
    // otherwise the window fills the tab.
    setFullScreen(on) {
      fullScreen = on;
      windowElement.classList.toggle('full-screen', on);
      if (on) {
        page.fillScreen();
        if (!document.fullscreenElement && windowElement.requestFullscreen) {
          windowElement.requestFullscreen({ navigationUI: 'hide' }).then(() => page.fillScreen(), () => {});
        }
      } else if (document.fullscreenElement) {
        document.exitFullscreen().catch(() => {});
      }
    },
    areaSize() { return [canvas.width, canvas.height]; },
    areaOrigin() {
      const rect = canvas.getBoundingClientRect();
      return [Math.round(rect.left), Math.round(rect.top)];
    },
    beginPaint() {},
    drawPixels(x, y, width, height, address, stride) {
      const pixels = new Uint8ClampedArray(width * height * 4);
      for (let row = 0; row < height; ++row) {
        pixels.set(HEAPU8.subarray(address + row * stride, address + row * stride + width * 4), row * width * 4);
      }
      splash.getContext('2d').putImageData(new ImageData(pixels, width, height), x, y);
    },
    endPaint(left, top, right, bottom, attached) {
      const drawn = right > left && bottom > top;
      if (attached && !drawn) return;
      const context = splash.getContext('2d');
      context.fillStyle = backgroundColour;
      const w = splash.width, h = splash.height;
      if (!drawn) {
        context.fillRect(0, 0, w, h);
      } else {
        const t = Math.max(0, top), b = Math.min(h, bottom);
        context.fillRect(0, 0, w, t);
        context.fillRect(0, b, w, h - b);
        context.fillRect(0, t, Math.max(0, left), b - t);
        context.fillRect(right, t, w - right, b - t);
      }
      if (!deviceShown) splash.hidden = false;
      if (readyResolve) { readyResolve(); readyResolve = null; }
    },
    deviceAttached(attached) {
      deviceShown = attached;
      splash.hidden = attached;
    },
    setCursorVisible(visible) { canvas.style.cursor = visible ? '' : 'none'; },
    openMenuBar() {
      const entries = menubar.entries || [];
      if (entries.length > 0 && !menubar.hidden) pullDown(entries[0], true);
    },
    screenSize() { return [window.screen.width | 0, window.screen.height | 0]; },
    openPage(name) {
      try {
        return window.open(new URL(name, document.baseURI).href, '_blank') !== null;
      } catch (error) {
        return false;
      }
    },
    takeEvent() { return events.length > 0 ? events.shift() : null; },
    waitForEvent(milliseconds) {
      if (events.length > 0) return Promise.resolve();
      return new Promise((resolve) => {
        let timer = null;
        wake = () => { if (timer !== null) clearTimeout(timer); resolve(); };
        if (milliseconds >= 0) timer = setTimeout(() => { wake = null; resolve(); }, milliseconds);
      });
    },
    // The next frame the browser draws; a hidden tab draws none, so the game
    // still comes round now and then to hear of it.
    nextFrame() {
      return new Promise((resolve) => {
        let done = false;
        const go = () => { if (!done) { done = true; resolve(); } };
        requestAnimationFrame(go);
        setTimeout(go, 100);
      });
    },
    openDialog(template) {
      const dialog = makeDialog('kestrune-dialog', template.caption, () => dialogClick(2));
      const body = document.createElement('div');
      body.className = 'body';
      body.style.width = template.width + 'px';
      body.style.height = template.height + 'px';
      const controls = {};
      let firstFocus = null;
      template.controls.forEach((control) => {
        let element = null;
        const text = withoutAmpersand(control.text || '');
        if (control.kind === 'check' || control.kind === 'radio') {
          element = document.createElement('label');
          const input = document.createElement('input');
          input.type = control.kind === 'check' ? 'checkbox' : 'radio';
          input.addEventListener('click', () => dialogClick(control.id));
          element.appendChild(input);
          element.appendChild(document.createTextNode(text));
          controls[control.id] = input;
        } else if (control.kind === 'button' || control.kind === 'default') {
          element = document.createElement('button');
          element.type = 'button';
          element.textContent = text;
          if (control.kind === 'default') { element.classList.add('default'); firstFocus = element; }
          element.addEventListener('click', () => dialogClick(control.id));
        } else if (control.kind === 'group') {
          element = document.createElement('fieldset');
          const legend = document.createElement('legend');
          legend.textContent = text;
          element.appendChild(legend);
        } else if (control.kind === 'icon') {
          element = document.createElement('div');
          if (control.icon) element.appendChild(iconCanvas(control.icon, Math.min(32, control.width, control.height)));
        } else if (control.notify) {
          element = document.createElement('a');
          element.href = '#';
          element.className = 'link';
          element.textContent = text;
          element.addEventListener('click', (event) => { event.preventDefault(); dialogClick(control.id); });
        } else {
          element = document.createElement('div');
          element.className = 'static';
          element.textContent = text;
        }
        element.classList.add('control');
        element.style.left = control.x + 'px';
        element.style.top = control.y + 'px';
        element.style.width = control.width + 'px';
        element.style.height = control.height + 'px';
        body.appendChild(element);
      });
      dialog.appendChild(body);
      dialog.controls = controls;
      dialog.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' && !(event.target instanceof HTMLButtonElement) && firstFocus) {
          event.preventDefault();
          firstFocus.click();
        }
      });
      document.body.appendChild(dialog);
      dialogs.push(dialog);
      dialog.showModal();
      if (firstFocus) firstFocus.focus();
    },
    closeDialog() {
      const dialog = dialogs.pop();
      if (!dialog) return;
      dialog.close();
      dialog.remove();
      if (dialogs.length === 0 && canvas) canvas.focus();
    },
    setCheck(id, checked) {
      const dialog = dialogs[dialogs.length - 1];
      const input = dialog && dialog.controls ? dialog.controls[id] : null;
      if (input) input.checked = checked;
    },
    check(id) {
      const dialog = dialogs[dialogs.length - 1];
      const input = dialog && dialog.controls ? dialog.controls[id] : null;
      return input ? input.checked : false;
    },
    openMessage(box) {
      const answer = () => dialogClick(1);
      const dialog = makeDialog('kestrune-message', box.caption, answer);
      const body = document.createElement('div');
      body.className = 'body';
      if (box.icon) {
        const icon = document.createElement('span');
        icon.className = 'icon ' + box.icon;
        icon.textContent = box.icon === 'error' ? '\u2715' : '!';
        body.appendChild(icon);
      }
      const text = document.createElement('p');
      text.className = 'text';
      text.textContent = box.text;
      body.appendChild(text);
      const ok = document.createElement('button');
      ok.type = 'button';
      ok.className = 'default';
      ok.textContent = 'OK';
      ok.addEventListener('click', answer);
      dialog.appendChild(body);
      dialog.appendChild(ok);
      document.body.appendChild(dialog);
      dialogs.push(dialog);
      dialog.showModal();
      ok.focus();
    },
  };
  Module.kestrunePage = page;
})();
