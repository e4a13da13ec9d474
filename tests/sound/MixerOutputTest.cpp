// The sound library on SDL's audio device, heard through its disk driver: every test mixes
// into a raw file and reads back what was mixed. Waits are on the count of frames mixed or on
// the library's own events, never on the wall clock; the limit on them is only there to end a
// stuck test. Where timing matters, a paced clock holds the device to the test's own time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "desktop/sound/SdlSound.h"
#include "tests/harness/Harness.h"
#include "tests/sound/ToneMeasure.h"
#include "tools/assetgen/sound/Synth.h"

namespace zarq::test {
namespace {

namespace fs = std::filesystem;
using Samples = std::vector<std::int16_t>;

constexpr int kRate = 22050;
// Four device buffers: a sample starts up to three and a quarter buffers after its call.
constexpr std::uint64_t kMargin = 2048;
constexpr double k20Hz = 1193182.0 / 59664;
constexpr double k38Hz = 1193182.0 / 31402;
// A device held paused still writes silence to the disk driver's file, out of step with the
// frames mixed; tests that find their place by that count keep it from resting.
constexpr int kAwake = 24 * 3600;

Samples Constant(std::int16_t value, std::size_t frames) {
    return Samples(frames, value);
}

// Where in the mixed output a call took effect: at a frame between `Before` (the frames
// mixed when it was made) and one device buffer after `After` (the frames mixed just after).
struct Mark {
    std::uint64_t Before = 0;
    std::uint64_t After = 0;
};

template <class Call>
Mark Around(const SdlSound& sound, Call&& call) {
    Mark mark;
    mark.Before = sound.FramesMixed();
    call();
    mark.After = sound.FramesMixed();
    return mark;
}

// The library's clock in a test: the test sets the time, and the device may ask for a buffer
// only once the time of that buffer's first frame has come, as a device playing in real time
// would. So the output keeps exact step with the test's time however slowly or quickly the
// machine runs. Made on the test's thread, which alone moves the time.
class PacedClock {
  public:
    PacedClock() : test_(std::this_thread::get_id()) {}
    ~PacedClock() { Free(); }
    PacedClock(const PacedClock&) = delete;
    PacedClock& operator=(const PacedClock&) = delete;

    MixerLibrary::Clock Clock() {
        return [this] { return Now(); };
    }
    // The sound whose buffers are paced; before its device opens.
    void Pace(const SdlSound& sound) { sound_ = &sound; }

    // Sets the time to `ns` and waits until the device has mixed every buffer due by then.
    ::testing::AssertionResult AdvanceTo(std::int64_t ns) {
        std::unique_lock lock(mutex_);
        now_ = ns;
        changed_.notify_all();
        const bool caughtUp =
            changed_.wait_for(lock, std::chrono::seconds(120), [&] { return waitingFor_ > ns; });
        if (caughtUp) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the device did not catch up with " << ns << " ns";
    }
    // The device runs freely from now on (so that it can be closed).
    void Free() {
        const std::lock_guard guard(mutex_);
        free_ = true;
        changed_.notify_all();
    }
    // Paced again from `ns`, while no device is open: the next device opened asks for its
    // first buffer at `openedNs` (how long it took to open) and for each after it in real time.
    void Repace(std::int64_t ns, std::int64_t openedNs) {
        const std::lock_guard guard(mutex_);
        free_ = false;
        now_ = ns;
        opened_ = openedNs;
        rebase_ = true;
    }

  private:
    std::int64_t Now() {
        std::unique_lock lock(mutex_);
        if (std::this_thread::get_id() == test_ || sound_ == nullptr) return now_;
        // The audio thread, about to mix the buffer that begins at this frame.
        if (rebase_) {
            baseFrame_ = sound_->FramesMixed();
            rebase_ = false;
        }
        const auto due = opened_ + static_cast<std::int64_t>((sound_->FramesMixed() - baseFrame_) *
                                                             1'000'000'000 / kRate);
        waitingFor_ = due;
        changed_.notify_all();
        changed_.wait(lock, [&] { return free_ || now_ >= due; });
        waitingFor_ = -1;
        return due;
    }

    const std::thread::id test_;
    const SdlSound* sound_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::int64_t now_ = 0;
    std::int64_t waitingFor_ = -1;
    bool free_ = false;
    bool rebase_ = false;
    std::int64_t opened_ = 0;  // when the device's buffer at baseFrame_ was due
    std::uint64_t baseFrame_ = 0;
};

constexpr std::int64_t kMs = 1'000'000;

// A sound on the paced clock, kept awake; the clock lets the device go before it is closed.
struct PacedSound {
    PacedClock Clock;
    SdlSound Sound;
    explicit PacedSound(int quietSeconds = kAwake) : Sound(quietSeconds, Clock.Clock()) {
        Clock.Pace(Sound);
    }
    ~PacedSound() { Clock.Free(); }
};

// One play on the paced clock: the library opened with the wave `file` loaded, then `calls`
// (which move the clock on themselves), then the clock let go and the library closed; `total`
// gets the frames mixed in all.
void PacedPlay(const std::string& file, std::uint64_t& total,
               const std::function<void(SoundLibrary&, FSOUND_SAMPLE*, PacedClock&)>& calls) {
    PacedSound paced;
    SoundLibrary& lib = paced.Sound.Library();
    ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
    FSOUND_SAMPLE* sample = lib.FSOUND_Sample_Load(-1, file.c_str(), FSOUND_2D, 0);
    ASSERT_NE(sample, nullptr);
    calls(lib, sample, paced.Clock);
    paced.Clock.Free();
    lib.FSOUND_Close();
    total = paced.Sound.FramesMixed();
}

// The frame at which `ns` falls.
double FrameAt(std::int64_t ns) {
    return static_cast<double>(ns) * kRate / 1e9;
}

// A pattern no stretch of silence or of another sound matches by chance.
Samples Pattern(std::size_t frames) {
    Samples pattern(frames);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        pattern[i] = static_cast<std::int16_t>(static_cast<int>((i * 7919) % 20001) - 10000);
    }
    return pattern;
}

class DiskOutput : public ::testing::Test {
  protected:
    fs::path dir;
    fs::path raw;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("zarq-sound-" + std::to_string(::getpid()) + "-" + info->name());
        fs::create_directories(dir);
        raw = dir / "mixed.raw";
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
        ::setenv("SDL_DISKAUDIODELAY", "1", 1);  // about twenty times faster than real time
    }
    void TearDown() override {
        std::error_code ignored;
        if (!getenv("ZARQ_KEEP")) fs::remove_all(dir, ignored);
    }

