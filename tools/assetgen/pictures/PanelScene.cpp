// Painting chosen elements over each other inside the outline.
#include "tools/assetgen/pictures/PanelScene.h"

#include <stdexcept>

#include "tools/assetgen/pictures/Outline.h"

namespace zarq::assetgen {

std::vector<ShownElement> ElementsShown(const TForm1& form,
                                        const std::function<bool(const TImage&)>& lit,
                                        const std::map<const TImage*, std::string>& pictureFor) {
    std::vector<ShownElement> shown;
    for (const auto& control : form.Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || !lit(*image)) continue;
        const auto other = pictureFor.find(image);
        const std::string& picture = other != pictureFor.end() ? other->second : image->Picture();
        if (picture.empty()) continue;
        shown.push_back({image->Bounds(), picture, image->Transparent()});
    }
    return shown;
}

QImage PaintPanel(const std::vector<ShownElement>& shown,
                  const std::map<std::string, QImage>& pictures, QRgb outside, int scale) {
    const int width = kPanelWidth * scale;
    const int height = kPanelHeight * scale;
    QImage panel(width, height, QImage::Format_ARGB32);
    panel.fill(outside);
    for (const ShownElement& element : shown) {
        const auto it = pictures.find(element.Picture);
        if (it == pictures.end()) throw std::runtime_error("no picture " + element.Picture);
        const QImage& picture = it->second;
        const QRgb key = picture.pixel(0, picture.height() - 1);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb p = picture.pixel(x, y);
                if (element.Transparent && p == key) continue;
                const int px = element.Bounds.Left * scale + x;
                const int py = element.Bounds.Top * scale + y;
                if (px < 0 || py < 0 || px >= width || py >= height) continue;
                if (!InsideOutline(px / scale, py / scale)) continue;
                panel.setPixel(px, py, p | 0xFF000000U);
            }
        }
    }
    return panel;
}

}  // namespace zarq::assetgen
