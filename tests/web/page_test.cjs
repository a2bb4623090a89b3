// The viewer's page in headless chromium, against a server on 127.0.0.1 that this script starts
// and stops: the default world and the blocks world start, their textures are confirmed by key
// presses while the title names each wait, the canvas then equals maze-snapshot's frame pixel for
// pixel, the default world's follows the browser window to a larger size and moves while a key or
// a game controller's stick is held, and a world that fails shows its report.
//   node page_test.cjs PAGE_DIR SCRATCH SEED POSE TEXTURES BLOCKS_TEXTURES
// SCRATCH holds expected.raw, expected-800x600.raw and expected-blocks.raw (maze-snapshot's pages:
// B, G, R, X per pixel) and receives the browser's profile, page.png and the report-*.png of the
// failing pages. Prints the comparisons and the frame rate; exit 1 on failure.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const { chromium } = require('playwright-core');

const [pageDir, scratch, seed, pose, textureCount, blocksTextureCount] = process.argv.slice(2);
const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const kWait = 20000;  // longest wait for the page to reach a state, in milliseconds

// Serves the page's folder; anything outside it is not found.
function serve() {
  const server = http.createServer((request, response) => {
    const name = path.basename(new URL(request.url, 'http://x').pathname) || 'index.html';
    fs.readFile(path.join(pageDir, name), (error, data) => {
      if (error) {
        response.writeHead(404).end();
      } else {
        response.writeHead(200, { 'Content-Type': kTypes[path.extname(name)] || 'application/octet-stream' });
        response.end(data);
      }
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// The canvas's pixels as R, G, B, A bytes.
async function canvasPixels(page) {
  const text = await page.evaluate(() => {
    const c = document.getElementById('screen');
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < data.length; i += 0x8000) {
      s += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    }
    return btoa(s);
  });
  return Buffer.from(text, 'base64');
}

// Number of pixels where the canvas differs from the raw B, G, R, X page.
function differences(rgba, raw) {
  if (rgba.length !== raw.length) return Infinity;
  let count = 0;
  for (let i = 0; i < raw.length; i += 4) {
    if (rgba[i] !== raw[i + 2] || rgba[i + 1] !== raw[i + 1] || rgba[i + 2] !== raw[i]) ++count;
  }
  return count;
}

function check(condition, message) {
  if (!condition) throw new Error(message);
  console.log('ok: ' + message);
}

// Waits until the canvas equals the raw page in SCRATCH/name; the pixels that differ at the end.
async function settle(page, name) {
  const expected = fs.readFileSync(path.join(scratch, name));
  let left = Infinity;
  for (const end = Date.now() + kWait; left !== 0 && Date.now() < end;) {
    await page.waitForTimeout(100);
    left = differences(await canvasPixels(page), expected);
  }
  return `${name}: ${expected.length / 4} pixels, ${left} differ`;
}

// Opens the page at `query` and confirms the world's textures as a person would, one key each,
// checking that the title names each wait; then the canvas must equal maze-snapshot's frame.
async function startWorld(context, base, query, textures, expected) {
  const frame = fs.readFileSync(path.join(scratch, expected));
  const page = await context.newPage();
  await page.goto(`${base}/?${query}`);
  await page.waitForFunction(() => document.getElementById('caption').hidden, null,
                             { timeout: kWait });
  for (let i = 1; i <= Number(textures); ++i) {
    const title = `Maze viewer - texture ${i} of ${textures} - press a key to continue`;
    await page.waitForFunction((t) => document.title === t, title, { timeout: kWait });
    const shown = differences(await canvasPixels(page), frame);
    check(shown > 0, `?${query}: texture ${i} of ${textures} waits for a key, its title saying ` +
                     `so (${shown} pixels differ)`);
    await page.keyboard.press(' ');
  }
  const result = await settle(page, expected);
  check(/ 0 differ$/.test(result), `?${query}: the canvas equals maze-snapshot's frame (${result})`);
  return page;
}

// The default world: it follows the browser window, moves while a key or a stick is held, offers
// F12's picture and ends on Escape.
async function defaultWorld(context, base) {
  const page = await startWorld(context, base, `seed=${seed}&pose=${pose}`, textureCount,
                                'expected.raw');
  await page.screenshot({ path: path.join(scratch, 'page.png') });
  await page.waitForTimeout(2000);
  console.log(`frame rate: ${await page.title()} (canvas 640 x 480, screenshot ` +
              `${path.join(scratch, 'page.png')})`);
  await page.setViewportSize({ width: 800, height: 600 });
  const resized = await settle(page, 'expected-800x600.raw');
  check(/ 0 differ$/.test(resized), `RESOLUTION=window: the canvas follows the browser window ` +
                                    `to 800 x 600 (${resized})`);
  // A held key walks until it comes up, and a controller's right stick turns until it rests: the
  // picture changes while either is held, then stays.
  const moves = [
    ['Up held walks the viewer, which stops when Up comes up',
     () => page.keyboard.down('ArrowUp'), () => page.keyboard.up('ArrowUp')],
    ["a game controller's right stick turns the viewer, which stops when the stick rests",
     () => page.evaluate(() => { navigator.getGamepads = () => [{ connected: true, axes: [0, 0, 1, 0], buttons: [] }]; }),
     () => page.evaluate(() => { navigator.getGamepads = () => []; })],
  ];
  for (const [label, hold, release] of moves) {
    const before = await canvasPixels(page);
    await hold();
    await page.waitForTimeout(400);
    await release();
    await page.waitForTimeout(200);
    const moved = await canvasPixels(page);
    await page.waitForTimeout(500);
    check(!moved.equals(before) && moved.equals(await canvasPixels(page)), label);
  }
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: kWait }),
                                        page.keyboard.press('F12')]);
  const png = fs.readFileSync(await download.path());
  check(/^maze-\d{8}-\d{6}-1\.png$/.test(download.suggestedFilename()) &&
            png.subarray(1, 4).toString() === 'PNG',
        `F12 offers the picture as ${download.suggestedFilename()} (${png.length} bytes)`);
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => /Exit code 0/.test(document.getElementById('report').textContent),
                             null, { timeout: kWait });
  check(true, 'Escape ends the viewer with exit code 0, said on the page');
  await page.close();
}

