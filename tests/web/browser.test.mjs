// The web page in a real browser: Debian's headless Chromium, driven through
// puppeteer-core, against the page's folder served on 127.0.0.1. The native
// headless harness of the same tree makes the reference frame and the demo
// that the browser replays, and replays the demo the browser records.
//
//   node --test tests/web/     (scripts/test runs it after building the page)
//
// SCRIBBLE_WEB_PAGE names the page's folder (default build-web/page),
// SCRIBBLE_HEADLESS the harness (default build/scribble-headless), CHROMIUM
// the browser (default /usr/bin/chromium).
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

import { serve } from '../../web/serve.mjs';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const pageDir = process.env.SCRIBBLE_WEB_PAGE || join(root, 'build-web', 'page');
const harness = resolve(process.env.SCRIBBLE_HEADLESS || join(root, 'build', 'scribble-headless'));
const scratch = mkdtempSync(join(tmpdir(), 'scribble-web-'));

// The golden pictures' tolerance (tests/support/golden.h).
const kChannelTolerance = 24;
const kDifferingShare = 0.001;
const kStartGame = { x: 320, y: 289 };  // "Start Game" on the title menu, in game pixels
// The game's states and a stage's phases, numbered as in the harness's traces.
const kState = { startingUp: 0, stage: 2, paused: 3, title: 4 };
const kPhase = { play: 1 };
// Each wait is for what it checks, never for a time, and gives up after this
// long: far more than a loaded 2-core machine's late frames and replies need.
const kPatience = 120000;
const kPlayFrames = 1500;  // the longest game fireUntilOver plays: 25 s at 60 frames a second

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let server;
let address;
let browser;
const problems = [];  // console errors and uncaught exceptions of every page

before(async () => {
    ({ server, url: address } = await serve(pageDir, 0));
    browser = await puppeteer.launch({
        executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
        headless: true,
        timeout: kPatience,
        protocolTimeout: kPatience * 2,
        args: ['--no-sandbox', '--enable-unsafe-swiftshader',
               '--autoplay-policy=no-user-gesture-required'],
    });
});

after(async () => {
    await browser?.close();
    server?.close();
    rmSync(scratch, { recursive: true, force: true });
});

// Asks `check` every 100 ms until it gives a true value, and returns that;
// fails after `patience` ms, saying `what` did not happen and what `seen()`
// tells of the last look.
async function until(what, check, seen = () => '', patience = kPatience) {
    const end = Date.now() + patience;
    for (;;) {
        const value = await check();
        if (value) return value;
        if (Date.now() >= end) return assert.fail(`${what}: not within ${patience} ms${seen()}`);
        await sleep(100);
    }
}

// The game as the page's tests watch it (src/web/web_main.cpp): its state,
// the stage's phase, whether it is suspended, its best score, and the frames
// shown so far.
function observe(page) {
    return page.evaluate(() => ({
        state: Module._scribble_game_state(),
        phase: Module._scribble_stage_phase(),
        suspended: Module._scribble_suspended(),
        best: Module._scribble_best_score(),
        frames: Module.framesShown,
    }));
}

// Waits until the game is as `wanted` says, and returns what was seen then.
async function waitForGame(page, what, wanted) {
    let game = null;
    return until(what, async () => {
        game = await observe(page);
        return wanted(game) && game;
    }, () => `; the game: ${JSON.stringify(game)}`);
}

// Waits until the game has shown `count` more frames.
async function waitForFrames(page, count) {
    const { frames } = await observe(page);
    return waitForGame(page, `${count} frames shown`, (game) => game.frames >= frames + count);
}

// The page at scale 1 in a window whose canvas is exactly 640 x 480, so that
// a game pixel is a screen pixel; its console lines are collected. `init`
// runs in the page before its own scripts, with `argument`. Resolves once the
// game has shown its first frame, so that it takes in each key from then on.
async function openGame(query = '', init = null, argument = null) {
    const page = await browser.newPage();
    page.setDefaultTimeout(kPatience);
    if (init) await page.evaluateOnNewDocument(init, argument);
    page.lines = [];
    page.on('console', (message) => {
        page.lines.push(message.text());
        if (message.type() === 'error') problems.push(message.text());
    });
    page.on('pageerror', (error) => problems.push(error.message));
    await page.setViewport({ width: 640, height: 514, deviceScaleFactor: 1 });
    await page.goto(`${address}?scale=1${query}`);
    await page.waitForFunction(() => window.Module && Module.firstFrameAt, { polling: 100 });
    return page;
}

