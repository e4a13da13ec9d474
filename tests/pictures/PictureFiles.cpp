// Committed pictures, read the way the program reads them: JPEG with libjpeg, PNG with Qt.
#include "tests/pictures/PictureFiles.h"

#include <cstdlib>
#include <filesystem>

#include "tools/assetgen/pictures/Catalogue.h"
#include "tools/assetgen/pictures/Generator.h"
#include "tools/assetgen/pictures/Jpeg.h"

namespace zarq::test {

QImage CommittedPicture(const std::string& key, int scale) {
    const std::filesystem::path dir =
        std::filesystem::path(ZARQ_SOURCE_DIR) / "assets" / "pictures";
    if (assetgen::FormatOf(key) == assetgen::PictureFormat::Jpeg) {
        const std::filesystem::path file = dir / assetgen::ScaledFileName(key + ".jpg", scale);
        if (!std::filesystem::exists(file)) return {};
        return assetgen::ReadJpeg(file);
    }
    QImage image(
        QString::fromStdString((dir / assetgen::ScaledFileName(key + ".png", scale)).string()));
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

QImage CommittedIcon(int size) {
    const std::filesystem::path file = std::filesystem::path(ZARQ_SOURCE_DIR) / "assets" / "icon" /
                                       ("zarq-simulator-" + std::to_string(size) + ".png");
    return QImage(QString::fromStdString(file.string()));
}

std::set<unsigned> ColoursOf(const QImage& image) {
    std::set<unsigned> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y) & 0xFFFFFFU);
    }
    return colours;
}

bool IsBlack(QRgb pixel) {
    return (pixel & 0xFFFFFFU) == 0;
}

double MeanColourDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

}  // namespace zarq::test