    std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path file = dir / name;
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    std::string WriteWave(const std::string& name, const Samples& samples) {
        return WriteFile(name, assetgen::EncodeWave(samples, kRate));
    }

    // Waits until the device has mixed `frames` frames since it opened.
    static ::testing::AssertionResult MixedUpTo(const SdlSound& sound, std::uint64_t frames) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (sound.FramesMixed() < frames) {
            if (std::chrono::steady_clock::now() > limit) {
                return ::testing::AssertionFailure()
                       << "only " << sound.FramesMixed() << " of " << frames << " frames mixed";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ::testing::AssertionSuccess();
    }

    // Waits until `done` holds.
    template <class Done>
    static ::testing::AssertionResult Until(Done done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit) {
                return ::testing::AssertionFailure() << "never came";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ::testing::AssertionSuccess();
    }

    // Waits until the device is closed, after a quiet second decided past frame `after` when
    // that is given (on a busy machine the device may have rested before the sound that the
    // test waits on, and may not yet have been opened again for it).
    static ::testing::AssertionResult Resting(const SdlSound& sound,
                                              std::optional<std::uint64_t> after = {}) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!sound.DeviceResting() || (after && sound.FramesAtLastRest() <= *after)) {
            if (std::chrono::steady_clock::now() > limit) {
                return ::testing::AssertionFailure()
                       << "still running after " << sound.FramesMixed() << " frames";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ::testing::AssertionSuccess();
    }

    // The output from the first frame the library mixed, given all it mixed: a device slow to
    // start writes some silence of its own first, which is dropped.
    Samples MixedFromStart(std::uint64_t framesMixed) const {
        return FromFirstMixed(raw, framesMixed);
    }

    // The output of one opening of the device from the first frame the library mixed, given
    // the frames it mixed in that opening.
    static Samples FromFirstMixed(const fs::path& file, std::uint64_t framesMixed) {
        Samples all = Mixed(file);
        if (all.size() > framesMixed) {
            all.erase(all.begin(),
                      all.begin() + static_cast<std::ptrdiff_t>(all.size() - framesMixed));
        }
        return all;
    }

    // The mixed output (mono); read after the library is closed.
    Samples Mixed() const { return Mixed(raw); }
    static Samples Mixed(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        Samples out;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            out.push_back(
                static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                          (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
        }
        return out;
    }
};

std::size_t Occurrences(const Samples& haystack, const Samples& needle) {
    std::size_t found = 0;
    for (auto it = haystack.begin();
         (it = std::search(it, haystack.end(), needle.begin(), needle.end())) != haystack.end();
         ++it) {
        ++found;
    }
    return found;
}

std::size_t Count(const Samples& samples, std::int16_t value, std::size_t from = 0) {
    return static_cast<std::size_t>(
        std::count(samples.begin() + static_cast<std::ptrdiff_t>(std::min(from, samples.size())),
                   samples.end(), value));
}

double Mean(const Samples& s, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += s[i];
    return sum / static_cast<double>(to - from);
}

TEST_F(DiskOutput, APlayedSampleReachesTheOutputWholeAndUnchanged) {
    Samples pattern(3000);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        pattern[i] = static_cast<std::int16_t>(static_cast<int>((i * 7919) % 20001) - 10000);
    }
    const std::string file = WriteWave("pattern.wav", pattern);
    {
        SdlSound sound{kAwake};
        SoundLibrary& lib = sound.Library();
        ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
        EXPECT_TRUE(lib.FSOUND_SetOutput(1));
        FSOUND_SAMPLE* sample = lib.FSOUND_Sample_Load(-1, file.c_str(), FSOUND_2D, 0);
        ASSERT_NE(sample, nullptr);
        EXPECT_GE(lib.FSOUND_PlaySound(-1, sample), 0);
        ASSERT_TRUE(MixedUpTo(sound, sound.FramesMixed() + pattern.size() + kMargin));
        lib.FSOUND_Sample_Free(sample);
        lib.FSOUND_Close();
    }
    const Samples left = Mixed();
    EXPECT_EQ(Occurrences(left, pattern), 1u);
    EXPECT_EQ(left.size() - Count(left, 0), pattern.size() - Count(pattern, 0));
}

TEST_F(DiskOutput, TheSameSampleTwiceSoundsTwiceOverlappingOnTwoChannels) {
    const Samples tone = Constant(3000, 2 * kRate);
    const std::string file = WriteWave("half.wav", tone);
    int first = -1;
    int second = -1;
    std::uint64_t total = 0;
    ASSERT_NO_FATAL_FAILURE(
        PacedPlay(file, total, [&](SoundLibrary& lib, FSOUND_SAMPLE* sample, PacedClock& clock) {
            ASSERT_TRUE(clock.AdvanceTo(100 * kMs));
            first = lib.FSOUND_PlaySound(-1, sample);
            ASSERT_TRUE(clock.AdvanceTo(600 * kMs));
            second = lib.FSOUND_PlaySound(-1, sample);
            ASSERT_TRUE(clock.AdvanceTo(3000 * kMs));
        }));
    EXPECT_GE(first, 0);
    EXPECT_GE(second, 0);
    EXPECT_NE(first, second);
    const Samples left = MixedFromStart(total);
    const std::size_t alone = Count(left, 3000);
    const std::size_t together = Count(left, 6000);
    // Called half a second apart: they overlap for a second and a half.
    EXPECT_NEAR(static_cast<double>(together), 1.5 * kRate, 1.0);
    // Both copies were heard whole, and nothing else was.
    EXPECT_EQ(alone + 2 * together, 2 * tone.size());
    EXPECT_EQ(alone + together + Count(left, 0), left.size());
}

// Effects keep the spacing of their calls: each starts at the frame of its call, one buffer
// later, not at the start of the next buffer the device asks for.
TEST_F(DiskOutput, SamplesCalledThreeHundredTwentyMillisecondsApartAreHeardThatFarApart) {
    const Samples pattern = Pattern(3000);
    const std::string file = WriteWave("pattern.wav", pattern);
    const std::vector<std::int64_t> calls = {1000 * kMs + 300'000, 1320 * kMs + 300'000,
                                             1640 * kMs + 300'000, 1960 * kMs + 300'000,
                                             2297 * kMs + 700'000, 2617 * kMs + 700'000};
    std::uint64_t total = 0;
    ASSERT_NO_FATAL_FAILURE(
        PacedPlay(file, total, [&](SoundLibrary& lib, FSOUND_SAMPLE* sample, PacedClock& clock) {
            for (const std::int64_t call : calls) {
                ASSERT_TRUE(clock.AdvanceTo(call));
                EXPECT_GE(lib.FSOUND_PlaySound(-1, sample), 0);
            }
            ASSERT_TRUE(clock.AdvanceTo(calls.back() + 500 * kMs));
        }));
    const Samples left = MixedFromStart(total);
    std::vector<std::size_t> heard;
    for (auto it = left.begin();
         (it = std::search(it, left.end(), pattern.begin(), pattern.end())) != left.end(); ++it) {
        heard.push_back(static_cast<std::size_t>(it - left.begin()));
    }
    ASSERT_EQ(heard.size(), calls.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_NEAR(static_cast<double>(heard[i]) - FrameAt(calls[i]),
                    StartLatency(MixerLibrary::kBufferFrames), 1.0)
            << "the same latency for call " << i;
        if (i == 0) continue;
        EXPECT_NEAR(static_cast<double>(heard[i] - heard[i - 1]), FrameAt(calls[i] - calls[i - 1]),
                    0.001 * kRate)
            << "within a millisecond of the calls' spacing, call " << i;
    }
}

// The power-on beeps after the device rested for a quiet second: the first opens it again
// (here in 10 ms) and is heard as far after its call as the others, so the first interval is
// 320 ms like every other.
TEST_F(DiskOutput, TheFirstBeepAfterAQuietSecondKeepsTheSameDistanceFromItsCall) {
    const Samples pattern = Pattern(3000);
    const std::string file = WriteWave("pattern.wav", pattern);
    const fs::path again = dir / "again.raw";
    const std::int64_t first = 5000 * kMs + 700'000;
    const std::int64_t opened = first + 10 * kMs;
    std::uint64_t rested = 0;
    std::uint64_t total = 0;
    {
        PacedSound paced{1};
        SoundLibrary& lib = paced.Sound.Library();
        ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
        FSOUND_SAMPLE* sample = lib.FSOUND_Sample_Load(-1, file.c_str(), FSOUND_2D, 0);
        ASSERT_NE(sample, nullptr);
        paced.Clock.Free();
        ASSERT_TRUE(Resting(paced.Sound));
        rested = paced.Sound.FramesMixed();
        ::setenv("SDL_DISKAUDIOFILE", again.c_str(), 1);
        paced.Clock.Repace(first, opened);
        for (int beep = 0; beep < 4; ++beep) {
            ASSERT_TRUE(beep == 0 || paced.Clock.AdvanceTo(first + beep * 320 * kMs));
            EXPECT_GE(lib.FSOUND_PlaySound(-1, sample), 0);
        }
        ASSERT_TRUE(paced.Clock.AdvanceTo(first + 1200 * kMs));
        paced.Clock.Free();
        lib.FSOUND_Close();
        total = paced.Sound.FramesMixed();
    }
    const Samples left = FromFirstMixed(again, total - rested);
    int beep = 0;
    for (auto it = left.begin();
         (it = std::search(it, left.end(), pattern.begin(), pattern.end())) != left.end();
         ++it, ++beep) {
        EXPECT_NEAR(
            static_cast<double>(it - left.begin()) - FrameAt(first + beep * 320 * kMs - opened),
            StartLatency(MixerLibrary::kBufferFrames), 1.0)
            << "frames from the call of beep " << beep << " to its sound";
    }
    EXPECT_EQ(beep, 4);
}

// Stopping every sound while a note sounds fades it out within a couple of milliseconds: no
// step in the wave, so nothing at the stop reaches high up the spectrum that the steady note
// does not put there, and then silence.
TEST_F(DiskOutput, StopAllEndsASoundingNoteWithAShortFadeNotAClick) {
    Samples sine(3 * kRate);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] = static_cast<std::int16_t>(
            std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * 441.0 * double(i) / kRate)));
    }
    const std::string file = WriteWave("sine.wav", sine);
    const std::int64_t stopAt = 1000 * kMs + 370'000;
    std::uint64_t total = 0;
    ASSERT_NO_FATAL_FAILURE(
        PacedPlay(file, total, [&](SoundLibrary& lib, FSOUND_SAMPLE* sample, PacedClock& clock) {
            ASSERT_TRUE(clock.AdvanceTo(100 * kMs));
            EXPECT_GE(lib.FSOUND_PlaySound(-1, sample), 0);
            ASSERT_TRUE(clock.AdvanceTo(stopAt));
            EXPECT_TRUE(lib.FSOUND_StopSound(FSOUND_ALL));
            ASSERT_TRUE(clock.AdvanceTo(1500 * kMs));
        }));
    const Samples left = MixedFromStart(total);
    // The stop takes effect with the next buffer after the call.
    const auto buffer = static_cast<std::size_t>(MixerLibrary::kBufferFrames);
    const std::size_t stop = (static_cast<std::size_t>(FrameAt(stopAt)) / buffer + 1) * buffer;
    ASSERT_GT(left.size(), stop + 4096);
    std::size_t last = left.size() - 1;
    while (last > 0 && left[last] == 0) --last;
    EXPECT_GE(last, stop + static_cast<std::size_t>(0.001 * kRate)) << "at least 1 ms of fade";
    EXPECT_LE(last, stop + static_cast<std::size_t>(0.002 * kRate)) << "silent 2 ms after";
    const double atStop = HighBandDb(left, stop - 128, 256, 10000.0, kRate);
    const double steady = HighBandDb(left, stop - 8192, 256, 10000.0, kRate);
    // Measured: about -100 dB in both; a cut in one step puts -60 dB there.
    EXPECT_LT(atStop, steady + 20.0) << "the steady note has " << steady << " dB";
    EXPECT_LT(atStop, -80.0);
}

