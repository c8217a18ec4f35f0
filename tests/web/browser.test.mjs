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
        args: ['--no-sandbox', '--enable-unsafe-swiftshader',
               '--autoplay-policy=no-user-gesture-required'],
    });
});

after(async () => {
    await browser?.close();
    server?.close();
    rmSync(scratch, { recursive: true, force: true });
});

// The page at scale 1 in a window whose canvas is exactly 640 x 480, so that
// a game pixel is a screen pixel; its console lines are collected. `init`
// runs in the page before its own scripts, with `argument`.
async function openGame(query = '', init = null, argument = null) {
    const page = await browser.newPage();
    if (init) await page.evaluateOnNewDocument(init, argument);
    page.lines = [];
    page.on('console', (message) => {
        page.lines.push(message.text());
        if (message.type() === 'error') problems.push(message.text());
    });
    page.on('pageerror', (error) => problems.push(error.message));
    await page.setViewport({ width: 640, height: 514, deviceScaleFactor: 1 });
    await page.goto(`${address}?scale=1${query}`);
    await page.waitForFunction(() => window.Module && Module.firstFrameAt, { timeout: 20000 });
    await sleep(300);
    return page;
}

// The last game's demo, once the game has ended (waiting up to `ms`).
async function lastDemo(page, ms = 5000) {
    for (const end = Date.now() + ms; Date.now() < end; await sleep(100)) {
        const demo = await readGameFile(page, 'demos/last.demo');
        if (demo !== null) return demo;
    }
    return assert.fail('the game ended and its demo was saved');
}

async function waitForLine(page, pattern, timeout) {
    const end = Date.now() + timeout;
    while (Date.now() < end) {
        const line = page.lines.find((text) => pattern.test(text));
        if (line) return line;
        await sleep(100);
    }
    assert.fail(`no console line ${pattern} within ${timeout} ms; saw: ${page.lines.join(' | ')}`);
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

function runHarness(args) {
    return spawnSync(harness, args, { cwd: scratch, encoding: 'utf8', timeout: 120000 });
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

test('the title matches the harness\'s title frame', async () => {
    writeFileSync(join(scratch, 'title.txt'), '1 key escape tap\n');
    const run = runHarness(['--seed', '1', '--frames', '60', '--input', 'title.txt',
                            '--shot', '60:title.png']);
    assert.equal(run.status, 0, run.stderr);
    const page = await openGame();
    await tap(page, 'Escape');  // past the splash, as the harness's script
    await sleep(1000);
    const shot = await page.screenshot({ clip: { x: 0, y: 0, width: 640, height: 480 } });
    const result = await differingPixels(page, shot, readFileSync(join(scratch, 'title.png')));
    assert.ok(result.size, 'the same size');
    assert.ok(result.differing <= kDifferingShare * result.total,
              `${result.differing} of ${result.total} pixels differ by more than ${kChannelTolerance}`);

    // Full screen from the page's button, and back with the game's Alt+Enter.
    await page.click('#fullscreen');
    await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 5000 });
    await page.keyboard.down('AltLeft');
    await tap(page, 'Enter');
    await page.keyboard.up('AltLeft');
    await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 5000 });
    await page.close();
});

// Counts the game's updates over a few seconds of play through the frames of
// its demo, on a display whose animation frames come at `hertz` (60: the
// browser's own; otherwise simulated before the page loads).
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
    await forgetLastDemo(page);
    await tap(page, 'Escape');
    await sleep(500);
    const started = await page.evaluate(() => performance.now());
    await page.mouse.click(kStartGame.x, kStartGame.y);
    await sleep(5000);
    const ended = await page.evaluate(() => performance.now());
    await tap(page, 'Escape');
    await tap(page, 'Escape');
    const seconds = (ended - started) / 1000 + 0.06;  // to the first Escape's arrival
    const demo = await lastDemo(page);
    await page.close();
    return { measured, rate: demoFrames(demo).frames / seconds };
}

test('60 updates a second on 60, 120 and 144 Hz displays', async () => {
    for (const hertz of [60, 120, 144]) {
        const { measured, rate } = await updatesPerSecond(hertz);
        assert.equal(measured, hertz, 'the page measured the display');
        // Neither one update per animation frame (120, 144) nor every other one
        // (30 at 60 Hz, 72 at 144), with room for a loaded machine's late
        // frames (and the simulated display's own late timers).
        assert.ok(rate > 40 && rate < 66, `${rate.toFixed(1)} updates a second at ${hertz} Hz`);
    }
});

