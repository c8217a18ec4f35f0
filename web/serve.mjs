// A static file server for the page's folder, on 127.0.0.1 only: what any
// static host does, with no special headers. `node web/serve.mjs FOLDER [PORT]`
// serves FOLDER and prints its address; the browser tests import serve().
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.wasm': 'application/wasm',
    '.png': 'image/png',
    '.ogg': 'audio/ogg',
    '.demo': 'text/plain; charset=utf-8',
    '.json': 'application/json',
};

// The file a request names inside `folder`, or null for one outside it.
function fileFor(folder, url) {
    let path;
    try {
        path = decodeURIComponent(new URL(url, 'http://host').pathname);
    } catch {
        return null;
    }
    if (path.endsWith('/')) path += 'index.html';
    const file = normalize(join(folder, path));
    return file === folder || file.startsWith(folder + sep) ? file : null;
}

async function answer(folder, request, response) {
    if (request.method !== 'GET' && request.method !== 'HEAD') {
        response.writeHead(405, { Allow: 'GET, HEAD' }).end();
        return;
    }
    const file = fileFor(folder, request.url);
    const info = file && (await stat(file).catch(() => null));
    if (!info || !info.isFile()) {
        response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
        return;
    }
    response.writeHead(200, {
        'Content-Type': types[extname(file)] || 'application/octet-stream',
        'Content-Length': info.size,
        'Cache-Control': 'no-cache',
    });
    if (request.method === 'HEAD') response.end();
    else createReadStream(file).pipe(response);
}

// Serves `folder` on 127.0.0.1:`port` (0: any free port); resolves to the
// server and its address.
export function serve(folder, port = 8000) {
    const root = resolve(folder);
    const server = createServer((request, response) => {
        answer(root, request, response).catch(() => response.destroy());
    });
    return new Promise((done, fail) => {
        server.once('error', fail);
        server.listen(port, '127.0.0.1', () => {
            done({ server, url: `http://127.0.0.1:${server.address().port}/` });
        });
    });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
    const [folder, port = '8000'] = process.argv.slice(2);
    if (!folder) {
        console.error('usage: node serve.mjs FOLDER [PORT]');
        process.exit(2);
    }
    serve(folder, Number(port)).then(
        ({ url }) => console.log(`Serving ${resolve(folder)} at ${url} (Ctrl+C stops)`),
        (error) => {
            console.error(`cannot serve on 127.0.0.1:${port}: ${error.message}`);
            process.exit(1);
        },
    );
}
