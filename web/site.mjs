// The build's last steps for the site (web/CMakeLists.txt runs them):
//
//   node site.mjs page TEMPLATE PICTURE SITE   SITE/index.html from the page TEMPLATE, the PICTURE
//                                              (WebP) inside it, its size as the display's, and the
//                                              program's size for its progress
//   node site.mjs seal TEMPLATE SITE           SITE/sw.js from the service worker TEMPLATE, its cache
//                                              named after the site's files, then those worth it gzipped
//                                              beside them (NAME.gz)
import { execFileSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';

const [step, ...args] = process.argv.slice(2);

// Fills @NAME@ in a template; every name must be given.
function fill(template, values) {
  return template.replace(/@([A-Z_]+)@/g, (_, name) => {
    if (!(name in values)) throw new Error(`no value for @${name}@`);
    return values[name];
  });
}

// Writes a file only when its contents change, so that what depends on it is not made again.
function write(file, contents) {
  if (!fs.existsSync(file) || !fs.readFileSync(file).equals(Buffer.from(contents))) fs.writeFileSync(file, contents);
}

// The site's files, sorted: all but the service worker and the compressed copies.
function siteFiles(site) {
  return fs.readdirSync(site, {withFileTypes: true})
    .filter((entry) => entry.isFile() && entry.name !== 'sw.js' && !entry.name.endsWith('.gz'))
    .map((entry) => entry.name)
    .sort();
}

if (step === 'page' && args.length === 3) {
  const [template, picture, site] = args;
  // The picture is the display as the program drew it: a lossless WebP, whose header holds its width
  // and height less one in 14 bits each.
  const still = fs.readFileSync(picture);
  if (still.toString('latin1', 12, 16) !== 'VP8L') throw new Error(`${picture}: not a lossless WebP`);
  const size = still.readUInt32LE(21);
  write(path.join(site, 'index.html'), fill(fs.readFileSync(template, 'utf8'), {
    STILL: `data:image/webp;base64,${still.toString('base64')}`,
    WIDTH: String((size & 0x3FFF) + 1),
    HEIGHT: String(((size >>> 14) & 0x3FFF) + 1),
    PROGRAM_BYTES: String(fs.statSync(path.join(site, 'dorurura.wasm')).size),
  }));
} else if (step === 'seal' && args.length === 2) {
  const [template, site] = args;
  const files = siteFiles(site);
  const hash = crypto.createHash('sha256');
  for (const file of files) hash.update(`${file}\0`).update(fs.readFileSync(path.join(site, file))).update('\0');
  write(path.join(site, 'sw.js'), fill(fs.readFileSync(template, 'utf8'), {
    BUILD: `dorurura-${hash.digest('hex').slice(0, 16)}`,
    // The page as the folder's address, the one the browser asks for (and so has in its own cache).
    FILES: JSON.stringify(files.map((file) => (file === 'index.html' ? './' : file))),
  }));
  // Text and the program compress; the pictures are compressed already. A copy is kept when it saves
  // a tenth or more; an old copy that would not be is removed.
  for (const file of [...files, 'sw.js']) {
    const from = path.join(site, file);
    const gzipped = `${from}.gz`;
    const data = fs.readFileSync(from);
    // gzip itself packs the program some 3 % smaller than Node's zlib at its best; -n leaves out the
    // name and time, so the copy depends on the contents alone.
    const packed = /\.(html|css|js|wasm|webmanifest)$/.test(file) && data.length >= 1024 &&
      execFileSync('gzip', ['-9', '-n', '-c', from], {maxBuffer: 64 << 20});
    if (packed && packed.length <= data.length * 0.9) fs.writeFileSync(gzipped, packed);
    else fs.rmSync(gzipped, {force: true});
  }
  for (const file of fs.readdirSync(site).filter((name) => name.endsWith('.gz'))) {
    if (!fs.existsSync(path.join(site, file.slice(0, -3)))) fs.rmSync(path.join(site, file));
  }
} else {
  console.error('usage: node site.mjs page TEMPLATE PICTURE SITE | seal TEMPLATE SITE');
  process.exit(2);
}
