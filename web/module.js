// A fresh instance of the program's module, as a new process would be: the WebAssembly is fetched
// and compiled once (from bytes, so any static server will do), and every game and every script
// run gets an instance of its own.
'use strict';

let compiledProgram = null;

async function newProgram(options) {
  if (!compiledProgram) {
    compiledProgram = fetch('dorurura.wasm')
      .then((response) => {
        if (!response.ok) throw new Error(`dorurura.wasm: ${response.status} ${response.statusText}`);
        return response.arrayBuffer();
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
