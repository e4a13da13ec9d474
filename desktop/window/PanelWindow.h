// The panel on screen: a frameless, translucent window that paints the elements of one TForm1
// and repaints only the rectangles whose elements changed. Its outline comes from the hidden
// TCoolForm it carries. The toy works in its own 490 x 580 coordinates; the window shows them
// zoomed (100 % to 300 %, or fitted to the screen) or full screen, and maps every paint,
// pointer position and outline between the two.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QTransform>
#include <QWidget>
#include <memory>

#include "PanelPainter.h"
#include "PanelPlacement.h"
#include "PictureSet.h"
#include "session/KeyBindings.h"
#include "panel/InputPath.h"
#include "panel/Unit1.h"
#include "session/PlaySession.h"
#include "TCoolForm.h"

class QActionGroup;

namespace zarq {

class PanelWindow : public QWidget, public ElementView {
  public:
    static constexpr int kWidth = 490;
    static constexpr int kHeight = 580;
    // The zooms offered, in percent; 0 is "Fit to screen".
    static constexpr int kFitToScreen = 0;
    static constexpr auto& kZooms = kOfferedZooms;

    // The session's panel on its input path; the zoom is kept in the session's settings.
    // `session` and `pictures` must outlive the window. `mask2` is the stored outline.
    PanelWindow(PlaySession& session, const PictureSet& pictures, const QByteArray& mask2,
                QWidget* parent = nullptr);
    // A panel alone, on an input path of the window's own, its zoom kept for this run only.
    PanelWindow(TForm1& form, const PictureSet& pictures, const QByteArray& mask2,
                QWidget* parent = nullptr);
    ~PanelWindow() override;
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    TForm1& Form() { return form_; }
    // Where every player input for the toy goes: keys, switch clicks, other devices.
    InputPath& Input() { return input_; }
    // The toy's controls as the keyboard and the controllers hold them together: a control
    // held on one stays held when another lets go.
    SharedControls& Controls() { return controls_; }
    TCoolForm& CoolForm1() { return coolForm1_; }
    const PanelPainter& Painter() const { return painter_; }

    // A stored "Zoom" value as the zoom it selects: an offered one, else 100.
    static int ZoomFromSetting(int stored);
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

    // ElementView: the element's rectangle is repainted at the next paint.
    void ElementChanged(const TControl& control) override;

    // The menu a right click opens (owned by the options dialog).
    void SetContextMenu(QMenu* menu) { menu_ = menu; }
    // The player's keys for the toy's controls (the defaults until set). Keys held under the
    // old keys are released first.
    void SetKeyBindings(const KeyBindings& keys);
    const KeyBindings& Keys() const { return session_ != nullptr ? session_->Keys() : keys_; }
    // The hint of the control under a point of the window ("" where there is none).
    QString HintAt(const QPoint& at) const;
    // The toy's point under a point of the window.
    QPoint ToToy(const QPointF& at) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    PanelWindow(TForm1& form, PlaySession* session, const PictureSet& pictures,
                const QByteArray& mask2, QWidget* parent);
    // The input path and controls of a panel without a session.
    struct OwnControls {
        explicit OwnControls(TForm1& form) : Input(form) {}
        InputPath Input;
        SharedControls Controls{Input};
        HeldKeys Keyboard{Controls};
    };
    // Key-ups for every key still held: the toy must not keep a button pressed that the
    // keyboard no longer reports.
    void ReleaseHeldKeys();
    void UpdatePointer(const QPoint& at);
    void BuildZoomMenu();
    void UpdateZoomMenu();
    // Size, outline and transform for the current zoom or full screen.
    void ApplyGeometry();
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
    // Toy coordinates to window coordinates for painting.
    QTransform PaintTransform() const;
    // The toy's pixels under a region of the window.
    QRegion ToyArea(const QRegion& area) const;
    void PaintFullScreen(QPainter& painter, const QRegion& area);

    TForm1& form_;
    PlaySession* session_;
    std::unique_ptr<OwnControls> own_;  // a panel without a session
    InputPath& input_;
    SharedControls& controls_;
    HeldKeys& heldKeys_;
    SettingsStore* settings_;
    QPointer<QMenu> menu_;
    KeyBindings keys_ = KeyBindings::Defaults();
    TControl* pressed_ = nullptr;  // keeps the mouse while a button is held
    QPoint dragOrigin_;            // the pressed element's corner in window pixels
    PanelPainter painter_;
    int zoom_ = 100;
    double scale_ = 1.0;
    bool fullScreen_ = false;
    QPoint normalPos_;            // the window's place before full screen
    QTransform toWindow_;         // toy coordinates to window coordinates
    QRegion shape_;               // the outline in window coordinates (empty: the whole window)
    bool screenWatched_ = false;  // the window's moves between screens are watched
    QPointer<QScreen> followed_;  // the screen whose size changes are watched

    QRect placed_;    // where the last decision put the window
    QPointF centre_;  // that window's exact centre
    QTimer settle_;   // runs Settle once the window has stopped moving
    bool systemMove_ = false;  // the compositor moves the window until the pointer comes back
    QSize workArea_;  // where the compositor places windows: its maximised size, once known
    std::unique_ptr<QWidget> probe_;  // the invisible maximised window that learns it
    QMenu* zoomMenu_ = nullptr;
    QActionGroup* zoomGroup_ = nullptr;
    QAction* fullScreenAction_ = nullptr;
    TCoolForm coolForm1_;  // a child: destroyed before QWidget's own clean-up
};

}  // namespace zarq