// Past the splash to the title menu. Space skips the splash, and does nothing
// on the title should the splash have ended by itself.
async function toTitle(page) {
    if ((await observe(page)).state === kState.startingUp) await tap(page, 'Space');
    return waitForGame(page, 'the title menu', (game) => game.state === kState.title);
}

// A click on "Start Game" once the title menu shows; resolves when the stage runs.
async function startGame(page) {
    await waitForGame(page, 'the title menu', (game) => game.state === kState.title);
    await page.mouse.click(kStartGame.x, kStartGame.y);
    return waitForGame(page, 'a stage started', (game) => game.state === kState.stage);
}

// Ends the game in progress, Escape by Escape (a stage pauses, the pause menu
// leaves for the title; dying and the game over end by themselves), and
// returns its demo.
async function endGame(page) {
    let game = null;
    return until('the game ended and its demo was saved', async () => {
        const demo = await readGameFile(page, 'demos/last.demo');
        if (demo !== null) return demo;
        game = await observe(page);
        const { state } = game;
        if (state === kState.stage || state === kState.paused) {
            await tap(page, 'Escape');
            await waitForGame(page, 'Escape taken in', (now) => now.state !== state);
        }
        return null;
    }, () => `; the game: ${JSON.stringify(game)}`);
}

function waitForLine(page, pattern, patience = kPatience) {
    return until(`a console line ${pattern}`, () => page.lines.find((text) => pattern.test(text)),
                 () => `; saw: ${page.lines.join(' | ')}`, patience);
}

// Each test's games start from no last demo, whatever earlier tests left in
// the browser's storage.
function forgetLastDemo(page) {
    return page.evaluate(() => {
        const path = '/game/data/demos/last.demo';
        if (Module.FS.analyzePath(path).exists) Module.FS.unlink(path);
    });
}

function readGameFile(page, path) {
    return page.evaluate((file) => {
        const found = Module.FS.analyzePath(`/game/data/${file}`).exists;
        return found ? Module.FS.readFile(`/game/data/${file}`, { encoding: 'utf8' }) : null;
    }, path);
}

async function tap(page, key, holdMs = 60) {
    await page.keyboard.down(key);
    await sleep(holdMs);
    await page.keyboard.up(key);
}

// Holds `key` down while the game shows `frames` frames.
async function hold(page, key, frames) {
    await page.keyboard.down(key);
    await waitForFrames(page, frames);
    await page.keyboard.up(key);
}

// What the browser's IndexedDB holds of the game's data file `name` (IDBFS
// keeps each file as an entry of the database named after its folder), or null.
function storedFile(page, name) {
    return page.evaluate((path) => new Promise((resolve, reject) => {
        const opening = indexedDB.open('/game/data');
        opening.onerror = () => reject(opening.error);
        opening.onsuccess = () => {
            const db = opening.result;
            const files = db.transaction('FILE_DATA', 'readonly').objectStore('FILE_DATA');
            const reading = files.get(path);
            reading.onerror = () => reject(reading.error);
            reading.onsuccess = () => {
                resolve(reading.result ? Array.from(reading.result.contents) : null);
            };
            db.close();
        };
    }), `/game/data/${name}`);
}

function scoreOf(bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (bytes[3] << 24);
}

function runHarness(args) {
    return spawnSync(harness, args, { cwd: scratch, encoding: 'utf8', timeout: kPatience });
}

function demoFrames(text) {
    const match = /^end frames (\d+) score (-?\d+)/m.exec(text);
    assert.ok(match, 'the demo has its end line');
    return { frames: Number(match[1]), score: Number(match[2]) };
}

// How many pixels of two PNG pictures of the same size differ by more than
// the tolerance in some colour channel, decoded by the browser itself.
function differingPixels(page, first, second) {
    return page.evaluate(async (a, b, tolerance) => {
        const pixels = async (base64) => {
            const bitmap = await createImageBitmap(await (await fetch(`data:image/png;base64,${base64}`)).blob());
            const context = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
            context.drawImage(bitmap, 0, 0);
            return context.getImageData(0, 0, bitmap.width, bitmap.height);
        };
        const [x, y] = [await pixels(a), await pixels(b)];
        if (x.width !== y.width || x.height !== y.height) return { size: false };
        let differing = 0;
        for (let i = 0; i < x.data.length; i += 4) {
            const channels = [0, 1, 2].map((c) => Math.abs(x.data[i + c] - y.data[i + c]));
            if (Math.max(...channels) > tolerance) differing += 1;
        }
        return { size: true, differing, total: x.width * x.height };
    }, first.toString('base64'), second.toString('base64'), kChannelTolerance);
}

