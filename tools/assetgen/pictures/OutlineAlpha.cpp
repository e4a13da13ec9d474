// The anti-aliased outline, filled from the same row spans that make the region data.
#include "tools/assetgen/pictures/OutlineAlpha.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "tools/assetgen/pictures/Outline.h"

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

// The left and right edges of the smooth outline, one point per row boundary, top to bottom.
// At each boundary between two rows, the left edge takes the inner (larger) of the two rows'
// left ends and the right edge the inner (smaller) of the right ends.
void InnerEdges(QPolygonF& left, QPolygonF& right) {
    for (int y = 0; y <= kPanelHeight; ++y) {
        const RowSpan above = OutlineRow(std::max(y - 1, 0));
        const RowSpan below = OutlineRow(std::min(y, kPanelHeight - 1));
        left << QPointF(std::max(above.Left, below.Left), y);
        right << QPointF(std::min(above.Right, below.Right), y);
    }
}

// The smooth outline in panel pixels: between boundaries the edges run straight. A diagonal of
// one-pixel steps then covers each step's pixel by half, and no point of the shape lies outside a
// row's span.
QPainterPath SmoothInnerOutline() {
    QPolygonF left;
    QPolygonF right;
    InnerEdges(left, right);
    return ShapeBetween(left, right);
}

// An edge (one point per row boundary) in straight runs, each as long as keeps within one pixel
// inside it (`inward` +1: to the right of it, -1: to the left) and never outside it: a side that
// moves a pixel every few rows becomes one slanted line instead of a staircase, which shows its
// steps once the panel is drawn several times larger.
QPolygonF Straightened(const QPolygonF& edge, int inward) {
    QPolygonF out;
    out << edge.front();
    std::size_t from = 0;
    const std::size_t last = static_cast<std::size_t>(edge.size()) - 1;
    while (from < last) {
        std::size_t to = from + 1;
        for (std::size_t next = to + 1; next <= last; ++next) {
            const QPointF a = edge[static_cast<qsizetype>(from)];
            const QPointF b = edge[static_cast<qsizetype>(next)];
            // Within a pixel across, and within a tenth of its length from the edge: a short
            // line across a rounded corner would flatten it.
            const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
            const double across = (b.y() - a.y()) / length;
            bool fits = true;
            for (std::size_t k = from + 1; k < next && fits; ++k) {
                const QPointF p = edge[static_cast<qsizetype>(k)];
                const double x = a.x() + (b.x() - a.x()) * (p.y() - a.y()) / (b.y() - a.y());
                const double inside = (x - p.x()) * inward;
                fits = inside >= 0 && inside <= 1 && inside * across <= length / 10;
            }
            if (fits) to = next;
        }
        out << edge[static_cast<qsizetype>(to)];
        from = to;
    }
    return out;
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
    QPolygonF left;
    QPolygonF right;
    InnerEdges(left, right);
    const QPolygonF shape =
        ShapeBetween(Straightened(left, 1), Straightened(right, -1)).toFillPolygon();
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
