// The toy's three sound calls, and the sound start-up and shutdown around them.
// Samples go to the sound library; the engine hum is programmed into the interval timer's
// channel 2 and the speaker gate through port writes.
#include "core/panel/SoundLevels.h"
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
constexpr std::uint32_t kTimerClock = 1193280;  // the toy's constant, not the nominal 1193182
constexpr std::uint16_t kTimerCommandPort = 0x43;
constexpr std::uint16_t kTimerChannel2Port = 0x42;
constexpr std::uint16_t kSpeakerGatePort = 0x61;
constexpr std::uint8_t kChannel2SquareWave = 0xB6;  // channel 2, low then high byte, mode 3
constexpr std::uint8_t kGateOnSpeakerOn = 0x03;
constexpr std::uint8_t kSpeakerOff = 0x00;

constexpr int kChannels = 64;
}  // namespace

void TForm1::Suona(FSOUND_SAMPLE* sample) {
    if (!G.SoundEnabled) return;
    seams_.Sound.FSOUND_PlaySound(FSOUND_FREE, sample);
}

void TForm1::SuonaSpeaker(unsigned frequency) {
    if (!G.SoundEnabled || !G.SpeakerEnabled || frequency == 0) return;
    const auto divisor = static_cast<std::uint16_t>(kTimerClock / frequency);
    seams_.Ports.out(kTimerCommandPort, kChannel2SquareWave);
    seams_.Ports.out(kTimerChannel2Port, static_cast<std::uint8_t>(divisor & 0xFF));
    seams_.Ports.out(kTimerChannel2Port, static_cast<std::uint8_t>(divisor >> 8));
    seams_.Ports.out(kSpeakerGatePort, kGateOnSpeakerOn);
}

void TForm1::Silenzio() {
    if (!G.SoundEnabled) return;
    seams_.Sound.FSOUND_StopSound(FSOUND_ALL);
    if (G.SpeakerEnabled) seams_.Ports.out(kSpeakerGatePort, kSpeakerOff);
}

bool TForm1::AvviaSuono(const std::string& soundMode, const std::string& windowsVersion) {
    int output = 0;
    if (soundMode == "Windows MM") {
        output = 1;
    } else if (soundMode == "DirectSound") {
        output = 2;
    }
    G.SoundEnabled = output != 0;
    G.SpeakerEnabled = windowsVersion == "95, 98, ME, NT";
    if (!G.SoundEnabled) return true;

    SoundLibrary& lib = seams_.Sound;
    lib.FSOUND_Init(kMixRate, kChannels, 0);
    lib.FSOUND_SetOutput(output);
    auto load = [&lib](const char* file) {
        return lib.FSOUND_Sample_Load(FSOUND_FREE, file, FSOUND_2D, 0);
    };
    G.SndBeep = load("SOUND/Beep.wav");
    G.SndStart = load("SOUND/Start.wav");
    G.SndTurn = load("SOUND/Turn.wav");
    G.SndDisc = load("SOUND/Disc.wav");
    G.SndWin = load("SOUND/Win.wav");
    G.SndMiss1 = load("SOUND/Miss1.wav");
    G.SndMiss2 = load("SOUND/Miss2.wav");
    G.SndEnd = load("SOUND/End.wav");
    G.SndOver = load("SOUND/Over.wav");
    // Only the first sample is checked: without it the sound folder is taken to be missing.
    return G.SndBeep != nullptr;
}

void TForm1::ChiudiSuono() {
    Silenzio();
    SoundLibrary& lib = seams_.Sound;
    for (FSOUND_SAMPLE** sample : {&G.SndBeep, &G.SndStart, &G.SndTurn, &G.SndDisc, &G.SndWin,
                                   &G.SndMiss1, &G.SndMiss2, &G.SndOver, &G.SndEnd}) {
        lib.FSOUND_Sample_Free(*sample);
        *sample = nullptr;
    }
    lib.FSOUND_Close();
}

}  // namespace zarq
