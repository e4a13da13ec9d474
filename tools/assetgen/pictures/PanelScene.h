// The panel painted the way the window paints it, from a chosen set of elements: used for
// the previews and for the small pictures of the toy in the dialogs and the icon.
#pragma once

#include <QImage>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/panel/Unit1.h"

namespace zarq::assetgen {

// One element as the window paints it.
struct ShownElement {
    TRect Bounds;
    std::string Picture;
    bool Transparent = false;
};

// The elements `lit` picks, in stacking order, each with its own picture unless `pictureFor`
// gives another (a digit place shows a digit source's picture).
std::vector<ShownElement> ElementsShown(
    const TForm1& form, const std::function<bool(const TImage&)>& lit,
    const std::map<const TImage*, std::string>& pictureFor = {});

// The 490 x 580 panel with `shown` painted in order, a transparent element without its key
// colour (its bottom-left pixel). Pixels outside the outline are `outside`, which may be
// transparent; the image is ARGB32 (not premultiplied). `pictures` are drawn `scale` times
// finer than the panel's pixels, and so is the image.
QImage PaintPanel(const std::vector<ShownElement>& shown,
                  const std::map<std::string, QImage>& pictures, QRgb outside, int scale = 1);

}  // namespace zarq::assetgen
