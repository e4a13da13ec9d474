// Pixel art from text rows.
#include "Palette.h"

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

}  // namespace zarq::assetgen
