// The scalable icon: the toy's face drawn from the same shapes as its photograph, its outline
// the window's, and its screen lit from the display's own pictures, written as SVG.
#pragma once

#include <QImage>
#include <map>
#include <string>
#include <vector>

#include "tools/assetgen/pictures/PanelPhoto.h"
#include "tools/assetgen/pictures/PanelScene.h"

namespace zarq::assetgen {

// `face` back to front, then `screen`'s elements in stacking order, each from its picture in
// `pictures` (1x) pixel for pixel, a transparent one without its key colour; photographs among
// them (their keys in `skipped`) are left to the face's shapes. The toy fills the square's
// height less a margin of 1/64 on both sides, as the PNG icons do.
std::string DrawIconSvg(const std::vector<FaceShape>& face, const std::vector<ShownElement>& screen,
                        const std::map<std::string, QImage>& pictures,
                        const std::vector<std::string>& skipped);

}  // namespace zarq::assetgen