// How the canvas compares with `expected` (a PNG of the same size) once it
// shows the same screen, or as it last looked if it never did.
async function canvasAgainst(page, expected) {
    const end = Date.now() + kPatience;
    for (;;) {
        const shot = await page.screenshot({ clip: { x: 0, y: 0, width: 640, height: 480 } });
        const result = await differingPixels(page, shot, expected);
        const same = result.size && result.differing <= kDifferingShare * result.total;
        if (same || Date.now() >= end) return result;
        await sleep(100);
    }
}

test('the title matches the harness\'s title frame', async () => {
    writeFileSync(join(scratch, 'title.txt'), '1 key space tap\n');
    const run = runHarness(['--seed', '1', '--frames', '60', '--input', 'title.txt',
                            '--shot', '60:title.png']);
    assert.equal(run.status, 0, run.stderr);
    const page = await openGame();
    await toTitle(page);  // past the splash, as the harness's script
    const result = await canvasAgainst(page, readFileSync(join(scratch, 'title.png')));
    assert.ok(result.size, 'the same size');
    assert.ok(result.differing <= kDifferingShare * result.total,
              `${result.differing} of ${result.total} pixels differ by more than ${kChannelTolerance}`);

    // Full screen from the page's button, and back with the game's Alt+Enter.
    await page.click('#fullscreen');
    await page.waitForFunction(() => document.fullscreenElement !== null, { polling: 100 });
    await page.keyboard.down('AltLeft');
    await tap(page, 'Enter');
    await page.keyboard.up('AltLeft');
    await page.waitForFunction(() => document.fullscreenElement === null, { polling: 100 });
    await page.close();
});

// Counts the game's updates (one a frame shown) over 300 frames of play, on
// the page's own clock, on a display whose animation frames come at `hertz`
// (60: the browser's own; otherwise simulated before the page loads), and the
// display's frames that reached the page meanwhile.
async function updatesPerSecond(hertz) {
    // Animation frames at each multiple of the period, as a display's
    // refreshes: every callback asked for before one runs at it.
    const display = (rate) => {
        const period = 1000 / rate;
        let callbacks = [];
        let timer = 0;
        let last = 0;
        window.requestAnimationFrame = (callback) => {
            callbacks.push(callback);
            if (timer) return callbacks.length;
            const now = performance.now();
            let next = (Math.floor(now / period) + 1) * period;
            if (next - last < period / 2) next += period;
            const fire = () => {
                if (performance.now() < next) {
                    timer = setTimeout(fire, 1);
                    return;
                }
                timer = 0;
                last = next;
                const due = callbacks;
                callbacks = [];
                for (const run of due) run(next);
            };
            timer = setTimeout(fire, Math.ceil(next - now));
            return callbacks.length;
        };
    };
    const page = await openGame('', hertz === 60 ? null : display, hertz);
    const measured = await page.evaluate(() => Module.displayHertz);
    await toTitle(page);
    await startGame(page);
    await page.evaluate(() => {
        window.displayFrames = 0;
        const count = () => {
            window.displayFrames += 1;
            requestAnimationFrame(count);
        };
        requestAnimationFrame(count);
    });
    const shown = () => page.evaluate(() => ({
        updates: Module.framesShown, display: window.displayFrames, at: performance.now(),
    }));
    const first = await shown();
    await waitForFrames(page, 300);
    const last = await shown();
    await page.close();
    const seconds = (last.at - first.at) / 1000;
    return { measured, rate: (last.updates - first.updates) / seconds,
             display: (last.display - first.display) / seconds };
}

test('60 updates a second on 60, 120 and 144 Hz displays', async (t) => {
    for (const hertz of [60, 120, 144]) {
        const { measured, rate, display } = await updatesPerSecond(hertz);
        const seen = `${rate.toFixed(1)} updates a second at ${hertz} Hz, whose frames came `
            + `${display.toFixed(1)} times a second`;
        t.diagnostic(seen);
        assert.equal(measured, hertz, 'the page measured the display');
        // Neither one update per animation frame (120, 144) nor every other one
        // (30 at 60 Hz, 72 at 144), with room for a loaded machine's late
        // frames: the game waits for the display's frames, so the least it
        // must reach shrinks with the share of them that came in time.
        const least = 40 * Math.min(1, display / hertz);
        assert.ok(rate > least && rate < 66, seen);
    }
});