// A page whose world fails or is missing, that is opened from a file or meets a fatal fault, shows
// why.
async function failingWorlds(context, base) {
  const cases = [
    ['textures', /Aborting due to runtime error 2 \(file not found\)[^]*Exit code 2: runtime error/],
    ['nowhere', /There is no world "nowhere"/],
    ['file', /cannot run from a file/],
    ['fault', /The viewer stopped on a fatal fault: [^]*fault in present/],
  ];
  for (const [world, report] of cases) {
    const page = await context.newPage();
    await page.goto(world === 'file' ? 'file://' + path.resolve(pageDir, 'index.html')
                                     : `${base}/?world=${world === 'fault' ? '' : world}`);
    if (world === 'fault') {  // a fault in the page's side of the next frame
      await page.waitForFunction(() => document.getElementById('caption').hidden, null,
                                 { timeout: kWait });
      await page.waitForTimeout(500);
      await page.evaluate(() => { mazePage.present = () => { throw new Error('fault in present'); }; });
      await page.keyboard.press(' ');
    }
    await page.waitForFunction((source) => new RegExp(source).test(
                                   document.getElementById('report').textContent),
                               report.source, { timeout: kWait });
    const label = { file: 'file://', fault: 'a fatal fault' }[world] || '?world=' + world;
    check(true, `${label} shows ${report.source}`);
    await page.screenshot({ path: path.join(scratch, `report-${world}.png`) });
    await page.close();
  }
}

async function main() {
  const server = await serve();
  const base = `http://127.0.0.1:${server.address().port}`;
  const profile = fs.mkdtempSync(path.join(scratch, 'profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    viewport: { width: 640, height: 480 },
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    await defaultWorld(context, base);
    await (await startWorld(context, base, `world=blocks&seed=${seed}`, blocksTextureCount,
                            'expected-blocks.raw')).close();
    await failingWorlds(context, base);
  } finally {
    await context.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error('FAILED: ' + error.message);
  process.exit(1);
});
