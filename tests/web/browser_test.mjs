// The web build end to end, in Debian's Chromium driven by playwright-core: runner.html against the
// native runner byte for byte (shots pixel for pixel), and the game page played with a mouse in a
// desktop viewport and with touch in a phone's.
//
//   node tests/web/browser_test.mjs SITE NATIVE_PROGRAM [SCREENSHOT_FOLDER]
//
// SITE is the built site (build-web/site), NATIVE_PROGRAM the desktop build's dorurura. Ends with
// the line "N passed, N failed"; the exit code is 1 when a test failed.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const [site, nativeProgram, screenshots] = process.argv.slice(2).map((arg) => path.resolve(arg));
if (!site || !nativeProgram) {
  console.error('usage: node tests/web/browser_test.mjs SITE NATIVE_PROGRAM [SCREENSHOT_FOLDER]');
  process.exit(2);
}
const repository = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');

// ---- The native runner, the server and the browser ------------------------------------------------

// Runs a script natively in a folder of its own; the script file is named `script`, as the page's.
function runNative(script, args = []) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'dorurura-web-'));
  fs.writeFileSync(path.join(folder, 'script'), script);
  const run = spawnSync(nativeProgram, ['--headless', '--script', 'script', ...args], {cwd: folder});
  if (run.error) throw run.error;
  const shots = {};
  for (const name of fs.readdirSync(folder).filter((name) => name.endsWith('.png'))) {
    shots[name] = `data:image/png;base64,${fs.readFileSync(path.join(folder, name)).toString('base64')}`;
  }
  fs.rmSync(folder, {recursive: true});
  return {exitCode: run.status, stdout: run.stdout, stderr: run.stderr.toString(), shots};
}

const types = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm'};
const server = http.createServer((request, response) => {
  const name = new URL(request.url, 'http://localhost').pathname.replace(/\/$/, '/index.html');
  const file = path.join(site, path.normalize(name));
  fs.readFile(file, (error, data) => {
    response.writeHead(error ? 404 : 200, {'Content-Type': types[path.extname(file)] || 'text/plain'});
    response.end(error ? '' : data);
  });
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

// playwright-core gives the browser a new, empty profile (user data folder) of its own.
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--autoplay-policy=no-user-gesture-required'],
});

let passed = 0;
let failed = 0;
async function test(name, body) {
  try {
    await body();
    passed++;
    console.log(`ok   ${name}`);
  } catch (error) {
    failed++;
    console.log(`FAIL ${name}\n     ${String(error.stack || error).replaceAll('\n', '\n     ')}`);
  }
}

// ---- In the page -----------------------------------------------------------------------------------

// Pixels of a PNG data URL, and a hash of a region [left, top, right, bottom) of pixels.
const pageHelpers = () => {
  window.pixelsOf = async (url) => {
    const image = new Image();
    image.src = url;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    return context.getImageData(0, 0, image.width, image.height);
  };
  window.regionHash = (image, [left, top, right, bottom]) => {
    let hash = 2166136261;
    for (let y = top; y < bottom; y++) {
      for (let i = (y * image.width + left) * 4; i < (y * image.width + right) * 4; i++) {
        hash = Math.imul(hash ^ image.data[i], 16777619);
      }
    }
    return hash >>> 0;
  };
  // Every frame the game puts on its canvas: when, and a hash of the game's window.
  window.frames = [];
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
    if (this.canvas.id === 'screen') window.frames.push({time: performance.now(), hash: regionHash(image, [0, 26, 240, 294])});
    return put.call(this, image, ...rest);
  };
};

// Regions of the display [left, top, right, bottom) that hold still: none has the clock, and none
// but the first the buttons, which blink.
const GameWindow = [0, 26, 240, 294];
const AboveButtons = [0, 26, 240, 235];
const Sign = [0, 30, 240, 95];
const Menu = [0, 100, 118, 293];
const Reels = [40, 100, 200, 170];

