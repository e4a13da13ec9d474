// Painting of the panel's elements at any device scale.
#include "desktop/window/PanelPainter.h"

#include <QPaintDevice>
#include <algorithm>
#include <cmath>

namespace zarq {

namespace {

constexpr int kPanelWidth = 490;
constexpr int kPanelHeight = 580;

QRect ToQRect(const TRect& r) {
    return {r.Left, r.Top, r.Width, r.Height};
}

bool IsWhole(double v) {
    return std::abs(v - std::round(v)) < 1e-6;
}

// Draws `source` of `picture` (in its own pixels) onto `target` (panel pixels). Where a
// picture pixel falls exactly on a device pixel, it is copied without any filtering: the
// painter is switched to device pixels for the copy, which keeps Qt on its plain blit.
void DrawPicture(QPainter& painter, const QRectF& target, const QImage& picture,
                 const QRectF& source, bool exact) {
    if (exact) {
        const QTransform& world = painter.worldTransform();
        const double ratio = painter.device()->devicePixelRatio();
        const QPointF at = world.map(target.topLeft()) * ratio;
        if (IsWhole(at.x()) && IsWhole(at.y())) {
            painter.save();
            painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
            painter.drawImage(QPointF(std::round(at.x()), std::round(at.y())), picture, source);
            painter.restore();
            return;
        }
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, picture, source);
}

// `picture` (`scale` pixels per panel pixel, its top-left corner at panel point `at`) with
// every pixel the outline leaves uncovered, up to `reach` pixels from a covered one, given the
// colour of the covered pixel nearest to it (a breadth-first flood outwards).
QImage BleedOutwards(const QImage& picture, QPoint at, const QImage& outline, int scale,
                     int reach) {
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    const int w = out.width();
    const int h = out.height();
    const QPoint origin = at * scale;
    const auto covered = [&](int x, int y) {
        const int ox = origin.x() + x;
        const int oy = origin.y() + y;
        if (ox < 0 || oy < 0 || ox >= outline.width() || oy >= outline.height()) return false;
        return qAlpha(reinterpret_cast<const QRgb*>(outline.constScanLine(oy))[ox]) > 0;
    };
    std::vector<int> distance(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), -1);
    std::vector<QPoint> front;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!covered(x, y)) continue;
            distance[static_cast<std::size_t>(y) * w + x] = 0;
            // Only the covered pixels on the edge spread their colour.
            if (!covered(x - 1, y) || !covered(x + 1, y) || !covered(x, y - 1) ||
                !covered(x, y + 1)) {
                front.emplace_back(x, y);
            }
        }
    }
    constexpr QPoint kSteps[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (int step = 1; step <= reach && !front.empty(); ++step) {
        std::vector<QPoint> next;
        for (const QPoint& p : front) {
            const QRgb colour = reinterpret_cast<const QRgb*>(out.constScanLine(p.y()))[p.x()];
            for (const QPoint& d : kSteps) {
                const QPoint q = p + d;
                if (q.x() < 0 || q.y() < 0 || q.x() >= w || q.y() >= h) continue;
                int& seen = distance[static_cast<std::size_t>(q.y()) * w + q.x()];
                if (seen >= 0) continue;
                seen = step;
                reinterpret_cast<QRgb*>(out.scanLine(q.y()))[q.x()] = colour;
                next.push_back(q);
            }
        }
        front = std::move(next);
    }
    return out;
}

}  // namespace

PanelPainter::PanelPainter(const TForm1& form, const PictureSet& pictures) : pictures_(pictures) {
    for (const auto& control : form.Controls()) {
        if (const auto* image = dynamic_cast<const TImage*>(control.get()))
            images_.push_back(image);
    }
}

double PanelPainter::DeviceScale(const QPainter& painter) {
    const QTransform& w = painter.worldTransform();
    const double world = std::max(std::hypot(w.m11(), w.m12()), std::hypot(w.m21(), w.m22()));
    const double ratio = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1.0;
    return world * ratio;
}

void PanelPainter::Paint(QPainter& painter, const QRegion& area) const {
    Paint(painter, area, transparentOutside_);
}

