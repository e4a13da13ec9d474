// Playing the toy to the moments the manual shows.
#include "desktop/manual/Scenes.h"

#include <functional>

#include "core/panel/SilentSeams.h"
#include "core/panel/Unit1.h"
#include "core/session/Stages.h"
#include "desktop/window/PanelPainter.h"
#include "desktop/window/PictureSet.h"

namespace zarq {

namespace {

// A silent toy on its own virtual clock.
struct ManualToy {
    VirtualClock clock;
    SilentSound sound;
    SilentPorts ports;
    SilentWindow window;
    TForm1 form{PanelSeams{clock.Scheduler(), sound, ports, window, nullptr}};

    void SwitchOn() { form.Puls_OffMouseDown(TMouseButton::mbLeft, 1, 1); }
};

QImage ScreenOf(const TForm1& form, const PictureSet& pictures) {
    return PanelPainter(form, pictures)
        .Render()
        .copy(kScreenLeft, kScreenTop, kScreenWidth, kScreenHeight);
}

Scene Play(const PictureSet& pictures, QString title, QString text,
           const std::function<void(ManualToy&)>& play) {
    ManualToy toy;
    play(toy);
    return {std::move(title), std::move(text), ScreenOf(toy.form, pictures)};
}

}  // namespace

std::optional<PictureError> LoadPanelPictures(PictureSet& pictures) {
    ManualToy toy;
    return pictures.Load(PictureSet::ResourceFolder(), PictureKeysOf(toy.form));
}

std::vector<Scene> MakeScenes(const PictureSet& pictures) {
    std::vector<Scene> scenes;
    scenes.push_back(
        Play(pictures, "Switching on",
             "Click the power switch. The toy beeps and a line sweeps down the screen.",
             [](ManualToy& t) {
                 t.SwitchOn();
                 t.clock.Advance(2560);
             }));
    scenes.push_back(Play(pictures, "Ready",
                          "After the start tune your lives (cyan, left), the opponent's lives "
                          "(red, right), the score and the boss appear.",
                          [](ManualToy& t) {
                              t.SwitchOn();
                              t.clock.Advance(9000);
                          }));
    scenes.push_back(Play(
        pictures, "Game 1: the cycle race",
        "Your cycle is the cyan dash in the middle; the labyrinth scrolls around it. Turn with "
        "the arrow keys and hold CTRL to go faster. Make the red cycle run into a trail: three "
        "crashes and you reach the duel. Every five steps earn 5 points.",
        [](ManualToy& t) {
            t.SwitchOn();
            t.clock.Advance(12490 + 660 * 3);
            t.form.FormKeyDown(VK_UP);
            t.clock.Advance(660 * 2);
            t.form.FormKeyDown(VK_RIGHT);
            t.clock.Advance(660 * 2);
        }));
    scenes.push_back(Play(pictures, "Game over",
                          "When your last life is gone the toy shows your score and the "
                          "opponent's lives. Press CTRL to play again.",
                          [](ManualToy& t) {
                              t.SwitchOn();
                              t.clock.Advance(12490);
                              StageGameOver(t.form, 245);
                              t.clock.Advance(4000);
                          }));
    // The duel, reached the way the race hands over to it: the opponent's third crash.
    auto intoTheDuel = [](ManualToy& t) {
        t.SwitchOn();
        t.clock.Advance(12490);
        StageRaceWon(t.form);
        t.clock.Advance(5350 + 320 + 10080);
    };
    scenes.push_back(Play(pictures, "Game 2: the disc duel",
                          "Move up and down with the arrow keys and throw your disc with CTRL; "
                          "catch the opponent's discs by standing where they arrive. The bars in "
                          "the bottom row are the duel lives: yours from the left, the "
                          "opponent's from the right.",
                          [&](ManualToy& t) {
                              intoTheDuel(t);
                              t.clock.Advance(1500);
                          }));
    scenes.push_back(Play(pictures, "Game 3: the barrier stage",
                          "Throw your disc with CTRL when the gap in the boss's barrier is in "
                          "front of you, before the clock in the bottom row runs out. A hit "
                          "starts the cycle race again, one speed level faster.",
                          [&](ManualToy& t) {
                              intoTheDuel(t);
                              // The duel won, the opponent's last duel life gone: its end
                              // hands over to the barrier stage.
                              StageDuelWon(t.form);
                              t.clock.Advance(11330 + 500);
                              t.form.FormKeyDown(VK_CONTROL);
                              t.form.FormKeyUp(VK_CONTROL);
                              t.clock.Advance(330);
                          }));
    return scenes;
}

}  // namespace zarq
