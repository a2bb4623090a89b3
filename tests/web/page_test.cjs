// The viewer's page in headless chromium, against a server on 127.0.0.1 that this script starts
// and stops: the default world starts, its textures are confirmed by key presses, the canvas
// then equals maze-snapshot's frame pixel for pixel, and a world that fails shows its report.
//   node page_test.cjs PAGE_DIR SCRATCH SEED POSE TEXTURES
// SCRATCH holds expected.raw (maze-snapshot's page: B, G, R, X per pixel) and receives the
// browser's profile, page.png and the report-*.png of the failing pages. Prints the comparison
// and the frame rate; exit 1 on failure.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const { chromium } = require('playwright-core');

const [pageDir, scratch, seed, pose, textureCount] = process.argv.slice(2);
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

// The default world, started as a person would: one key per texture, then the maze.
async function defaultWorld(context, base) {
  const expected = fs.readFileSync(path.join(scratch, 'expected.raw'));
  const page = await context.newPage();
  await page.goto(`${base}/?seed=${seed}&pose=${pose}`);
  await page.waitForFunction(() => document.getElementById('caption').hidden, null,
                             { timeout: kWait });
  for (let i = 0; i < Number(textureCount); ++i) {
    await page.waitForTimeout(200);
    const shown = differences(await canvasPixels(page), expected);
    check(shown > 0, `texture ${i + 1} of ${textureCount} waits for a key (${shown} pixels differ)`);
    await page.keyboard.press(' ');
  }
  let left = Infinity;
  for (const end = Date.now() + kWait; left !== 0 && Date.now() < end;) {
    await page.waitForTimeout(100);
    left = differences(await canvasPixels(page), expected);
  }
  check(left === 0, `the canvas equals maze-snapshot's frame (${expected.length / 4} pixels, ` +
                    `${left} differ; seed ${seed}, pose ${pose})`);
  await page.screenshot({ path: path.join(scratch, 'page.png') });
  await page.waitForTimeout(2000);
  console.log(`frame rate: ${await page.title()} (canvas 640 x 480, screenshot ` +
              `${path.join(scratch, 'page.png')})`);
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
