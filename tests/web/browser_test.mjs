// Drives the browser page (dist/web/) in Debian's Chromium as a player would
// and compares the files it offers with the reference cases.
//
//   node browser_test.mjs DIST_DIR GOLDEN_DIR [SCREENSHOT_PATH] [--native PATH/TO/tarvenna] [--speed] [--slow]
//
// - serves DIST_DIR under a sub-path of its own HTTP server on 127.0.0.1;
// - sets each case's options through the real controls (by accessible name),
//   presses Generate Seed, takes every download and compares it byte for byte
//   with GOLDEN_DIR/<case>/ (the cheat sheet's credit line aside), and the
//   final status log with the case's status.txt;
// - cases outside GOLDEN_DIR (the slow Chris lock seed 36) are compared with
//   the native command's files when --native is given, and skipped otherwise;
// - a permalink (#code) and "Load code" restore settings and seed; a bad code
//   shows its error;
// - Cancel stops a long search at once, and the next run is right;
// - one game on show at a time: the address names a game only while the form
//   makes it (not during a run, nor after Cancel or a changed setting), a
//   link pasted during a run stops it, another game's link or a refused seed
//   takes the last result away, and a seed's error stays until it is retyped;
// - offline, once the service worker has cached the page, a seed still comes out;
// - no console or page errors, every control has an accessible name, the page
//   fits 360 px; prints the page's transfer size;
// - SCREENSHOT_PATH: a picture of the page after a run;
// - --slow: also a seed whose locks are dealt again (minutes);
// - --speed: per-seed times, Chris Normal seeds 1-40 and Chris Locks seed 36,
//   with one worker and with one per core.
// Exits non-zero on any failure, saying what differed.

import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

// --- Cases -----------------------------------------------------------------

// A sample of GOLDEN_DIR/cases.tsv: items, no items, the enemy options,
// doors, locks and the pool options.
const goldenSample = [
  'jill-normal-1', 'chris-hard-2', 'noitems-chris-hard-1', 'enemies-none-lab-1', 'enemies-many-random-2',
  'doors-enemies-1', 'locks-jill-hard-1', 'locks-enemies-2', 'pool-all-1', 'pool-locks-chris-2', 'everything-doors-1',
];
// Cases the reference folder may lack: the native command makes them. The
// slow one (run with --slow) rules out every deal of the cycle and deals the
// locks again: about 25 s on two cores.
const nativeCases = [
  { name: 'chris-locks-36', seed: 36, flags: '--character chris --locks --spoiler' },
  { name: 'chris-locks-163', seed: 163, flags: '--character chris --locks', slow: true },
];
const cancelCase = { seed: 371, flags: '--character chris --locks' }; // a search of minutes
const afterCancelCase = 'locks-chris-1';
const offlineCase = 'doors-jill-2';
const permalinkCase = 'enemies-many-random-2';
const keyboardCase = 'noitems-chris-hard-1'; // made with the keys below alone

