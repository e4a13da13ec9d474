// Each effect is a short score of notes; a note is a square wave whose pitch may glide or
// step from one frequency to another, shaped by a quick attack and a gentle release so no
// note starts or stops with a click. Two soft low-pass stages round the edges a little,
// as the buzzer's own membrane would.
#include "Synth.h"

#include <algorithm>

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

constexpr int kLoud = 12000;
constexpr int kSoft = 9000;

struct Note {
    std::int64_t From;  // pitch at the start
    std::int64_t To;    // pitch at the end (the same for a plain note)
    int Ms;             // length of the sounding part
    int GapMs = 0;      // silence after it
    int Steps = 0;      // 0: a smooth glide; n: the glide in n equal steps
    int AttackMs = 2;
    int ReleaseMs = 12;
    int Level = kLoud;
};

Note Plain(std::int64_t pitch, int ms, int gapMs = 0) {
    return {pitch, pitch, ms, gapMs};
}

int Frames(int ms) {
    return ms * kWaveRate / 1000;
}

void Render(const Note& note, std::vector<std::int32_t>& out) {
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
        const std::int64_t envelope = std::min<std::int64_t>(
            {32768, std::int64_t{i} * 32768 / attack, std::int64_t{frames - i} * 32768 / release});
        const int sign = phase < 0x80000000u ? 1 : -1;
        out.push_back(static_cast<std::int32_t>(sign * note.Level * envelope / 32768));
        phase += static_cast<std::uint32_t>((pitch << 32) / (100 * kWaveRate));
    }
    out.insert(out.end(), static_cast<std::size_t>(Frames(note.GapMs)), 0);
}

std::vector<std::int16_t> Perform(const std::vector<Note>& score) {
    std::vector<std::int32_t> raw;
    for (const Note& note : score) Render(note, raw);
    raw.insert(raw.end(), static_cast<std::size_t>(Frames(2)), 0);  // lets the filter settle
    std::vector<std::int16_t> samples;
    samples.reserve(raw.size());
    std::int32_t first = 0;
    std::int32_t second = 0;
    for (std::int32_t x : raw) {
        first += (x - first) / 2;
        second += (first - second) / 2;
        samples.push_back(static_cast<std::int16_t>(std::clamp(second, -32767, 32767)));
    }
    // The integer filter can leave a unit or two behind; the last frames end on exact zero.
    const int tail = std::min(Frames(2), static_cast<int>(samples.size()));
    for (int k = 0; k < tail; ++k) {
        std::int16_t& s = samples[samples.size() - 1 - static_cast<std::size_t>(k)];
        s = static_cast<std::int16_t>(s * k / tail);
    }
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