TEST_F(DiskOutput, AllSixtyFourChannelsPlayAtOnceAndASixtyFifthCutsNone) {
    const std::string file = WriteWave("long.wav", Constant(100, 3 * kRate));
    std::vector<int> channels;
    std::uint64_t afterLast = 0;
    std::uint64_t total = 0;
    {
        SdlSound sound{kAwake};
        SoundLibrary& lib = sound.Library();
        ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
        FSOUND_SAMPLE* sample = lib.FSOUND_Sample_Load(-1, file.c_str(), FSOUND_2D, 0);
        ASSERT_NE(sample, nullptr);
        for (int i = 0; i < 65; ++i) channels.push_back(lib.FSOUND_PlaySound(-1, sample));
        afterLast = sound.FramesMixed();
        ASSERT_TRUE(MixedUpTo(sound, afterLast + 4 * kMargin));
        lib.FSOUND_Close();
        total = sound.FramesMixed();
    }
    EXPECT_EQ(channels.back(), -1);
    channels.pop_back();
    std::sort(channels.begin(), channels.end());
    for (int i = 0; i < 64; ++i) EXPECT_EQ(channels[static_cast<std::size_t>(i)], i);
    const Samples left = MixedFromStart(total);
    EXPECT_GE(Count(left, 6400, afterLast + kMargin), 3 * kMargin);
    EXPECT_EQ(Count(left, 6500), 0u);
}

