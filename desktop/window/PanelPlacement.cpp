// The panel window's place and size, worked out from plain values.
#include "desktop/window/PanelPlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zarq {

namespace {
// Below this a window would be too small to hold anything; no real screen comes near it.
constexpr double kSmallestScale = 0.1;

// Half-open, like the pixels: a centre on the border between two screens belongs to one.
bool Holds(const QRect& area, const QPointF& p) {
    return p.x() >= area.left() && p.x() < area.left() + area.width() && p.y() >= area.top() &&
           p.y() < area.top() + area.height();
}

double DistanceSquared(const QRect& area, const QPointF& p) {
    const double dx = std::max({area.left() - p.x(), 0.0, p.x() - (area.left() + area.width())});
    const double dy = std::max({area.top() - p.y(), 0.0, p.y() - (area.top() + area.height())});
    return dx * dx + dy * dy;
}

// The window's left (or top) edge that keeps `centre`, else the nearest one inside
// [from, from + room); the centre goes with it.
int Edge(double& centre, int size, int from, int room) {
    int edge = static_cast<int>(std::lround(centre - size / 2.0));
    const int last = std::max(from, from + room - size);
    if (edge < from || edge > last) {
        edge = std::clamp(edge, from, last);
        centre = edge + size / 2.0;
    }
    return edge;
}
}  // namespace

int ZoomFromSetting(int stored) {
    const bool offered = std::find(std::begin(kOfferedZooms), std::end(kOfferedZooms), stored) !=
                         std::end(kOfferedZooms);
    return offered || stored == kFitToScreenZoom ? stored : 100;
}

QSize PanelSizeAt(double scale) {
    return {static_cast<int>(std::lround(kPanelToyWidth * scale)),
            static_cast<int>(std::lround(kPanelToyHeight * scale))};
}

bool PanelFits(int percent, const QSize& area) {
    const QSize size = PanelSizeAt(percent / 100.0);
    return size.width() <= area.width() && size.height() <= area.height();
}

double PanelScale(int zoom, const QSize& area) {
    if (zoom != 0) {
        int percent = 0;
        for (int p : kOfferedZooms) {
            if (p <= zoom && PanelFits(p, area)) percent = p;
        }
        if (percent != 0) return percent / 100.0;
    }
    // "Fit to screen", or a screen too small for even the toy's own size.
    const double fit =
        std::min(area.width() / double(kPanelToyWidth), area.height() / double(kPanelToyHeight));
    return std::max(fit, kSmallestScale);
}

std::optional<int> ZoomStep(double scale, const QSize& area, bool larger) {
    const int shown = static_cast<int>(std::lround(scale * 100));
    std::optional<int> step;
    for (int percent : kOfferedZooms) {
        if (!PanelFits(percent, area)) continue;
        if (larger && percent > shown && !step) step = percent;
        if (!larger && percent < shown) step = percent;
    }
    return step;
}

QRect PanelArea(const QList<QRect>& availableAreas, const QPointF& centre) {
    QRect area;
    double nearest = std::numeric_limits<double>::infinity();
    for (const QRect& a : availableAreas) {
        if (a.isEmpty()) continue;
        if (Holds(a, centre)) return a;
        if (const double d = DistanceSquared(a, centre); d < nearest) {
            nearest = d;
            area = a;
        }
    }
    return area;
}

PanelPlacement PlacePanel(const QList<QRect>& availableAreas, const QRect& window,
                          const QPointF& centre, int zoom) {
    PanelPlacement out;
    const QRect area = PanelArea(availableAreas, centre);
    out.Area = area;
    out.Scale = area.isEmpty() ? 1.0 : PanelScale(zoom, area.size());
    const QSize size = PanelSizeAt(out.Scale);
    out.Centre = centre;
    // Where it is whole on its screen (or there is no screen), a window that keeps its size
    // stays to the pixel.
    if (size == window.size() && (area.isEmpty() || area.contains(window))) {
        out.Window = window;
        return out;
    }
    double x = centre.x();
    double y = centre.y();
    if (area.isEmpty()) {  // no screen at all: nothing to stay inside
        out.Window = QRect(static_cast<int>(std::lround(x - size.width() / 2.0)),
                           static_cast<int>(std::lround(y - size.height() / 2.0)), size.width(),
                           size.height());
        return out;
    }
    const int left = Edge(x, size.width(), area.left(), area.width());
    const int top = Edge(y, size.height(), area.top(), area.height());
    out.Window = QRect(left, top, size.width(), size.height());
    out.Centre = QPointF(x, y);
    return out;
}

PanelPlacement PlaceUnplacedPanel(const QRect& screenArea, const QSize& workArea,
                                  const QRect& window, int zoom) {
    QRect area = screenArea;
    if (workArea.isValid()) area.setSize(area.size().boundedTo(workArea));
    PanelPlacement place = PlacePanel({area}, window, ExactCentre(area), zoom);
    if (place.Window.size() == window.size()) place.Window = window;  // nothing to place
    return place;
}

QTransform FullScreenTransform(const QSize& screen) {
    const double s = std::min(screen.width() / double(kPanelToyWidth),
                              screen.height() / double(kPanelToyHeight));
    return QTransform::fromTranslate((screen.width() - kPanelToyWidth * s) / 2,
                                     (screen.height() - kPanelToyHeight * s) / 2)
        .scale(s, s);
}

}  // namespace zarq
