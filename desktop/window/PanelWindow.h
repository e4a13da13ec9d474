// The panel on screen: a frameless, translucent window that paints the elements of one TForm1
// and repaints only the rectangles whose elements changed. Its outline comes from the hidden
// TCoolForm it carries. The toy works in its own 490 x 580 coordinates; the window shows them
// at the size and place its PanelSizing decides (a zoom, or full screen), and maps every paint
// and pointer position between the two.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QTransform>
#include <QWidget>
#include <memory>

#include "core/panel/InputPath.h"
#include "core/panel/Unit1.h"
#include "core/session/KeyBindings.h"
#include "core/session/PlaySession.h"
#include "desktop/window/PanelPainter.h"
#include "desktop/window/PanelSizing.h"
#include "desktop/window/PictureSet.h"
#include "desktop/window/TCoolForm.h"

namespace zarq {

class PanelWindow : public QWidget, public ElementView {
  public:
    static constexpr int kWidth = 490;
    static constexpr int kHeight = 580;

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

    // The window's zoom, full screen and place on the screens.
    PanelSizing& Sizing() { return sizing_; }
    const PanelSizing& Sizing() const { return sizing_; }

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
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

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
    // Sees every event of the window, so it outlives the component, whose removal is one.
    PanelSizing sizing_;
    TCoolForm coolForm1_;  // a child: destroyed before QWidget's own clean-up
};

}  // namespace zarq