TEST_F(DiskOutput, StopAllSilencesEverySampleWithinAFadeButNotTheHum) {
    const std::string a = WriteWave("a.wav", Constant(2000, 3 * kRate));
    const std::string b = WriteWave("b.wav", Constant(1000, 3 * kRate));
    Mark stop;
    Mark humOff;
    std::uint64_t total = 0;
    {
        SdlSound sound{kAwake};
        SoundLibrary& lib = sound.Library();
        ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
        FSOUND_SAMPLE* sa = lib.FSOUND_Sample_Load(-1, a.c_str(), FSOUND_2D, 0);
        FSOUND_SAMPLE* sb = lib.FSOUND_Sample_Load(-1, b.c_str(), FSOUND_2D, 0);
        ASSERT_NE(sa, nullptr);
        ASSERT_NE(sb, nullptr);
        PortOutput& ports = sound.Ports();
        ports.out(0x43, 0xB6);
        ports.out(0x42, 0x10);
        ports.out(0x42, 0xE9);
        ports.out(0x61, 0x03);
        lib.FSOUND_PlaySound(-1, sa);
        lib.FSOUND_PlaySound(-1, sb);
        ASSERT_TRUE(MixedUpTo(sound, sound.FramesMixed() + kRate));
        stop = Around(sound, [&] { lib.FSOUND_StopSound(FSOUND_ALL); });
        ASSERT_TRUE(MixedUpTo(sound, stop.After + 2 * kRate));
        EXPECT_GT(sound.SpeakerFrequency(), 0.0);
        humOff = Around(sound, [&] { ports.out(0x61, 0x00); });
        ASSERT_TRUE(MixedUpTo(sound, humOff.After + 4 * kMargin));
        lib.FSOUND_Close();
        total = sound.FramesMixed();
    }
    const Samples left = MixedFromStart(total);
    ASSERT_GE(left.size(), humOff.After + 4 * kMargin);
    // Before the stop: both samples over the hum (whose own mean over a part of a period is
    // at most a few hundred); after it: the hum alone, still at 20 Hz.
    EXPECT_NEAR(Mean(left, stop.Before - kRate / 2, stop.Before), 3000.0, 300.0);
    EXPECT_NEAR(Mean(left, stop.After + kMargin, stop.After + kMargin + kRate), 0.0, 300.0);
    // The hum rests at +-kLevel between its edges; nowhere after the stop do the samples'
    // 3000 rest on it.
    std::size_t resting = 0;
    for (std::size_t i = stop.After + kMargin; i + 1 < left.size(); ++i) {
        const int v = left[i];
        const bool onHum =
            v == 3000 || v == 3000 + SpeakerTone::kLevel || v == 3000 - SpeakerTone::kLevel;
        resting += onHum && left[i + 1] == v ? 1 : 0;
    }
    EXPECT_EQ(resting, 0u);
    EXPECT_NEAR(MeasuredFrequency(left, stop.After + kMargin, humOff.Before, kRate), k20Hz, 0.05);
    EXPECT_EQ(Count(left, 0, humOff.After + kMargin), left.size() - humOff.After - kMargin);
}