// Options of the command as clicks: check boxes by [group, label, wanted state]
// (group null: outside any group) ...
const toggles = {
  '--no-items': ['Randomize:', 'Items', false],
  '--enemies': ['Randomize:', 'Enemies', true],
  '--doors': ['Randomize:', 'Doors', true],
  '--locks': ['Randomize:', 'Locks', true],
  '--no-zombies': ['Enemies:', 'Zombies', false],
  '--no-dogs': ['Enemies:', 'Dogs', false],
  '--no-hunters': ['Enemies:', 'Hunters', false],
  '--no-spiders': ['Enemies:', 'Spiders', false],
  '--no-sharks': ['Enemies:', 'Sharks', false],
  '--no-bees': ['Enemies:', 'Bees', false],
  '--no-chimera': ['Enemies:', 'Chimera', false],
  '--no-elder-crimson-heads': ['Enemies:', 'Elder Crimson Heads', false],
  '--remove-healing': ['Remove from pool:', 'Healing Items', true],
  '--remove-ammo': ['Remove from pool:', 'Ammo', true],
  '--remove-ink-ribbons': ['Remove from pool:', 'Ink Ribbons', true],
  '--remove-defence': ['Remove from pool:', 'Defence Items', true],
  '--swap-self-defense-gun': [null, 'Swap all non-key items with Self-Defense Gun', true],
  '--fuel-capsule-armed': [null, 'Fuel Supply Capsule armed on pickup', true],
  '--spoiler': [null, 'Spoiler file', true],
};
// ... and radio buttons by [group, {value: label}].
const spawns = { one: 'One', many: 'Many', none: 'None' };
const choices = {
  '--character': ['Play As:', { jill: 'Jill', chris: 'Chris' }],
  '--difficulty': ['Difficulty:', { normal: 'Normal', hard: 'Hard' }],
  '--tyrant-spawns': ['Tyrant Spawns:', spawns],
  '--yawn-spawns': ['Yawn Spawns:', spawns],
  '--lisa-spawns': ['Lisa Spawns:', spawns],
  '--tyrant-type': ['Tyrant Type:', { helipad: 'Helipad (Fast)', lab: 'Lab (Slow)', random: 'Random' }],
};
// The dialog's rules as the page shows them: after these options, these
// controls are [checked, enabled] ("group/label").
const ruleCases = [
  { flags: '', expect: { 'Enemies:/Zombies': [true, false], 'Tyrant Spawns:/One': [true, false], 'Randomize:/Items': [true, true] } },
  { flags: '--enemies', expect: { 'Enemies:/Zombies': [true, true], 'Tyrant Type:/Random': [false, true] } },
  { flags: '--difficulty hard --doors', expect: { 'Difficulty:/Normal': [true, true], 'Difficulty:/Hard': [false, false], 'Randomize:/Locks': [false, false], 'Randomize:/Items': [true, false] } },
  { flags: '--no-items --locks', expect: { 'Randomize:/Items': [true, false], 'Randomize:/Doors': [false, false] } },
];
// The enemy options only open once "Enemies" is checked.
const clickOrder = (step) => (step.group === 'Play As:' || step.group === 'Difficulty:' ? 0 : step.group === 'Randomize:' ? 1 : 2);

// --- Arguments and the server ----------------------------------------------

const args = process.argv.slice(2);
const option = (name) => {
  const at = args.indexOf(name);
  return at < 0 ? null : args.splice(at, 2)[1];
};
const flag = (name) => args.includes(name) && args.splice(args.indexOf(name), 1).length > 0;
const speed = flag('--speed');
const slow = flag('--slow');
const nativeCommand = option('--native');
const [distDir, goldenDir, screenshotPath] = args;
if (!distDir || !goldenDir) {
  console.error('usage: node browser_test.mjs DIST_DIR GOLDEN_DIR [SCREENSHOT_PATH] [--native PATH] [--speed] [--slow]');
  process.exit(2);
}

const failures = [];
let passed = 0;
function check(ok, what) {
  if (ok) passed += 1;
  else failures.push(what);
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  return ok;
}

const mimeTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm', '.json': 'application/json', '.png': 'image/png', '.txt': 'text/plain; charset=utf-8',
};
const root = path.resolve(distDir);
const base = '/tarvenna/'; // a sub-path: the page must use relative addresses only
const served = new Map(); // path -> body bytes, first load
// While "offline" the server refuses everything; the browser's check for a
// new sw.js (on each register()) may still come and fail, which it must survive.
const server = { offline: false, refusedWhileOffline: [], updateChecksWhileOffline: 0, bytes: 0 };
const httpServer = http.createServer((request, response) => {
  if (server.offline) {
    if (request.headers['service-worker'] === 'script') server.updateChecksWhileOffline += 1;
    else server.refusedWhileOffline.push(`${request.url} (${request.headers['sec-fetch-dest']})`);
    request.socket.destroy();
    return;
  }
  const pathname = decodeURIComponent(new URL(request.url, 'http://host').pathname);
  const relative = pathname === base ? 'index.html' : pathname.startsWith(base) ? pathname.slice(base.length) : null;
  const file = relative === null ? null : path.join(root, relative);
  if (file === null || !file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
    return;
  }
  const body = fs.readFileSync(file);
  served.set(relative, body.length);
  server.bytes += body.length;
  response.writeHead(200, { 'Content-Type': mimeTypes[path.extname(file)] || 'application/octet-stream', 'Cache-Control': 'no-cache' });
  response.end(body);
});
await new Promise((resolve) => httpServer.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${httpServer.address().port}`;
const pageUrl = (query = '') => `${origin}${base}${query}`;

// --- References --------------------------------------------------------------

const goldenCases = new Map(
  fs.readFileSync(path.join(goldenDir, 'cases.tsv'), 'utf8').split('\n').filter(Boolean).map((line) => {
    const [name, seed, flags = ''] = line.split('\t');
    return [name, { name, seed: Number(seed), flags, dir: path.join(goldenDir, name) }];
  }),
);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'tarvenna-web-'));
function referenceOf(spec) {
  if (goldenCases.has(spec.name)) return goldenCases.get(spec.name);
  const dir = path.join(goldenDir, spec.name);
  if (fs.existsSync(dir)) return { ...spec, dir };
  if (nativeCommand === null) return null;
  const out = path.join(scratch, spec.name);
  fs.mkdirSync(out, { recursive: true });
  const stdout = execFileSync(nativeCommand, ['--seed', String(spec.seed), ...spec.flags.split(' ').filter(Boolean), '--out', out], { stdio: ['ignore', 'pipe', 'ignore'] });
  fs.writeFileSync(path.join(out, 'status.txt'), stdout);
  return { ...spec, dir: out };
}

// --- The page ------------------------------------------------------------------

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
const context = await browser.newContext({ viewport: { width: 900, height: 1000 }, acceptDownloads: true });
const pageErrors = [];
context.on('console', (message) => message.type() === 'error' && pageErrors.push(`console: ${message.text()}`));
context.on('weberror', (error) => pageErrors.push(`page error: ${error.error().message}`));

const state = (page) => page.locator('#page').getAttribute('data-state');
async function openPage(query = '', fragment = '') {
  const page = await context.newPage();
  await page.goto(pageUrl(query) + fragment);
  await page.waitForFunction(() => ['ready', 'failed'].includes(document.getElementById('page').dataset.state));
  return page;
}
const control = (page, group, role, label) =>
  (group === null ? page : page.getByRole('group', { name: group, exact: true })).getByRole(role, { name: label, exact: true });

// Every check box and radio button as [checked, enabled], and the seed field.
const formSnapshot = (page) => page.evaluate(() => ({
  controls: Object.fromEntries([...document.querySelectorAll('[data-control]')].map((input) => [input.dataset.control, [input.checked, !input.disabled]])),
  seed: document.getElementById('seed').value,
}));

async function setOptions(page, flags) {
  await page.getByRole('button', { name: 'Reset to defaults', exact: true }).click();
  const words = flags.split(' ').filter(Boolean);
  const steps = [];
  for (let i = 0; i < words.length; i += 1) {
    if (toggles[words[i]]) {
      const [group, label, wanted] = toggles[words[i]];
      steps.push({ group, role: 'checkbox', label, wanted });
    } else if (choices[words[i]]) {
      const [group, labels] = choices[words[i]];
      const label = labels[words[++i]];
      if (label === undefined) throw new Error(`no control for ${words[i - 1]} ${words[i]}`);
      steps.push({ group, role: 'radio', label, wanted: true });
    } else {
      throw new Error(`no control for ${words[i]}`);
    }
  }
  steps.sort((a, b) => clickOrder(a) - clickOrder(b));
  for (const step of steps) {
    const input = control(page, step.group, step.role, step.label);
    if ((await input.isChecked()) !== step.wanted) await input.click();
    if ((await input.isChecked()) !== step.wanted) throw new Error(`"${step.label}" in "${step.group}" did not become ${step.wanted ? 'checked' : 'unchecked'}`);
  }
}

// Presses Generate Seed and waits for the run to end; the page sets its
// state to "searching" before the click returns.
async function generate(page, seed, timeout = 600_000) {
  await page.getByRole('textbox', { name: 'Seed:', exact: true }).fill(String(seed));
  await page.getByRole('button', { name: 'Generate Seed', exact: true }).click();
  await page.waitForFunction(() => ['done', 'failed', 'cancelled'].includes(document.getElementById('page').dataset.state), null, { timeout });
  return { state: await state(page), seconds: Number(await page.locator('#page').getAttribute('data-seconds')) };
}

async function takeDownloads(page) {
  const files = new Map();
  for (const link of await page.locator('#downloads a').all()) {
    const name = await link.getAttribute('download');
    const type = await link.evaluate((a) => fetch(a.href).then((r) => r.blob()).then((blob) => blob.type));
    const [download] = await Promise.all([page.waitForEvent('download'), link.click()]);
    if (download.suggestedFilename() !== name || type !== 'application/octet-stream') {
      failures.push(`download ${name}: saved as ${download.suggestedFilename()}, type ${type}`);
    }
    files.set(name, fs.readFileSync(await download.path()));
  }
  return files;
}

const withoutLine2 = (bytes) => {
  const lines = bytes.toString('latin1').split('\r\n');
  lines.splice(1, 1);
  return lines.join('\r\n');
};
function firstDifference(a, b) {
  let i = 0;
  while (i < a.length && i < b.length && a[i] === b[i]) i += 1;
  return `at byte ${i}: ${JSON.stringify(String(a.slice(i, i + 40)))} instead of ${JSON.stringify(String(b.slice(i, i + 40)))}`;
}

// Every reference file the page should offer, byte for byte; the status log as shown.
async function compareWithReference(page, reference, label) {
  const files = await takeDownloads(page);
  const log = await page.locator('#log').textContent();
  const problems = [];
  for (const name of fs.readdirSync(reference.dir)) {
    const expected = fs.readFileSync(path.join(reference.dir, name));
    if (name === 'status.txt') {
      if (log !== expected.toString('latin1')) problems.push(`status log differs ${firstDifference(log, expected.toString('latin1'))}`);
      continue;
    }
    if (!/^(ItemList|CheatSheet|Spoiler)/.test(name)) continue;
    if (!files.has(name)) {
      problems.push(`${name} not offered (offered: ${[...files.keys()].join(', ')})`);
      continue;
    }
    const [got, want] = name.startsWith('CheatSheet') ? [withoutLine2(files.get(name)), withoutLine2(expected)] : [files.get(name), expected];
    if (Buffer.compare(Buffer.from(got), Buffer.from(want)) !== 0) problems.push(`${name} differs ${firstDifference(got, want)}`);
  }
  const shown = { code: await page.getByRole('textbox', { name: 'Share code:', exact: true }).inputValue(), words: await page.locator('#check-words').textContent() };
  if (!/^T1-/.test(shown.code) || shown.words.split(' ').length !== 4) problems.push(`share code "${shown.code}", check words "${shown.words}"`);
  if (new URL(page.url()).hash !== `#${shown.code}`) problems.push(`address ${page.url()} does not end in the share code`);
  check(problems.length === 0, `${label}: ${files.size} files${problems.length ? `\n       ${problems.join('\n       ')}` : ''}`);
  return shown;
}

