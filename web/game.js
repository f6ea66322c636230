// The game page: a game in a fresh module on the screen the page has sized (index.html), the
// picture under the canvas until the program draws, a page to start another game when one ends, and
// the service worker that keeps the site for playing offline.
'use strict';

const stage = document.getElementById('stage');
const canvas = document.getElementById('screen');
const loading = document.getElementById('loading');
const ended = document.getElementById('ended');
const message = document.getElementById('message');

async function play() {
  ended.hidden = true;
  stage.hidden = false;
  canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);  // the picture shows through
  try {
    const game = await newProgram({canvas});
    loading.hidden = true;
    window.dorurura = game;  // for tests: game.web counts passes and keeps the sound calls
    await game.ccall('webPlay', 'number', [], [], {async: true});
    message.textContent = 'The game has ended.';
  } catch (error) {
    message.textContent = `The game stopped: ${error.message || error}`;
  }
  stage.hidden = true;
  ended.hidden = false;
  document.getElementById('again').focus();
}

document.getElementById('again').addEventListener('click', play);
play();
if ('serviceWorker' in navigator) {
  window.addEventListener('load', () => navigator.serviceWorker.register('sw.js').catch(() => {}));
}
