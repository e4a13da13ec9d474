// Where the panel window goes and how large it is, given the screens' available areas, where
// its centre is, the chosen zoom and full screen: pure functions of plain values, so that a
// window resized about its centre onto another screen is never sent back by the next decision.
#pragma once

#include <QList>
#include <QPointF>
#include <QRect>
#include <QTransform>
#include <optional>

namespace zarq {

struct PanelPlacement {
    double Scale = 1.0;  // window pixels per toy pixel
    QRect Window;        // the window's place and size
    QPointF Centre;      // its exact centre, kept for the next decision (no rounding drift)
    QRect Area;          // the available area of the screen it was worked out for
};

// The toy's size in its own pixels, and the zooms offered, in percent.
inline constexpr int kPanelToyWidth = 490;
inline constexpr int kPanelToyHeight = 580;
inline constexpr int kOfferedZooms[] = {100, 150, 200, 300};
// The zoom that fits the window to its screen.
inline constexpr int kFitToScreenZoom = 0;

// A stored zoom as the zoom it selects: an offered one or fit to screen, else 100.
int ZoomFromSetting(int stored);

// The window's size in window pixels at `scale`.
QSize PanelSizeAt(double scale);

// Whether the window at `percent` fits within an available area of that size.
bool PanelFits(int percent, const QSize& area);

// The scale on a screen whose available area is `area`: `zoom` is a percentage, or 0 for
// "fit to screen". A zoom too large for the area shows at the largest offered zoom that fits,
// and where not even 100 % fits, at the largest scale that does; the choice itself stays.
double PanelScale(int zoom, const QSize& area);

// The zoom Ctrl + '+' (`larger`) or Ctrl + '-' chooses for a window shown at `scale` on an
// available area of that size: the next offered zoom beyond the one shown that fits, if any.
std::optional<int> ZoomStep(double scale, const QSize& area, bool larger);

// The available area of the screen the window belongs to: the one that holds `centre`, else
// the nearest; an empty rectangle when there is none.
QRect PanelArea(const QList<QRect>& availableAreas, const QPointF& centre);

// The window now at `window`, whose exact centre is `centre`, on that screen at `zoom`. The
// window always ends whole on that screen: one whose size stays and that lies inside the area
// is left where it is; a new size keeps `centre` exactly, and a window that would stick out
// (its monitor gone, dropped beside every screen, partly off one) is pushed inside the area by
// no more than it sticks out. Applied to its own result (Window and Centre), it gives that
// result again.
PanelPlacement PlacePanel(const QList<QRect>& availableAreas, const QRect& window,
                          const QPointF& centre, int zoom);

// The same decision where the compositor places windows and never says where: the size is
// worked out for the available area of the screen it shows the window on, cut to `workArea`
// (the size a maximised window gets there) once that is known. A window whose size stays is
// left as it reports itself; another goes to the middle of that area.
PanelPlacement PlaceUnplacedPanel(const QRect& screenArea, const QSize& workArea,
                                  const QRect& window, int zoom);

// Toy pixels to window pixels in full screen: as large as the screen allows, in its middle.
QTransform FullScreenTransform(const QSize& screen);

// The exact centre of a window rectangle.
inline QPointF ExactCentre(const QRect& r) {
    return {r.x() + r.width() / 2.0, r.y() + r.height() / 2.0};
}

}  // namespace zarq
