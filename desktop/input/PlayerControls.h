// Everything the player may choose for the controls, put together for the program: the keys
// and controller buttons read from the settings, the game controllers polled while the panel
// is active (Start works the switch, Back opens the menu), and the menu item "Controls..."
// with its dialog, whose choices are applied and stored at once.
#pragma once

#include <QAction>
#include <QSettings>
#include <memory>

#include "desktop/input/ControllerFeed.h"
#include "desktop/input/GameControllers.h"
#include "desktop/window/PanelWindow.h"

namespace zarq {

class PlayerControls {
  public:
    // `menu` is the program's menu; the item goes just before the separator above "E&xit".
    // `settings` must outlive this object.
    PlayerControls(PanelWindow& panel, QMenu& menu, QSettings& settings);
    ~PlayerControls();
    PlayerControls(const PlayerControls&) = delete;
    PlayerControls& operator=(const PlayerControls&) = delete;

    GameControllers& Pads() { return *pads_; }
    QAction* ControlsItem() const { return controlsItem_; }
    // The dialog, modal; its choices applied and stored when accepted.
    void OpenDialog();

  private:
    PanelWindow& panel_;
    QMenu& menu_;
    QSettings& settings_;
    std::unique_ptr<GameControllers> pads_;
    std::unique_ptr<ControllerFeed> feed_;
    QAction* controlsItem_ = nullptr;
};

}  // namespace zarq
