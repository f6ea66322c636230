// The game page: the screen scaled to the viewport with sharp pixels, a game in a fresh module,
// and a page to start another when it ends.
'use strict';

const screenWidth = 240;
const screenHeight = 320;
const canvas = document.getElementById('screen');
const ended = document.getElementById('ended');
const message = document.getElementById('message');

// The largest whole-number scale that fits, or when none does the largest scale that fits. A page
// held upright and narrower than two screens, a phone's, is filled across.
function fitScreen() {
  const width = document.documentElement.clientWidth;
  const height = document.documentElement.clientHeight;
  const fits = Math.min(width / screenWidth, height / screenHeight);
  const phone = height > width && width < 2 * screenWidth;
  const scale = fits < 1 || phone ? fits : Math.floor(fits);
  canvas.style.width = `${Math.floor(screenWidth * scale)}px`;
  canvas.style.height = `${Math.floor(screenHeight * scale)}px`;
}

async function play() {
  ended.hidden = true;
  canvas.hidden = false;
  try {
    const game = await newProgram({canvas});
    window.dorurura = game;  // for tests: game.web counts passes and keeps the sound calls
    await game.ccall('webPlay', 'number', [], [], {async: true});
    message.textContent = 'The game has ended.';
  } catch (error) {
    message.textContent = `The game stopped: ${error.message || error}`;
  }
  canvas.hidden = true;
  ended.hidden = false;
  document.getElementById('again').focus();
}

window.addEventListener('resize', fitScreen);
document.getElementById('again').addEventListener('click', play);
fitScreen();
play();
