// The web build end to end, in Debian's Chromium driven by playwright-core: runner.html against the
// native runner byte for byte (shots pixel for pixel), the game page played with a mouse in a
// desktop viewport and with touch in a phone's, at four sizes, and the site as an app: its first
// paint and weight on a slow link, installable, and played off line by its service worker.
//
//   node tests/web/browser_test.mjs SITE NATIVE_PROGRAM [SCREENSHOT_FOLDER]
//
// SITE is the built site (build-web/site), NATIVE_PROGRAM the desktop build's dorurura. Ends with
// the line "N passed, N failed"; the exit code is 1 when a test failed.
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
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

// The site is served from a copy (the last test rebuilds a file of it) by web/serve.py, as
// `tools/dev web` serves it, behind a proxy that counts the bytes sent to the browser and can take
// the site off line.
const served = fs.mkdtempSync(path.join(os.tmpdir(), 'dorurura-site-'));
fs.cpSync(site, served, {recursive: true});
const serve = spawn('python3', [path.join(repository, 'web/serve.py'), served, '--port', '0'],
                    {stdio: ['ignore', 'pipe', 'ignore']});
process.on('exit', () => {  // however the run ends
  serve.kill();
  fs.rmSync(served, {recursive: true, force: true});
});
const upstream = new URL(await new Promise((resolve, reject) => {
  serve.stdout.once('data', (line) => resolve(String(line).trim()));
  serve.once('exit', (code) => reject(new Error(`web/serve.py ended with ${code}`)));
}));
const network = {bytes: 0, offline: false, sockets: new Set()};
const proxy = net.createServer((client) => {
  if (network.offline) return client.destroy();
  const server = net.connect(Number(upstream.port), upstream.hostname);
  for (const [socket, other] of [[client, server], [server, client]]) {
    network.sockets.add(socket);
    socket.on('error', () => other.destroy());
    socket.on('close', () => { network.sockets.delete(socket); other.destroy(); });
    socket.pipe(other);
  }
  server.on('data', (data) => { network.bytes += data.length; });
});
function goOffline(offline) {
  network.offline = offline;
  if (offline) for (const socket of network.sockets) socket.destroy();
}
await new Promise((resolve) => proxy.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${proxy.address().port}`;

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

// Opens the game page (or does what `open` says instead) and waits for the splash, then the first
// machine ready; gives how long the splash took to show from the start of the page's load, in
// milliseconds. The page's helpers are added once, for every later load of the page.
async function openGame(page, open = () => page.goto(`${origin}/`)) {
  if (!page.helpersAdded) await page.addInitScript(pageHelpers);
  page.helpersAdded = true;
  await open();
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

const phone = {viewport: {width: 390, height: 844}, isMobile: true, hasTouch: true, deviceScaleFactor: 3};
const viewports = [
  ['desktop', {viewport: {width: 1280, height: 800}}, {width: 600, height: 800}],
  ['phone', phone, {width: 390, height: 520}],
];
const splashTimes = {};
const firstPaint = {};

for (const [name, options, size] of viewports) {
  const context = await browser.newContext(options);
  const page = await context.newPage();
  const tap = tapper(page, name === 'phone');

  await test(`${name}: the splash shows within 1 s and the screen is scaled with sharp pixels`, async () => {
    splashTimes[name] = await openGame(page);
    assert.ok(splashTimes[name] < 1000, `the splash took ${splashTimes[name]} ms`);
    const box = await page.locator('#screen').boundingBox();
    assert.deepEqual({width: Math.round(box.width), height: Math.round(box.height)}, size);
    const viewport = page.viewportSize();
    assert.ok(Math.abs(box.x * 2 + box.width - viewport.width) < 1, 'centred across');
    assert.ok(Math.abs(box.y * 2 + box.height - viewport.height) < 1, 'centred down');
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

  if (name === 'phone') {
    // Upright and across, a small phone and a tablet: the largest scale that fits, and the pen
    // follows it (the last machine chosen is 40008).
    await test('phone: the game fills nine tenths of the limiting side at four sizes, and SPIN spins', async () => {
      for (const [width, height, shot] of [[844, 390, 'phone-landscape'], [320, 568], [820, 1180],
                                           [390, 844, 'phone-portrait']]) {
        await page.setViewportSize({width, height});
        await page.waitForTimeout(100);
        const box = await page.locator('#screen').boundingBox();
        const fill = Math.max(box.width / width, box.height / height);
        assert.ok(fill >= 0.9 && box.x >= 0 && box.y >= 0 && box.x + box.width <= width + 0.5 &&
                  box.y + box.height <= height + 0.5, `${width} x ${height}: ${JSON.stringify(box)}`);
        await betAndSpin(page, tap, machines[3][2]);
        if (shot && screenshots) await page.screenshot({path: path.join(screenshots, `${shot}.png`)});
      }
    });
  }

  if (name === 'desktop') {
    // The keys on the focused canvas, as the taps they stand for: F10, Down and Enter choose a
    // machine, B and Space bet and spin, a held key presses once, P, Right and Esc page and close
    // the pay table, Ctrl+A and Enter open and close the About box; without the focus, nothing.
    await test('desktop: the keyboard plays as the pen does', async () => {
      const press = async (key) => {
        await page.keyboard.press(key);
        await page.waitForTimeout(120);
      };
      const choose = async (downs, command) => {
        await press('F10');
        for (let i = 0; i < downs; i++) await press('ArrowDown');
        await press('Enter');
        await waitForScreen(page, native[`machine-${command}.png`], Sign, `machine ${command} by keys`);
      };
      await choose(1, 40011);
      await betAndSpin(page, press, ['b', ' ']);
      let before = await soundCount(page);
      await page.keyboard.down('b');
      await page.keyboard.down('b');  // the browser's repeat
      await page.keyboard.up('b');
      await page.waitForTimeout(120);
      assert.deepEqual(await soundsSince(page, before), ['play 105'], 'a held key presses once');
      const machine = await screenHash(page, Sign);
      await press('p');
      const first = await screenHash(page, Sign);
      assert.notEqual(first, machine, 'P opens the pay table');
      await press('ArrowRight');
      assert.notEqual(await screenHash(page, Sign), first, 'Right turns the page');
      await press('Escape');
      assert.equal(await screenHash(page, Sign), machine, 'Esc closes it');
      await choose(2, 40010);
      await choose(4, 40008);
      await press('Control+a');
      await waitForScreen(page, native['about.png'], GameWindow, 'the About box by Ctrl+A');
      await press('Enter');
      await waitForScreen(page, native['machine-40008.png'], Sign, 'the machine again');
      before = await soundCount(page);
      await page.evaluate(() => document.activeElement.blur());
      await press('b');
      assert.deepEqual(await soundsSince(page, before), [], 'no focus, no keys');
      await page.locator('#screen').focus();
    });
  }

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

// ---- The site as an app ----------------------------------------------------------------------------

// A first visit on a phone over a slow link (1.6 Mbit/s, 150 ms): the picture and the progress bar at
// the first paint, long before the program is there, the screen laid out once, and what it all took
// to send, the service worker's first fill included.
const visit = await browser.newContext(phone);
const visitPage = await visit.newPage();
await test('a first visit: the picture at first paint, the download\'s progress, no layout shift, 250 KB', async () => {
  await visitPage.addInitScript(() => {
    window.shifts = [];
    window.largest = [];
    window.progress = [];
    new PerformanceObserver((list) => window.shifts.push(...list.getEntries().map((e) => e.value)))
      .observe({type: 'layout-shift', buffered: true});
    new PerformanceObserver((list) => window.largest.push(...list.getEntries().map((e) => [e.element?.id, e.startTime])))
      .observe({type: 'largest-contentful-paint', buffered: true});
    new MutationObserver(() => window.progress.push(Number(document.getElementById('loading').value)))
      .observe(document, {subtree: true, attributeFilter: ['value']});
  });
  const cdp = await visit.newCDPSession(visitPage);
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions',
                 {offline: false, latency: 150, downloadThroughput: 200000, uploadThroughput: 94000});
  network.bytes = 0;
  firstPaint.splash = await openGame(visitPage, async () => {
    await visitPage.goto(`${origin}/`, {waitUntil: 'commit'});
    await visitPage.waitForFunction(() => performance.getEntriesByName('first-contentful-paint').length);
    if (screenshots && await visitPage.evaluate(() => !window.dorurura)) {
      await visitPage.screenshot({path: path.join(screenshots, 'phone-loading.png')});
    }
  });
  const seen = await visitPage.evaluate(() => {
    const program = performance.getEntriesByType('resource').find((e) => e.name.endsWith('/dorurura.wasm'));
    return {firstPaint: performance.getEntriesByName('first-contentful-paint')[0].startTime,
            programLoaded: program.responseEnd, largest: window.largest, shifts: window.shifts,
            progress: window.progress, max: document.getElementById('loading').max,
            loadingHidden: document.getElementById('loading').hidden};
  });
  firstPaint.slow = seen.firstPaint;
  assert.ok(seen.largest.some(([id, time]) => id === 'still' && time < seen.programLoaded),
            `the picture before the program: ${JSON.stringify(seen)}`);
  assert.ok(seen.firstPaint < seen.programLoaded, `the first paint before the program: ${JSON.stringify(seen)}`);
  assert.ok(seen.progress.some((value) => value > 0 && value < seen.max) && seen.progress.at(-1) === seen.max,
            `the progress: ${seen.progress}`);
  assert.ok(seen.loadingHidden, 'the progress bar goes once the game starts');
  assert.deepEqual(seen.shifts, [], 'no layout shift');
  // Served gzipped, the whole visit, with the service worker's fill, sends at most 250 KB.
  await visitPage.evaluate(async () => {
    const registration = await navigator.serviceWorker.ready;
    return registration.active.state === 'activated' || new Promise((resolve) => registration.active
      .addEventListener('statechange', (event) => event.target.state === 'activated' && resolve()));
  });
  const firstVisit = network.bytes;
  assert.ok(firstVisit <= 250000, `the first visit took ${firstVisit} bytes`);
  firstPaint.bytes = firstVisit;
  await cdp.send('Network.emulateNetworkConditions', {offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1});
});

await test('installable: the manifest, its icons, the favicon and the home-screen icon', async () => {
  const cdp = await visit.newCDPSession(visitPage);
  const {errors, data} = await cdp.send('Page.getAppManifest');
  assert.deepEqual(errors, [], 'the manifest parses');
  // Playwright's contexts are private (incognito) profiles, where no page is installable.
  const {installabilityErrors} = await cdp.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors.filter((e) => e.errorId !== 'in-incognito'), [], 'installable');
  const manifest = JSON.parse(data);
  assert.ok(manifest.name && manifest.short_name && manifest.display === 'standalone', data);
  const icons = [...manifest.icons.map((icon) => [icon.src, icon.sizes, icon.purpose]),
                 ...await visitPage.evaluate(() => [...document.querySelectorAll('link[rel~=icon], link[rel=apple-touch-icon]')]
                   .map((link) => [link.getAttribute('href'), link.sizes.value, link.rel]))];
  assert.deepEqual(icons.map(([, size, purpose]) => `${size} ${purpose}`).sort(),
                   ['192x192 any', '32x32 icon', '512x512 any', '512x512 apple-touch-icon', '512x512 maskable']);
  for (const [src, size, purpose] of icons) {
    const loaded = await visitPage.evaluate(async (url) => {
      const picture = await createImageBitmap(await (await fetch(url)).blob());
      const context = new OffscreenCanvas(picture.width, picture.height).getContext('2d');
      context.drawImage(picture, 0, 0);
      return {size: `${picture.width}x${picture.height}`, corner: context.getImageData(0, 0, 1, 1).data[3],
              middle: context.getImageData(picture.width / 2, picture.height / 2, 1, 1).data[3]};
    }, src);
    assert.equal(loaded.size, size, src);
    assert.equal(loaded.middle, 255, `${src}: the coin in the middle`);
    // Icons that fill their square (maskable, the home screen's) are opaque to the corners.
    if (purpose === 'maskable' || purpose === 'apple-touch-icon') assert.equal(loaded.corner, 255, `${src}: corner`);
  }
});

// After the first visit the worker keeps the site: played off line; then a rebuilt file is there on
// the next visit on line, and the new build's worker keeps it in place of the old.
await test('offline and rebuilt: the worker plays a spin off line, and the next visit runs a new build', async () => {
  const buildOf = () => /const build = '([^']+)'/.exec(fs.readFileSync(path.join(served, 'sw.js'), 'utf8'))[1];
  const cacheNames = () => visitPage.evaluate(() => caches.keys());
  assert.deepEqual(await cacheNames(), [buildOf()]);
  await openGame(visitPage, () => visitPage.reload());
  assert.ok(await visitPage.evaluate(() => navigator.serviceWorker.controller !== null), 'controlled after a reload');
  const tap = tapper(visitPage, true);
  try {
    goOffline(true);
    await openGame(visitPage, () => visitPage.reload());
    await betAndSpin(visitPage, tap, machines[0][2]);
    assert.equal(await visitPage.evaluate(() => fetch('no-such-file').then(() => 'fetched', () => 'failed')), 'failed',
                 'off line indeed');
  } finally {
    goOffline(false);
  }
  // A rebuild that changes game.js, as the build seals the site.
  const old = buildOf();
  fs.appendFileSync(path.join(served, 'game.js'), '\nwindow.rebuilt = true;\n');
  const seal = spawnSync('node', [path.join(repository, 'web/site.mjs'), 'seal', path.join(repository, 'web/sw.js'), served]);
  assert.equal(seal.status, 0, String(seal.stderr));
  assert.notEqual(buildOf(), old, 'a new build, a new name');
  await openGame(visitPage, () => visitPage.reload());
  assert.equal(await visitPage.evaluate(() => window.rebuilt), true, 'the new build runs on the next visit');
  for (const end = Date.now() + 10000; (await cacheNames()).join() !== buildOf(); await visitPage.waitForTimeout(100)) {
    assert.ok(Date.now() < end, `the caches: ${await cacheNames()}`);
  }
  try {
    goOffline(true);
    await openGame(visitPage, () => visitPage.reload());
    assert.equal(await visitPage.evaluate(() => window.rebuilt), true, 'the new build off line');
  } finally {
    goOffline(false);
  }
});
await visit.close();

await browser.close();
proxy.close();
console.log(`splash shown after ${Object.entries(splashTimes).map(([k, v]) => `${Math.round(v)} ms (${k})`).join(', ')}`);
console.log(`first visit at 1.6 Mbit/s, 150 ms: first paint ${Math.round(firstPaint.slow)} ms, the splash ` +
            `${Math.round(firstPaint.splash)} ms, ${firstPaint.bytes} bytes sent`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