async function hashOf(page, dataUrl, region) {
  return page.evaluate(async ([url, r]) => regionHash(await pixelsOf(url), r), [dataUrl, region]);
}
async function screenHash(page, region) {
  return page.evaluate((r) => regionHash(document.getElementById('screen').getContext('2d')
    .getImageData(0, 0, 240, 320), r), region);
}
async function waitForScreen(page, dataUrl, region, what, timeout = 10000) {
  const hash = await hashOf(page, dataUrl, region);
  for (const end = Date.now() + timeout; Date.now() < end; await page.waitForTimeout(50)) {
    if (await screenHash(page, region) === hash) return;
  }
  throw new Error(`the screen never showed ${what}`);
}
// The sound calls after the first `count`, and how many there have been.
async function soundsSince(page, count) {
  return page.evaluate((n) => {
    const web = window.dorurura.web;
    return web.sounds.slice(web.sounds.length - (web.soundCount - n));
  }, count);
}
const soundCount = (page) => page.evaluate(() => window.dorurura.web.soundCount);

// ---- The script runner -----------------------------------------------------------------------------

await test('the site has both pages and a program of at most 700 KB', async () => {
  for (const file of ['index.html', 'runner.html']) assert.ok(fs.existsSync(path.join(site, file)), file);
  const size = ['dorurura.js', 'dorurura.wasm'].reduce((sum, file) => sum + fs.statSync(path.join(site, file)).size, 0);
  assert.ok(size <= 700000, `dorurura.js and dorurura.wasm are ${size} bytes`);
});

// The four machines: the menu command that chooses each, the row of its menu item, and where its
// BET 1 and SPIN buttons are on the display.
const machines = [
  [40011, 135, [[66, 253], [172, 253]]],
  [40010, 154, [[63, 262], [169, 262]]],
  [40009, 172, [[63, 264], [168, 264]]],
  [40008, 190, [[65, 257], [170, 257]]],
];

const session = fs.readFileSync(path.join(repository, 'docs/session.txt'), 'utf8');
const allMachines = `until Idle
${machines.map(([command, , [bet1, spin]]) => `menu ${command}
passes 3
tap ${bet1.join(' ')}
tap ${spin.join(' ')}
until Spinning
passes 40
shot spinning-${command}.png
until Idle
state
shot idle-${command}.png`).join('\n')}
`;
// Each with the start tick and pass length given (or left to the default) and the exit code it must give.
const scripts = [
  ['the README session', session, {}, 0],
  ['a session across the clock wrap, 33 ms a pass', session, {startTick: 4294960000, msPerPass: 33}, 0],
  ['a spin on each of the four machines', allMachines, {startTick: 123456}, 0],
  ['a recording\'s lines: its start tick, the raw pen, clock steps and an expect',
   'start-tick 5000\nuntil Idle\npen down 60 253\nstep 20\npen move 61 254\npen up 61 254\npasses 2\n' +
   'expect {"bet":1,"credits":19}\nstate\nsteps 5 7 9\nstate\n', {}, 0],
  ['an until that runs out', 'until Idle\nstate\ntap 172 253\nuntil PayTable 500\nstate\n', {}, 1],
  ['a script error', 'until Idle\ntap 60\n', {}, 2],
];

