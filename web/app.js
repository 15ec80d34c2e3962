// The page: mirrors the form model of the module's main-thread instance, and
// coordinates the item search over one worker per core.
'use strict';

(() => {
  // Chunks of deal indices grow so that a seed whose first deals pass finishes
  // at once, and a long search does not spend its time on messages (a call
  // costs about 2 ms). They stop growing at about a fifth of a second of work:
  // Chromium lets a terminated worker finish its call (up to 2 s), so a
  // chunk's length is how long Cancel, or a search decided early, leaves a
  // core busy.
  const firstChunk = 1 << 14;
  const lastChunk = 1 << 20;

  const byId = (id) => document.getElementById(id);
  const page = byId('page');
  const form = byId('settings');
  const seedField = byId('seed');
  const codeField = byId('load-code-field');
  const loadCodeButton = byId('load-code');
  const generateButton = byId('generate');
  const cancelButton = byId('cancel');
  const resetButton = byId('reset');
  const logView = byId('log');
  const formError = byId('form-error');
  const failure = byId('failure');
  const notice = byId('notice');
  const result = byId('result');
  const checkWords = byId('check-words');
  const shareCode = byId('share-code');
  const copyButton = byId('copy-share-code');
  const downloads = byId('downloads');
  const searchProgress = byId('search-progress');
  const searchProgressText = byId('search-progress-text');
  const searchProgressBar = byId('search-progress-bar');

  // Every control of the form model, by its name.
  const controls = new Map();
  for (const input of form.querySelectorAll('[data-control]')) controls.set(input.dataset.control, input);
  // Inputs outside the model that a run freezes as well.
  const freezable = [seedField, codeField, loadCodeButton, resetButton];

  let core = null; // the main-thread instance: the form model, seeds, marks
  let wasmModule = null;
  let formReply = null; // the model's last answer
  let workers = [];
  let workerIdle = () => {}; // the search waiting for a free worker
  let run = null; // the run in progress, or null
  let runs = 0;
  let downloadUrls = [];
  let loadedGame = null; // the game of the last code loaded: settings, seed, check value

  function call(request) {
    return JSON.parse(core.ccall('tarvenna_call', 'string', ['string'], [JSON.stringify(request)]));
  }

  function workerCount() {
    const forced = Number.parseInt(new URLSearchParams(location.search).get('workers'), 10);
    if (forced >= 1) return Math.min(forced, 64);
    return Math.max(1, navigator.hardwareConcurrency || 1);
  }

  // --- What the page shows -------------------------------------------------

  function setState(state) {
    page.dataset.state = state;
  }

  function showLog(text) {
    if (logView.textContent === text) return;
    const following = logView.scrollTop + logView.clientHeight >= logView.scrollHeight - 4;
    logView.textContent = text;
    if (following) logView.scrollTop = logView.scrollHeight;
  }

  // A long search's progress beside the log, from the module's word on it.
  function showSearchProgress(progress) {
    searchProgress.hidden = !progress.show;
    if (!progress.show) return;
    searchProgressText.textContent = progress.text;
    searchProgressBar.value = progress.share;
  }

  function showMessage(element, text) {
    element.textContent = text;
    element.hidden = text === '';
  }

  // The inputs as the model has them; all frozen while a run goes on.
  function mirrorForm() {
    const frozen = run !== null || core === null;
    if (formReply !== null) {
      for (const [name, state] of Object.entries(formReply.controls)) {
        const input = controls.get(name);
        if (input === undefined) continue;
        input.checked = state.checked;
        input.disabled = frozen || !state.enabled;
      }
    } else {
      for (const input of controls.values()) input.disabled = true;
    }
    for (const input of freezable) input.disabled = frozen;
    generateButton.disabled = core === null;
    cancelButton.disabled = run === null;
  }

  function applyFormReply(reply) {
    if (reply.error !== undefined) {
      showFormError(reply.error);
      return false;
    }
    formReply = reply;
    if (!seedErrorShown) showFormError('');
    mirrorForm();
    return true;
  }

  // The address names the game on show, and only while the form still makes
  // it: a run under way, Cancel or a changed setting take the name away, so a
  // reload never brings back another game than the one the player sees.
  function forgetAddressedGame() {
    if (location.hash.length > 1) history.replaceState(null, '', `${location.pathname}${location.search}`);
  }

  // A seed's error stays until the seed is typed again; the form's own until the next click.
  let seedErrorShown = false;
  function showFormError(text, aboutSeed = false) {
    seedErrorShown = aboutSeed && text !== '';
    showMessage(formError, text);
  }

  function clearResult() {
    for (const url of downloadUrls) URL.revokeObjectURL(url);
    downloadUrls = [];
    downloads.replaceChildren();
    checkWords.textContent = '';
    shareCode.value = '';
    result.hidden = true;
    showMessage(failure, '');
    showMessage(notice, '');
  }

  function showResult(reply, files) {
    checkWords.textContent = reply.checkWords;
    shareCode.value = reply.shareCode;
    for (const file of files) {
      const url = URL.createObjectURL(new Blob([file.bytes], { type: 'application/octet-stream' }));
      downloadUrls.push(url);
      const link = document.createElement('a');
      link.href = url;
      link.download = file.name;
      link.textContent = file.name;
      const item = document.createElement('li');
      item.append(link, ` (${file.bytes.length.toLocaleString('en')} bytes)`);
      downloads.append(item);
    }
    result.hidden = false;
    // The address is the game: a bookmark or a shared link brings it back.
    history.replaceState(null, '', `${location.pathname}${location.search}#${reply.shareCode}`);
  }

  // --- Workers ---------------------------------------------------------------

  function startWorker() {
    const entry = { worker: new Worker('search_worker.js'), busy: false, pending: null, requests: 0 };
    const finish = (message) => {
      const pending = entry.pending;
      entry.busy = false;
      entry.pending = null;
      if (message.broken) replaceWorker(entry);
      if (pending !== null) pending(message);
      // After the answer itself has been taken in.
      queueMicrotask(() => workerIdle());
    };
    entry.worker.onmessage = (event) => finish(event.data);
    entry.worker.onerror = (event) => {
      event.preventDefault();
      finish({ reply: { error: `A search worker failed: ${event.message || 'it could not start'}` }, broken: true });
    };
    entry.worker.postMessage({ type: 'init', wasmModule });
    return entry;
  }

  function replaceWorker(entry) {
    const index = workers.indexOf(entry);
    entry.worker.terminate();
    if (index >= 0) workers[index] = startWorker();
  }

  // Stops every worker that is still at work; their answers would belong to
  // a run that is over. Idle ones stay: they have their code warmed up.
  function replaceBusyWorkers() {
    for (const entry of [...workers]) {
      if (!entry.busy) continue;
      entry.pending = null;
      replaceWorker(entry);
    }
  }

  function send(entry, request) {
    return new Promise((resolve) => {
      entry.busy = true;
      entry.pending = resolve;
      entry.requests += 1;
      entry.worker.postMessage({ type: 'call', id: entry.requests, request });
    });
  }

  // --- The search ------------------------------------------------------------

  // Finds the winning deal of each search round: chunks of deal indices go
  // out in increasing order to idle workers, and a round is decided once its
  // lowest accepted index is known and every chunk below it has finished.
  // Resolves to the "deals" list of the generate request.
  function searchDeals(job) {
    return new Promise((resolve, reject) => {
      const deals = [];
      let cycle = Infinity; // known from the first answer
      let round = null;
      let settled = false;

      const settle = (outcome) => {
        settled = true;
        workerIdle = () => {};
        outcome();
      };
      workerIdle = () => dispatch();
      const startRound = (number) => {
        round = { number, next: 0, chunk: firstChunk, best: null, running: new Set(), log: '', rejected: -1 };
      };
      // Deals known rejected: the finished prefix, up to the best index.
      const rejectedPrefix = () => {
        let prefix = round.next;
        for (const first of round.running) prefix = Math.min(prefix, first);
        return round.best === null ? prefix : Math.min(prefix, round.best);
      };
      const showProgress = () => {
        const rejected = rejectedPrefix();
        if (rejected === round.rejected) return;
        round.rejected = rejected;
        const marks = call({ call: 'marks', rejected }).marks;
        // A round's log holds the rounds before it, their marks included.
        showLog(round.log + ' .'.repeat(marks));
        const lockDeal = job.settings.randomizeLocks ? round.number + 1 : 0;
        showSearchProgress(call({ call: 'progress', rejected, lockDeal }));
      };

      const dispatch = () => {
        if (settled || job !== run) return;
        if (round.best !== null && rejectedPrefix() >= round.best) {
          deals.push(round.best);
          settle(() => resolve(deals));
          return;
        }
        if (round.best === null && round.next >= cycle && round.running.size === 0) {
          // No deal passes, nor their twins that make up the rest of the
          // cycle: the locks are dealt again.
          deals.push(null);
          startRound(round.number + 1);
        }
        const end = round.best === null ? cycle : round.best;
        for (const entry of workers) {
          if (round.next >= end) break;
          if (entry.busy) continue;
          const first = round.next;
          // None crosses a multiple of 2^20: whole aligned blocks of 2^20
          // deals are dealt strided, the fastest way.
          const count = Math.min(round.chunk, end - first, lastChunk - (first % lastChunk));
          round.next += count;
          round.chunk = Math.min(round.chunk * 2, lastChunk);
          round.running.add(first);
          const asked = round;
          const request = { call: 'search', settings: job.settings, seed: job.seed, round: asked.number, first, count };
          send(entry, request).then((message) => answered(asked, first, message.reply));
        }
      };

      const answered = (asked, first, reply) => {
        if (settled || job !== run) return;
        if (reply.error !== undefined) {
          settle(() => reject(new Error(reply.error)));
          return;
        }
        if (reply.search === false) {
          settle(() => resolve([]));
          return;
        }
        asked.running.delete(first);
        if (asked === round) {
          cycle = reply.cycle;
          round.log = reply.log;
          if (reply.accepted !== null && (round.best === null || reply.accepted < round.best)) {
            round.best = reply.accepted;
          }
          showProgress();
        }
        dispatch();
      };

      startRound(0);
      dispatch();
    });
  }

  // --- A run -----------------------------------------------------------------

  async function generate() {
    if (core === null) return;
    const seedReply = call({ call: 'seed', text: seedField.value });
    if (seedReply.error !== undefined) {
      // Nothing of another game stays on show beside the refusal.
      clearResult();
      forgetAddressedGame();
      showFormError(seedReply.error, true);
      seedField.focus();
      seedField.select();
      return;
    }
    stopRun();
    forgetAddressedGame();
    const job = {
      id: ++runs,
      settings: formReply.settings,
      spoiler: formReply.spoiler,
      seed: seedReply.seed,
      started: performance.now(),
    };
    run = job;
    seedField.value = String(job.seed);
    showFormError('');
    clearResult();
    showLog('');
    mirrorForm();
    setState('searching');
    try {
      const deals = await searchDeals(job);
      if (job !== run) return;
      showSearchProgress({ show: false });
      page.dataset.searchSeconds = ((performance.now() - job.started) / 1000).toFixed(3);
      setState('generating');
      // Workers still on chunks past the winner finish them unheard. The
      // one that has answered most has the generator's code warmed up.
      const idle = workers.filter((candidate) => !candidate.busy);
      if (idle.length === 0) replaceBusyWorkers();
      const entry = (idle.length > 0 ? idle : workers).reduce((a, b) => (b.requests > a.requests ? b : a));
      const request = { call: 'generate', settings: job.settings, seed: job.seed, spoiler: job.spoiler, deals };
      // A run of a loaded code's game: the module says whether this build made that game.
      if (loadedGame !== null && loadedGame.seed === job.seed &&
          JSON.stringify(loadedGame.settings) === JSON.stringify(job.settings)) {
        request.expectedCheckValue = loadedGame.checkValue;
      }
      const message = await send(entry, request);
      if (job !== run) return;
      const reply = message.reply;
      if (reply.log !== undefined) showLog(reply.log);
      if (reply.error !== undefined || !reply.ok) throw new Error(reply.error || 'The files could not be made.');
      showResult(reply, message.files);
      if (reply.notice !== undefined) showMessage(notice, `${reply.notice[0].toUpperCase()}${reply.notice.slice(1)}.`);
      const seconds = (performance.now() - job.started) / 1000;
      page.dataset.seconds = seconds.toFixed(3);
      setState('done');
    } catch (error) {
      if (job !== run) return;
      showSearchProgress({ show: false });
      showMessage(failure, error.message);
      setState('failed');
    }
    run = null;
    mirrorForm();
  }

  // Ends the run in progress, if any: its workers stop at once.
  function stopRun() {
    if (run === null) return false;
    run = null;
    showSearchProgress({ show: false });
    replaceBusyWorkers();
    return true;
  }

  function cancel() {
    if (!stopRun()) return;
    forgetAddressedGame();
    showMessage(notice, 'Cancelled.');
    setState('cancelled');
    mirrorForm();
    generateButton.focus();
  }

  // --- Share codes -----------------------------------------------------------

  // Another game's code: what the page showed of the last one goes.
  function loadCode(text) {
    if (!applyFormReply(call({ call: 'form', op: 'code', code: text }))) return false;
    clearResult();
    showLog('Choose your seed settings and then press the Generate Seed button.');
    seedField.value = String(formReply.seed);
    loadedGame = { settings: formReply.settings, seed: formReply.seed, checkValue: formReply.checkValue };
    return true;
  }

  // A link opened, or pasted into the address bar, even during a run: that
  // run stops, and the form shows the link's game.
  function loadFragment() {
    if (location.hash.length <= 1 || core === null) return;
    if (stopRun()) {
      setState('cancelled');
      mirrorForm();
    }
    const code = decodeURIComponent(location.hash.slice(1));
    codeField.value = code;
    loadCode(code);
  }

  // --- Start -----------------------------------------------------------------

  async function compileModule() {
    try {
      return await WebAssembly.compileStreaming(fetch('tarvenna_web.wasm'));
    } catch {
      // A host that sends the module under another type: compile it from its bytes.
      const response = await fetch('tarvenna_web.wasm');
      if (!response.ok) throw new Error(`tarvenna_web.wasm: ${response.status} ${response.statusText}`);
      return WebAssembly.compile(await response.arrayBuffer());
    }
  }

  async function start() {
    mirrorForm();
    try {
      wasmModule = await compileModule();
      const instance = await createTarvenna({
        instantiateWasm(imports, done) {
          WebAssembly.instantiate(wasmModule, imports).then((created) => done(created, wasmModule));
          return {};
        },
      });
      workers = Array.from({ length: workerCount() }, startWorker);
      core = instance;
    } catch (error) {
      showLog('');
      // Chromium, for one, lets a page opened from a file fetch nothing.
      const fromFile = location.protocol === 'file:'
        ? ' Opened from a file, the page may not load its generator in this browser: serve the folder ' +
          'from any web server instead (python3 -m http.server, for one).'
        : '';
      showMessage(failure, `The generator could not be loaded: ${error.message || error}.${fromFile}`);
      setState('failed');
      return;
    }
    applyFormReply(call({ call: 'form', op: 'reset' }));
    showLog('Choose your seed settings and then press the Generate Seed button.');
    setState('ready');
    loadFragment();
  }

  form.addEventListener('change', (event) => {
    const name = event.target.dataset.control;
    if (name === undefined || core === null) return;
    if (applyFormReply(call({ call: 'form', op: 'click', control: name })) && formReply.changed) forgetAddressedGame();
  });
  seedField.addEventListener('input', () => {
    if (seedErrorShown) showFormError('');
    forgetAddressedGame();
  });
  form.addEventListener('submit', (event) => {
    event.preventDefault();
    generate();
  });
  cancelButton.addEventListener('click', cancel);
  resetButton.addEventListener('click', () => {
    if (core === null || run !== null) return;
    applyFormReply(call({ call: 'form', op: 'reset' }));
    seedField.value = '';
    forgetAddressedGame();
  });
  loadCodeButton.addEventListener('click', () => loadCode(codeField.value));
  codeField.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter') return;
    event.preventDefault();
    loadCode(codeField.value);
  });
  copyButton.addEventListener('click', async () => {
    try {
      await navigator.clipboard.writeText(shareCode.value);
      copyButton.textContent = 'Copied';
      setTimeout(() => { copyButton.textContent = 'Copy'; }, 1500);
    } catch {
      // Without clipboard access the code is at least selected for copying.
      shareCode.focus();
      shareCode.select();
    }
  });
  window.addEventListener('hashchange', loadFragment);

  if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js').catch(() => {
      // Without it the page still works, only not offline.
    });
  }
  start();
})();