// Fires in level flight, which shoots an enemy down soon, until the game is
// over or has shown kPlayFrames frames, when Escape ends it; the game's demo.
async function fireUntilOver(page) {
    const { frames } = await observe(page);
    for (;;) {
        const demo = await readGameFile(page, 'demos/last.demo');
        if (demo !== null) return demo;
        if ((await observe(page)).frames >= frames + kPlayFrames) return endGame(page);
        await tap(page, 'ControlLeft', 50);
        await sleep(80);
    }
}

// One page plays through the tests below in order: a game with the arrows,
// Control, Space and a hidden page, replayed by the native harness; its best
// score after a reload.
let played;  // the demo the browser recorded

test('a game played in the browser replays in the native harness without drift', async () => {
    const page = await openGame();
    await forgetLastDemo(page);
    await toTitle(page);
    await startGame(page);
    await waitForGame(page, 'the fly-in over', (game) => game.phase === kPhase.play);
    await hold(page, 'ArrowUp', 24);
    await hold(page, 'ArrowDown', 24);
    await tap(page, 'Space');  // pause
    await waitForGame(page, 'the game paused', (game) => game.state === kState.paused);
    await tap(page, 'Space');  // and on
    await waitForGame(page, 'the game resumed', (game) => game.state === kState.stage);
    const other = await browser.newPage();
    await other.bringToFront();  // the game's tab is hidden
    await waitForGame(page, 'the hidden page suspended the game', (game) => game.suspended === 1);
    await page.bringToFront();
    await other.close();
    await waitForGame(page, 'the shown page resumed the game', (game) => game.suspended === 0);
    const demo = await fireUntilOver(page);
    played = { text: demo, page };

    assert.match(demo, /^scribble-squadron demo 2\n/, 'a demo of the current format');
    assert.match(demo, /^\d+ key up down$/m);
    assert.match(demo, /^\d+ key lctrl down$/m);
    assert.match(demo, /^\d+ key space down$/m);
    // The hidden page held the game: the focus came back at the frame it went.
    const lost = /^(\d+) focus lost$/m.exec(demo);
    assert.ok(lost, 'hiding the page took the focus');
    assert.match(demo, new RegExp(`^wait ${lost[1]}\\n${lost[1]} focus gained$`, 'm'));

    writeFileSync(join(scratch, 'browser.demo'), demo);
    const run = runHarness(['--demo', 'browser.demo', '--trace', 'browser.json']);
    assert.equal(run.status, 0, `the harness replays it: ${run.stderr}`);
    const flips = readFileSync(join(scratch, 'browser.json'), 'utf8').trim().split('\n')
        .map((line) => JSON.parse(line));
    const heights = new Set(flips.filter((f) => f.state === 2).map((f) => f.y));
    assert.ok(heights.size > 2, 'the plane climbed and dived');
    assert.ok(flips.some((f) => f.shots > 0), 'the plane fired');
    assert.ok(flips.some((f) => f.state === 3), 'the game paused');
});

test('the best score survives a reload', async () => {
    assert.ok(played, 'a game was played');
    const { page } = played;
    // Level flight and fire score within a game or two. (Points that shots
    // still in flight score after the last life was lost count for the game's
    // score but never reach the best.)
    let { best } = await observe(page);
    for (let game = 0; best <= 0 && game < 3; game += 1) {
        await forgetLastDemo(page);
        await startGame(page);
        await fireUntilOver(page);
        ({ best } = await observe(page));
    }
    assert.ok(best > 0, 'some game scored');
    // The store into IndexedDB has finished: it holds the score and the demo.
    let stored = null;
    await until(`IndexedDB holds the best score ${best} and its demo`, async () => {
        stored = await storedFile(page, 'hiscore.dat');
        return stored && scoreOf(stored) === best && await storedFile(page, 'demos/best.demo');
    }, () => `; it holds ${stored && scoreOf(stored)}`);
    await page.reload();
    await page.waitForFunction(() => window.Module && Module.calledRun, { polling: 100 });
    const kept = await page.evaluate(() => Array.from(Module.FS.readFile('/game/data/hiscore.dat')));
    assert.equal(scoreOf(kept), best);
    assert.ok(await readGameFile(page, 'demos/best.demo'), 'the best game\'s demo is kept too');
    await page.close();
});

// A game the native harness recorded: shots, a climb, a pause, then quit.
function recordNativeDemo() {
    const script = ['1 key escape tap', '5 mouse 320 289', '6 button 1 click'];
    for (let frame = 160; frame < 700; frame += 9) script.push(`${frame} key lctrl tap`);
    script.push('300 key up down', '330 key up up', '420 key space tap', '460 key space tap',
                '700 key escape tap', '710 key escape tap');
    writeFileSync(join(scratch, 'native.txt'), `${script.join('\n')}\n`);
    const run = runHarness(['--seed', '7', '--frames', '800', '--input', 'native.txt',
                            '--record', 'native.demo']);
    assert.equal(run.status, 0, run.stderr);
    const text = readFileSync(join(scratch, 'native.demo'), 'utf8');
    return { text, frames: demoFrames(text).frames };
}

