// The browser's devices under the session's portable names: a KeyboardEvent's key becomes the
// key's portable name ("ArrowUp" -> "Up"), a Gamepad in the standard mapping becomes a
// portable reading. The controls' rules themselves live in the core's session.
#pragma once

#include <cstdint>
#include <string>

#include "core/session/Pads.h"

namespace zarq::web {

// The portable name of a key from the browser's KeyboardEvent.key and .code ("ArrowUp" ->
// "Up", "Control" -> "Ctrl", "w" -> "W", " " -> "Space"); empty for none.
std::string KeyName(const std::string& domKey, const std::string& domCode);

// A controller as the page reads it: the standard mapping's buttons (bit i: button i pressed)
// and the left stick (-1 .. 1 each way), as a portable reading.
PadReading StandardPad(std::uint32_t buttons, double x, double y);

}  // namespace zarq::web
