// The few colours of the display and the pixel-art helpers shared by the picture drawers.
#pragma once

#include <QColor>
#include <QImage>
#include <initializer_list>

namespace zarq::assetgen {

inline constexpr QRgb kBlack = 0xFF000000;
inline constexpr QRgb kGreen = 0xFF18B618;
inline constexpr QRgb kRed = 0xFFFF0000;
inline constexpr QRgb kCyan = 0xFF40FFFF;
// An unlit element's faint trace on the screen.
inline constexpr QRgb kUnlit = 0xFF181818;

// A picture from rows of text: '.' black, 'G' green, 'R' red, 'C' cyan, and '#' the colour
// given. Throws if a row has the wrong length or an unknown letter.
QImage PixelArt(std::initializer_list<const char*> rows, QRgb hash = kGreen);

}  // namespace zarq::assetgen
