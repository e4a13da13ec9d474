// Recording files: a play recorded is saved as a download when it ends, and a file opened or
// dropped on the page is handed to the toy, which checks and plays it.
import {showMessage} from './bar.js';
import {$, afterToy, api, now, playing, wake, withBytes} from './toy.js';

let wasRecording = false;

// Named by when the play began (by default now, as a recording that just ended).
export function save(text, date = new Date()) {
  const stamp = date.toISOString().replace(/[:T]/g, '-').slice(0, 19).replace(/-(\d\d)-(\d\d)$/, '$1$2');
  const blob = new Blob([text], {type: 'text/plain'});
  const a = document.createElement('a');
  a.href = URL.createObjectURL(blob);
  a.download = 'zarq-' + stamp + '.zrec';
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

function finishRecording() {
  const text = api.recordStop();
  window.zarq.lastRecording = text;
  if (text) save(text);
}

// After each call into the toy: a recording the play ended is saved.
export function watchRecording() {
  const recording = api.recording() === 1;
  if (wasRecording && !recording) finishRecording();
  wasRecording = recording;
}

// The file's bytes reach the toy whole; a file too large is refused before it is read.
async function playFile(file) {
  let error = api.playbackRefusal(file.size);
  if (!error) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    error = withBytes(bytes, (at, n) => api.playbackStart(at, n, now()),
                      'there is not enough memory for it here.');
  }
  if (error) showMessage(file.name + ' cannot be played:\n' + error, 'Play recording');
  afterToy();
  wake();
}

export function setupFiles() {
  $('record').addEventListener('click', () => {
    if (api.recording()) {
      wasRecording = false;
      finishRecording();
    } else if (!api.recordStart()) {
      showMessage('The recording could not be started.', 'Record');
    }
    afterToy();
    wake();
  });
  $('open').addEventListener('click', () => {
    if (api.playing()) {
      api.playbackStop();
      afterToy();
      wake();
    } else {
      $('file').click();
    }
  });
  $('file').addEventListener('change', () => {
    const f = $('file').files[0];
    $('file').value = '';
    if (f) playFile(f);
  });
  document.addEventListener('dragover', (e) => e.preventDefault());
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    const f = e.dataTransfer && e.dataTransfer.files[0];
    if (f && playing) playFile(f);
  });
}
