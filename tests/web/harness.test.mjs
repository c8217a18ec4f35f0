// The browser's build of the game, run as the headless harness under node,
// against the native harness of the same tree: the same scripted game must
// give the same trace, the same frames at 1x and 2x and the same sound. The
// page links the same game code into the same WebAssembly as this harness.
//
// SCRIBBLE_WEB_HARNESS names the harness built for node (default
// build-web/scribble-headless.js), SCRIBBLE_HEADLESS the native one.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { after, test } from 'node:test';
import { fileURLToPath } from 'node:url';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const nativeHarness = resolve(process.env.SCRIBBLE_HEADLESS || join(root, 'build', 'scribble-headless'));
const webHarness = resolve(process.env.SCRIBBLE_WEB_HARNESS
    || join(root, 'build-web', 'scribble-headless.js'));
const scratch = mkdtempSync(join(tmpdir(), 'scribble-harness-'));
after(() => rmSync(scratch, { recursive: true, force: true }));

// A game with the sky busy: shots, climbs and dives, a turn, a pause.
function script() {
    const lines = ['1 key escape tap', '5 mouse 320 289', '6 button 1 click'];
    for (let frame = 160; frame < 1700; frame += 7) lines.push(`${frame} key lctrl tap`);
    for (let frame = 300; frame < 1700; frame += 240) {
        lines.push(`${frame} key up down`, `${frame + 40} key up up`);
        lines.push(`${frame + 120} key down down`, `${frame + 150} key down up`);
    }
    lines.push('900 key left tap', '1200 key right tap', '1000 key space tap', '1030 key space tap');
    return `${lines.join('\n')}\n`;
}

// Runs one harness in a folder of its own whose data/ holds the sounds.
function run(name, command, args) {
    const folder = join(scratch, name);
    mkdirSync(join(folder, 'data'), { recursive: true });
    for (const sound of ['balloonpop', 'blimphit', 'bploop', 'endstage', 'explode', 'fire',
                         'pldeath', 'startstage']) {
        symlinkSync(join(root, 'data', `${sound}.ogg`), join(folder, 'data', `${sound}.ogg`));
    }
    writeFileSync(join(folder, 'script.txt'), script());
    const result = spawnSync(command[0], [...command.slice(1), ...args], {
        cwd: folder, encoding: 'utf8', timeout: 300000,
    });
    assert.equal(result.status, 0, `${name}: ${result.stderr}`);
    return (file) => readFileSync(join(folder, file));
}

function samples(wav) {
    const data = wav.indexOf('data');
    return new Int16Array(wav.buffer, wav.byteOffset + data + 8, (wav.length - data - 8) >> 1);
}

for (const scale of [1, 2]) {
    test(`the browser's build plays, draws and sounds as the native one at ${scale}x`, () => {
        const shots = [400, 900, 1300, 1650];
        const args = ['--seed', '11', '--frames', '1700', '--input', 'script.txt', '--scale',
                      String(scale), '--trace', 'trace.json', '--trace-entities', '--audio', 'sound.wav',
                      ...shots.flatMap((flip) => ['--shot', `${flip}:${flip}.png`])];
        const native = run(`native-${scale}`, [nativeHarness], args);
        const web = run(`web-${scale}`, ['node', '--no-experimental-fetch', webHarness], args);

        const withoutTime = (text) => text.toString().replace(/"ms":\d+,?/g, '');
        assert.equal(withoutTime(web('trace.json')), withoutTime(native('trace.json')),
                     'the same trace');
        for (const flip of shots) {
            assert.ok(web(`${flip}.png`).equals(native(`${flip}.png`)), `the same frame ${flip}`);
        }
        // The desktop's libvorbis is built with -ffast-math, whose float
        // results no other compiler reproduces: a few decoded samples are one
        // off, so a few mixed ones are off by as many sounds as play at once.
        const [a, b] = [samples(web('sound.wav')), samples(native('sound.wav'))];
        assert.equal(a.length, b.length, 'the same length of sound');
        let differing = 0;
        for (let i = 0; i < a.length; i += 1) {
            if (a[i] === b[i]) continue;
            assert.ok(Math.abs(a[i] - b[i]) <= 3, `sample ${i}: ${a[i]} against ${b[i]}`);
            differing += 1;
        }
        assert.ok(differing <= a.length / 1000, `${differing} of ${a.length} samples differ`);
    });
}
