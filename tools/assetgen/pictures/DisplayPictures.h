// The pictures of the display: the grid's bars and disc dashes, both figures with their
// hands and discs, the boss's pieces and the seven-segment digits. Black background, one lit
// colour each (the boss's middle has two); drawn as pixel art, crisp at 1:1.
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace zarq::assetgen {

// Whether `key` names a display picture this file draws.
bool IsDisplayPicture(const std::string& key);

// The picture for `key`; throws std::invalid_argument for a key it does not know.
QImage DrawDisplayPicture(const std::string& key);

// Every key DrawDisplayPicture knows.
std::vector<std::string> DisplayPictureKeys();

// The lit pixels of a seven-segment digit 0..9, as pixel art.
QImage DrawDigit(int digit);

}  // namespace zarq::assetgen