await test('runner.html gives the native runner\'s stdout, exit code, stderr and shots', async () => {
  const page = await browser.newPage();
  await page.goto(`${origin}/runner.html`);
  await page.evaluate(pageHelpers);
  for (const [name, script, {startTick, msPerPass}, exitCode] of scripts) {
    const args = [...(startTick === undefined ? [] : ['--start-tick', String(startTick)]),
                  ...(msPerPass === undefined ? [] : ['--ms-per-pass', String(msPerPass)])];
    const native = runNative(script, args);
    assert.equal(native.exitCode, exitCode, `${name}: the native exit code`);
    const web = await page.evaluate(([s, t, m]) => runScript(s, t, m), [script, startTick, msPerPass]);
    assert.ok(Buffer.from(web.stdout).equals(native.stdout), `${name}: stdout differs:\n${web.stdout}\n${native.stdout}`);
    assert.equal(web.exitCode, native.exitCode, `${name}: exit code`);
    assert.equal(web.stderr, native.stderr, `${name}: stderr`);
    assert.deepEqual(Object.keys(web.shots).sort(), Object.keys(native.shots).sort(), `${name}: shots`);
    for (const shot of Object.keys(native.shots)) {
      const same = await page.evaluate(async ([a, b]) => {
        const [x, y] = [await pixelsOf(a), await pixelsOf(b)];
        return x.width === y.width && x.height === y.height && x.data.every((v, i) => v === y.data[i]);
      }, [web.shots[shot], native.shots[shot]]);
      assert.ok(same, `${name}: ${shot} differs from the native shot`);
    }
  }
  // Bad arguments are refused, and each call is a fresh program: the same run twice, the same output.
  await assert.rejects(page.evaluate(() => runScript('state', -1)), /startTick must be a whole number/);
  await assert.rejects(page.evaluate(() => runScript('state', 0, 0)), /msPerPass must be a whole number/);
  const [first, second] = await page.evaluate(async (s) => [await runScript(s), await runScript(s)], session);
  assert.equal(first.stdout, second.stdout);
  await page.close();
});

// ---- The game page ---------------------------------------------------------------------------------

// Native pictures: the splash, the first machine, the menu, the About box and each machine.
const native = runNative(`until Splash
shot splash.png
until Idle
shot machine-40011.png
${[40010, 40009, 40008].map((id) => `menu ${id}\npasses 3\nshot machine-${id}.png`).join('\n')}
tap 25 307
passes 3
shot menu.png
tap 50 258
passes 3
shot about.png
`).shots;
// Where to tap, in display coordinates.
const Options = [25, 307];
const About = [50, 258];
const Exit = [50, 283];
const AboutOk = [225, 12];

// Opens the game page and waits for the splash, then the first machine ready; gives how long the
// splash took to show from the start of the page's load, in milliseconds.
async function openGame(page) {
  await page.addInitScript(pageHelpers);
  await page.goto(`${origin}/`);
  await waitForScreen(page, native['splash.png'], GameWindow, 'the splash');
  const splash = await hashOf(page, native['splash.png'], GameWindow);
  const shown = await page.evaluate((hash) => window.frames.find((frame) => frame.hash === hash).time, splash);
  await waitForScreen(page, native['machine-40011.png'], AboveButtons, 'the first machine', 15000);
  return shown;
}

// A tap at display (x, y): a mouse click, or a touch on the touch screen.
function tapper(page, touch) {
  return async ([x, y]) => {
    const box = await page.locator('#screen').boundingBox();
    const at = [box.x + (x + 0.5) * box.width / 240, box.y + (y + 0.5) * box.height / 320];
    if (touch) await page.touchscreen.tap(...at);
    else await page.mouse.click(...at);
    await page.waitForTimeout(120);
  };
}

// BET 1 and SPIN: a coin sounds, the reels move while the reel sound loops, and they stop.
async function betAndSpin(page, tap, [bet1, spin]) {
  const before = await soundCount(page);
  await tap(bet1);
  assert.deepEqual(await soundsSince(page, before), ['play 105'], 'BET 1 sounds a coin');
  await tap(spin);
  const first = await screenHash(page, Reels);
  await page.waitForTimeout(150);
  assert.notEqual(await screenHash(page, Reels), first, 'the reels move');
  assert.equal((await soundsSince(page, before))[1], 'loop 104', 'the reel sound loops');
  for (let end = Date.now() + 6000, last = first, now; (now = await screenHash(page, Reels)) !== last; last = now) {
    assert.ok(Date.now() < end, 'the reels never stopped');
    await page.waitForTimeout(300);
  }
  assert.ok((await soundsSince(page, before)).includes('stop'), 'the reel sound stops');
}

const viewports = [
  ['desktop', {viewport: {width: 1280, height: 800}}, {width: 480, height: 640}],
  ['phone', {viewport: {width: 390, height: 844}, isMobile: true, hasTouch: true, deviceScaleFactor: 3},
   {width: 390, height: 520}],
];
const splashTimes = {};

