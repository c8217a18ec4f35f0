'use strict';
// The page around the game: lays out the canvas (the largest 4:3 box the
// window holds), picks how many times finer the game draws for the canvas's
// device pixels, prepares the game's file system (its sounds, and the best
// score and demos this browser keeps in IndexedDB) and starts the game. It
// also offers full screen, the last and best demos as downloads, and watching
// a demo from a file or from index.html?demo=URL.
(() => {
    const kSounds = ['balloonpop', 'blimphit', 'bploop', 'endstage', 'explode', 'fire', 'pldeath',
                     'startstage'];
    const kFinestScale = 3;  // the finest pictures the page embeds
    const kGameDir = '/game';
    const kDataDir = '/game/data';  // the game's data/, kept in IndexedDB
    const kWatchFile = 'watch.demo';
    const kWatchKey = 'scribble-squadron-watch';  // a picked demo, across the reload

    const params = new URLSearchParams(location.search);
    const root = document.documentElement;
    const stage = document.getElementById('stage');
    const canvas = document.getElementById('canvas');
    const statusLine = document.getElementById('status');
    const links = { last: document.getElementById('last-demo'),
                    best: document.getElementById('best-demo') };
    let message = '';  // a lasting message, which the sound hint does not replace

    function say(text) {
        message = text;
        statusLine.textContent = text;
    }

    // --- The canvas ---------------------------------------------------------------
    function layout() {
        const width = Math.max(4, Math.floor(Math.min(stage.clientWidth, stage.clientHeight * 4 / 3)));
        canvas.style.width = `${width}px`;
        canvas.style.height = `${Math.floor(width * 3 / 4)}px`;
    }

    // The smallest scale whose frame covers the canvas's device pixels, so the
    // browser never magnifies it, but at least 2 (?scale=K chooses).
    function chooseScale() {
        const asked = Number(params.get('scale'));
        if (Number.isInteger(asked) && asked >= 1 && asked <= kFinestScale) return asked;
        const ratio = window.devicePixelRatio || 1;
        const fit = Math.min(canvas.clientWidth * ratio / 640, canvas.clientHeight * ratio / 480);
        return Math.min(kFinestScale, Math.max(2, Math.ceil(fit - 0.05)));
    }

    // The display's refresh rate from the gaps between animation frames; 0 when
    // none come (a hidden page), and the game then finds out itself.
    function measureDisplayHertz() {
        return new Promise((resolve) => {
            const times = [];
            const timer = setTimeout(() => resolve(0), 1500);
            const tick = (time) => {
                times.push(time);
                if (times.length < 25) {
                    requestAnimationFrame(tick);
                    return;
                }
                clearTimeout(timer);
                const gaps = times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);
                resolve(Math.round(1000 / gaps[gaps.length >> 1]));
            };
            requestAnimationFrame(tick);
        });
    }

    function toggleFullscreen() {
        if (document.fullscreenElement) {
            document.exitFullscreen().catch(() => {});
        } else {
            root.requestFullscreen().catch((e) => console.warn(`full screen refused: ${e.message}`));
        }
    }

    // --- Files ----------------------------------------------------------------------
    async function fetchBytes(url) {
        const response = await fetch(url);
        if (!response.ok) throw new Error(`${url}: ${response.status} ${response.statusText}`);
        return new Uint8Array(await response.arrayBuffer());
    }

    function syncFiles(populate) {
        return new Promise((resolve, reject) => {
            Module.FS.syncfs(populate, (error) => (error ? reject(error) : resolve()));
        });
    }

    // The game calls this after each file it saves (services/files.cpp). Each
    // store writes every change in one IndexedDB transaction, so a reload in
    // the middle of one leaves the files as the last finished store had them.
    let storing = false;
    let storeAgain = false;
    function storeFiles() {
        if (storing) {
            storeAgain = true;
            return;
        }
        storing = true;
        syncFiles(false).catch((error) => {
            console.warn(`could not keep the files in this browser: ${error}`);
            say('This browser does not keep the best score and demos.');
        }).finally(() => {
            storing = false;
            refreshDemoLinks();
            if (storeAgain) {
                storeAgain = false;
                storeFiles();
            }
        });
    }

    function demoPath(name) {
        return `${kDataDir}/demos/${name}.demo`;
    }

    function refreshDemoLinks() {
        for (const [name, link] of Object.entries(links)) {
            const kept = Module.FS && Module.FS.analyzePath(demoPath(name)).exists;
            link.setAttribute('aria-disabled', kept ? 'false' : 'true');
        }
    }

    function offerDownloads() {
        for (const [name, link] of Object.entries(links)) {
            link.addEventListener('click', (event) => {
                if (!Module.FS || !Module.FS.analyzePath(demoPath(name)).exists) {
                    event.preventDefault();
                    return;
                }
                if (link.href) URL.revokeObjectURL(link.href);
                const bytes = Module.FS.readFile(demoPath(name));
                link.href = URL.createObjectURL(new Blob([bytes], { type: 'text/plain' }));
            });
        }
    }

    // --- Watching a demo ------------------------------------------------------------
    // A picked or dropped demo is handed to a fresh start of the page.
    async function watch(file) {
        try {
            sessionStorage.setItem(kWatchKey, await file.text());
        } catch (error) {
            say(`Cannot watch ${file.name}: ${error.message}`);
            return;
        }
        location.reload();
    }

    async function demoToWatch() {
        const picked = sessionStorage.getItem(kWatchKey);
        if (picked !== null) {
            sessionStorage.removeItem(kWatchKey);
            return picked;
        }
        const url = params.get('demo');
        if (!url) return null;
        try {
            return await fetchBytes(url);
        } catch (error) {
            console.warn(`cannot fetch the demo ${error.message}`);
            say(`Cannot fetch the demo: ${error.message}`);
            return null;
        }
    }

    function acceptDrops() {
        let depth = 0;
        const isFile = (event) => event.dataTransfer && event.dataTransfer.types.includes('Files');
        window.addEventListener('dragenter', (event) => {
            if (!isFile(event)) return;
            depth += 1;
            root.classList.add('dropping');
        });
        window.addEventListener('dragleave', () => {
            depth = Math.max(0, depth - 1);
            if (depth === 0) root.classList.remove('dropping');
        });
        window.addEventListener('dragover', (event) => {
            if (isFile(event)) event.preventDefault();
        });
        window.addEventListener('drop', (event) => {
            if (!isFile(event)) return;
            event.preventDefault();
            depth = 0;
            root.classList.remove('dropping');
            if (event.dataTransfer.files.length > 0) watch(event.dataTransfer.files[0]);
        });
        const picker = document.getElementById('watch-file');
        picker.addEventListener('change', () => {
            if (picker.files.length > 0) watch(picker.files[0]);
        });
    }

    // --- Sound ------------------------------------------------------------------------
    // Browsers start sound only after a key press or click on the page.
    function watchSound() {
        const timer = setInterval(() => {
            const context = Module.SDL2 && Module.SDL2.audioContext;
            if (context && context.state === 'running') {
                clearInterval(timer);
                statusLine.textContent = message;
            } else if (!message) {
                statusLine.textContent = 'Press a key or click to turn the sound on';
            }
        }, 250);
    }

    // --- Start ------------------------------------------------------------------------
    async function start() {
        layout();
        window.addEventListener('resize', layout);
        document.addEventListener('fullscreenchange', () => {
            root.classList.toggle('fullscreen', Boolean(document.fullscreenElement));
            layout();
        });
        // The bar's controls give the keyboard back to the game at once, so
        // that Space or Enter in play never presses them again.
        const button = document.getElementById('fullscreen');
        button.addEventListener('click', () => {
            toggleFullscreen();
            button.blur();
        });
        for (const link of Object.values(links)) link.addEventListener('click', () => link.blur());
        canvas.addEventListener('contextmenu', (event) => event.preventDefault());
        offerDownloads();
        acceptDrops();

        const sounds = kSounds.map((name) => fetchBytes(`data/${name}.ogg`));
        const hertz = measureDisplayHertz();
        const demo = await demoToWatch();
        const args = ['--scale', String(chooseScale())];
        if (demo !== null) args.push('--demo', kWatchFile);

        window.Module = {
            canvas,
            arguments: args,
            toggleFullscreen,
            storeFiles,
            preRun: [() => {
                const { FS } = Module;
                FS.mkdir(kGameDir);
                FS.mkdir(kDataDir);
                FS.mount(FS.filesystems.IDBFS, {}, kDataDir);
                FS.chdir(kGameDir);
                Module.addRunDependency('page');
                prepareFiles(FS, sounds, demo, hertz).then(
                    () => Module.removeRunDependency('page'),
                    (error) => say(`The game cannot start: ${error.message}`));
            }],
            onExit: (status) => {
                say(status === 0 ? 'The game has closed: reload the page to play again.'
                                 : `The game stopped (status ${status}): reload the page.`);
            },
            onAbort: (what) => say(`The game stopped: ${what}`),
        };
        const script = document.createElement('script');
        script.src = 'scribble-squadron.js';
        script.onerror = () => say('The game could not be loaded.');
        document.body.appendChild(script);
        watchSound();
    }

    async function prepareFiles(FS, sounds, demo, hertz) {
        try {
            await syncFiles(true);
        } catch (error) {
            console.warn(`could not read the files this browser keeps: ${error}`);
        }
        const bytes = await Promise.all(sounds);
        kSounds.forEach((name, i) => FS.writeFile(`${kDataDir}/${name}.ogg`, bytes[i]));
        if (demo !== null) FS.writeFile(`${kGameDir}/${kWatchFile}`, demo);
        Module.displayHertz = await hertz;
        refreshDemoLinks();
    }

    start();
})();
