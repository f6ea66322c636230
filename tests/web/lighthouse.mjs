// Lighthouse (mobile: a mid-range phone on a slow 4G link, simulated) against the site as
// web/serve.py serves it, in Debian's Chromium: each category's score against its aim, the page's
// timings and weight, and the reports.
//
//   node tests/web/lighthouse.mjs SITE REPORT_FOLDER
//
// Writes REPORT_FOLDER/report.html and report.json; the exit code is 1 when a score is below its aim.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';

const [site, reports] = process.argv.slice(2).map((arg) => path.resolve(arg));
if (!site || !reports) {
  console.error('usage: node tests/web/lighthouse.mjs SITE REPORT_FOLDER');
  process.exit(2);
}
const repository = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const aims = {'performance': 90, 'accessibility': 95, 'best-practices': 95, 'seo': 95};

const serve = spawn('python3', [path.join(repository, 'web/serve.py'), site, '--port', '0'],
                    {stdio: ['ignore', 'pipe', 'ignore']});
process.on('exit', () => serve.kill());  // however the run ends
const url = await new Promise((resolve, reject) => {
  serve.stdout.once('data', (line) => resolve(String(line).trim()));
  serve.once('exit', (code) => reject(new Error(`web/serve.py ended with ${code}`)));
});
const chrome = await chromeLauncher.launch({
  chromePath: '/usr/bin/chromium',
  chromeFlags: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
let result;
try {
  result = await lighthouse(url, {port: chrome.port, output: ['html', 'json'], logLevel: 'error',
                                  onlyCategories: Object.keys(aims)});
} finally {
  await chrome.kill();
  serve.kill();
}

fs.mkdirSync(reports, {recursive: true});
fs.writeFileSync(path.join(reports, 'report.html'), result.report[0]);
fs.writeFileSync(path.join(reports, 'report.json'), result.report[1]);
const {categories, audits} = result.lhr;
let below = 0;
for (const [name, aim] of Object.entries(aims)) {
  const score = Math.round(categories[name].score * 100);
  if (score < aim) below++;
  console.log(`${categories[name].title.padEnd(16)} ${String(score).padStart(3)}  (aim ${aim})${score < aim ? '  BELOW' : ''}`);
}
for (const audit of ['first-contentful-paint', 'largest-contentful-paint', 'total-blocking-time',
                     'cumulative-layout-shift', 'speed-index', 'total-byte-weight']) {
  console.log(`${audits[audit].title}: ${audits[audit].displayValue}`);
}
for (const audit of Object.values(audits)) {
  if (audit.score !== null && audit.score < 1 && audit.scoreDisplayMode !== 'informative' &&
      audit.scoreDisplayMode !== 'manual' && audit.scoreDisplayMode !== 'notApplicable') {
    console.log(`  not passed: ${audit.id} (${audit.title})`);
  }
}
console.log(`reports: ${path.join(reports, 'report.html')}`);
process.exit(below ? 1 : 0);
