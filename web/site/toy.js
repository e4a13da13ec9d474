// The page's link to the toy (the compiled C++, which decides everything): the module and its
// calls, the page's clock in whole milliseconds, and the wake-ups that give the toy its time.
// The other modules import the module and its calls from here once they are bound.
import {tellStatus, updateBar} from './bar.js';
import {requestPaint} from './drawing.js';
import {watchRecording} from './files.js';

// Declared as functions, so that a module may use them as soon as it runs, whatever the order
// in which the modules that import each other run.
export function $(id) {
  return document.getElementById(id);
}
export function now() {
  return Math.floor(performance.now());
}

export let Z = null;  // the module
export let api = null;
export let playing = false;  // "- PLAY -" was pressed and the toy took it

// Bytes handed to the toy whole (a NUL byte included) in memory the module takes for them: `fn`
// gets where they are and how many; `noMemory` is given back when the module has none to spare.
export function withBytes(bytes, fn, noMemory) {
  const at = Z._malloc(Math.max(1, bytes.length));
  if (!at) return noMemory;
  Z.HEAPU8.set(bytes, at);  // the view as it is after the memory grew
  try {
    return fn(at, bytes.length);
  } finally {
    Z._free(at);
  }
}

export function connect(M) {
  Z = M;
  api = bind(M);
}

export function startPlaying() {
  playing = true;
}

function bind(M) {
  const c = (name, ret, args) => M.cwrap(name, ret, args);
  return {
    create: c('zw_create', null, []),
    advance: c('zw_advance', 'number', ['number']),
    storedSound: c('zw_stored_sound', 'number', []),
    storedHum: c('zw_stored_hum', 'number', []),
    play: c('zw_play', 'number', ['number', 'number']),
    key: c('zw_key', 'number', ['number', 'string', 'string', 'number']),
    keyOf: c('zw_key_of', 'string', ['number']),
    assignKey: c('zw_assign_key', 'string', ['number', 'string', 'string']),
    defaultKeys: c('zw_default_keys', null, []),
    reloadKeys: c('zw_reload_keys', null, []),
    pointer: c('zw_pointer', 'number', ['number', 'number', 'number', 'number', 'number', 'number']),
    pageScale: c('zw_page_scale', null, ['number']),
    pad: c('zw_pad', null, ['number', 'number', 'number', 'number', 'number']),
    padGone: c('zw_pad_gone', null, ['number']),
    releaseAll: c('zw_release_all', null, ['number']),
    pageHidden: c('zw_page_hidden', null, ['number']),
    recordStart: c('zw_record_start', 'number', []),
    recordStop: c('zw_record_stop', 'string', []),
    recording: c('zw_recording', 'number', []),
    playbackRefusal: c('zw_playback_refusal', 'string', ['number']),
    playbackStart: c('zw_playback_start', 'string', ['number', 'number', 'number']),
    playbackStop: c('zw_playback_stop', null, []),
    playing: c('zw_playing', 'number', []),
    playbackFailure: c('zw_playback_failure', 'string', []),
    changed: c('zw_changed', 'number', []),
    dirtyTake: c('zw_dirty_take', 'number', []),
    dirty: c('zw_dirty', 'number', []),
    scene: c('zw_scene', 'number', []),
    sceneSize: c('zw_scene_size', 'number', []),
    pictureCount: c('zw_picture_count', 'number', []),
    pictureFile: c('zw_picture_file', 'string', ['number', 'number']),
    setFor: c('zw_set_for', 'number', ['number']),
    displayArea: c('zw_display_area', 'number', []),
    switchArea: c('zw_switch_area', 'number', []),
    status: c('zw_status', 'string', []),
    togglePower: c('zw_toggle_power', null, ['number']),
    lit: c('zw_lit', 'string', []),
    bestReset: c('zw_best_reset', null, []),
    bestLoad: c('zw_best_load', null, ['string', 'number', 'number']),
    bestLoadFailed: c('zw_best_load_failed', null, ['string', 'string']),
    bestList: c('zw_best_list', 'string', []),
    bestRecording: c('zw_best_recording', 'string', ['string']),
    bestLink: c('zw_best_link', 'string', ['string', 'string']),
    bestRemove: c('zw_best_remove', 'string', ['string']),
    bestClear: c('zw_best_clear', 'string', []),
    bestWatch: c('zw_best_watch', 'string', ['string', 'number']),
    linkCheck: c('zw_link_check', 'string', ['number', 'number']),
    linkPlay: c('zw_link_play', 'string', ['number']),
    close: c('zw_close', null, ['number']),
    soundSetup: c('zw_sound_setup', 'number', []),
    soundSamples: c('zw_sound_samples', 'number', ['number']),
    soundLength: c('zw_sound_length', 'number', ['number']),
  };
}

// Gives the toy the time and arms the next wake-up for its next due tick. A hidden tab is not
// woken: on its return the toy goes on as after a hold-up.
let wakeTimer = 0;
export function wake() {
  clearTimeout(wakeTimer);
  wakeTimer = 0;
  if (!api || document.hidden) return;
  const t = now();
  const next = api.advance(t);
  afterToy();
  if (next >= 0) wakeTimer = setTimeout(wake, Math.max(0, next - t));
}

export function sleep() {
  clearTimeout(wakeTimer);
}

export function afterToy() {
  if (api.changed()) {
    requestPaint();
    tellStatus();
  }
  watchRecording();
  updateBar();
}