TEST_F(DiskOutput, TheToysHumIsTwentyThenThirtyEightHertzWithoutAGapAndSilenzioEndsIt) {
    fs::current_path(ZARQ_BUILD_DIR);  // the build puts SOUND/ here
    Mark on20;
    Mark on38;
    Mark off;
    std::uint64_t total = 0;
    {
        SdlSound sound{kAwake};
        VirtualClock clock;
        RecordingWindow window;
        TForm1 form{PanelSeams{clock.Scheduler(), sound.Library(), sound.Ports(), window, nullptr}};
        ASSERT_TRUE(form.AvviaSuono("Windows MM", "95, 98, ME, NT"));
        ASSERT_TRUE(sound.DeviceOpen());
        form.Suona(form.G.SndBeep);
        ASSERT_TRUE(MixedUpTo(sound, sound.FramesMixed() + kRate / 2));
        on20 = Around(sound, [&] { form.SuonaSpeaker(20); });
        ASSERT_TRUE(MixedUpTo(sound, on20.After + 2 * kRate));
        on38 = Around(sound, [&] { form.SuonaSpeaker(38); });
        ASSERT_TRUE(MixedUpTo(sound, on38.After + 2 * kRate));
        off = Around(sound, [&] { form.Silenzio(); });
        ASSERT_TRUE(MixedUpTo(sound, off.After + 4 * kMargin));
        form.FormClose();
        total = sound.FramesMixed();
    }
    const Samples left = MixedFromStart(total);
    ASSERT_GE(left.size(), off.After + 4 * kMargin);

    // The Beep sample as the program ships it, heard whole before the hum began.
    std::ifstream in(fs::path(ZARQ_BUILD_DIR) / "SOUND" / "Beep.wav", std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(file.size(), 44u);
    Samples beep;
    for (std::size_t i = 44; i + 1 < file.size(); i += 2) {
        beep.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(file[i]) |
                                                 (static_cast<std::uint8_t>(file[i + 1]) << 8)));
    }
    const Samples beforeHum(left.begin(), left.begin() + static_cast<std::ptrdiff_t>(on20.Before));
    EXPECT_EQ(Occurrences(beforeHum, beep), 1u);

    const std::uint64_t start = on20.After + kMargin;
    EXPECT_NEAR(MeasuredFrequency(left, start, on38.Before, kRate), k20Hz, 0.05);
    EXPECT_NEAR(MeasuredFrequency(left, on38.After + kMargin, off.Before, kRate), k38Hz, 0.08);
    // No gap from the start to the end of the hum, across the retune too: only the frames of
    // the wave's own edges (a few per edge) are below half its level.
    const int half = SpeakerTone::kLevel / 2;
    const auto edges = [](std::uint64_t from, std::uint64_t to, double hz) {
        return static_cast<std::size_t>(2.0 * hz * static_cast<double>(to - from) / kRate) + 2;
    };
    EXPECT_LE(QuietFrames(left, start, on38.Before, half), 4 * edges(start, on38.Before, 20));
    EXPECT_LE(QuietFrames(left, on38.Before, on38.After + kMargin, half),
              4 * edges(on38.Before, on38.After + kMargin, 38));
    EXPECT_LE(QuietFrames(left, on38.After + kMargin, off.Before, half),
              4 * edges(on38.After + kMargin, off.Before, 38));
    EXPECT_EQ(Count(left, 0, off.After + kMargin), left.size() - off.After - kMargin);
    // A second of each pitch as the device got it carries only the hum's harmonics.
    EXPECT_LT(OutsideHarmonics(left, start, start + kRate, k20Hz, kRate).OutsideDb, -50.0);
    const std::uint64_t at38 = on38.After + kMargin;
    EXPECT_LT(OutsideHarmonics(left, at38, at38 + kRate, k38Hz, kRate).OutsideDb, -50.0);
}