for (const [name, options, size] of viewports) {
  const context = await browser.newContext(options);
  const page = await context.newPage();
  const tap = tapper(page, name === 'phone');

  await test(`${name}: the splash shows within 1 s and the screen is scaled with sharp pixels`, async () => {
    splashTimes[name] = await openGame(page);
    assert.ok(splashTimes[name] < 1000, `the splash took ${splashTimes[name]} ms`);
    const box = await page.locator('#screen').boundingBox();
    assert.deepEqual({width: box.width, height: box.height}, size);
    const viewport = page.viewportSize();
    assert.equal(box.x * 2 + box.width, viewport.width, 'centred across');
    assert.equal(box.y * 2 + box.height, viewport.height, 'centred down');
    assert.equal(await page.locator('#screen').evaluate((c) => getComputedStyle(c).imageRendering), 'pixelated');
    assert.equal(await page.locator('#screen').evaluate((c) => getComputedStyle(c).touchAction), 'none');
    if (screenshots) await page.screenshot({path: path.join(screenshots, `${name}.png`)});
  });

  await test(`${name}: BET 1 and SPIN, by ${name === 'phone' ? 'touch' : 'mouse'}, on all four machines`, async () => {
    for (const [command, row, buttons] of machines) {
      await tap(Options);
      await tap([50, row]);
      await waitForScreen(page, native[`machine-${command}.png`], Sign, `machine ${command}`);
      await betAndSpin(page, tap, buttons);
    }
    assert.equal(await page.evaluate(() => window.dorurura.web.audio.state), 'running');
  });

  await test(`${name}: Options, the About box, and Exit ends the game with a page to start again`, async () => {
    await tap(Options);
    await waitForScreen(page, native['menu.png'], Menu, 'the menu');
    await tap(About);
    await waitForScreen(page, native['about.png'], GameWindow, 'the About box');
    await tap(AboutOk);
    await waitForScreen(page, native['machine-40008.png'], Sign, 'the machine again');
    await tap(Options);
    await tap(Exit);
    await page.getByText('The game has ended.').waitFor();
    assert.ok(await page.locator('#screen').isHidden());
    if (screenshots) await page.screenshot({path: path.join(screenshots, `${name}-ended.png`)});
    await page.getByRole('button', {name: 'Play again'}).click();
    await waitForScreen(page, native['splash.png'], GameWindow, 'the splash again');
  });

  if (name === 'desktop') {
    await test('desktop: 60 passes a second on any screen, none while the page is hidden', async () => {
      const count = () => page.evaluate(() => window.dorurura.web.passes);
      const passRate = async (counter) => {
        const [start, startTime] = [await counter(), Date.now()];
        await page.waitForTimeout(2000);
        return (await counter() - start) * 1000 / (Date.now() - startTime);
      };
      let rate = await passRate(count);
      assert.ok(rate > 55 && rate < 65, `${rate} passes a second`);
      // A screen that shows 250 frames a second.
      const fast = await context.newPage();
      await fast.addInitScript(() => {
        window.requestAnimationFrame = (frame) => setTimeout(() => frame(performance.now()), 4);
      });
      await fast.goto(`${origin}/`);
      await fast.waitForFunction(() => window.dorurura && window.dorurura.web);
      rate = await passRate(() => fast.evaluate(() => window.dorurura.web.passes));
      assert.ok(rate > 55 && rate < 65, `${rate} passes a second at 250 frames a second`);
      await fast.close();
      const hide = (hidden) => page.evaluate((h) => {
        Object.defineProperty(document, 'hidden', {configurable: true, get: () => h});
        document.dispatchEvent(new Event('visibilitychange'));
      }, hidden);
      await hide(true);
      await page.waitForTimeout(100);
      const hidden = await count();
      await page.waitForTimeout(1000);
      assert.equal(await count(), hidden, 'no passes while hidden');
      await hide(false);
      await page.waitForTimeout(500);
      assert.ok(await count() > hidden + 20, 'passes again once shown');
    });
  }
  await context.close();
}

await browser.close();
server.close();
console.log(`splash shown after ${Object.entries(splashTimes).map(([k, v]) => `${Math.round(v)} ms (${k})`).join(', ')}`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
