// Keys of the player's choice at the window: a remapped Qt key plays the toy exactly as the
// default key did, Qt's keys and the settings file under their portable names, and the
// controls dialog refusing a key or button that is taken or belongs to the program.
#include <SDL.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>
#include <sstream>

#include "desktop/dialogs/ControlsDialog.h"
#include "desktop/dialogs/SplashForm.h"
#include "desktop/input/PlayerControls.h"
#include "desktop/input/QtKeys.h"
#include "desktop/window/PanelWindow.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

constexpr Millis kFirstRaceStarts = 12490;

KeyBindings Chosen() {
    KeyBindings keys = KeyBindings::Defaults();
    // Each new key first, so that no two controls share one on the way.
    EXPECT_TRUE(keys.Assign(ToyControl::Up, "W"));
    EXPECT_TRUE(keys.Assign(ToyControl::Down, "S"));
    EXPECT_TRUE(keys.Assign(ToyControl::Left, "A"));
    EXPECT_TRUE(keys.Assign(ToyControl::Right, "D"));
    EXPECT_TRUE(keys.Assign(ToyControl::Fire, "Space"));
    return keys;
}

// A toy with its window, played with `keys`.
class Played {
  public:
    explicit Played(const KeyBindings& keys) : keys_(keys) {
        toy.SoundOn();
        const auto error = pictures.Load(folder.Path(), PictureKeysOf(toy.F()));
        EXPECT_FALSE(error);
        window = std::make_unique<PanelWindow>(toy.F(), pictures, QByteArray());
        window->SetKeyBindings(keys);
    }
    void Key(QEvent::Type type, int qtKey, bool autoRepeat = false) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(window.get(), &event);
    }
    void Press(ToyControl c, bool autoRepeat = false) {
        Key(QEvent::KeyPress, QtKeyOf(keys_.Key(c)).value(), autoRepeat);
    }
    void Release(ToyControl c) { Key(QEvent::KeyRelease, QtKeyOf(keys_.Key(c)).value()); }
    // What a player sees and hears: the lattice, the figures' places and the sounds played.
    std::string Seen() {
        std::ostringstream out;
        out << toy.Lattice() << "row " << toy.G().ZarqRow << " heading " << toy.G().ZarqDirection
            << " disc " << toy.G().ZarqHasDisc << " speed " << toy.F().TimerCycleZarq.Interval()
            << " button " << toy.Lit("Puls_Speed");
        for (const std::string& s : toy.Sound.Played()) out << ' ' << s;
        return out.str();
    }

    Toy toy;
    PictureFolder folder{toy.F()};
    PictureSet pictures;
    std::unique_ptr<PanelWindow> window;

  private:
    KeyBindings keys_;
};

std::string PlayARace(const KeyBindings& keys) {
    Played p(keys);
    p.toy.SwitchOn();
    p.toy.Advance(kFirstRaceStarts + 100);
    EXPECT_TRUE(p.toy.G().PlayEnabled);
    p.Press(ToyControl::Up);  // heading right: a turn up at the next step
    p.Release(ToyControl::Up);
    p.toy.Advance(700);
    p.Press(ToyControl::Fire);  // held: the cycle goes faster
    std::string seen = p.Seen();
    for (int i = 0; i < 10; ++i) {
        p.toy.Advance(100);
        p.Press(ToyControl::Fire, true);
    }
    seen += p.Seen();
    p.Release(ToyControl::Fire);
    p.Press(ToyControl::Left);
    p.Release(ToyControl::Left);
    p.toy.Advance(1000);
    return seen + p.Seen();
}

TEST(ChosenKeys, ARemappedKeyTurnsAndSpeedsTheCycleAsTheDefaultKeyDid) {
    const std::string byDefault = PlayARace(KeyBindings::Defaults());
    EXPECT_NE(byDefault.find("heading 1 disc"), std::string::npos) << "the turn up was made";
    EXPECT_EQ(PlayARace(Chosen()), byDefault);

    // The arrow keys and CTRL no longer steer or speed once others are chosen.
    Played p(Chosen());
    p.toy.SwitchOn();
    p.toy.Advance(kFirstRaceStarts + 100);
    p.Key(QEvent::KeyPress, Qt::Key_Up);
    p.Key(QEvent::KeyPress, Qt::Key_Control);
    EXPECT_EQ(p.toy.G().ZarqTurnRequest, 0);
    EXPECT_FALSE(p.toy.G().SpeedButtonDown);
}

