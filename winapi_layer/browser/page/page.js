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
  // browser's own shortcuts (with Ctrl, Alt or Meta) stay the browser's.
  canvas.addEventListener("contextmenu", function (e) { e.preventDefault(); });
  var takenKeys = /^(Key[A-Z]|Digit[0-9]|Numpad[0-9]|Backspace|Enter|NumpadEnter|Escape|Space|Tab|Arrow\w+|Page\w+|Home|End)$/;
  window.addEventListener("keydown", function (e) {
    if (ended || e.ctrlKey || e.altKey || e.metaKey) return;
    if (takenKeys.test(e.code)) e.preventDefault();
  });
  canvas.addEventListener("mousedown", function () { canvas.focus(); });
  canvas.focus();

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
    document.body.appendChild(end);
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
    onExit: function (code) { showEnd(code); },
    onAbort: function (what) { showEnd(1, String(what)); },
  };

  var script = document.createElement("script");
  script.src = page.program + ".js";
  script.onerror = function () { showEnd(1, page.program + ".js could not be loaded"); };
  document.body.appendChild(script);
})();
