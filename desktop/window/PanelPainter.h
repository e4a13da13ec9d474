// Paints the panel's elements, as they are now, into any Qt paint device: the window's
// backing store, or a plain image for tests and benchmarks. Coordinates are the toy's own
// 490 x 580 pixels; the painter's transform and its device's pixel ratio decide which
// picture set is used and how it is scaled.
#pragma once

#include <QPainter>
#include <QRegion>
#include <map>
#include <vector>

#include "core/panel/Unit1.h"
#include "desktop/window/PictureSet.h"

namespace zarq {

class PanelPainter {
  public:
    PanelPainter(const TForm1& form, const PictureSet& pictures);

    // Outside the outline: white (the default, for a window clipped by its mask alone) or
    // fully transparent with an anti-aliased edge (for a see-through window).
    void SetTransparentOutside(bool transparent) { transparentOutside_ = transparent; }
    bool TransparentOutside() const { return transparentOutside_; }

    // Fills `area` (panel pixels) with the background and paints, in stacking order, every
    // lit element with a picture that meets it. The pictures come from the set for the
    // painter's device scale; at exactly that scale they are copied pixel for pixel, at any
    // other they are scaled down smoothly. Nothing outside `area` is touched.
    void Paint(QPainter& painter, const QRegion& area) const;
    // The same with the outside chosen for this paint alone (full screen: see-through, to be
    // laid onto black).
    void Paint(QPainter& painter, const QRegion& area, bool transparentOutside) const;

    // Device pixels per panel pixel of `painter`: its device's pixel ratio times the scale of
    // its world transform.
    static double DeviceScale(const QPainter& painter);

    // The whole panel in a new image of the window's size times `ratio` (with that device
    // pixel ratio); ARGB when the outside is transparent.
    QImage Render(double ratio = 1.0) const;

  private:
    void CutOutline(QPainter& painter, const QRegion& area, int set, bool exact) const;
    // The panel rectangles where the outline is not fully opaque.
    const std::vector<QRect>& Edge() const;
    // `picture` of `image`, or, where the outline's edge crosses the image, a copy whose
    // pixels just outside the outline carry the colour of the nearest pixel inside: a mask
    // rounded to device pixels a little wider than the outline, or a picture scaled smoothly
    // at a fractional ratio, then shows the toy's colour there, never the white around it.
    const QImage& EdgeSafe(const TImage& image, const ScaledPicture& picture) const;

    const PictureSet& pictures_;
    std::vector<const TImage*> images_;  // the form's images in stacking order
    bool transparentOutside_ = false;
    // Panel rectangles where the outline is not fully opaque, found once from the outline.
    mutable std::vector<QRect> edge_;
    mutable bool edgeFound_ = false;
    // The copies made by EdgeSafe, by the picture they come from.
    mutable std::map<const QImage*, QImage> edgeSafe_;
};

}  // namespace zarq