TEST(QtKeys, AQtKeyIsItsPortableNameAndTheSettingsFileKeepsThoseNames) {
    EXPECT_EQ(QtKeyName(Qt::Key_Control), "Ctrl");
    EXPECT_EQ(QtKeyName(Qt::Key_W), "W");
    EXPECT_EQ(QtKeyName(Qt::Key_unknown), "");
    // Stored names: either case, but one key, named as Qt names it; Qt knows more keys than
    // every front end does.
    EXPECT_EQ(QtStoredKeyName(" space"), "Space");
    EXPECT_EQ(QtStoredKeyName("Ctrl+W"), "");
    EXPECT_EQ(QtStoredKeyName("0x57"), "");
    EXPECT_EQ(QtStoredKeyName("numlock"), "NumLock");

    QTemporaryDir dir;
    QSettings settings(dir.filePath("keys.ini"), QSettings::IniFormat);
    KeyBindings keys = Chosen();
    ASSERT_TRUE(keys.Assign(ToyControl::Fire, "NumLock"));
    keys.Save(SettingWriter(settings));
    PadBindings::Defaults().Save(SettingWriter(settings));
    EXPECT_EQ(settings.value("KeyUp").toString(), "W");
    EXPECT_EQ(settings.value("PadFire").toString(), "a,b,rightshoulder");
    EXPECT_EQ(KeyBindings::Load(SettingTexts(settings), {}, QtStoredKeyName), keys);
    settings.setValue("KeyUp", QStringList{"W", "S"});  // no text: the default
    EXPECT_EQ(KeyBindings::Load(SettingTexts(settings), {}, QtStoredKeyName).Key(ToyControl::Up),
              "Up");
}

TEST(ControlsDialog, RefusesATakenKeyAMenuKeyAndTheProgramsOwnButtons) {
    std::vector<int> buttons;  // what the controller reports, one per look
    ControlsDialog d(KeyBindings::Defaults(), PadBindings::Defaults(), {"F1", "Esc"}, [&buttons] {
        if (buttons.empty()) return -1;
        const int b = buttons.front();
        buttons.erase(buttons.begin());
        return b;
    });
    // Keys reach the focused field, not the dialog: the awaited key is taken from there too.
    auto press = [&d](int qtKey) {
        QKeyEvent event(QEvent::KeyPress, qtKey, Qt::NoModifier);
        QApplication::sendEvent(d.KeyField(ToyControl::Fire), &event);
    };
    EXPECT_EQ(d.KeyField(ToyControl::Fire)->text(), "Ctrl");

    d.KeyField(ToyControl::Up)->click();
    EXPECT_EQ(d.KeyField(ToyControl::Up)->text(), "Press a key...");
    press(Qt::Key_W);
    EXPECT_EQ(d.KeyField(ToyControl::Up)->text(), "W");

    d.KeyField(ToyControl::Down)->click();
    press(Qt::Key_W);
    EXPECT_EQ(d.Status(), "W is already the key of pad up; press another key.");
    press(Qt::Key_F1);
    EXPECT_EQ(d.Status(), "F1 belongs to the menu; press another key.");
    press(Qt::Key_Escape);  // leaves it as it was
    EXPECT_EQ(d.KeyField(ToyControl::Down)->text(), "Down");
    EXPECT_EQ(d.Keys().Key(ToyControl::Down), "Down");

    d.KeyField(ToyControl::Fire)->click();
    press(Qt::Key_Space);  // taken as the key, not as a click of the field
    EXPECT_EQ(d.KeyField(ToyControl::Fire)->text(), "Space");
    EXPECT_EQ(d.Status(), "Speed / fire: Space.");

    d.PadField(ToyControl::Fire)->click();
    buttons = {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_BUTTON_Y};
    d.PollButton();
    EXPECT_EQ(d.Status(), "D-pad up is already a button of pad up; press another.");
    d.PollButton();
    EXPECT_EQ(d.Status(), "Start belongs to the power switch or the menu; press another.");
    d.PollButton();
    EXPECT_EQ(d.Pads().Of(ToyControl::Fire), std::vector<int>{SDL_CONTROLLER_BUTTON_Y});
    EXPECT_EQ(d.PadField(ToyControl::Fire)->text(), "Y (north)");
    EXPECT_EQ(d.PadField(ToyControl::Up)->text(), "D-pad up, left stick");

    d.DefaultsButton()->click();
    EXPECT_EQ(d.Keys(), KeyBindings::Defaults());
    EXPECT_EQ(d.Pads(), PadBindings::Defaults());
    EXPECT_EQ(d.KeyField(ToyControl::Up)->text(), "Up");
}

TEST(ControlsDialog, ItsItemStandsWithTheAdditionsJustBeforeExit) {
    SessionRig toy;
    PictureFolder folder{toy.F()};
    PictureSet pictures;
    ASSERT_FALSE(pictures.Load(folder.Path(), PictureKeysOf(toy.F())));
    PanelWindow panel(toy.F(), pictures, QByteArray());
    TSplashForm splash(toy.Session, toy.Window, &panel);
    QTemporaryDir dir;
    QSettings settings(dir.filePath("keys.ini"), QSettings::IniFormat);
    settings.setValue("KeyFire", "F4");  // the menu's: refused
    settings.setValue("KeyUp", "W");
    PlayerControls controls(panel, *splash.PM_Menu, settings);
    QStringList captions;
    for (QAction* a : splash.PM_Menu->actions()) captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions, (QStringList{"About...", "-", "View 'Readme.txt'", "View 'Whatsnew.txt'",
                                     "-", "Open 'Manual.exe'", "-", "Reset Hiscores", "Controls...",
                                     "-", "E&xit"}));
    EXPECT_EQ(panel.Keys().Key(ToyControl::Up), "W");
    EXPECT_EQ(panel.Keys().Key(ToyControl::Fire), "Ctrl");
}

}  // namespace
}  // namespace zarq::test
