// Each effect is a short score of notes; a note is a square wave whose pitch may glide or
// step from one frequency to another. The square is built from its odd harmonics, only
// those the 22050 Hz output can carry, so nothing folds back into the audible band; they are
// tilted as the buzzer's membrane would soften them and fade out smoothly just below the
// Nyquist frequency, so a harmonic never pops in or out during a sweep. Every note starts
// and stops with a raised-cosine edge and is set to the same loudness whatever its pitch.
// All of it is integer arithmetic, so every machine writes the same bytes.
#include "tools/assetgen/sound/Synth.h"

#include <algorithm>
#include <array>

namespace zarq::assetgen {

namespace {

// Pitches in hundredths of a hertz.
// clang-format off
enum Pitch : std::int64_t {
    G4 = 39200, C5 = 52325, E5 = 65926, G5 = 78399, B5 = 98777,
    C6 = 104651, D6 = 117466, E6 = 131851, F6 = 139691, G6 = 156798, A6 = 176000, B6 = 197553,
    C7 = 209300, E7 = 263702,
};
// clang-format on

// The amplitude of a sine as loud (same RMS) as the note: every note of an effect, high or
// low, sits at this loudness, and the tick of a turn a little under the rest.
constexpr std::int64_t kLoud = 11000;
constexpr std::int64_t kSoft = 8800;

// Harmonics fade out between these two frequencies (hertz), below the Nyquist frequency.
constexpr std::int64_t kFadeFromHz = 8000;
constexpr std::int64_t kFadeToHz = 10500;

struct Note {
    std::int64_t From;  // pitch at the start
    std::int64_t To;    // pitch at the end (the same for a plain note)
    int Ms;             // length of the sounding part
    int GapMs = 0;      // silence after it
    int Steps = 0;      // 0: a smooth glide; n: the glide in n equal steps
    int AttackMs = 2;
    int ReleaseMs = 12;
    std::int64_t Level = kLoud;
};

Note Plain(std::int64_t pitch, int ms, int gapMs = 0) {
    return {pitch, pitch, ms, gapMs};
}

int Frames(int ms) {
    return ms * kWaveRate / 1000;
}

// Fixed point: 1.0 is 2^30.
constexpr int kFraction = 30;
constexpr std::int64_t kOne = std::int64_t{1} << kFraction;
constexpr std::int64_t kPi = 3373259426;  // pi x 2^30, rounded
constexpr int kTableBits = 12;
constexpr int kTableSize = 1 << kTableBits;
constexpr std::uint32_t kQuarterTurn = 0x40000000u;
constexpr std::uint32_t kHalfTurn = 0x80000000u;

// One period of the sine, from its power series, with a closing entry for interpolation.
std::array<std::int64_t, kTableSize + 1> MakeSineTable() {
    std::array<std::int64_t, kTableSize + 1> table{};
    constexpr int quarter = kTableSize / 4;
    for (int i = 0; i <= quarter; ++i) {
        const std::int64_t x = kPi / 2 * i / quarter;
        const std::int64_t x2 = (x * x) >> kFraction;
        std::int64_t term = x;
        std::int64_t sum = x;
        for (int n = 1; n < 12; ++n) {
            term = -((term * x2) >> kFraction) / ((2 * n) * (2 * n + 1));
            sum += term;
        }
        sum = std::clamp<std::int64_t>(sum, 0, kOne);
        table[static_cast<std::size_t>(i)] = sum;
        table[static_cast<std::size_t>(2 * quarter - i)] = sum;
        table[static_cast<std::size_t>(2 * quarter + i)] = -sum;
        table[static_cast<std::size_t>((4 * quarter - i) % kTableSize)] = -sum;
    }
    table[0] = 0;
    table[kTableSize] = 0;
    return table;
}

const std::array<std::int64_t, kTableSize + 1>& SineTable() {
    static const auto table = MakeSineTable();
    return table;
}

// sin(2 pi phase / 2^32), 1.0 = 2^30, interpolated between table entries.
std::int64_t Sine(std::uint32_t phase) {
    const auto& table = SineTable();
    const std::size_t at = phase >> (32 - kTableBits);
    const std::int64_t fraction = (phase >> (16 - kTableBits)) & 0xFFFF;
    const std::int64_t a = table[at];
    return a + (((table[at + 1] - a) * fraction) >> 16);
}

std::int64_t Cosine(std::uint32_t phase) {
    return Sine(phase + kQuarterTurn);
}

// The phase advance per frame of a pitch in hundredths of a hertz, in 2^32 per turn.
std::uint32_t PhaseStep(std::int64_t pitch) {
    return static_cast<std::uint32_t>((pitch << 32) / (100 * kWaveRate));
}

std::uint64_t SquareRoot(std::uint64_t n) {
    std::uint64_t root = 0;
    for (std::uint64_t bit = std::uint64_t{1} << 62; bit != 0; bit >>= 2) {
        if (n >= root + bit) {
            n -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
    }
    return root;
}

// The weight (1.0 = 2^15) of a harmonic at `pitch`: the membrane's gentle tilt, that of two
// one-pole stages halving their distance to the input each frame (|H| = 0.25 / (1.25 - cos w)),
// times a raised-cosine fade to nothing between kFadeFromHz and kFadeToHz.
std::int64_t HarmonicWeight(std::int64_t pitch) {
    if (pitch >= kFadeToHz * 100) return 0;
    const std::int64_t tilt = (kOne / 4 << 15) / (kOne + kOne / 4 - Cosine(PhaseStep(pitch)));
    if (pitch <= kFadeFromHz * 100) return tilt;
    const auto across = static_cast<std::uint32_t>((pitch - kFadeFromHz * 100) * kHalfTurn /
                                                   ((kFadeToHz - kFadeFromHz) * 100));
    const std::int64_t fade = (kOne + Cosine(across)) >> 16;  // 1.0 = 2^15
    return (tilt * fade) >> 15;
}

// The raised-cosine edge (1.0 = 2^15) `frame` frames into an edge of `length` frames.
std::int64_t Edge(int frame, int length) {
    if (frame >= length) return 1 << 15;
    const auto across = static_cast<std::uint32_t>(std::int64_t{frame} * kHalfTurn / length);
    return (kOne - Cosine(across)) >> 16;
}

void Render(const Note& note, std::vector<std::int16_t>& out) {
    const int frames = Frames(note.Ms);
    const int attack = std::max(1, Frames(note.AttackMs));
    const int release = std::max(1, std::min(Frames(note.ReleaseMs), frames / 2));
    std::uint32_t phase = 0;
    for (int i = 0; i < frames; ++i) {
        std::int64_t pitch = note.From;
        if (note.Steps > 1) {
            const std::int64_t step = static_cast<std::int64_t>(i) * note.Steps / frames;
            pitch += (note.To - note.From) * step / (note.Steps - 1);
        } else {
            pitch += (note.To - note.From) * i / frames;
        }
        // The odd harmonics at 1/k, weighted; `power` is the sum of their squared amplitudes,
        // by which the sum is set to the note's loudness.
        std::int64_t sum = 0;
        std::uint64_t power = 0;
        for (std::int64_t k = 1; k * pitch < kFadeToHz * 100; k += 2) {
            const std::int64_t amplitude = HarmonicWeight(k * pitch) / k;  // 1.0 = 2^15
            sum += amplitude * Sine(static_cast<std::uint32_t>(k) * phase);
            power += static_cast<std::uint64_t>(amplitude * amplitude);
        }
        const auto norm = static_cast<std::int64_t>(SquareRoot(power));  // 1.0 = 2^15
        const std::int64_t wave = norm == 0 ? 0 : sum / norm;            // RMS 2^30 / sqrt 2
        const std::int64_t envelope = std::min(Edge(i, attack), Edge(frames - 1 - i, release));
        const std::int64_t value = (wave * note.Level * envelope + (std::int64_t{1} << 44)) >> 45;
        out.push_back(static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32767, 32767)));
        phase += PhaseStep(pitch);
    }
    out.insert(out.end(), static_cast<std::size_t>(Frames(note.GapMs)), 0);
}

std::vector<std::int16_t> Perform(const std::vector<Note>& score) {
    std::vector<std::int16_t> samples;
    for (const Note& note : score) Render(note, samples);
    return samples;
}

// Beep: the blip of every start-up step.
std::vector<Note> BeepScore() {
    return {Plain(G6, 90)};
}

// Start: the start-up tune, a short call and answer ending on a held high C.
std::vector<Note> StartScore() {
    return {Plain(C6, 140, 20), Plain(E6, 140, 20), Plain(G6, 140, 20),
            Plain(C7, 300, 60), Plain(G6, 140, 20), Plain(C7, 460, 100),
            Plain(A6, 140, 20), Plain(B6, 140, 20), Plain(C7, 600)};
}

// Turn: a tick, short enough to sound at every turn of the cycle.
std::vector<Note> TurnScore() {
    return {
        {.From = 240000, .To = 160000, .Ms = 28, .AttackMs = 1, .ReleaseMs = 8, .Level = kSoft}};
}

// Disc: a falling zap.
std::vector<Note> DiscScore() {
    return {{.From = 320000, .To = 60000, .Ms = 170, .AttackMs = 1, .ReleaseMs = 30}};
}

// Win: a rising fanfare.
std::vector<Note> WinScore() {
    return {Plain(C6, 110, 20),
            Plain(E6, 110, 20),
            Plain(G6, 110, 20),
            Plain(C7, 110, 20),
            Plain(E6, 110, 20),
            Plain(G6, 110, 20),
            {.From = C7, .To = E7, .Ms = 420, .ReleaseMs = 60}};
}

// Miss1: a tone falling in steps.
std::vector<Note> Miss1Score() {
    return {{.From = 88000, .To = 22000, .Ms = 1180, .Steps = 16, .ReleaseMs = 60}};
}

// Miss2: a blip that repeats every 70 ms, so it must be over well before then.
std::vector<Note> Miss2Score() {
    return {{.From = B5, .To = B5, .Ms = 26, .AttackMs = 1, .ReleaseMs = 6}};
}

// End: the tune of a stage won.
std::vector<Note> EndScore() {
    return {Plain(G5, 120, 15),
            Plain(C6, 120, 15),
            Plain(E6, 120, 15),
            Plain(G6, 240, 30),
            Plain(E6, 120, 15),
            Plain(G6, 480, 120),
            Plain(A6, 120, 15),
            Plain(G6, 120, 15),
            Plain(F6, 120, 15),
            Plain(E6, 120, 15),
            Plain(D6, 120, 15),
            Plain(E6, 120, 15),
            {.From = C6, .To = C6, .Ms = 720, .ReleaseMs = 80}};
}

// Over: a slow descent that sinks away at the end.
std::vector<Note> OverScore() {
    return {Plain(G6, 260, 40),  Plain(F6, 260, 40),
            Plain(E6, 260, 40),  Plain(D6, 260, 40),
            Plain(C6, 520, 200), Plain(G5, 260, 40),
            Plain(E5, 260, 40),  {.From = C5, .To = G4, .Ms = 900, .ReleaseMs = 150}};
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

}  // namespace

std::vector<SoundEffect> SynthesiseEffects() {
    return {{"Beep", Perform(BeepScore())},   {"Start", Perform(StartScore())},
            {"Turn", Perform(TurnScore())},   {"Disc", Perform(DiscScore())},
            {"Win", Perform(WinScore())},     {"Miss1", Perform(Miss1Score())},
            {"Miss2", Perform(Miss2Score())}, {"End", Perform(EndScore())},
            {"Over", Perform(OverScore())}};
}

std::vector<std::uint8_t> EncodeWave(const std::vector<std::int16_t>& samples, int rate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    PutLe(out, 36 + dataBytes, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);  // PCM
    PutLe(out, 1, 2);  // mono
    PutLe(out, static_cast<std::uint32_t>(rate), 4);
    PutLe(out, static_cast<std::uint32_t>(rate) * 2, 4);  // bytes per second
    PutLe(out, 2, 2);                                     // bytes per frame
    PutLe(out, 16, 2);                                    // bits per sample
    PutTag(out, "data");
    PutLe(out, dataBytes, 4);
    for (std::int16_t s : samples) PutLe(out, static_cast<std::uint16_t>(s), 2);
    return out;
}

}  // namespace zarq::assetgen
