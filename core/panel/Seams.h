// The only doors out of the toy's core: the sound library's seven entry points, the I/O
// ports of the speaker, the settings store and the window host. The program binds real
// implementations once at start-up; tests bind recorders.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zarq {

class TimerScheduler;

// An opaque sample of the sound library; null means "not loaded".
struct FSOUND_SAMPLE;

// The seven calls of the sound library, with its own argument conventions.
class SoundLibrary {
  public:
    virtual ~SoundLibrary() = default;
    virtual bool FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned flags) = 0;
    virtual bool FSOUND_SetOutput(int outputtype) = 0;
    // index -1 picks a free slot; length 0 means `name` is a file name.
    virtual FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned mode,
                                              int length) = 0;
    // channel -1 plays on any free channel; returns the channel used, or -1.
    virtual int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) = 0;
    // channel -3 stops every channel.
    virtual bool FSOUND_StopSound(int channel) = 0;
    virtual void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) = 0;
    virtual void FSOUND_Close() = 0;
};

inline constexpr int FSOUND_FREE = -1;
inline constexpr int FSOUND_ALL = -3;
inline constexpr unsigned FSOUND_2D = 0x2000;

// Byte output to an I/O port (the interval timer and the speaker gate).
class PortOutput {
  public:
    virtual ~PortOutput() = default;
    virtual void out(std::uint16_t port, std::uint8_t value) = 0;
};

// Integer values stored as decimal text under one key; a missing or malformed value reads
// as the default. Writing never throws: a store that cannot be written keeps the value for
// this run only.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual int ReadInteger(const std::string& name, int defaultValue) = 0;
    virtual void WriteInteger(const std::string& name, int value) = 0;
};

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

enum class MessageKind { Plain, Error };

// The window system as the toy's panel sees it.
class WindowHost {
  public:
    virtual ~WindowHost() = default;
    virtual TPoint ScreenSize() = 0;
    virtual TPoint WindowPos() = 0;
    virtual void MoveWindow(int left, int top) = 0;
    virtual void MessageBox(const std::string& text, const std::string& caption,
                            MessageKind kind) = 0;
    virtual void Beep() = 0;
    virtual void ShellOpen(const std::string& target) = 0;
    // The first activation of the panel brings up the options dialog.
    virtual void ShowOptionsDialog() = 0;
};

// Everything a panel is built with.
struct PanelSeams {
    TimerScheduler& Clock;
    SoundLibrary& Sound;
    PortOutput& Ports;
    WindowHost& Window;
    // Opens the settings store on a key; called once by FormCreate.
    std::function<std::unique_ptr<SettingsStore>(const std::string& key)> OpenSettings;
};

}  // namespace zarq
