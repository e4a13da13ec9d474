// The panel's outline as an anti-aliased alpha picture at any whole scale: the window paints
// the panel through it on a desktop that can show see-through windows, so the edge is smooth
// where the region data can only give whole-pixel steps.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <string>

namespace zarq::assetgen {

// A greyscale picture of 490 x 580 times `scale` pixels whose grey level is the covered share
// of each pixel: 0 outside the outline's region, 255 well inside, in between along the edge.
// The smooth edge runs through the inner corners of the region's steps, so it never leaves
// the region (the window's mask stays the hard limit) and a straight run stays a hard edge.
QImage DrawOutlineAlpha(int scale);

// The outline as an SVG picture of 490 x 580 units holding one path, for a page that cuts the
// panel at any scale with it rather than with a picture of one resolution: the same edge with
// its sides' one-pixel steps straightened into slants, never outside the region and at most a
// pixel inside it.
std::string DrawOutlineSvg();

// The closed shape between a left edge and a right edge, each given from top to bottom.
QPainterPath ShapeBetween(const QPolygonF& left, const QPolygonF& right);

}  // namespace zarq::assetgen
