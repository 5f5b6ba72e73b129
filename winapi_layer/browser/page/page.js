// The page of a program built for the browser: checks that the browser can
// run it, puts the program's folder (the files served beside this page)
// into the program's file system, starts the program, and shows its end and
// its message boxes. window.GEMS_PAGE, set by index.html, says what the
// program is:
//   program     the name of its .js and .wasm, and of its folder, /<program>
//   files       files served beside the page that go into that folder
//   fonts       font files served beside the page that go into /fonts
//   keep        true: the browser keeps the folder between visits
//               (IndexedDB); a file already kept is not replaced by the served one
//   keys        true: the program takes keys, which a touch screen gives
//               through its own keyboard (the page's "Keyboard" link)
(function () {
  "use strict";
  var page = window.GEMS_PAGE;
  var canvas = document.getElementById("canvas");
  var folder = "/" + page.program;

  function unsupported(sentence) {
    canvas.remove();
    var p = document.createElement("p");
    p.id = "unsupported";
    p.textContent = sentence;
    document.body.appendChild(p);
  }

  function hasWebGL() {
    try {
      var probe = document.createElement("canvas");
      return !!(window.WebGLRenderingContext &&
                (probe.getContext("webgl") || probe.getContext("experimental-webgl")));
    } catch (e) {
      return false;
    }
  }

  if (location.protocol === "file:") {
    unsupported("This game must be opened from a web server (an http or https address), not from a file.");
    return;
  }
  if (typeof WebAssembly !== "object" || !hasWebGL()) {
    unsupported("This game needs a browser with WebAssembly and WebGL turned on.");
    return;
  }

  // The program's input stays with the program: no menu on a right click,
  // and the keys it takes neither scroll nor navigate the page. The
  // browser's own keys (its shortcuts with Ctrl, Alt or Meta, and the
  // function keys: reload, zoom, full screen) stay the browser's: they are
  // kept from the program, whose key handler would take every key it sees.
  canvas.addEventListener("contextmenu", function (e) { e.preventDefault(); });
  var takenKeys = /^(Key[A-Z]|Digit[0-9]|Numpad[0-9]|Backspace|Enter|NumpadEnter|Escape|Space|Tab|Arrow\w+|Page\w+|Home|End)$/;
  var modifierKeys = /^(Shift|Control|Alt|Meta)(Left|Right)$/;
  function browsersKey(e) {
    if (modifierKeys.test(e.code)) return false;
    return e.ctrlKey || e.altKey || e.metaKey || /^F[0-9]+$/.test(e.code);
  }
  ["keydown", "keyup", "keypress"].forEach(function (type) {
    window.addEventListener(type, function (e) {
      if (ended) return;
      if (e.target && e.target.id === "screen-keyboard" && !e.code) {
        // A screen keyboard's keys are its text field's (below), but for
        // its Enter and Backspace, which come as keys without a code.
        e.stopImmediatePropagation();
        if (type === "keydown" && (e.key === "Enter" || e.key === "Backspace")) {
          e.preventDefault();
          tapKey(e.key, e.key);
        }
      } else if (browsersKey(e)) {
        e.stopImmediatePropagation();
      } else if (takenKeys.test(e.code)) {
        e.preventDefault();
      }
    }, true);
  });
  canvas.addEventListener("mousedown", function () { canvas.focus(); });
  canvas.focus();

  // The canvas has the size the program gives its window. In a smaller
  // browser window (a phone, a narrow tab) it is shown smaller, keeping its
  // proportions, beside the page's links; the program's pointer positions
  // are mapped back through the size shown. In full screen the browser
  // scales it to the screen.
  var links = document.getElementById("page-links");
  function fit() {
    var width = canvas.width, height = canvas.height;
    var full = !!document.fullscreenElement;
    var scale = Math.min(window.innerWidth / width, window.innerHeight / height);
    // The links get room of their own only where the canvas must shrink
    // anyway; a window of the canvas's size shows the canvas alone.
    if (!full && scale < 1) scale = Math.min(window.innerWidth / width, (window.innerHeight - links.offsetHeight) / height);
    var sized = full || scale < 1;
    canvas.style.width = sized ? Math.floor(width * scale) + "px" : "";
    canvas.style.height = sized ? Math.floor(height * scale) + "px" : "";
  }
  new MutationObserver(fit).observe(canvas, { attributes: true, attributeFilter: ["width", "height"] });
  window.addEventListener("resize", fit);
  document.addEventListener("fullscreenchange", function () {
    document.body.classList.toggle("full-screen", !!document.fullscreenElement);
    fit();
  });

  // A program that asks for the whole screen gets it at the player's next
  // click on the canvas: browsers grant it only in answer to one.
  var fullScreenWanted = false;
  canvas.addEventListener("mousedown", function () {
    if (fullScreenWanted && !document.fullscreenElement && document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(function () {});
    }
  }, true);

  // On a touch screen a tap is the left button and a long press the right
  // one, both where the finger is. The touches are the page's alone: the
  // browser neither scrolls nor zooms with them, and the program sees only
  // the buttons.
  var longPress = 500;
  var touch = null;
  function press(button, x, y) {
    var at = { bubbles: true, cancelable: true, view: window, clientX: x, clientY: y, button: button };
    canvas.dispatchEvent(new MouseEvent("mousemove", at));
    canvas.dispatchEvent(new MouseEvent("mousedown", Object.assign({ buttons: button === 2 ? 2 : 1 }, at)));
    canvas.dispatchEvent(new MouseEvent("mouseup", Object.assign({ buttons: 0 }, at)));
  }
  function onTouch(e) {
    if (e.target !== canvas) return;
    e.preventDefault();
    e.stopPropagation();
    var t = e.changedTouches[0];
    if (e.type === "touchstart") {
      if (touch) return;  // a second finger is not a second button
      touch = { id: t.identifier, x: t.clientX, y: t.clientY };
      touch.timer = setTimeout(function () {
        press(2, touch.x, touch.y);
        touch.timer = null;
      }, longPress);
      canvas.focus();
    } else if (touch && Array.prototype.some.call(e.changedTouches, function (c) { return c.identifier === touch.id; })) {
      if (e.type === "touchmove") return;
      if (touch.timer !== null) {
        clearTimeout(touch.timer);
        if (e.type === "touchend") press(0, touch.x, touch.y);
      }
      touch = null;
    }
  }
  ["touchstart", "touchmove", "touchend", "touchcancel"].forEach(function (type) {
    window.addEventListener(type, onTouch, { capture: true, passive: false });
  });

  // A touch screen's own keyboard opens only for a text field: the page's
  // "Keyboard" link focuses one, out of sight, and what is typed there
  // reaches the program as the keys of a keyboard would (letters, digits,
  // the space, Backspace, Enter). The field always holds one character, so
  // that deleting it is seen as Backspace.
  function codeOf(c) {
    if (/^[a-z]$/i.test(c)) return "Key" + c.toUpperCase();
    if (/^[0-9]$/.test(c)) return "Digit" + c;
    return c === " " ? "Space" : null;
  }
  function tapKey(code, key) {
    ["keydown", "keyup"].forEach(function (type) {
      window.dispatchEvent(new KeyboardEvent(type, { code: code, key: key, bubbles: true, cancelable: true }));
    });
  }
  function offerScreenKeyboard() {
    if (!page.keys || !(navigator.maxTouchPoints > 0)) return;
    var field = document.createElement("input");
    field.id = "screen-keyboard";
    field.setAttribute("autocomplete", "off");
    field.setAttribute("autocapitalize", "off");
    field.setAttribute("aria-label", "Keys for the game");
    field.value = "_";
    field.addEventListener("input", function (e) {
      if (/^delete/.test(e.inputType || "")) {
        tapKey("Backspace", "Backspace");
      } else {
        Array.prototype.forEach.call(e.data || "", function (c) {
          var code = codeOf(c);
          if (code) tapKey(code, c);
        });
      }
      field.value = "_";
    });
    var link = document.createElement("a");
    link.id = "keyboard-link";
    link.textContent = "Keyboard";
    link.href = "#";
    link.addEventListener("click", function (e) {
      e.preventDefault();
      field.focus();
    });
    links.append(link, field);
  }
  offerScreenKeyboard();

  var ended = false;

  function showMessageBox(caption, text) {
    console.log("message box: " + caption + ": " + text);
    var old = document.getElementById("message-box");
    if (old) old.remove();
    var box = document.createElement("div");
    box.id = "message-box";
    box.setAttribute("role", "alertdialog");
    var head = document.createElement("div");
    head.className = "caption";
    head.textContent = caption;
    var body = document.createElement("div");
    body.className = "text";
    body.textContent = text;
    var ok = document.createElement("button");
    ok.textContent = "OK";
    ok.addEventListener("click", function () { box.remove(); });
    box.append(head, body, ok);
    document.body.appendChild(box);
  }

  function showEnd(code, why) {
    if (ended) return;
    ended = true;
    console.log("program ended: exit code " + code + (why ? " (" + why + ")" : ""));
    var end = document.createElement("div");
    end.id = "ended";
    end.setAttribute("data-exit-code", String(code));
    var text = document.createElement("span");
    text.textContent = why ? "The game stopped: " + why + ". " : "The game has ended. ";
    var again = document.createElement("button");
    again.textContent = "Start again";
    again.addEventListener("click", function () { location.reload(); });
    end.append(text, again);
    // A program that stopped on an error may have met a kept file it
    // cannot read: the player may put back the files the page came with.
    if (page.keep && code !== 0) {
      var restore = document.createElement("button");
      restore.id = "restore";
      restore.textContent = "Put back the shipped " + page.files.join(", ");
      restore.addEventListener("click", function () {
        restore.disabled = again.disabled = true;
        putBackServedFiles().then(function () { location.reload(); }, function (error) {
          text.textContent = "The files could not be put back (" + error + "). ";
        });
      });
      end.append(restore);
    }
    document.body.appendChild(end);
  }

  function putBackServedFiles() {
    var FS = Module.FS;
    return fetchAll(page.files).then(function (loaded) {
      page.files.forEach(function (name, i) {
        if (loaded[i] === null) return;
        var path = folder + "/" + name;
        if (FS.analyzePath(path).exists && FS.isDir(FS.stat(path).mode)) FS.rmdir(path);
        FS.writeFile(path, loaded[i]);
      });
      return new Promise(function (resolve, reject) {
        FS.syncfs(false, function (error) { if (error) reject(error); else resolve(); });
      });
    });
  }

  // Links to the kept files as they now are: the player's own copy of
  // them, saved as the files they are.
  function offerDownloads(FS) {
    page.files.forEach(function (name) {
      var link = document.createElement("a");
      link.className = "download";
      link.textContent = "Download " + name;
      link.download = name;
      link.href = "#";
      link.addEventListener("click", function () {
        var path = folder + "/" + name;
        if (link.href.indexOf("blob:") === 0) URL.revokeObjectURL(link.href);
        var data = FS.analyzePath(path).exists ? FS.readFile(path) : new Uint8Array(0);
        link.href = URL.createObjectURL(new Blob([data], { type: "application/octet-stream" }));
      });
      links.appendChild(link);
    });
  }

  // A folder the browser keeps is written back to IndexedDB after the
  // program closes or renames a file in it; the program goes on meanwhile.
  function keepWrites(FS) {
    var pending = false;
    function syncSoon() {
      if (pending) return;
      pending = true;
      setTimeout(function () {
        pending = false;
        FS.syncfs(false, function (error) {
          if (error) console.error("the game's folder could not be stored:", error);
        });
      }, 0);
    }
    function inFolder(path) { return typeof path === "string" && path.indexOf(folder + "/") === 0; }
    var close = FS.close;
    FS.close = function (stream) {
      var written = stream && (stream.flags & 3) !== 0 && inFolder(stream.path);
      var result = close.apply(this, arguments);
      if (written) syncSoon();
      return result;
    };
    var rename = FS.rename;
    FS.rename = function (from, to) {
      var result = rename.apply(this, arguments);
      if (inFolder(from) || inFolder(to)) syncSoon();
      return result;
    };
    var unlink = FS.unlink;
    FS.unlink = function (path) {
      var result = unlink.apply(this, arguments);
      if (inFolder(path)) syncSoon();
      return result;
    };
  }

  function fetchAll(names) {
    return Promise.all(names.map(function (name) {
      return fetch(encodeURIComponent(name), { cache: "no-cache" }).then(function (response) {
        if (!response.ok) return null;  // as on the desktop, a missing file is the program's business
        return response.arrayBuffer().then(function (data) { return new Uint8Array(data); });
      });
    }));
  }

  var served = fetchAll(page.files || []);
  var fonts = fetchAll(page.fonts || []);

  function fillFolder() {
    var FS = Module.FS;
    Module.addRunDependency("program-folder");
    FS.mkdir(folder);
    FS.mkdir("/fonts");
    // GetModuleFileName reads where the program is: in its folder.
    FS.symlink(folder + "/" + page.program + ".exe", "/proc/self/exe");
    if (page.keep) FS.mount(FS.filesystems.IDBFS, {}, folder);
    var kept = new Promise(function (resolve) {
      if (!page.keep) return resolve();
      FS.syncfs(true, function (error) {
        if (error) console.error("the game's stored folder could not be read:", error);
        resolve();
      });
    });
    Promise.all([served, fonts, kept]).then(function (loaded) {
      var seeded = false;
      (page.files || []).forEach(function (name, i) {
        var data = loaded[0][i];
        var path = folder + "/" + name;
        if (data === null || (page.keep && FS.analyzePath(path).exists)) return;
        FS.writeFile(path, data);
        seeded = true;
      });
      (page.fonts || []).forEach(function (name, i) {
        if (loaded[1][i] !== null) FS.writeFile("/fonts/" + name, loaded[1][i]);
      });
      FS.chdir(folder);
      if (page.keep) {
        keepWrites(FS);
        offerDownloads(FS);
        if (seeded) FS.syncfs(false, function () {});
      }
      Module.removeRunDependency("program-folder");
    }, function (error) {
      showEnd(1, "its files could not be loaded (" + error + ")");
    });
  }

  window.Module = {
    canvas: canvas,
    thisProgram: folder + "/" + page.program + ".exe",
    preRun: [fillFolder],
    print: function (text) { console.log(text); },
    printErr: function (text) { console.error(text); },
    onMessageBox: showMessageBox,
    onFullScreen: function (on) {
      fullScreenWanted = on;
      if (!on && document.fullscreenElement) document.exitFullscreen();
    },
    onExit: function (code) { showEnd(code); },
    onAbort: function (what) { showEnd(1, String(what)); },
  };

  var script = document.createElement("script");
  script.src = page.program + ".js";
  script.onerror = function () { showEnd(1, page.program + ".js could not be loaded"); };
  document.body.appendChild(script);
})();
