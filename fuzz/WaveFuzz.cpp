// libFuzzer target: a sound file as the program loads it. Our wave check turns away what is
// cut short or not a wave; what it lets through goes to SDL's loader, which must give samples
// or an error, never a crash or a read outside the image.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "desktop/sound/WaveCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!zarq::IsCompleteWave(std::span<const std::uint8_t>(data, size))) return 0;
    SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (stream == nullptr) return 0;
    SDL_AudioSpec wave{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(stream, 1, &wave, &samples, &length) == nullptr) return 0;
    // An empty result is possible (the program then refuses the sample); a non-empty one is real.
    if ((length > 0 && samples == nullptr) || wave.channels == 0 ||
        SDL_AUDIO_BITSIZE(wave.format) == 0) {
        std::abort();
    }
    // Every byte of the samples is there to be read.
    unsigned sum = 0;
    for (Uint32 i = 0; i < length; ++i) sum += samples[i];
    SDL_FreeWAV(samples);
    return static_cast<int>(sum & 0);
}