// The process's threads, or -1 where /proc cannot say.
int Threads() {
    std::error_code error;
    fs::directory_iterator tasks("/proc/self/task", error);
    if (error) return -1;
    return static_cast<int>(std::distance(tasks, fs::directory_iterator{}));
}

// Waits until the process runs `count` threads: a joined thread may stay listed for a moment.
::testing::AssertionResult ThreadsComeTo(int count) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (Threads() != count) {
        if (std::chrono::steady_clock::now() > limit) {
            return ::testing::AssertionFailure() << Threads() << " threads, not " << count;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return ::testing::AssertionSuccess();
}

// A closed device ends its audio thread, so a quiet toy wakes nothing; a paused one would
// go on writing silence at the buffer rate. The disk driver starts a new file on each
// opening, so each reopening is pointed at a file of its own and holds exactly its output.
TEST_F(DiskOutput, AQuietSecondClosesTheDeviceAndTheNextHumOrSampleReopensItFromItsFirstFrame) {
    if (Threads() < 0) GTEST_SKIP() << "no /proc/self/task to count the threads in";
    const Samples pattern = Pattern(3000);
    const std::string file = WriteWave("pattern.wav", pattern);
    const fs::path humRaw = dir / "hum.raw";
    const fs::path sampleRaw = dir / "sample.raw";
    Mark played;
    Mark humOff;
    std::uint64_t firstRest = 0;
    std::uint64_t firstDecision = 0;
    std::uint64_t secondRest = 0;
    std::uint64_t secondDecision = 0;
    std::uint64_t total = 0;
    {
        SdlSound sound;
        SoundLibrary& lib = sound.Library();
        // Counted before the start: a machine slow enough may let the device rest before the
        // sample is played.
        const int idle = Threads();
        ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
        FSOUND_SAMPLE* sample = lib.FSOUND_Sample_Load(-1, file.c_str(), FSOUND_2D, 0);
        ASSERT_NE(sample, nullptr);
        played = Around(sound, [&] { EXPECT_GE(lib.FSOUND_PlaySound(-1, sample), 0); });
        ASSERT_TRUE(Resting(sound, played.Before));
        firstRest = sound.FramesMixed();
        firstDecision = sound.FramesAtLastRest();
        EXPECT_TRUE(ThreadsComeTo(idle + 1));  // the device's thread has ended, the keeper waits
        EXPECT_TRUE(sound.DeviceOpen());       // to the toy, sound is still on

        // The hum opens the device again; a second after it stops, it is closed again. Only
        // the library's keeper thread opens a device, after the port write: the file name is
        // safely changed while it is closed.
        ::setenv("SDL_DISKAUDIOFILE", humRaw.c_str(), 1);
        PortOutput& ports = sound.Ports();
        ports.out(0x43, 0xB6);
        ports.out(0x42, 0x10);
        ports.out(0x42, 0xE9);
        ports.out(0x61, 0x03);
        ASSERT_TRUE(MixedUpTo(sound, firstRest + kRate / 2));
        humOff = Around(sound, [&] { ports.out(0x61, 0x00); });
        ASSERT_TRUE(Resting(sound, humOff.Before));
        secondRest = sound.FramesMixed();
        secondDecision = sound.FramesAtLastRest();
        EXPECT_TRUE(ThreadsComeTo(idle + 1));

        // So does a sample.
        ::setenv("SDL_DISKAUDIOFILE", sampleRaw.c_str(), 1);
        EXPECT_GE(lib.FSOUND_PlaySound(-1, sample), 0);
        ASSERT_TRUE(MixedUpTo(sound, secondRest + pattern.size() + kMargin));
        lib.FSOUND_Close();
        total = sound.FramesMixed();
    }
    // The first rest was decided after the sample and one quiet second, within a few buffers
    // (the sample starts up to three and a quarter buffers after its call, and silence is
    // counted in whole buffers), on the device's own count of frames: how long the closing took
    // after that depends on how busy the machine is.
    EXPECT_GE(firstDecision, played.Before + pattern.size() + kRate);
    EXPECT_LE(firstDecision, played.After + pattern.size() + kRate + 6 * 512);
    EXPECT_LE(firstDecision, firstRest);
    EXPECT_EQ(Occurrences(Mixed(), pattern), 1u);
    // The reopened device played the hum from its first buffer until it was stopped, and
    // closed a quiet second later.
    const Samples hum = FromFirstMixed(humRaw, secondRest - firstRest);
    ASSERT_GE(hum.size(), humOff.After - firstRest + kRate);
    EXPECT_LT(QuietFrames(hum, 0, 512, SpeakerTone::kLevel / 2), 64u);  // its own soft start
    EXPECT_NEAR(MeasuredFrequency(hum, 0, humOff.Before - firstRest, kRate), k20Hz, 0.05);
    EXPECT_GE(secondDecision, humOff.Before + kRate);
    EXPECT_LE(secondDecision, humOff.After + kRate + 4 * 512);
    // The sample waited for the device and was mixed whole, no later than any sample is after
    // its call, and nothing else sounded.
    const Samples after = FromFirstMixed(sampleRaw, total - secondRest);
    const auto found = std::search(after.begin(), after.end(), pattern.begin(), pattern.end());
    ASSERT_NE(found, after.end());
    EXPECT_LE(found - after.begin(), StartLatency(MixerLibrary::kBufferFrames));
    EXPECT_EQ(Count(after, 0), after.size() - pattern.size() + Count(pattern, 0));
}

// A device that goes away (here: the disk driver's writes fail, as SDL treats a sound server
// that ended) is closed at once, nothing tries to open another until a sound comes, and that
// sound opens a new device and is heard from its first frame.
TEST_F(DiskOutput, ALostDeviceIsClosedAndTheNextSoundOpensANewOne) {
    if (Threads() < 0) GTEST_SKIP() << "no /proc/self/task to count the threads in";
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to make the writes fail";
    const Samples pattern = Pattern(3000);
    const std::string file = WriteWave("pattern.wav", pattern);
    ::setenv("SDL_DISKAUDIOFILE", "/dev/full", 1);
    std::uint64_t lostAt = 0;
    std::uint64_t total = 0;
    {
        SdlSound sound{kAwake};  // only the loss closes it
        SoundLibrary& lib = sound.Library();
        const int idle = Threads();
        FSOUND_SAMPLE* sample = lib.FSOUND_Sample_Load(-1, file.c_str(), FSOUND_2D, 0);
        ASSERT_NE(sample, nullptr);
        // The device writes silence from its start, so the writes fail without any sound.
        ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
        ASSERT_TRUE(Resting(sound));
        lostAt = sound.FramesMixed();
        EXPECT_EQ(sound.Losses(), 1);
        EXPECT_TRUE(sound.DeviceOpen()) << "to the toy, sound is still on";
        // The device's thread has ended; the keeper sleeps until a sound comes.
        EXPECT_TRUE(ThreadsComeTo(idle + 1));
        EXPECT_EQ(sound.Openings(), 1);
        EXPECT_EQ(sound.FramesMixed(), lostAt);

        // While there is no output (a folder cannot be written to), a sound tries once, SDL's
        // audio started afresh included, and is not heard; nothing tries again by itself.
        ::setenv("SDL_DISKAUDIOFILE", dir.c_str(), 1);
        EXPECT_GE(lib.FSOUND_PlaySound(-1, sample), 0);
        ASSERT_TRUE(Until([&] { return sound.FailedOpenings() == 1; }));
        ASSERT_TRUE(Resting(sound));
        EXPECT_EQ(sound.Openings(), 1);
        EXPECT_EQ(sound.FramesMixed(), lostAt);

        // The output is back: the next sound opens it.
        ::setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
        EXPECT_GE(lib.FSOUND_PlaySound(-1, sample), 0);
        ASSERT_TRUE(MixedUpTo(sound, lostAt + pattern.size() + kMargin));
        EXPECT_EQ(sound.FailedOpenings(), 1);
        EXPECT_EQ(sound.Openings(), 2);
        EXPECT_EQ(sound.Losses(), 1);
        lib.FSOUND_Close();
        total = sound.FramesMixed();
    }
    const Samples after = FromFirstMixed(raw, total - lostAt);
    const auto found = std::search(after.begin(), after.end(), pattern.begin(), pattern.end());
    ASSERT_NE(found, after.end());
    EXPECT_LE(found - after.begin(), StartLatency(MixerLibrary::kBufferFrames));
}

TEST_F(DiskOutput, AWaveOfAnotherFormatIsConvertedToTheDevicesOwn) {
    // 8-bit unsigned mono at 11025 Hz: 1000 frames of a steady level (0xC0 is +64 of 128).
    std::vector<std::uint8_t> wave = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W',  'A', 'V',
                                      'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,    1,   0,
                                      1,   0,   0x11, 0x2B, 0,   0,   0x11, 0x2B, 0,    0,   1,
                                      0,   8,   0,    'd',  'a', 't', 'a',  0xE8, 0x03, 0,   0};
    wave.insert(wave.end(), 1000, 0xC0);
    const auto riffSize = static_cast<std::uint32_t>(wave.size() - 8);
    for (int i = 0; i < 4; ++i)
        wave[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    const std::string file = WriteFile("eight.wav", wave);
    {
        SdlSound sound{kAwake};
        SoundLibrary& lib = sound.Library();
        ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
        FSOUND_SAMPLE* sample = lib.FSOUND_Sample_Load(-1, file.c_str(), FSOUND_2D, 0);
        ASSERT_NE(sample, nullptr);
        EXPECT_GE(lib.FSOUND_PlaySound(-1, sample), 0);
        ASSERT_TRUE(MixedUpTo(sound, sound.FramesMixed() + 2000 + kMargin));
        lib.FSOUND_Close();
    }
    const Samples left = Mixed();
    std::size_t level = 0;
    for (std::int16_t s : left) level += std::abs(s - 16384) < 600 ? 1 : 0;
    EXPECT_NEAR(static_cast<double>(level), 2000.0, 100.0);  // twice as many frames at 22050 Hz
}

TEST_F(DiskOutput, GarbageTruncatedEmptyOrMissingFilesLoadAsNull) {
    const Samples tone = Constant(1000, 2000);
    const std::vector<std::uint8_t> good = assetgen::EncodeWave(tone, kRate);
    std::vector<std::uint8_t> garbage(4096);
    std::uint32_t state = 12345;
    for (auto& byte : garbage) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    std::vector<std::uint8_t> riffGarbage = garbage;  // the right magic, then nonsense
    std::copy(good.begin(), good.begin() + 12, riffGarbage.begin());
    // A format chunk the decoder cannot use: 0 channels.
    std::vector<std::uint8_t> noChannels = good;
    noChannels[22] = 0;

    SdlSound sound{kAwake};
    SoundLibrary& lib = sound.Library();
    ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
    const std::pair<std::string, std::vector<std::uint8_t>> bad[] = {
        {"garbage.wav", garbage},
        {"riffgarbage.wav", riffGarbage},
        {"half.wav", std::vector<std::uint8_t>(good.begin(), good.begin() + good.size() / 2)},
        {"oneshort.wav", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
        {"header.wav", std::vector<std::uint8_t>(good.begin(), good.begin() + 44)},
        {"nochannels.wav", noChannels},
        {"empty.wav", {}}};
    for (const auto& [name, bytes] : bad) {
        const std::string path = WriteFile(name, bytes);
        EXPECT_EQ(lib.FSOUND_Sample_Load(-1, path.c_str(), FSOUND_2D, 0), nullptr) << name;
    }
    EXPECT_EQ(lib.FSOUND_Sample_Load(-1, (dir / "absent.wav").c_str(), FSOUND_2D, 0), nullptr);
    EXPECT_EQ(lib.FSOUND_Sample_Load(-1, dir.c_str(), FSOUND_2D, 0), nullptr);
    EXPECT_EQ(lib.FSOUND_Sample_Load(-1, nullptr, FSOUND_2D, 0), nullptr);

    FSOUND_SAMPLE* fine =
        lib.FSOUND_Sample_Load(-1, WriteFile("good.wav", good).c_str(), FSOUND_2D, 0);
    EXPECT_NE(fine, nullptr);
    EXPECT_EQ(lib.FSOUND_PlaySound(-1, nullptr), -1);
    lib.FSOUND_Sample_Free(nullptr);
    lib.FSOUND_Sample_Free(fine);
    lib.FSOUND_Close();
    lib.FSOUND_Close();
}

TEST_F(DiskOutput, ClosingALibraryNeverStartedIsHarmless) {
    SdlSound sound{kAwake};
    sound.Library().FSOUND_Sample_Free(nullptr);
    sound.Library().FSOUND_Close();
    EXPECT_FALSE(sound.DeviceOpen());
    EXPECT_FALSE(fs::exists(raw));
}

TEST_F(DiskOutput, OutputTypesOneAndTwoAreTheDefaultOutputAndNoSoundOpensNothing) {
    SdlSound sound{kAwake};
    SoundLibrary& lib = sound.Library();
    EXPECT_TRUE(lib.FSOUND_SetOutput(2));
    EXPECT_TRUE(lib.FSOUND_SetOutput(1));
    EXPECT_FALSE(lib.FSOUND_SetOutput(7));
    EXPECT_TRUE(lib.FSOUND_SetOutput(0));
    EXPECT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
    EXPECT_FALSE(sound.DeviceOpen());
    lib.FSOUND_Close();

    EXPECT_TRUE(lib.FSOUND_SetOutput(2));
    EXPECT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
    EXPECT_TRUE(sound.DeviceOpen());
    EXPECT_TRUE(lib.FSOUND_SetOutput(1));  // after the start: still the default output
    lib.FSOUND_Close();
}

TEST_F(DiskOutput, WithoutAnAudioDeviceTheToyRunsOnSilentlyWithItsSamplesLoaded) {
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    fs::current_path(ZARQ_BUILD_DIR);
    SdlSound sound{kAwake};
    VirtualClock clock;
    RecordingWindow window;
    TForm1 form{PanelSeams{clock.Scheduler(), sound.Library(), sound.Ports(), window, nullptr}};
    EXPECT_TRUE(form.AvviaSuono("DirectSound", "95, 98, ME, NT"));  // no "Error" box for this
    EXPECT_EQ(sound.Openings(), 0);
    EXPECT_NE(form.G.SndOver, nullptr);
    form.Suona(form.G.SndStart);
    form.SuonaSpeaker(20);
    form.Silenzio();
    form.FormClose();
    EXPECT_EQ(form.G.SndBeep, nullptr);
}

// Started sound leaves the program's signals as they were: were SIGTERM turned into an SDL
// quit event that nobody reads, the program would outlive a logout, `kill` or a package's
// removal while it plays.
TEST_F(DiskOutput, StartedSoundLeavesTheTerminationSignalsAlone) {
    struct sigaction termBefore {};
    struct sigaction intBefore {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &termBefore), 0);
    ASSERT_EQ(sigaction(SIGINT, nullptr, &intBefore), 0);
    SdlSound sound;
    SoundLibrary& lib = sound.Library();
    ASSERT_TRUE(lib.FSOUND_Init(kRate, 64, 0));
    struct sigaction termAfter {};
    struct sigaction intAfter {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &termAfter), 0);
    ASSERT_EQ(sigaction(SIGINT, nullptr, &intAfter), 0);
    EXPECT_EQ(termAfter.sa_handler, termBefore.sa_handler) << "SIGTERM was taken over";
    EXPECT_EQ(intAfter.sa_handler, intBefore.sa_handler) << "SIGINT was taken over";
    lib.FSOUND_Close();
}

}  // namespace
}  // namespace zarq::test
