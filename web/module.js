// A fresh instance of the program's module, as a new process would be: the WebAssembly is fetched
// and compiled once (from bytes, so any static server will do), and every game and every script
// run gets an instance of its own. A page with a progress bar (#loading, its maximum the program's
// size) shows the download on it.
'use strict';

let compiledProgram = null;

// The program's bytes, read as they come.
async function programBytes(response, progress) {
  if (!progress || !response.body) return new Uint8Array(await response.arrayBuffer());
  const parts = [];
  let size = 0;
  for (const reader = response.body.getReader(); ;) {
    const {done, value} = await reader.read();
    if (done) break;
    parts.push(value);
    size += value.length;
    progress.value = Math.min(size, progress.max);
  }
  const bytes = new Uint8Array(size);
  parts.reduce((at, part) => (bytes.set(part, at), at + part.length), 0);
  return bytes;
}

async function newProgram(options) {
  if (!compiledProgram) {
    const progress = document.getElementById('loading');
    compiledProgram = fetch('dorurura.wasm')
      .then((response) => {
        if (!response.ok) throw new Error(`dorurura.wasm: ${response.status} ${response.statusText}`);
        return programBytes(response, progress);
      })
      .then((bytes) => WebAssembly.compile(bytes));
    compiledProgram.catch(() => { compiledProgram = null; });  // the next try fetches it again
  }
  const compiled = await compiledProgram;
  return Dorurura(Object.assign({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(compiled, imports).then(receive);
      return {};
    },
  }, options));
}
