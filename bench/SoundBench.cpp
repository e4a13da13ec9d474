// Suona on a loaded sample through the sound library: the time per call (target under
// 20 us) and the allocations per call (target none), counted by replacing the global
// operator new and SDL's memory functions; and the audio callback's mix of the hum and eight
// samples per 512-frame buffer (target under 50 us). Counting every allocation of the process needs
// process-wide counters; they are the only globals, and they live in this program alone.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

#include "desktop/sound/SdlSound.h"
#include "desktop/sound/VoiceMixer.h"
#include "tests/harness/Harness.h"

namespace {

std::atomic<std::uint64_t> allocations{0};

void* CountedMalloc(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size);
}
void* CountedCalloc(std::size_t count, std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::calloc(count, size);
}
void* CountedRealloc(void* memory, std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::realloc(memory, size);
}
void Free(void* memory) {
    std::free(memory);
}

}  // namespace

// These replace the global pair, so malloc and free do belong together here; GCC cannot see
// that once it inlines a delete next to a new.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace zarq {
namespace {

// A panel bound to the real sound output, started as after "- PLAY -" with sound on.
struct SoundPanel {
    std::unique_ptr<SdlSound> sound;
    VirtualClock clock;
    test::RecordingWindow window;
    std::unique_ptr<TForm1> form;
    bool ready = false;

    SoundPanel() {
        SDL_SetMemoryFunctions(CountedMalloc, CountedCalloc, CountedRealloc, Free);
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        std::filesystem::current_path(ZARQ_BUILD_DIR);
        sound = OpenSdlSound();
        form = std::make_unique<TForm1>(
            PanelSeams{clock.Scheduler(), sound->Library(), sound->Ports(), window, nullptr});
        ready = form->AvviaSuono("Windows MM", "95, 98, ME, NT") && sound->DeviceOpen();
    }
    ~SoundPanel() { form->FormClose(); }
};

void BM_Suona(benchmark::State& state) {
    SoundPanel panel;
    if (!panel.ready) {
        state.SkipWithError("no audio device or no SOUND folder");
        return;
    }
    TForm1& form = *panel.form;
    std::uint64_t counted = 0;
    int sounding = 0;
    for (auto _ : state) {
        const std::uint64_t before = allocations.load(std::memory_order_relaxed);
        form.Suona(form.G.SndBeep);
        counted += allocations.load(std::memory_order_relaxed) - before;
        // Keep free channels, as in play, where a Beep is over long before the next.
        if (++sounding == 32) {
            state.PauseTiming();
            panel.sound->Library().FSOUND_StopSound(FSOUND_ALL);
            sounding = 0;
            state.ResumeTiming();
        }
    }
    state.counters["allocs_per_call"] =
        benchmark::Counter(static_cast<double>(counted), benchmark::Counter::kAvgIterations);
    if (counted != 0) state.SkipWithError("Suona allocated");
}
BENCHMARK(BM_Suona);

// The worst case: all 64 channels busy, so the call looks at every one and cuts none.
void BM_Suona_AllChannelsBusy(benchmark::State& state) {
    SoundPanel panel;
    if (!panel.ready) {
        state.SkipWithError("no audio device or no SOUND folder");
        return;
    }
    TForm1& form = *panel.form;
    for (int i = 0; i < 64; ++i) form.Suona(form.G.SndOver);  // 3.4 s each
    std::uint64_t counted = 0;
    for (auto _ : state) {
        const std::uint64_t before = allocations.load(std::memory_order_relaxed);
        form.Suona(form.G.SndBeep);
        counted += allocations.load(std::memory_order_relaxed) - before;
    }
    state.counters["allocs_per_call"] =
        benchmark::Counter(static_cast<double>(counted), benchmark::Counter::kAvgIterations);
    if (counted != 0) state.SkipWithError("Suona allocated");
}
BENCHMARK(BM_Suona_AllChannelsBusy)->Iterations(100000);

// The speaker tone's work in one device buffer of 512 frames, on the audio thread.
void BM_SpeakerToneBuffer(benchmark::State& state) {
    SpeakerTone tone;
    tone.out(0x43, 0xB6);
    tone.out(0x42, 0x10);
    tone.out(0x42, 0xE9);
    tone.out(0x61, 0x03);
    std::vector<std::int16_t> buffer(512);
    for (auto _ : state) {
        tone.MixInto(buffer.data(), buffer.size(), 1, 22050);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * 512);
}
BENCHMARK(BM_SpeakerToneBuffer);

// The audio callback's work for one device buffer of 512 frames: eight samples sounding at
// once, mixed with the hum, soft-clipped.
void BM_MixerCallbackHumAndEightSamples(benchmark::State& state) {
    std::ifstream in(std::filesystem::path(ZARQ_BUILD_DIR) / "SOUND" / "Over.wav",
                     std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (bytes.size() <= 44 + 512 * 2 * 128) {
        state.SkipWithError("no SOUND/Over.wav in the build folder");
        return;
    }
    std::vector<std::int16_t> sample((bytes.size() - 44) / 2);
    std::memcpy(sample.data(), bytes.data() + 44, sample.size() * 2);
    SpeakerTone tone;
    tone.out(0x43, 0xB6);
    tone.out(0x42, 0x10);
    tone.out(0x42, 0xE9);
    tone.out(0x61, 0x03);
    VoiceMixer mixer;
    mixer.SetVoices(64);
    std::vector<std::int16_t> buffer(512);
    int buffers = 0;
    for (auto _ : state) {
        if (buffers++ % 128 == 0) {  // the samples last longer than 128 buffers
            state.PauseTiming();
            mixer.StopAll();
            for (int v = 0; v < 8; ++v) {
                // Each a little further on, as sounds started at different times would be.
                const auto offset = static_cast<std::size_t>(v) * 997;
                mixer.Play(v, sample.data() + offset, sample.size() - offset);
            }
            state.ResumeTiming();
        }
        mixer.Mix(buffer.data(), buffer.size(), tone, 22050);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * 512);
}
BENCHMARK(BM_MixerCallbackHumAndEightSamples);

}  // namespace
}  // namespace zarq
