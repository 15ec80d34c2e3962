// One module instance off the page's thread: it answers the coordinator's
// search and generate requests one at a time, in the order they come.
'use strict';

importScripts('tarvenna_web.js');

let instance = null; // the module's promise, made by the first message

// The page compiles the module once and hands it over; instantiating a
// compiled module is cheap, fetching and compiling it per worker is not.
function createInstance(wasmModule) {
  const options = {};
  if (wasmModule instanceof WebAssembly.Module) {
    options.instantiateWasm = (imports, done) => {
      WebAssembly.instantiate(wasmModule, imports).then((created) => done(created, wasmModule));
      return {};
    };
  }
  return createTarvenna(options);
}

function call(module, request) {
  return JSON.parse(module.ccall('tarvenna_call', 'string', ['string'], [JSON.stringify(request)]));
}

self.onmessage = async (event) => {
  const message = event.data;
  if (message.type === 'init') {
    instance = createInstance(message.wasmModule);
    return;
  }
  if (instance === null) instance = createInstance(null);
  let reply;
  const files = [];
  try {
    const module = await instance;
    reply = call(module, message.request);
    // The next generate call replaces the files: read them now.
    if (message.request.call === 'generate' && reply.ok) {
      for (const file of reply.files) files.push({ name: file.name, bytes: module.FS.readFile(file.path) });
    }
  } catch (error) {
    // An aborted instance stays broken; the page starts a fresh worker.
    reply = { error: `The generator failed: ${error && error.message ? error.message : error}` };
    self.postMessage({ request: message.id, reply, files, broken: true });
    return;
  }
  self.postMessage({ request: message.id, reply, files });
};