async function runCase(page, reference, label = reference.name) {
  await setOptions(page, reference.flags);
  const run = await generate(page, reference.seed);
  if (!check(run.state === 'done', `${label}: run ends done (${run.state}: ${await page.locator('#failure').textContent()})`)) return null;
  return { ...run, ...(await compareWithReference(page, reference, `${label} (--seed ${reference.seed} ${reference.flags}) in ${run.seconds.toFixed(2)} s`)) };
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor((values.length - 1) / 2)];

// --- The run -----------------------------------------------------------------

try {
  // First load: what a visitor downloads, the service worker's cache fill included.
  const page = await openPage();
  check((await state(page)) === 'ready', `the page loads (${await page.locator('#failure').textContent()})`);
  await page.evaluate(() => navigator.serviceWorker.ready);
  const sizes = [...served.entries()].map(([file, bytes]) => `${file} ${bytes}`).join(', ');
  const gzipped = [...served.keys()].reduce((sum, file) => sum + zlib.gzipSync(fs.readFileSync(path.join(root, file)), { level: 9 }).length, 0);
  console.log(`     first load: ${[...served.values()].reduce((a, b) => a + b, 0)} bytes of files (${sizes}), ${gzipped} gzipped; ` +
    `${server.bytes} bytes sent with the service worker's cache fill`);

  // Accessible names, as Chromium computes them.
  const cdp = await context.newCDPSession(page);
  const { nodes } = await cdp.send('Accessibility.getFullAXTree');
  const named = nodes.filter((node) => !node.ignored && ['checkbox', 'radio', 'textbox', 'button', 'link'].includes(node.role?.value));
  const unnamed = named.filter((node) => !node.name?.value?.trim());
  const toggleCount = named.filter((node) => ['checkbox', 'radio'].includes(node.role.value)).length;
  check(unnamed.length === 0 && toggleCount === 35, `every control has an accessible name (${named.length} controls, ${toggleCount} boxes and buttons, unnamed: ${unnamed.map((n) => n.role.value).join(', ') || 'none'})`);
  await page.setViewportSize({ width: 360, height: 800 });
  const width = await page.evaluate(() => document.documentElement.scrollWidth);
  check(width <= 360, `the page fits 360 px (${width} px wide)`);
  await page.setViewportSize({ width: 900, height: 1000 });

  // The rules come from the module; the page must show them.
  for (const rule of ruleCases) {
    await setOptions(page, rule.flags);
    const wrong = [];
    for (const [name, [checked, enabled]] of Object.entries(rule.expect)) {
      const [group, label] = name.split('/');
      const input = control(page, group, group in { 'Randomize:': 1, 'Enemies:': 1 } ? 'checkbox' : 'radio', label);
      if ((await input.isChecked()) !== checked || (await input.isEnabled()) !== enabled) wrong.push(name);
    }
    check(wrong.length === 0, `after "${rule.flags}" the form shows the dialog's rules${wrong.length ? ` (wrong: ${wrong.join(', ')})` : ''}`);
  }

  // A run by keyboard alone: arrows in radio groups, Space on a check box, Enter in the seed field.
  await page.getByRole('button', { name: 'Reset to defaults', exact: true }).click();
  await control(page, 'Play As:', 'radio', 'Jill').focus();
  await page.keyboard.press('ArrowDown');
  await control(page, 'Difficulty:', 'radio', 'Normal').focus();
  await page.keyboard.press('ArrowDown');
  await control(page, 'Randomize:', 'checkbox', 'Items').focus();
  await page.keyboard.press('Space');
  await page.getByRole('textbox', { name: 'Seed:', exact: true }).focus();
  await page.keyboard.type(String(goldenCases.get(keyboardCase).seed));
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => ['done', 'failed'].includes(document.getElementById('page').dataset.state));
  await compareWithReference(page, goldenCases.get(keyboardCase), `${keyboardCase} by keyboard`);

  // A seed that is no number is refused before anything runs; the last
  // game's result and address go, and the error stays until the seed is
  // typed again, whatever else is clicked.
  const addressed = () => page.evaluate(() => location.hash);
  await page.getByRole('textbox', { name: 'Seed:', exact: true }).fill('12x');
  await page.getByRole('button', { name: 'Generate Seed', exact: true }).click();
  const seedError = await page.locator('#form-error').textContent();
  check((await state(page)) === 'done' && seedError.length > 0 && (await page.locator('#result').isHidden()) && (await addressed()) === '',
    `the seed "12x" is refused: "${seedError}", the last result and address gone`);
  await control(page, 'Randomize:', 'checkbox', 'Enemies').click();
  const errorAfterClick = await page.locator('#form-error').isVisible();
  await page.getByRole('textbox', { name: 'Seed:', exact: true }).fill('12');
  check(errorAfterClick && !(await page.locator('#form-error').isVisible()), 'the seed\'s error stays through a click and goes once the seed is typed again');
  await page.getByRole('textbox', { name: 'Seed:', exact: true }).fill(' 42 ');
  const spaced = await generate(page, ' 42 ');
  check(spaced.state === 'done' && (await page.getByRole('textbox', { name: 'Seed:', exact: true }).inputValue()) === '42',
    'a seed with blanks around it is taken, as the command takes it');
  await control(page, 'Randomize:', 'checkbox', 'Enemies').click();
  check((await addressed()) === '', 'a changed setting takes the last game out of the address');

  // The reference cases.
  for (const name of goldenSample) {
    if (!goldenCases.has(name)) check(false, `${name}: not in ${goldenDir}/cases.tsv`);
    else await runCase(page, goldenCases.get(name));
  }
  for (const spec of nativeCases.filter((one) => slow || !one.slow)) {
    const reference = referenceOf(spec);
    if (reference === null) console.log(`skip ${spec.name}: not in ${goldenDir}; --native PATH/TO/tarvenna makes its reference`);
    else await runCase(page, reference);
  }

  // Permalink: the address after a run brings back settings and seed, and does not run.
  const permalinkRun = await runCase(page, goldenCases.get(permalinkCase), `${permalinkCase} for the permalink`);
  if (screenshotPath) await page.screenshot({ path: screenshotPath, fullPage: true });
  if (permalinkRun) {
    const before = await formSnapshot(page);
    const restored = await openPage('', `#${permalinkRun.code}`);
    const after = await formSnapshot(restored);
    check(JSON.stringify(after) === JSON.stringify(before) && (await state(restored)) === 'ready' && (await restored.locator('#downloads a').count()) === 0,
      `the permalink restores settings and seed ${after.seed} without running`);
    await restored.getByRole('button', { name: 'Reset to defaults', exact: true }).click();
    const defaults = await formSnapshot(restored);
    await restored.getByRole('textbox', { name: 'Shared code:', exact: true }).fill(permalinkRun.code.toLowerCase());
    await restored.getByRole('button', { name: 'Load code', exact: true }).click();
    check(JSON.stringify(await formSnapshot(restored)) === JSON.stringify(before), 'Load code (in lower case) restores settings and seed');
    await restored.close();

    // One changed character fails the code's checksum: an error, the form untouched.
    const last = permalinkRun.code.at(-1);
    const mistyped = permalinkRun.code.slice(0, -1) + (last === '0' ? '1' : '0');
    const bad = await openPage('', `#${mistyped}`);
    const error = await bad.locator('#form-error').textContent();
    check(error.length > 0 && (await bad.locator('#form-error').isVisible()) && JSON.stringify(await formSnapshot(bad)) === JSON.stringify(defaults),
      `a mistyped permalink shows "${error}" and keeps the defaults`);
    await bad.close();
  }

  // Cancel: a long search stops at once, its workers end, the next run is right.
  const workersBefore = page.workers();
  await setOptions(page, cancelCase.flags);
  await page.getByRole('textbox', { name: 'Seed:', exact: true }).fill(String(cancelCase.seed));
  await page.getByRole('button', { name: 'Generate Seed', exact: true }).click();
  // Beside the log, how much of the cycle the search has ruled out.
  const progress = page.locator('#search-progress');
  await progress.waitFor({ state: 'visible', timeout: 60_000 }).catch(() => {});
  const progressText = await page.locator('#search-progress-text').textContent();
  const progressShare = await page.locator('#search-progress-bar').evaluate((bar) => bar.value);
  check(/^Checking the locks: \d+ % of the item deals ruled out$/.test(progressText) && progressShare > 0 && progressShare < 1,
    `a long search shows its progress beside the log: "${progressText}", ${progressShare}`);
  const stillSearching = (await state(page)) === 'searching';
  const marks = ((await page.locator('#log').textContent()).match(/ \./g) || []).length;
  const closed = Promise.all(workersBefore.map((worker) => new Promise((resolve) => worker.once('close', resolve))));
  const cancelledAt = Date.now();
  await page.getByRole('button', { name: 'Cancel', exact: true }).click();
  const stopped = await Promise.race([closed.then(() => true), new Promise((resolve) => setTimeout(() => resolve(false), 2000))]);
  check(stillSearching && marks > 0 && (await state(page)) === 'cancelled' && stopped && (await page.getByRole('status').textContent()) === 'Cancelled.',
    `Cancel stops seed ${cancelCase.seed} after ${marks} progress marks: all ${workersBefore.length} searching workers ended in ${Date.now() - cancelledAt} ms, status "Cancelled."`);
  check(page.workers().length === workersBefore.length, `fresh workers replace them (${page.workers().length})`);
  check(await progress.isHidden(), 'the progress goes with the cancelled search');
  const afterCancel = await runCase(page, goldenCases.get(afterCancelCase), `${afterCancelCase} after Cancel`);

  // The address during a run names no game (a reload brings back none), and
  // a link pasted into it during a run stops the run and shows the link's game.
  if (permalinkRun && afterCancel) {
    await setOptions(page, cancelCase.flags);
    await page.getByRole('textbox', { name: 'Seed:', exact: true }).fill(String(cancelCase.seed));
    await page.getByRole('button', { name: 'Generate Seed', exact: true }).click();
    await page.waitForTimeout(500);
    check((await state(page)) === 'searching' && (await addressed()) === '', 'during a run the address names no game');
    await page.evaluate((code) => { location.hash = code; }, permalinkRun.code);
    await page.waitForFunction(() => document.getElementById('page').dataset.state !== 'searching');
    const shown = await formSnapshot(page);
    check((await state(page)) === 'cancelled' && shown.seed === String(goldenCases.get(permalinkCase).seed) &&
      (await page.locator('#downloads a').count()) === 0 && (await page.locator('#check-words').textContent()) === '',
      `a link pasted during a run stops it and shows its game (seed ${shown.seed}), no other game's result beside it`);
    // Another game's link after a finished run: the last result goes.
    await runCase(page, goldenCases.get(afterCancelCase), `${afterCancelCase} again`);
    await page.evaluate((code) => { location.hash = code; }, permalinkRun.code);
    await page.waitForFunction(() => document.getElementById('downloads').childElementCount === 0);
    check((await page.locator('#check-words').textContent()) === '' && (await page.locator('#result').isHidden()),
      'opening another game\'s link takes the last game\'s words, code and downloads away');
  }

  // Offline: the service worker serves everything, the server answers nothing.
  const controlled = await page.evaluate(() => navigator.serviceWorker.controller !== null);
  server.offline = true;
  await context.setOffline(true);
  await page.reload();
  await page.waitForFunction(() => ['ready', 'failed'].includes(document.getElementById('page').dataset.state));
  await runCase(page, goldenCases.get(offlineCase), `${offlineCase} offline`);
  check(controlled && server.refusedWhileOffline.length === 0,
    `offline: the page was controlled by the service worker; requests that reached the server: ${server.refusedWhileOffline.join(', ') || 'none'} ` +
    `(and ${server.updateChecksWhileOffline} failed checks for a new sw.js)`);
  await context.setOffline(false);
  server.offline = false;

  // Speed: the page's own time from Generate Seed to the files.
  if (speed) {
    for (const query of ['?workers=1', '']) {
      const timed = await openPage(query);
      const workers = await timed.evaluate(() => navigator.hardwareConcurrency);
      const times = [];
      for (let seed = 1; seed <= 40; seed += 1) {
        await setOptions(timed, '--character chris');
        const run = await generate(timed, seed);
        if (run.state === 'done') times.push(run.seconds * 1000);
      }
      await setOptions(timed, '--character chris --locks');
      const locks = await generate(timed, 36);
      const sorted = [...times].sort((a, b) => a - b);
      console.log(`     speed, ${query ? '1 worker' : `${workers} workers`}: Chris Normal seeds 1-40 median ${median(times).toFixed(0)} ms, ` +
        `p90 ${sorted[Math.ceil(sorted.length * 0.9) - 1].toFixed(0)} ms, max ${sorted.at(-1).toFixed(0)} ms; Chris Locks seed 36 ${(locks.seconds * 1000).toFixed(0)} ms`);
      await timed.close();
    }
  }
} catch (error) {
  check(false, `the test itself: ${error.stack || error}`);
}

check(pageErrors.length === 0, `no console or page errors${pageErrors.length ? `:\n       ${pageErrors.join('\n       ')}` : ''}`);
await browser.close();
httpServer.close();
fs.rmSync(scratch, { recursive: true, force: true });
console.log(`${passed} passed, ${failures.length} failed`);
process.exit(failures.length === 0 ? 0 : 1);
