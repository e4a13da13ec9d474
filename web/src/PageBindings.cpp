// The web edition's door to the page: the calls the page makes into the toy (exported to
// JavaScript by their EMSCRIPTEN_KEEPALIVE mark alone: the build keeps no list of them), and the
// page's Web Audio, storage and messages bound behind PageAudio and PageHost through the object
// the page hands over as `Module.page`. Nothing is decided here.
#include <emscripten.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/panel/SoundLevels.h"
#include "core/session/PictureSets.h"
#include "tools/assetgen/sound/Synth.h"
#include "web/src/AudioSchedule.h"
#include "web/src/WebEdition.h"

using zarq::Millis;
using zarq::PointerKind;

// clang-format off
EM_JS(double, page_audio_now, (), { return Module.page.audioNow(); });
EM_JS(int, page_audio_has, (int index), { return Module.page.audioHas(index) ? 1 : 0; });
EM_JS(double, page_audio_duration, (int index), { return Module.page.audioDuration(index); });
EM_JS(void, page_audio_play, (int index, double when), { Module.page.audioPlay(index, when); });
EM_JS(void, page_audio_stop_all, (double when), { Module.page.audioStopAll(when); });
EM_JS(void, page_audio_speaker, (double hertz, double when), { Module.page.audioSpeaker(hertz, when); });
EM_JS(void, page_audio_resume, (), { Module.page.audioResume(); });
EM_JS(void, page_audio_suspend, (), { Module.page.audioSuspend(); });
EM_JS(int, page_read, (const char* name, char* buffer, int size), {
    const value = Module.page.read(UTF8ToString(name));
    if (value === null || value === undefined) return -1;
    const length = lengthBytesUTF8(value);
    if (length + 1 > size) return -1;
    stringToUTF8(value, buffer, size);
    return length;
});
EM_JS(void, page_write, (const char* name, const char* value), {
    Module.page.write(UTF8ToString(name), UTF8ToString(value));
});
EM_JS(void, page_message, (const char* text, const char* caption), {
    Module.page.message(UTF8ToString(text), UTF8ToString(caption));
});
EM_JS(void, page_open, (const char* target), { Module.page.open(UTF8ToString(target)); });
EM_JS(void, page_show_options, (), { Module.page.showOptions(); });
EM_JS(int, page_screen_width, (), { return Module.page.screenWidth(); });
EM_JS(int, page_screen_height, (), { return Module.page.screenHeight(); });
EM_JS(void, page_best_kept, (int rank, const char* error), {
    Module.page.bestKept(rank, UTF8ToString(error));
});
// The shelf's calls hand the work to the page's database and return at once: the reason it
// cannot even begin (written into `buffer`, its length returned), or 0.
EM_JS(int, page_shelf_keep, (const char* id, const char* recording, const char* dropped, char* buffer, int size), {
    const why = Module.page.shelfKeep(UTF8ToString(id), UTF8ToString(recording), UTF8ToString(dropped)) || "";
    stringToUTF8(why, buffer, size);
    return why ? Math.max(1, Math.min(size - 1, lengthBytesUTF8(why))) : 0;
});
EM_JS(int, page_shelf_remove, (const char* ids, char* buffer, int size), {
    const why = Module.page.shelfRemove(JSON.parse(UTF8ToString(ids))) || "";
    stringToUTF8(why, buffer, size);
    return why ? Math.max(1, Math.min(size - 1, lengthBytesUTF8(why))) : 0;
});
// clang-format on

