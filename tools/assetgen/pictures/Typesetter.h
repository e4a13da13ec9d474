// Text set in the panel's bold face as outlines, so printing can be filled, outlined and
// bent like any other shape; shared by the panel photograph and the dialog pictures.
#pragma once

#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QString>

namespace zarq::assetgen {

class Typesetter {
  public:
    // Needs a QGuiApplication. Throws std::runtime_error if the font cannot be loaded.
    explicit Typesetter(const QString& fontFile);

    // `size` is the cap-height-ish pixel size; the path has its baseline at `at.y()` and is
    // aligned on `at.x()` (-1 right, 0 centre, 1 left). `spacing` is extra pixels per letter.
    QPainterPath Text(const QString& text, double size, QPointF at, int align,
                      double spacing = 0.0) const;

  private:
    QFont font_;
};

}  // namespace zarq::assetgen
