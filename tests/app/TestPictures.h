// Pictures for the window's tests: the committed assets when they are all present, otherwise
// stand-ins drawn here with the same sizes, colours and grid patterns, and a screen picture
// whose #181818 outlines are made from them.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "core/panel/Unit1.h"
#include "desktop/window/PictureSet.h"

namespace zarq::test {

// A folder holding a picture file for every key of `form`.
class PictureFolder {
  public:
    explicit PictureFolder(const TForm1& form);
    const QString& Path() const { return path_; }
    bool Real() const { return real_; }

  private:
    std::unique_ptr<QTemporaryDir> temp_;
    QString path_;
    bool real_ = false;
};

// The committed assets folder (from the build).
QString AssetFolder();

// A stored "Mask2" value made of `rects` (left, top, right, bottom; right and bottom outside).
struct WinRect {
    int Left, Top, Right, Bottom;
};
QByteArray Mask2Of(const std::vector<WinRect>& rects);
// The committed outline if present, otherwise a stand-in of the toy's shape.
QByteArray PanelMask2();

// The colour at (x, y) as #RRGGBB, for readable failures.
QString ColourAt(const QImage& image, int x, int y);
QString Hex(QRgb colour);

// The first lit (not black) pixel of a display picture.
QPoint FindLit(const QImage& picture);
// The first pixel of a picture's key colour (its bottom-left pixel's colour).
QPoint FindKeyColour(const QImage& picture);

}  // namespace zarq::test
