// Painting of the panel's elements.
#include "PanelPainter.h"

namespace zarq {

namespace {
QRect ToQRect(const TRect& r) { return {r.Left, r.Top, r.Width, r.Height}; }
}  // namespace

PanelPainter::PanelPainter(const TForm1& form, const PictureSet& pictures) : pictures_(pictures) {
    for (const auto& control : form.Controls()) {
        if (const auto* image = dynamic_cast<const TImage*>(control.get())) images_.push_back(image);
    }
}

void PanelPainter::Paint(QPainter& painter, const QRegion& area) const {
    if (area.isEmpty()) return;
    painter.save();
    if (area.rectCount() == 1) {
        painter.setClipRect(area.boundingRect(), Qt::IntersectClip);
    } else {
        painter.setClipRegion(area, Qt::IntersectClip);
    }
    // Pictures stay crisp: scaled, if ever, pixel for pixel.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(area.boundingRect(), Qt::white);
    for (const TImage* image : images_) {
        if (!image->Visible() || image->Picture().empty()) continue;
        const QRect bounds = ToQRect(image->Bounds());
        if (!area.intersects(bounds)) continue;
        const QImage* picture = pictures_.Find(image->Picture(), image->Transparent());
        if (picture == nullptr) continue;
        // A picture larger than its element is cut at the element's edge, as the toolkit does.
        const QRect source(0, 0, std::min(bounds.width(), picture->width()),
                           std::min(bounds.height(), picture->height()));
        painter.drawImage(bounds.topLeft(), *picture, source);
    }
    painter.restore();
}

QImage PanelPainter::Render() const {
    QImage frame(490, 580, QImage::Format_RGB32);
    QPainter painter(&frame);
    Paint(painter, QRegion(frame.rect()));
    return frame;
}

}  // namespace zarq
