// The toy's sound on Web Audio: the nine samples the program synthesises, the speaker's tone
// on an oscillator, and the desktop's mix limit, with the numbers the C++ hands over (so the
// mix rate, the speaker's level, the knee and the context's buffer are written once, there).
// The toy decides when each sound starts; the page only plays it then.
import {Z, api} from './toy.js';

const HEADROOM = 4;  // sums up to four times full scale reach the soft clipper
const audio = {ctx: null, input: null, buffers: [], sources: new Set(), osc: null, hum: null};
let setup = null;

// Read before the toy is made, which asks for the samples it loads.
export function prepareSound() {
  const s = new Float64Array(Z.HEAPU8.buffer, api.soundSetup(), 6);
  setup = {
    mixRate: s[0],
    sampleRate: s[1],
    sampleCount: s[2],
    speakerLevel: s[3] / 32768,  // against full scale
    knee: s[4] / 32767,
    contextStep: s[5],
  };
}

// The desktop's mix limit: unchanged below the knee, bent smoothly towards full scale above.
function softClipCurve() {
  const n = 4096;
  const curve = new Float32Array(n);
  const knee = setup.knee;
  for (let i = 0; i < n; i++) {
    const x = (i / (n - 1) * 2 - 1) * HEADROOM;
    const m = Math.abs(x);
    const y = m <= knee ? m : knee + (1 - knee) * Math.tanh((m - knee) / (1 - knee));
    curve[i] = Math.sign(x) * Math.min(y, 1);
  }
  return curve;
}

export async function startAudio() {
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context) return;
  // The toy's own mix rate, as on the desktop: half the work of the usual 44.1 or 48 kHz. The
  // device is fed one context step (40 ms) at a time rather than the browser's shortest buffer:
  // a quarter of the browser's work for sound at the price of some 30 ms more delay; the
  // sounds' lead over the context covers one such step (see AudioSchedule).
  const latencyHint = setup.contextStep;
  let ctx;
  try {
    ctx = new Context({latencyHint, sampleRate: setup.mixRate});
  } catch (e) {
    ctx = new Context({latencyHint});
  }
  audio.ctx = ctx;
  const pre = ctx.createGain();
  pre.gain.value = 1 / HEADROOM;
  const clip = ctx.createWaveShaper();
  clip.curve = softClipCurve();
  pre.connect(clip).connect(ctx.destination);
  audio.input = pre;
  audio.osc = ctx.createOscillator();
  audio.osc.type = 'square';  // band-limited by Web Audio itself
  audio.hum = ctx.createGain();
  audio.hum.gain.value = 0;
  audio.osc.connect(audio.hum).connect(pre);
  audio.osc.start();
  ctx.resume();
  audio.buffers = [];
  for (let i = 0; i < setup.sampleCount; i++) audio.buffers.push(sampleBuffer(ctx, i));
}

// The toy's sample `index` made by the program itself (16-bit PCM), as an AudioBuffer.
function sampleBuffer(ctx, index) {
  const length = api.soundLength(index);
  if (length <= 0) return null;
  const pcm = new Int16Array(Z.HEAP32.buffer, api.soundSamples(index), length);
  const data = new Float32Array(length);
  for (let i = 0; i < length; i++) data[i] = pcm[i] / 32768;
  const buffer = ctx.createBuffer(1, length, setup.sampleRate);
  buffer.copyToChannel(data, 0);
  return buffer;
}

// The page's side of the toy's PageAudio.
export const pageAudio = {
  audioNow: () => audio.ctx ? audio.ctx.currentTime : -1,
  audioHas: (i) => i >= 0 && i < setup.sampleCount,
  audioDuration: (i) => audio.buffers[i] ? audio.buffers[i].duration : 0,
  audioPlay: (i, when) => {
    const buffer = audio.buffers[i];
    if (!audio.ctx || !buffer) return;
    const source = audio.ctx.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.input);
    source.onended = () => audio.sources.delete(source);
    audio.sources.add(source);
    source.start(when);
  },
  audioStopAll: (when) => {
    for (const s of audio.sources) s.stop(when);
    audio.sources.clear();
  },
  audioSpeaker: (hertz, when) => {
    if (!audio.ctx) return;
    const g = audio.hum.gain;
    g.cancelScheduledValues(when);
    if (hertz > 0) {
      audio.osc.frequency.setValueAtTime(hertz, when);
      g.setTargetAtTime(setup.speakerLevel, when, 0.0005);
    } else {
      g.setTargetAtTime(0, when, 0.0005);
    }
  },
  audioResume: () => { if (audio.ctx) audio.ctx.resume(); },
  audioSuspend: () => { if (audio.ctx) audio.ctx.suspend(); },
};
