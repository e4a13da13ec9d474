// The screen's own picture (Im_BaseScreen): black, with the lit pixels of every display
// element that lies on it drawn in a faint grey, so that unlit segments stay just visible as
// on the real display.
#pragma once

#include <QImage>
#include <functional>
#include <string>

#include "core/panel/Unit1.h"

namespace zarq::assetgen {

// `pictureOf` gives the picture of a key, `scale` times finer than the panel's pixels, and
// the screen comes out at the same scale. The digit places, blank on the panel, show the
// trace of every digit that can appear in them.
QImage DrawBaseScreen(const TForm1& form,
                      const std::function<QImage(const std::string& key)>& pictureOf,
                      int scale = 1);

}  // namespace zarq::assetgen
