// Pixel art from text rows.
#include "tools/assetgen/pictures/Palette.h"

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace zarq::assetgen {

QImage PixelArt(std::initializer_list<const char*> rows, QRgb hash) {
    if (rows.size() == 0) throw std::invalid_argument("pixel art without rows");
    const int width = static_cast<int>(std::strlen(*rows.begin()));
    QImage image(width, static_cast<int>(rows.size()), QImage::Format_RGB32);
    int y = 0;
    for (const char* row : rows) {
        if (static_cast<int>(std::strlen(row)) != width) {
            throw std::invalid_argument("pixel art row " + std::to_string(y) +
                                        " has another width");
        }
        for (int x = 0; x < width; ++x) {
            QRgb colour = kBlack;
            switch (row[x]) {
                case '.':
                    colour = kBlack;
                    break;
                case 'G':
                    colour = kGreen;
                    break;
                case 'R':
                    colour = kRed;
                    break;
                case 'C':
                    colour = kCyan;
                    break;
                case '#':
                    colour = hash;
                    break;
                default:
                    throw std::invalid_argument(std::string("pixel art letter ") + row[x]);
            }
            image.setPixel(x, y, colour);
        }
        ++y;
    }
    return image;
}

QImage DrawAtScale(const QImage& art, int scale) {
    if (scale < 1) throw std::invalid_argument("pixel art scale below 1");
    const QImage source = art.convertToFormat(QImage::Format_RGB32);
    const int w = source.width();
    const int h = source.height();
    // A block of one colour is a piece of something larger: it keeps its square corners.
    bool uniform = true;
    for (int y = 0; y < h && uniform; ++y) {
        for (int x = 0; x < w && uniform; ++x) uniform = source.pixel(x, y) == source.pixel(0, 0);
    }
    if (uniform) return source.scaled(w * scale, h * scale);
    // Outside the picture is the display's black: each picture is a segment of its own.
    const auto at = [&](int x, int y) {
        return x < 0 || y < 0 || x >= w || y >= h ? kBlack : source.pixel(x, y) | 0xFF000000U;
    };
    QImage out(w * scale, h * scale, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb own = at(x, y);
            for (int sy = 0; sy < scale; ++sy) {
                for (int sx = 0; sx < scale; ++sx) {
                    // Where this device pixel's centre lies inside the picture pixel.
                    const double fx = (sx + 0.5) / scale;
                    const double fy = (sy + 0.5) / scale;
                    QRgb colour = own;
                    for (int cx : {0, 1}) {
                        for (int cy : {0, 1}) {
                            if (std::abs(fx - cx) + std::abs(fy - cy) > 0.5 + 1e-9) continue;
                            const int dx = cx == 0 ? -1 : 1;
                            const int dy = cy == 0 ? -1 : 1;
                            const QRgb towardsV = at(x, y + dy);
                            const QRgb towardsH = at(x + dx, y);
                            const QRgb awayV = at(x, y - dy);
                            const QRgb awayH = at(x - dx, y);
                            if (towardsV == towardsH && towardsV != awayH && towardsH != awayV) {
                                colour = towardsV;
                            }
                        }
                    }
                    out.setPixel(x * scale + sx, y * scale + sy, colour);
                }
            }
        }
    }
    return out;
}

}  // namespace zarq::assetgen