// Fires in level flight, which shoots an enemy down soon, until the game is
// over or 25 s have passed, when Escape twice ends it; the game's demo.
async function fireUntilOver(page) {
    let demo = null;
    const end = Date.now() + 25000;
    while (demo === null && Date.now() < end) {
        await tap(page, 'ControlLeft', 50);
        await sleep(80);
        demo = await readGameFile(page, 'demos/last.demo');
    }
    if (demo !== null) return demo;
    await tap(page, 'Escape');
    await sleep(300);
    await tap(page, 'Escape');
    return lastDemo(page);
}

// One page plays through the tests below in order: a game with the arrows,
// Control, Space and a hidden page, replayed by the native harness; its best
// score after a reload.
let played;  // the demo the browser recorded

test('a game played in the browser replays in the native harness without drift', async () => {
    const page = await openGame();
    await forgetLastDemo(page);
    await tap(page, 'Escape');
    await sleep(500);
    await page.mouse.click(kStartGame.x, kStartGame.y);
    await sleep(2500);  // the fly-in
    await tap(page, 'ArrowUp', 400);
    await tap(page, 'ArrowDown', 400);
    await tap(page, 'Space');  // pause
    await sleep(500);
    await tap(page, 'Space');  // and on
    const other = await browser.newPage();
    await other.bringToFront();  // the game's tab is hidden
    await sleep(1000);
    await page.bringToFront();
    await other.close();
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
    // Level flight and fire score within a game or two.
    let best = demoFrames(played.text).score;
    for (let game = 0; best <= 0 && game < 3; game += 1) {
        await forgetLastDemo(page);
        await sleep(1500);
        await page.mouse.click(kStartGame.x, kStartGame.y);
        best = Math.max(best, demoFrames(await fireUntilOver(page)).score);
    }
    assert.ok(best > 0, 'some game scored');
    await sleep(1000);  // the store into IndexedDB
    await page.reload();
    await page.waitForFunction(() => window.Module && Module.calledRun, { timeout: 20000 });
    const kept = await page.evaluate(() => Array.from(Module.FS.readFile('/game/data/hiscore.dat')));
    const value = kept[0] | (kept[1] << 8) | (kept[2] << 16) | (kept[3] << 24);
    assert.equal(value, best);
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
                                   frames * 17 + 20000);
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
                                   frames * 17 + 20000);
    assert.equal(line, `demo ended as recorded at frame ${frames}`);
    await page.close();
});

test('a demo whose input closes the window drifts there and leaves the game running', async () => {
    const { text } = recordNativeDemo();
    const page = await openGame(demoQuery(text.replace('check 60 ', '30 close\ncheck 60 ')));
    await forgetLastDemo(page);
    const line = await waitForLine(page, /^demo (ended as recorded|drifts) at frame/, 20000);
    assert.equal(line, 'demo drifts at frame 30');
    // The title menu is the watcher's again: a game played there is recorded.
    await sleep(500);
    await page.mouse.click(kStartGame.x, kStartGame.y);
    await sleep(1500);
    await tap(page, 'Escape');
    await sleep(300);
    await tap(page, 'Escape');
    assert.match(await lastDemo(page), /^scribble-squadron demo 2\n/);
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
    await tap(page, 'Escape');
    await sleep(800);
    await page.evaluate(() => pressPad(0, true));
    await sleep(150);
    await page.evaluate(() => pressPad(0, false));
    await sleep(1500);
    await tap(page, 'Escape');
    await sleep(300);
    await tap(page, 'Escape');
    assert.match(await lastDemo(page), /^\d+ joy 0 button 0 up$/m, 'the pad started the game');
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
    assert.deepEqual(await sound(), ['suspended', 'Press a key or click to turn the sound on']);
    await page.mouse.click(600, 20);  // on the page's margin: no menu item
    await page.waitForFunction(() => Module.SDL2.audioContext.state === 'running',
                               { timeout: 5000 });
    await sleep(600);
    assert.deepEqual(await sound(), ['running', '']);
    await page.close();
});

test('no page wrote an error to the console', () => {
    assert.deepEqual(problems, []);
});
