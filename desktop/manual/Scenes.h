// The moments of play the manual shows, each made by running a real panel on the virtual
// clock, so the manual's pictures can never disagree with the toy.
#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <vector>

#include "desktop/window/PictureSet.h"

namespace zarq {

struct Scene {
    QString Title;
    QString Text;
    QImage Screen;  // the display window of the panel at that moment, 1:1
};

// The display window's place on the panel.
inline constexpr int kScreenLeft = 115, kScreenTop = 154, kScreenWidth = 268, kScreenHeight = 114;

// Decodes every picture a panel element may show, from the executable's resources.
std::optional<PictureError> LoadPanelPictures(PictureSet& pictures);

// Every scene of the manual, in reading order.
std::vector<Scene> MakeScenes(const PictureSet& pictures);

}  // namespace zarq
