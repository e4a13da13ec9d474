// Paints the panel's elements, as they are now, into any Qt paint device: the window's
// backing store, or a plain image for tests and benchmarks.
#pragma once

#include <QPainter>
#include <QRegion>

#include <vector>

#include "PictureSet.h"
#include "panel/Unit1.h"

namespace zarq {

class PanelPainter {
public:
    PanelPainter(const TForm1& form, const PictureSet& pictures);

    // Fills `area` white and paints, in stacking order, every lit element with a picture that
    // meets it, 1:1 and without smoothing. Nothing outside `area` is touched.
    void Paint(QPainter& painter, const QRegion& area) const;

    // The whole panel in a new image of the window's size.
    QImage Render() const;

private:
    const PictureSet& pictures_;
    std::vector<const TImage*> images_;  // the form's images in stacking order
};

}  // namespace zarq
