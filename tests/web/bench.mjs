// The web page's figures for scripts/bench, in headless Chromium on this
// machine: the busy stage-10 frame at scales 1 and 2 against the same program
// built natively, the first frame after loading the page from 127.0.0.1, and
// the page's size, whole and gzipped.
//
//   node tests/web/bench.mjs WEB_BUILD_DIR NATIVE_BUILD_DIR [RUNS]
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

import { serve } from '../../web/serve.mjs';

const [webBuild, nativeArg, runsText = '3'] = process.argv.slice(2);
const nativeBuild = resolve(nativeArg);
const runs = Number(runsText);
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const timingLine = /^scale (\d+): median (\d+) us/;

function medians(lines) {
    const byScale = {};
    for (const line of lines) {
        const match = timingLine.exec(line);
        if (match) (byScale[match[1]] ||= []).push(Number(match[2]));
    }
    return Object.fromEntries(Object.entries(byScale).map(([k, v]) => [k, median(v)]));
}

// Both run without the sounds (the timing page has none), so that neither
// mixes them.
function nativeFrames() {
    const lines = [];
    const folder = mkdtempSync(join(tmpdir(), 'scribble-timing-'));
    try {
        for (let run = 0; run < runs; run += 1) {
            lines.push(...execFileSync(join(nativeBuild, 'scribble-frame-timing'), ['1', '2'],
                                       { cwd: folder, encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] })
                .split('\n'));
        }
    } finally {
        rmSync(folder, { recursive: true, force: true });
    }
    return medians(lines);
}

async function browserFrames(browser, address) {
    const lines = [];
    for (let run = 0; run < runs; run += 1) {
        const page = await browser.newPage();
        const done = new Promise((resolve) => {
            page.on('console', (message) => {
                lines.push(message.text());
                if (message.text() === 'done') resolve();
            });
        });
        await page.goto(`${address}frame-timing.html`);
        await done;
        await page.close();
    }
    return medians(lines);
}

async function firstFrames(browser, address) {
    const times = [];
    for (let run = 0; run < runs; run += 1) {
        const context = await browser.createBrowserContext();  // nothing cached
        const page = await context.newPage();
        await page.setViewport({ width: 1280, height: 994 });
        await page.goto(`${address}page/`);
        await page.waitForFunction(() => window.Module && Module.firstFrameAt, { timeout: 30000 });
        times.push(await page.evaluate(() => Module.firstFrameAt));
        await context.close();
    }
    return median(times);
}

function folderSize(folder) {
    let bytes = 0;
    let gzipped = 0;
    for (const name of readdirSync(folder, { recursive: true })) {
        const file = join(folder, name);
        if (!statSync(file).isFile()) continue;
        const content = readFileSync(file);
        bytes += content.length;
        gzipped += gzipSync(content, { level: 9 }).length;
    }
    return { bytes, gzipped };
}

const timingPage = join(webBuild, 'frame-timing.html');
writeFileSync(timingPage, `<!doctype html><meta charset="utf-8"><script>
var Module = { arguments: ['1', '2'], print: (line) => console.log(line), printErr: () => {} };
</script><script src="scribble-frame-timing.js"></script>\n`);
const { server, url } = await serve(webBuild, 0);
const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--enable-unsafe-swiftshader'],
});
try {
    const native = nativeFrames();
    const web = await browserFrames(browser, url);
    const first = await firstFrames(browser, url);
    const size = folderSize(join(webBuild, 'page'));
    const mb = (bytes) => (bytes / 1e6).toFixed(1);
    for (const scale of ['1', '2']) {
        const ratio = web[scale] / native[scale];
        console.log(`browser: stage-10 frame, ${scale}x: ${web[scale]} us, native ${native[scale]} us:`
                    + ` ${ratio.toFixed(2)} x (goal <= 2 x: ${ratio <= 2 ? 'met' : 'missed'})`);
    }
    console.log(`browser: first frame after loading from 127.0.0.1: ${Math.round(first)} ms`
                + ` (goal <= 3000 ms: ${first <= 3000 ? 'met' : 'missed'})`);
    console.log(`browser: the page's folder: ${mb(size.bytes)} MB, gzipped ${mb(size.gzipped)} MB`
                + ` (goal <= 12 MB: ${size.bytes <= 12e6 ? 'met' : 'missed'})`);
} finally {
    await browser.close();
    server.close();
    rmSync(timingPage, { force: true });
}
