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

// Pixel art drawn `scale` times finer as the shapes it stands for: every pixel is a square of
// its colour, except near a corner where a staircase turns. There, as in the EPX family of
// pixel-art scalers, a corner whose two neighbours towards it agree with each other and differ
// from the two neighbours away from it takes their colour, within half a pixel (along the
// axes together) of the corner. The four pixels around a corner so share one diagonal: round
// dots come out round, diagonals as diagonals, rectangles with softened corners, each step
// one device pixel. At scale 1 nothing changes: a pixel's centre is a whole pixel from its
// corners. A picture of a single colour (a piece of a larger shape) is simply enlarged.
QImage DrawAtScale(const QImage& art, int scale);

}  // namespace zarq::assetgen
