// The names the settings are stored under, in one place: the desktop's store and the page's
// storage use the same ones, so a name changed here changes both and none is misspelt.
#pragma once

namespace zarq::settings {

// The store the toy opens its settings on (the registry key of its first home).
inline constexpr const char* kStoreKey = "Software\\Quarvel\\KeldoZarq";
// Where the desktop keeps them: QSettings' organisation and application.
inline constexpr const char* kOrganisation = "Quarvel";
inline constexpr const char* kApplication = "KeldoZarq";

// The choices before PLAY, as list positions: 0 "Windows MM", 1 "DirectSound", 2 "(no sound)";
// 0 "95, 98, ME, NT" (the speaker's hum on), 1 "2000". -1 or missing: not chosen.
inline constexpr const char* kSoundMode = "SoundMode";
inline constexpr const char* kSystem = "System";
// 1 once the first-run warning has been shown.
inline constexpr const char* kFirstRun = "FirstRun";
// The desktop window's zoom in percent; 0 fits the screen.
inline constexpr const char* kZoom = "Zoom";

// The desktop's own: the address of the web edition's page or of a scoreboard (which serves the
// page at its root and its API under api/); replay links of the best scores begin with it, and
// plays are submitted to it (text; empty or missing: none given).
inline constexpr const char* kWebAddress = "WebAddress";
// The desktop's own: the name last given for a play sent to the scoreboard, and the group that
// holds, per kept play (by its shelf id), its entry there: Id, Place and Address.
inline constexpr const char* kScoreboardName = "ScoreboardName";
inline constexpr const char* kScoreboardEntries = "Scoreboard";

// The chosen key and controller button of each control, in the controls' order (up, down,
// left, right, speed / fire).
inline constexpr const char* kKeyOf[] = {"KeyUp", "KeyDown", "KeyLeft", "KeyRight", "KeyFire"};
inline constexpr const char* kPadButtonOf[] = {"PadUp", "PadDown", "PadLeft", "PadRight",
                                               "PadFire"};

}  // namespace zarq::settings
