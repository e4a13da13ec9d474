// The player's controls wired into the program.
#include "desktop/input/PlayerControls.h"

#include <QFileInfo>
#include <QMenu>

#include "desktop/dialogs/ControlsDialog.h"
#include "desktop/input/QtKeys.h"

namespace zarq {

PlayerControls::PlayerControls(PanelWindow& panel, QMenu& menu, QSettings& settings)
    : panel_(panel), menu_(menu), settings_(settings) {
    panel_.SetKeyBindings(KeyBindings::Load(SettingTexts(settings_),
                                            ControlsDialog::ShortcutKeys(panel_), QtStoredKeyName));

    // An optional mapping file of the player's own beside the settings.
    const QString mappings =
        QFileInfo(settings_.fileName()).absolutePath() + QStringLiteral("/gamecontrollerdb.txt");
    pads_ = std::make_unique<GameControllers>(panel_.Controls(), mappings.toStdString());
    pads_->SetBindings(PadBindings::Load(SettingTexts(settings_)));
    pads_->SetPowerHandler([this] {
        if (panel_.Form().Puls_Off->Visible()) {
            panel_.Input().SwitchOn();
        } else {
            panel_.Input().SwitchOff();
        }
    });
    pads_->SetMenuHandler([this] { menu_.popup(panel_.mapToGlobal(panel_.rect().center())); });
    feed_ = std::make_unique<ControllerFeed>(*pads_, panel_);

    // With the program's other additions: just before the separator above "E&xit".
    controlsItem_ = new QAction(QStringLiteral("Controls..."), &menu_);
    const QList<QAction*> items = menu_.actions();
    QAction* before = nullptr;
    for (qsizetype i = items.size() - 1; i >= 1; --i) {
        if (items[i]->text() == QStringLiteral("E&xit") && items[i - 1]->isSeparator()) {
            before = items[i - 1];
            break;
        }
    }
    menu_.insertAction(before, controlsItem_);
    QObject::connect(controlsItem_, &QAction::triggered, &panel_, [this] { OpenDialog(); });
}

PlayerControls::~PlayerControls() {
    feed_.reset();
    pads_.reset();
}

void PlayerControls::OpenDialog() {
    std::function<int()> takeButton;
    if (pads_->Started()) takeButton = [this] { return pads_->TakePressedButton(); };
    ControlsDialog dialog(panel_.Keys(), pads_->Bindings(), ControlsDialog::ShortcutKeys(panel_),
                          takeButton, &panel_);
    if (dialog.exec() != QDialog::Accepted) return;
    panel_.SetKeyBindings(dialog.Keys());
    pads_->SetBindings(dialog.Pads());
    dialog.Keys().Save(SettingWriter(settings_));
    dialog.Pads().Save(SettingWriter(settings_));
    settings_.sync();
}

}  // namespace zarq