void PanelPainter::Paint(QPainter& painter, const QRegion& area, bool transparentOutside) const {
    if (area.isEmpty()) return;
    const double scale = DeviceScale(painter);
    const int set = PictureSetFor(scale);
    const bool rotated = painter.worldTransform().type() > QTransform::TxScale;
    const bool exact = !rotated && std::abs(scale - set) < 1e-6;

    painter.save();
    if (area.rectCount() == 1) {
        painter.setClipRect(area.boundingRect(), Qt::IntersectClip);
    } else {
        painter.setClipRegion(area, Qt::IntersectClip);
    }
    if (transparentOutside) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(area.boundingRect(), Qt::transparent);
    } else {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.fillRect(area.boundingRect(), Qt::white);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const TImage* image : images_) {
        if (!image->Visible() || image->Picture().empty()) continue;
        const QRect bounds = ToQRect(image->Bounds());
        if (!area.intersects(bounds)) continue;
        const ScaledPicture picture = pictures_.FindAt(image->Picture(), image->Transparent(), set);
        if (!picture) continue;
        const int s = picture.Scale;
        // A picture larger than its element is cut at the element's edge, as the toolkit does.
        const int width = std::min(bounds.width(), picture.Image->width() / s);
        const int height = std::min(bounds.height(), picture.Image->height() / s);
        const QRectF target(bounds.left(), bounds.top(), width, height);
        DrawPicture(painter, target, EdgeSafe(*image, picture), QRectF(0, 0, width * s, height * s),
                    exact && s == set);
    }
    if (transparentOutside) CutOutline(painter, area, set, exact);
    painter.restore();
}

const QImage& PanelPainter::EdgeSafe(const TImage& image, const ScaledPicture& picture) const {
    // A see-through picture keeps its own edge; only an opaque one is ever cut by the outline.
    if (image.Transparent()) return *picture.Image;
    auto done = edgeSafe_.find(picture.Image);
    if (done == edgeSafe_.end()) {
        // Worked out once per picture; a null copy means the picture itself is safe.
        QImage safe;
        const QRect bounds = ToQRect(image.Bounds());
        const std::vector<QRect>& edge = Edge();
        const bool crossed = std::any_of(edge.begin(), edge.end(),
                                         [&](const QRect& r) { return r.intersects(bounds); });
        const ScaledPicture outline = pictures_.OutlineAt(picture.Scale);
        if (crossed && outline && outline.Scale == picture.Scale) {
            // Two panel pixels and a device pixel more than any rounding of the mask reaches.
            const int s = picture.Scale;
            safe = BleedOutwards(*picture.Image, bounds.topLeft(), *outline.Image, s, 2 * s + 2);
        }
        done = edgeSafe_.emplace(picture.Image, std::move(safe)).first;
    }
    return done->second.isNull() ? *picture.Image : done->second;
}

const std::vector<QRect>& PanelPainter::Edge() const {
    if (!edgeFound_) {
        edgeFound_ = true;
        // Every run of a row, left and right, that is not fully covered, from the 1x outline
        // (a panel pixel fully covered there is fully covered at every scale).
        const ScaledPicture coarse = pictures_.OutlineAt(1);
        if (!coarse) return edge_;
        const QImage& alpha = *coarse.Image;
        const int s = coarse.Scale;
        for (int y = 0; y < kPanelHeight; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(alpha.constScanLine(y * s));
            int first = 0;
            while (first < kPanelWidth && qAlpha(row[first * s]) < 255) ++first;
            int last = kPanelWidth;
            while (last > first && qAlpha(row[(last - 1) * s]) < 255) --last;
            const QRect runs[] = {QRect(0, y, first, 1), QRect(last, y, kPanelWidth - last, 1)};
            for (const QRect& run : runs) {
                if (run.isEmpty()) continue;
                // Rows with the same run make one rectangle.
                auto same = std::find_if(edge_.rbegin(), edge_.rend(), [&](const QRect& r) {
                    return r.bottom() == y - 1 && r.left() == run.left() &&
                           r.right() == run.right();
                });
                if (same != edge_.rend()) {
                    same->setBottom(y);
                } else {
                    edge_.push_back(run);
                }
            }
        }
    }
    return edge_;
}

void PanelPainter::CutOutline(QPainter& painter, const QRegion& area, int set, bool exact) const {
    const ScaledPicture outline = pictures_.OutlineAt(set);
    if (!outline) return;
    Edge();
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    const QRect bound = area.boundingRect();
    const int s = outline.Scale;
    for (const QRect& r : edge_) {
        const QRect part = r.intersected(bound);
        if (part.isEmpty()) continue;
        DrawPicture(painter, QRectF(part), *outline.Image,
                    QRectF(part.left() * s, part.top() * s, part.width() * s, part.height() * s),
                    exact && s == set);
    }
}

QImage PanelPainter::Render(double ratio) const {
    const QSize size(static_cast<int>(std::ceil(kPanelWidth * ratio - 1e-9)),
                     static_cast<int>(std::ceil(kPanelHeight * ratio - 1e-9)));
    QImage frame(size,
                 transparentOutside_ ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    frame.setDevicePixelRatio(ratio);
    frame.fill(transparentOutside_ ? Qt::transparent : Qt::white);
    QPainter painter(&frame);
    Paint(painter, QRegion(0, 0, kPanelWidth, kPanelHeight));
    return frame;
}

}  // namespace zarq