namespace {

class BoundAudio final : public zarq::web::PageAudio {
  public:
    double Now() override { return page_audio_now(); }
    bool Has(int index) override { return page_audio_has(index) != 0; }
    double Duration(int index) override { return page_audio_duration(index); }
    void Play(int index, double when) override { page_audio_play(index, when); }
    void StopAll(double when) override { page_audio_stop_all(when); }
    void Speaker(double hertz, double when) override { page_audio_speaker(hertz, when); }
    void Resume() override { page_audio_resume(); }
    void Suspend() override { page_audio_suspend(); }
};

class BoundHost final : public zarq::web::PageHost {
  public:
    std::optional<std::string> Read(const std::string& name) override {
        char buffer[512];
        const int length = page_read(name.c_str(), buffer, sizeof buffer);
        if (length < 0) return std::nullopt;
        return std::string(buffer, static_cast<std::size_t>(length));
    }
    void Write(const std::string& name, const std::string& value) override {
        page_write(name.c_str(), value.c_str());
    }
    void Message(const std::string& text, const std::string& caption) override {
        page_message(text.c_str(), caption.c_str());
    }
    void Open(const std::string& target) override { page_open(target.c_str()); }
    void ShowOptions() override { page_show_options(); }
    zarq::TPoint ScreenSize() override { return {page_screen_width(), page_screen_height()}; }
    void BestKept(int rank, const std::string& error) override {
        page_best_kept(rank, error.c_str());
    }
};

// The page's database of best plays, written as the page's transactions finish.
class BoundShelf final : public zarq::BestScoreShelf {
  public:
    std::string Keep(const std::string& id, const std::string& recording,
                     const std::string& dropped) override {
        char why[512];
        const int length =
            page_shelf_keep(id.c_str(), recording.c_str(), dropped.c_str(), why, sizeof why);
        return std::string(why, static_cast<std::size_t>(length));
    }
    std::string Remove(const std::vector<std::string>& ids) override {
        std::string list = "[";
        for (const std::string& id : ids) {
            if (list.size() > 1) list += ',';
            list += zarq::web::JsonString(id);
        }
        list += ']';
        char why[512];
        const int length = page_shelf_remove(list.c_str(), why, sizeof why);
        return std::string(why, static_cast<std::size_t>(length));
    }
};

struct Page {
    BoundAudio Audio;
    BoundHost Host;
    BoundShelf Shelf;
    zarq::web::WebEdition Edition{Audio, Host};
};
std::unique_ptr<Page> page;
std::string text;        // the last string handed to the page
std::vector<int> dirty;  // the changed rectangles last taken

Millis PageMillis(double now) {
    return static_cast<Millis>(now);
}

// A rectangle as four numbers the page reads at once: x, y, width, height.
const int* HandRect(int (&area)[4], const zarq::TRect& r) {
    area[0] = r.Left;
    area[1] = r.Top;
    area[2] = r.Width;
    area[3] = r.Height;
    return area;
}

// A text the page handed over as bytes and their length.
std::string Bytes(const char* bytes, double length) {
    return std::string(bytes, length > 0 ? static_cast<std::size_t>(length) : 0);
}

const char* Hand(std::string value) {
    text = std::move(value);
    return text.c_str();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void zw_create() {
    page = std::make_unique<Page>();
    page->Edition.SetShelf(&page->Shelf);
}

// The page time to call again at, or -1 when nothing is due.
EMSCRIPTEN_KEEPALIVE double zw_advance(double now) {
    const std::optional<Millis> wake = page->Edition.Advance(PageMillis(now));
    return wake ? static_cast<double>(*wake) : -1.0;
}

EMSCRIPTEN_KEEPALIVE int zw_stored_sound() {
    const std::optional<bool> on = page->Edition.StoredSound();
    return on ? (*on ? 1 : 0) : -1;
}

EMSCRIPTEN_KEEPALIVE int zw_stored_hum() {
    const std::optional<bool> on = page->Edition.StoredHum();
    return on ? (*on ? 1 : 0) : -1;
}

EMSCRIPTEN_KEEPALIVE int zw_play(int sound, int hum) {
    return page->Edition.Play(sound != 0, hum != 0) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int zw_key(int down, const char* key, const char* code, double now) {
    return page->Edition.Key(down != 0, key, code, PageMillis(now)) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* zw_key_of(int control) {
    return Hand(page->Edition.KeyOf(control));
}
// An empty result: the key is taken; otherwise why not.
EMSCRIPTEN_KEEPALIVE const char* zw_assign_key(int control, const char* key, const char* code) {
    return Hand(page->Edition.AssignKey(control, key, code));
}
EMSCRIPTEN_KEEPALIVE void zw_default_keys() {
    page->Edition.DefaultKeys();
}
EMSCRIPTEN_KEEPALIVE void zw_reload_keys() {
    page->Edition.ReloadKeys();
}

EMSCRIPTEN_KEEPALIVE int zw_pointer(int kind, int id, double x, double y, double now, int finger) {
    return page->Edition.Pointer(static_cast<PointerKind>(kind), id, x, y, PageMillis(now),
                                 finger != 0)
               ? 1
               : 0;
}
EMSCRIPTEN_KEEPALIVE void zw_page_scale(double cssPerToyPixel) {
    page->Edition.SetPageScale(cssPerToyPixel);
}

EMSCRIPTEN_KEEPALIVE void zw_pad(int index, unsigned buttons, double x, double y, double now) {
    page->Edition.Pad(index, zarq::web::StandardPad(buttons, x, y), PageMillis(now));
}

EMSCRIPTEN_KEEPALIVE void zw_pad_gone(int index) {
    page->Edition.PadGone(index);
}

EMSCRIPTEN_KEEPALIVE void zw_release_all(double now) {
    page->Edition.ReleaseAll(PageMillis(now));
}
EMSCRIPTEN_KEEPALIVE void zw_page_hidden(int hidden) {
    page->Edition.PageHidden(hidden != 0);
}

EMSCRIPTEN_KEEPALIVE int zw_record_start() {
    page->Edition.StartRecording();
    return 1;
}
EMSCRIPTEN_KEEPALIVE const char* zw_record_stop() {
    return Hand(page->Edition.StopRecording());
}
EMSCRIPTEN_KEEPALIVE int zw_recording() {
    return page->Edition.IsRecording() ? 1 : 0;
}

// Why a file of `size` bytes is refused before it is read; empty when it is not.
EMSCRIPTEN_KEEPALIVE const char* zw_playback_refusal(double size) {
    return Hand(
        zarq::web::WebEdition::PlaybackRefusal(size > 0 ? static_cast<std::uint64_t>(size) : 0));
}
// A recording file's bytes, in memory the page took with malloc (and frees): an empty result
// means it plays; otherwise why it cannot.
EMSCRIPTEN_KEEPALIVE const char* zw_playback_start(const char* bytes, double length, double now) {
    const std::string_view file(bytes, length > 0 ? static_cast<std::size_t>(length) : 0);
    return Hand(page->Edition.StartPlayback(file, PageMillis(now)));
}
EMSCRIPTEN_KEEPALIVE void zw_playback_stop() {
    page->Edition.StopPlayback();
}
EMSCRIPTEN_KEEPALIVE int zw_playing() {
    return page->Edition.PlayingBack() ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE const char* zw_playback_failure() {
    return Hand(page->Edition.PlaybackFailure());
}

// ---- Best scores and replay links: texts in memory the page took with malloc, as files are.
// The list loaded anew from the page's database: reset, then each record's text, or why it
// cannot be read.
EMSCRIPTEN_KEEPALIVE void zw_best_reset() {
    page->Edition.Best().Reset();
}
EMSCRIPTEN_KEEPALIVE void zw_best_load(const char* id, const char* bytes, double length) {
    page->Edition.Best().Load(id, Bytes(bytes, length));
}
EMSCRIPTEN_KEEPALIVE void zw_best_load_failed(const char* id, const char* why) {
    page->Edition.Best().LoadFailed(id, why);
}
EMSCRIPTEN_KEEPALIVE const char* zw_best_list() {
    return Hand(page->Edition.BestList());
}
EMSCRIPTEN_KEEPALIVE const char* zw_best_recording(const char* id) {
    return Hand(page->Edition.BestRecording(id));
}
EMSCRIPTEN_KEEPALIVE const char* zw_best_link(const char* address, const char* id) {
    return Hand(page->Edition.BestLink(address, id));
}
// Empty when done, otherwise why not.
EMSCRIPTEN_KEEPALIVE const char* zw_best_remove(const char* id) {
    return Hand(page->Edition.Best().Remove(id));
}
EMSCRIPTEN_KEEPALIVE const char* zw_best_clear() {
    return Hand(page->Edition.Best().Clear());
}
// A kept play watched: empty when it plays, otherwise why not.
EMSCRIPTEN_KEEPALIVE const char* zw_best_watch(const char* id, double now) {
    const std::string recording = page->Edition.BestRecording(id);
    if (recording.empty()) return Hand("This play is no longer kept.");
    return Hand(page->Edition.StartPlayback(recording, PageMillis(now)));
}
EMSCRIPTEN_KEEPALIVE const char* zw_link_check(const char* bytes, double length) {
    return Hand(page->Edition.CheckLink(Bytes(bytes, length)));
}
EMSCRIPTEN_KEEPALIVE const char* zw_link_play(double now) {
    return Hand(page->Edition.WatchLink(PageMillis(now)));
}
EMSCRIPTEN_KEEPALIVE void zw_close(int close) {
    if (close != 0) {
        page->Edition.Close();
    } else {
        page->Edition.Reopen();
    }
}

EMSCRIPTEN_KEEPALIVE int zw_changed() {
    return page->Edition.TakeChanged() ? 1 : 0;
}
// Four numbers per changed rectangle (x, y, width, height): `zw_dirty_take` takes them and
// tells how many numbers there are, `zw_dirty` where they are.
EMSCRIPTEN_KEEPALIVE int zw_dirty_take() {
    dirty = page->Edition.TakeDirty();
    return static_cast<int>(dirty.size());
}
EMSCRIPTEN_KEEPALIVE const int* zw_dirty() {
    return dirty.data();
}
// Six numbers per lit element: picture, x, y, width, height, keyed; `zw_scene_size` of them.
EMSCRIPTEN_KEEPALIVE const int* zw_scene() {
    return page->Edition.Scene().data();
}
EMSCRIPTEN_KEEPALIVE int zw_scene_size() {
    return static_cast<int>(page->Edition.Scene().size());
}
// The game display's rectangle (x, y, width, height).
EMSCRIPTEN_KEEPALIVE const int* zw_display_area() {
    static int area[4];
    return HandRect(area, page->Edition.DisplayArea());
}
// The power switch's rectangle (x, y, width, height).
EMSCRIPTEN_KEEPALIVE const int* zw_switch_area() {
    static int area[4];
    return HandRect(area, page->Edition.SwitchArea());
}
EMSCRIPTEN_KEEPALIVE const char* zw_status() {
    return Hand(page->Edition.Status());
}
EMSCRIPTEN_KEEPALIVE void zw_toggle_power(double now) {
    page->Edition.Advance(PageMillis(now));
    page->Edition.TogglePower();
}
EMSCRIPTEN_KEEPALIVE int zw_picture_count() {
    return static_cast<int>(page->Edition.PictureKeys().size());
}
EMSCRIPTEN_KEEPALIVE int zw_set_for(double deviceScale) {
    return zarq::PictureSetFor(deviceScale);
}
EMSCRIPTEN_KEEPALIVE const char* zw_picture_file(int index, int set) {
    return Hand(zarq::web::PictureFile(
        page->Edition.PictureKeys().at(static_cast<std::size_t>(index)), set));
}
// The numbers the page's Web Audio is built with, handed over so that the page restates none:
// the toy's mix rate, the samples' rate and count, the speaker tone's peak and the mix limit's
// knee (16-bit units), and the audio context's step in seconds.
EMSCRIPTEN_KEEPALIVE const double* zw_sound_setup() {
    static constexpr double setup[] = {zarq::kMixRate,          zarq::assetgen::kWaveRate,
                                       zarq::web::kSampleCount, zarq::kSpeakerLevel,
                                       zarq::kMixKnee,          zarq::web::kContextStep};
    return setup;
}
// Sample `index` as 16-bit PCM at 22050 Hz: `zw_sound_samples` where, `zw_sound_length` how
// many samples.
EMSCRIPTEN_KEEPALIVE const std::int16_t* zw_sound_samples(int index) {
    return zarq::web::EffectSamples(index).data();
}
EMSCRIPTEN_KEEPALIVE int zw_sound_length(int index) {
    return static_cast<int>(zarq::web::EffectSamples(index).size());
}
EMSCRIPTEN_KEEPALIVE const char* zw_lit() {
    return Hand(page->Edition.Lit());
}

}  // extern "C"
