// The panel window's size and place: the zoom (100 % to 300 %, or fitted to the screen; setting
// "Zoom"), full screen, and the window's place on the screens, worked out again once the window
// rests after a move, when the screens change and when full screen ends. The decisions come
// from the pure functions of PanelPlacement; this applies them to the window, and keeps the map
// from the toy's pixels to the window's that painting and pointing go by.
#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QTransform>
#include <QWidget>
#include <functional>
#include <memory>

#include "desktop/window/PanelPlacement.h"
#include "desktop/window/TCoolForm.h"

class QActionGroup;

namespace zarq {

class SettingsStore;

class PanelSizing : public QObject {
  public:
    static constexpr int kFitToScreen = kFitToScreenZoom;

    // Sizes `window`, cut to the outline `outline` carries. The zoom is read from and stored in
    // `store` (none: 100 %, not kept). `held` tells whether the pointer holds the window to move
    // it. All three must outlive this.
    PanelSizing(QWidget& window, const TCoolForm& outline, SettingsStore* store,
                std::function<bool()> held);
    ~PanelSizing() override;
    PanelSizing(const PanelSizing&) = delete;
    PanelSizing& operator=(const PanelSizing&) = delete;

    // The chosen zoom (percent, or kFitToScreen) and the scale it gives on the current screen.
    int Zoom() const { return zoom_; }
    double Scale() const { return scale_; }
    // Chooses a zoom, stores it and resizes the window; a zoom that is not offered is ignored.
    void SetZoom(int percent);
    // The next larger / smaller offered zoom that fits the screen (Ctrl + '+' / Ctrl + '-').
    void ZoomIn();
    void ZoomOut();
    // Whether the window at that zoom fits the available area of the screen it is on.
    bool Fits(int percent) const;
    // Works the size out again for the screen the window is on now, and its place when the size
    // changes; what happens once the window has stopped moving. Never while it is dragged.
    void Settle();
    bool IsFullScreen() const { return fullScreen_; }
    void SetFullScreen(bool on);
    // The "Zoom" submenu: the zooms, then "Full screen" (F11).
    QMenu* ZoomMenu() const { return zoomMenu_; }

    // Toy coordinates to window coordinates.
    const QTransform& ToWindow() const { return toWindow_; }
    // Size, outline and transform for the current zoom or full screen.
    void ApplyGeometry();

    // The window's events that concern its size and place: Ctrl + '+' / '-' and Ctrl + wheel,
    // ESC in full screen, moves, a drag's end, showing. True when the event is taken.
    bool Event(QEvent& event);
    // A left press that moves the window: where a program may not place its own window, the
    // system moves it instead. Whether it does (the pointer then holds nothing).
    bool MoveBySystem();
    // Where a menu opened at `at` in the window (`global` on the desktop) pops up.
    QPoint MenuPlace(const QMenu& menu, const QPoint& at, const QPoint& global) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildZoomMenu();
    void UpdateZoomMenu();
    // ApplyGeometry for a visible window: a new size keeps its middle where it was, on the
    // screen.
    void ResizeAboutCentre();
    // The decision for the window as it is now (PlacePanel over the screens' available areas).
    PanelPlacement PlaceHere() const;
    void ApplyScale(double scale);
    // The window follows the pointer: its size must not change under it.
    bool Dragging() const;
    // Where the compositor places windows: learns the size a maximised window gets there (the
    // output less the desktop's bars, which the compositor does not report otherwise).
    void ProbeWorkArea();
    // The window moved to another screen, or its screen changed size.
    void ScreenChanged();
    void FollowScreen(QScreen* screen);
    QRect ScreenArea(bool available) const;

    QWidget& window_;
    const TCoolForm& outline_;
    SettingsStore* store_;
    std::function<bool()> held_;
    int zoom_ = 100;
    double scale_ = 1.0;
    bool fullScreen_ = false;
    QPoint normalPos_;            // the window's place before full screen
    QTransform toWindow_;         // toy coordinates to window coordinates
    bool screenWatched_ = false;  // the window's moves between screens are watched
    QPointer<QScreen> followed_;  // the screen whose size changes are watched

    QRect placed_;             // where the last decision put the window
    QPointF centre_;           // that window's exact centre
    QTimer settle_;            // runs Settle once the window has stopped moving
    bool systemMove_ = false;  // the compositor moves the window until the pointer comes back
    QSize workArea_;  // where the compositor places windows: its maximised size, once known
    std::unique_ptr<QWidget> probe_;  // the invisible maximised window that learns it
    QMenu* zoomMenu_ = nullptr;       // a child of the window
    QActionGroup* zoomGroup_ = nullptr;
    QAction* fullScreenAction_ = nullptr;
};

}  // namespace zarq
