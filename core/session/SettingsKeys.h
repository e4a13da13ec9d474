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

// The desktop's own: the web edition's page address, which replay links of the best scores
// begin with (text; empty or missing: none given).
inline constexpr const char* kWebAddress = "WebAddress";

// The chosen key and controller button of each control, in the controls' order (up, down,
// left, right, speed / fire).
inline constexpr const char* kKeyOf[] = {"KeyUp", "KeyDown", "KeyLeft", "KeyRight", "KeyFire"};
inline constexpr const char* kPadButtonOf[] = {"PadUp", "PadDown", "PadLeft", "PadRight",
                                               "PadFire"};

}  // namespace zarq::settings
