// Writes every picture of the panel, the dialogs' pictures, the program's icons and the
// window's region data.
#pragma once

#include <QImage>
#include <QString>
#include <filesystem>
#include <map>
#include <string>

namespace zarq::assetgen {

struct GeneratorOptions {
    std::filesystem::path PicturesDir;  // one file per picture key
    std::filesystem::path MaskFile;     // the stored "Mask2" value
    std::filesystem::path IconDir;      // the program's icons, zarq-simulator-<size>.png and .svg
    std::filesystem::path PreviewDir;   // empty: no previews
    QString FontFile;
};

// The pictures are drawn 1, 2 and 3 times finer than the panel's pixels, for screens of
// those pixel ratios (and the ones between, scaled down).
inline constexpr int kPictureScales[] = {1, 2, 3};

// Every picture of the panel by key, drawn in memory `scale` times finer than the panel's
// pixels. Throws std::runtime_error when the panel's element table and the drawings disagree
// (a picture without a drawing, a drawing nobody shows, a size that does not fit).
std::map<std::string, QImage> DrawAllPictures(const QString& fontFile, int scale = 1);

// The file of a picture drawn `scale` times finer: "Im_Base@2x.jpg" beside "Im_Base.jpg".
std::string ScaledFileName(const std::string& name, int scale);

// Draws and writes everything; throws std::runtime_error on any failure.
void Generate(const GeneratorOptions& options);

}  // namespace zarq::assetgen
