// The script runner in the page: window.runScript(text, startTick, msPerPass) runs a script as
// `dorurura --headless --script FILE --start-tick T --ms-per-pass N` does, in a fresh module, and
// gives {exitCode, stdout, stderr, shots}; shots maps each `shot` file name to a PNG data URL.
// Without a start tick (undefined) the script's own holds, as without --start-tick.
'use strict';

// A whole number from min to max, or a RangeError naming it.
function wholeNumber(name, value, min, max) {
  if (!Number.isInteger(value) || value < min || value > max) {
    throw new RangeError(`${name} must be a whole number from ${min} to ${max}, not ${value}`);
  }
  return value;
}

window.runScript = async function runScript(text, startTick = undefined, msPerPass = 16) {
  if (typeof text !== 'string' && !(text instanceof Uint8Array)) {
    throw new TypeError('the script must be a string or a Uint8Array of its bytes');
  }
  if (startTick !== undefined) wholeNumber('startTick', startTick, 0, 0xFFFFFFFF);
  wholeNumber('msPerPass', msPerPass, 1, 60000);
  const program = await newProgram({});
  const bytes = typeof text === 'string' ? new TextEncoder().encode(text) : text;
  const at = program._malloc(bytes.length + 1);
  program.HEAPU8.set(bytes, at);
  const exitCode = program._webRunScript(at, bytes.length, startTick === undefined ? -1 : startTick, msPerPass);
  program._free(at);
  const output = (stream) => {
    const from = program._webRunOutput(stream);
    return new TextDecoder().decode(program.HEAPU8.subarray(from, from + program._webRunOutputSize(stream)));
  };
  return {exitCode, stdout: output(0), stderr: output(1), shots: program.shots || {}};
};

document.getElementById('form').addEventListener('submit', async (event) => {
  event.preventDefault();
  const show = (id, text) => { document.getElementById(id).textContent = text; };
  const shots = document.getElementById('shots');
  shots.replaceChildren();
  try {
    const startTick = document.getElementById('start-tick').value;
    const result = await window.runScript(document.getElementById('script').value,
                                          startTick === '' ? undefined : Number(startTick),
                                          Number(document.getElementById('ms-per-pass').value));
    show('exit-code', `exit code ${result.exitCode}`);
    show('stdout', result.stdout);
    show('stderr', result.stderr);
    for (const [name, url] of Object.entries(result.shots)) {
      const image = new Image();
      image.src = url;
      image.title = image.alt = name;
      shots.append(image);
    }
  } catch (error) {
    show('exit-code', String(error));
  }
});
