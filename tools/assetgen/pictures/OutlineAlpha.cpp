// The anti-aliased outline, filled from the same row spans that make the region data.
#include "OutlineAlpha.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "Outline.h"

namespace zarq::assetgen {

QPainterPath ShapeBetween(const QPolygonF& left, const QPolygonF& right) {
    QPolygonF outline = left;
    for (auto it = right.rbegin(); it != right.rend(); ++it) outline << *it;
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    return path;
}

namespace {

// The smooth outline in panel pixels. At each boundary between two rows, the left edge takes
// the inner (larger) of the two rows' left ends and the right edge the inner (smaller) of the
// right ends; between boundaries the edges run straight. A diagonal of one-pixel steps then
// covers each step's pixel by half, and no point of the shape lies outside a row's span.
QPainterPath SmoothInnerOutline() {
    QPolygonF left;
    QPolygonF right;
    for (int y = 0; y <= kPanelHeight; ++y) {
        const RowSpan above = OutlineRow(std::max(y - 1, 0));
        const RowSpan below = OutlineRow(std::min(y, kPanelHeight - 1));
        left << QPointF(std::max(above.Left, below.Left), y);
        right << QPointF(std::min(above.Right, below.Right), y);
    }
    return ShapeBetween(left, right);
}

// Whether b lies on the straight line from a to c, between them.
bool Between(QPointF a, QPointF b, QPointF c) {
    const double cross = (b.x() - a.x()) * (c.y() - a.y()) - (b.y() - a.y()) * (c.x() - a.x());
    const double dot = (b.x() - a.x()) * (c.x() - b.x()) + (b.y() - a.y()) * (c.y() - b.y());
    return cross == 0 && dot >= 0;
}

}  // namespace

std::string DrawOutlineSvg() {
    // The shape's corners are whole panel pixels; the points along a straight run are left out.
    const QPolygonF shape = SmoothInnerOutline().toFillPolygon();
    std::vector<QPointF> corners;
    for (const QPointF& p : shape) {
        if (!corners.empty() && corners.back() == p) continue;
        while (corners.size() >= 2 && Between(corners[corners.size() - 2], corners.back(), p)) {
            corners.pop_back();
        }
        corners.push_back(p);
    }
    while (corners.size() >= 2 && corners.back() == corners.front()) corners.pop_back();
    std::string d;
    for (const QPointF& p : corners) {
        d += (d.empty() ? "M" : "L") + std::to_string(static_cast<int>(p.x())) + " " +
             std::to_string(static_cast<int>(p.y()));
    }
    const std::string w = std::to_string(kPanelWidth);
    const std::string h = std::to_string(kPanelHeight);
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
           "\" viewBox=\"0 0 " + w + " " + h + "\">\n<path d=\"" + d + "Z\"/>\n</svg>\n";
}

QImage DrawOutlineAlpha(int scale) {
    if (scale < 1) throw std::invalid_argument("outline scale below 1");
    QImage cover(kPanelWidth * scale, kPanelHeight * scale, QImage::Format_ARGB32_Premultiplied);
    cover.fill(Qt::transparent);
    {
        QPainter paint(&cover);
        paint.setRenderHint(QPainter::Antialiasing, true);
        paint.scale(scale, scale);
        paint.setPen(Qt::NoPen);
        paint.setBrush(Qt::black);
        paint.drawPath(SmoothInnerOutline());
    }
    QImage alpha(cover.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < alpha.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(cover.constScanLine(y));
        uchar* out = alpha.scanLine(y);
        for (int x = 0; x < alpha.width(); ++x) {
            // The region is the hard limit, whatever the rasteriser's rounding.
            out[x] = InsideOutline(x / scale, y / scale) ? static_cast<uchar>(qAlpha(in[x])) : 0;
        }
    }
    return alpha;
}

}  // namespace zarq::assetgen
