// The anti-aliased outline, filled from the same row spans that make the region data.
#include "OutlineAlpha.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <stdexcept>

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

}  // namespace

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