test('a native demo replays in the browser without drift, from a picked file', async () => {
    const { frames } = recordNativeDemo();
    const page = await openGame();
    const picker = await page.$('#watch-file');
    await Promise.all([page.waitForNavigation(), picker.uploadFile(join(scratch, 'native.demo'))]);
    page.lines = [];
    const line = await waitForLine(page, /^demo (ended as recorded|drifts) at frame/,
                                   kPatience + frames * 50);
    assert.equal(line, `demo ended as recorded at frame ${frames}`);
    await page.close();
});

// The page's address for a demo given as text.
function demoQuery(text) {
    return `&demo=${encodeURIComponent(`data:text/plain;base64,${Buffer.from(text).toString('base64')}`)}`;
}

test('index.html?demo=URL plays the demo at that address', async () => {
    const { text, frames } = recordNativeDemo();
    const page = await openGame(demoQuery(text));
    const line = await waitForLine(page, /^demo (ended as recorded|drifts) at frame/,
                                   kPatience + frames * 50);
    assert.equal(line, `demo ended as recorded at frame ${frames}`);
    await page.close();
});

test('a demo whose input closes the window drifts there and leaves the game running', async () => {
    const { text } = recordNativeDemo();
    const page = await openGame(demoQuery(text.replace('check 60 ', '30 close\ncheck 60 ')));
    await forgetLastDemo(page);
    const line = await waitForLine(page, /^demo (ended as recorded|drifts) at frame/);
    assert.equal(line, 'demo drifts at frame 30');
    // The title menu is the watcher's again: a game played there is recorded.
    await startGame(page);
    assert.match(await endGame(page), /^scribble-squadron demo 2\n/);
    assert.doesNotMatch(await page.$eval('#status', (status) => status.textContent), /closed/);
    await page.close();
});

test('a gamepad\'s south button chooses "Start Game"', async () => {
    // A standard pad as the Gamepad API shows one, plugged in after the page loads.
    const page = await openGame('', () => {
        const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
        const pad = { id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true,
                      mapping: 'standard', axes: [0, 0, 0, 0], buttons, timestamp: 1 };
        navigator.getGamepads = () => [pad, null, null, null];
        window.pressPad = (button, down) => {
            pad.buttons[button] = { pressed: down, touched: down, value: down ? 1 : 0 };
            pad.timestamp += 1;
        };
        window.plugPad = () => window.dispatchEvent(Object.assign(new Event('gamepadconnected'), { gamepad: pad }));
    });
    await forgetLastDemo(page);
    await page.evaluate(() => plugPad());
    await toTitle(page);
    // Held while the game shows a few frames, so that it reads the pad pressed
    // and then released (the browser's pads are read, not reported).
    await page.evaluate(() => pressPad(0, true));
    await waitForFrames(page, 3);
    await page.evaluate(() => pressPad(0, false));
    await waitForFrames(page, 3);
    assert.match(await endGame(page), /^\d+ joy 0 button 0 up$/m, 'the pad started the game');
    await page.close();
});

test('the sound starts with the first click, and the page says so until then', async () => {
    // A browser that lets no page play before a click or key press: its audio
    // contexts start suspended (this test browser would let them run).
    const page = await openGame('', () => {
        window.AudioContext = class extends window.AudioContext {
            constructor(...options) {
                super(...options);
                this.suspend();
            }
        };
    });
    const sound = () => page.evaluate(() => [Module.SDL2?.audioContext?.state,
                                            document.getElementById('status').textContent]);
    // Once the game has opened its sound and the page has looked at it.
    await page.waitForFunction(() => Module.SDL2?.audioContext
                               && document.getElementById('status').textContent !== 'Loading\u2026',
                               { polling: 100 });
    assert.deepEqual(await sound(), ['suspended', 'Press a key or click to turn the sound on']);
    await page.mouse.click(600, 20);  // on the page's margin: no menu item
    await page.waitForFunction(() => Module.SDL2.audioContext.state === 'running',
                               { polling: 100 });
    await page.waitForFunction(() => document.getElementById('status').textContent === '',
                               { polling: 100 });
    assert.deepEqual(await sound(), ['running', '']);
    await page.close();
});

test('no page wrote an error to the console', () => {
    assert.deepEqual(problems, []);
});
