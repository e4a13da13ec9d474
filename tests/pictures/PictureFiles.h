// Reading the committed pictures, and the colour tests the picture tests share.
#pragma once

#include <QImage>
#include <set>
#include <string>

namespace zarq::test {

// The committed picture of `key` (its file per the panel's naming) from the set `scale`
// times finer than the panel's pixels, or a null image.
QImage CommittedPicture(const std::string& key, int scale = 1);

// The committed program icon of `size` pixels as stored (with or without alpha), or a null image.
QImage CommittedIcon(int size);

// The distinct colours of a picture, as 0xRRGGBB.
std::set<unsigned> ColoursOf(const QImage& image);

bool IsBlack(QRgb pixel);

// Mean difference per colour channel of two pictures of one size.
double MeanColourDifference(const QImage& a, const QImage& b);

}  // namespace zarq::test
