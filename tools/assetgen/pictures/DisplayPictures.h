// The pictures of the display: the grid's bars and disc dashes, both figures with their
// hands and discs, the boss's pieces and the seven-segment digits. Black background, one lit
// colour each (the boss's middle has two); drawn as pixel art, crisp at 1:1, and as the same
// shapes two and three times finer.
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace zarq::assetgen {

// Whether `key` names a display picture this file draws.
bool IsDisplayPicture(const std::string& key);

// The picture for `key`, `scale` times finer (see DrawAtScale); throws
// std::invalid_argument for a key it does not know.
QImage DrawDisplayPicture(const std::string& key, int scale = 1);

// Every key DrawDisplayPicture knows.
std::vector<std::string> DisplayPictureKeys();

// The lit pixels of a seven-segment digit 0..9, `scale` times finer than the panel's pixels.
QImage DrawDigit(int digit, int scale = 1);

}  // namespace zarq::assetgen
