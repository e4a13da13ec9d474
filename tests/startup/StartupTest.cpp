// The options dialog, the stored choices, the placement of the panel, the first-run warning,
// the sound-folder failure and the data folder, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <memory>

#include "desktop/dialogs/SplashForm.h"
#include "desktop/manual/Scenes.h"
#include "desktop/start/DataDir.h"
#include "desktop/window/PanelWindow.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

std::unique_ptr<QApplication>& TheApp() {
    static std::unique_ptr<QApplication> app;
    return app;
}

QApplication& App() {
    static int argc = 1;
    static char name[] = "startup_tests";
    static char* argv[] = {name, nullptr};
    if (!TheApp()) TheApp() = std::make_unique<QApplication>(argc, argv);
    return *TheApp();
}

// The application goes after the last test, before the program's exit: at exit Qt's input
// devices (made by the first mouse event) would be torn down after statics they use.
class AppEnd : public ::testing::Environment {
  public:
    void TearDown() override { TheApp().reset(); }
};
[[maybe_unused]] const ::testing::Environment* const kAppEnd =
    ::testing::AddGlobalTestEnvironment(new AppEnd);

class Options : public ::testing::Test {
  protected:
    Options() { App(); }
    SessionRig toy;
    std::unique_ptr<TSplashForm> dialog;

    TSplashForm& Open() {
        dialog = std::make_unique<TSplashForm>(toy.Session, toy.Window, nullptr);
        return *dialog;
    }
    void Choose(QComboBox* list, int index) {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    int Count(const std::string& prefix) {
        int n = 0;
        for (const std::string& e : toy.Window.Events) n += e.rfind(prefix, 0) == 0;
        return n;
    }
};

TEST_F(Options, AtTheFirstStartBothListsAreEmptyAndPlayWaitsForBoth) {
    TSplashForm& d = Open();
    EXPECT_EQ(d.windowTitle(), "About Zarq (Keldo)");
    EXPECT_EQ(d.size(), QSize(269, 515));
    EXPECT_EQ(d.CB_Sound->currentIndex(), -1);
    EXPECT_EQ(d.CB_System->currentIndex(), -1);
    EXPECT_FALSE(d.Puls_Play->isEnabled());
    Choose(d.CB_Sound, 0);
    EXPECT_FALSE(d.Puls_Play->isEnabled());
    Choose(d.CB_System, 1);
    EXPECT_TRUE(d.Puls_Play->isEnabled());
    EXPECT_EQ(d.CB_Sound->count(), 3);
    EXPECT_EQ(d.CB_Sound->itemText(2), "(no sound)");
    EXPECT_EQ(d.CB_System->itemText(0), "95, 98, ME, NT");
    EXPECT_EQ(d.La_System->text(), " Windows version:");
    EXPECT_EQ(d.Puls_Play->geometry(), QRect(102, 482, 65, 25));
}

TEST_F(Options, EveryChoiceFitsItsListUncut) {
    TSplashForm& d = Open();
    for (QComboBox* list : {d.CB_Sound, d.CB_System}) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.editable = false;
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i) {
            EXPECT_LE(list->fontMetrics().horizontalAdvance(list->itemText(i)), field.width())
                << list->itemText(i).toStdString();
        }
    }
}

// What is stored and started is the session's; the dialog plays the lists' choices and shows
// the stored ones at the next start.
TEST_F(Options, PlayPlaysTheListsChoicesAndTheNextStartShowsThem) {
    TSplashForm& d = Open();
    Choose(d.CB_Sound, 1);   // DirectSound
    Choose(d.CB_System, 0);  // 95, 98, ME, NT
    d.Puls_PlayClick();
    EXPECT_EQ(toy.Stored["SoundMode"], "1");
    EXPECT_EQ(toy.Stored["System"], "0");
    EXPECT_TRUE(d.isHidden());
    TSplashForm& again = Open();
    EXPECT_EQ(again.CB_Sound->currentText(), "DirectSound");
    EXPECT_EQ(again.CB_System->currentText(), "95, 98, ME, NT");
    EXPECT_TRUE(again.Puls_Play->isEnabled());
}

TEST_F(Options, ThePanelIsCentredAndKeepsTopZeroOnSmallScreens) {
    toy.Window.Screen = {1024, 768};
    TSplashForm& d = Open();
    Choose(d.CB_Sound, 2);
    Choose(d.CB_System, 1);
    d.Puls_PlayClick();
    EXPECT_EQ(toy.Window.Pos, (TPoint{267, 94}));

    SessionRig small;
    small.Window.Screen = {800, 600};
    TSplashForm d2(small.Session, small.Window, nullptr);
    Choose(d2.CB_Sound, 2);
    Choose(d2.CB_System, 1);
    d2.Puls_PlayClick();
    EXPECT_EQ(small.Window.Pos, (TPoint{155, 0}));
}

TEST_F(Options, AMissingSoundFolderEndsTheProgram) {
    toy.Sound.Missing = {"Beep"};
    TSplashForm& d = Open();
    QSignalSpy terminate(&d, &TSplashForm::Terminate);
    Choose(d.CB_Sound, 0);
    Choose(d.CB_System, 0);
    d.Puls_PlayClick();
    EXPECT_EQ(terminate.count(), 1);
    EXPECT_EQ(toy.Window.Pos, (TPoint{-600, 0}));  // not placed
}

TEST_F(Options, TheMenuHasItsItemsShortcutsAndADisabledHiscoreReset) {
    TSplashForm& d = Open();
    QStringList captions;
    for (QAction* a : d.PM_Menu->actions()) captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions,
              (QStringList{"About...", "-", "View 'Readme.txt'", "View 'Whatsnew.txt'", "-",
                           "Open 'Manual.exe'", "-", "Reset Hiscores", "-", "E&xit"}));
    EXPECT_EQ(d.PM_Menu->defaultAction(), d.PM_1About);
    EXPECT_FALSE(d.PM_8Hiscore->isEnabled());
    EXPECT_EQ(d.PM_1About->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(d.PM_6Instruct->shortcut(), QKeySequence(Qt::Key_F4));
    EXPECT_EQ(d.PM_10Exit->shortcut(), QKeySequence(Qt::Key_Escape));
    d.PM_3Readme->trigger();
    d.PM_6Instruct->trigger();
    d.La_EmailClick();
    EXPECT_EQ(toy.Window.Events, (std::vector<std::string>{"open:readme.txt", "open:Manual.EXE",
                                                           "open:mailto:zarq@quarvel.example"}));
}

TEST_F(Options, EscOnThePanelEndsTheProgramThroughTheSoundShutdown) {
    PictureSet pictures;
    ASSERT_FALSE(LoadPanelPictures(pictures));
    PanelWindow panel(toy.F(), pictures, QByteArray());
    TSplashForm d(toy.Session, toy.Window, &panel);
    d.CB_Sound->setCurrentIndex(0);
    d.CB_System->setCurrentIndex(0);
    d.Puls_PlayClick();
    panel.show();
    // The exit item's ESC acts while the panel has the keyboard focus.
    EXPECT_TRUE(panel.actions().contains(d.PM_10Exit));
    EXPECT_EQ(d.PM_10Exit->shortcutContext(), Qt::WindowShortcut);
    const size_t before = toy.Sound.Calls.size();
    d.PM_10Exit->trigger();
    EXPECT_FALSE(panel.isVisible());
    std::vector<std::string> shutdown;
    for (size_t i = before; i < toy.Sound.Calls.size(); ++i) {
        shutdown.push_back(toy.Sound.Calls[i].Call + ":" + toy.Sound.Calls[i].Sample);
    }
    EXPECT_EQ(shutdown,
              (std::vector<std::string>{"Stop:", "Free:Beep", "Free:Start", "Free:Turn",
                                        "Free:Disc", "Free:Win", "Free:Miss1", "Free:Miss2",
                                        "Free:Over", "Free:End", "Close:"}));
    EXPECT_EQ(toy.Ports.Writes.back().Value, 0x00);  // the speaker off
}

TEST_F(Options, AWindowSystemCloseRequestEndsTheProgramAsExitDoes) {
    PictureSet pictures;
    ASSERT_FALSE(LoadPanelPictures(pictures));
    PanelWindow panel(toy.F(), pictures, QByteArray());
    TSplashForm d(toy.Session, toy.Window, &panel);
    panel.show();
    d.show();
    // Before play: nothing has been stored, and the sound shutdown still runs.
    EXPECT_TRUE(d.close());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(d.isVisible());
    ASSERT_FALSE(toy.Sound.Calls.empty());
    EXPECT_EQ(toy.Sound.Calls.back().Call, "Close");
    EXPECT_TRUE(toy.Stored.empty());
}

TEST_F(Options, ALinkOpensOnALeftButtonReleaseOverItsLabelOnly) {
    TSplashForm& d = Open();
    auto release = [](QLabel* label, QPoint at, Qt::MouseButton button) {
        QMouseEvent event(QEvent::MouseButtonRelease, QPointF(at), QPointF(label->mapToGlobal(at)),
                          button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(label, &event);
    };
    const QPoint inside(d.La_Http->width() / 2, d.La_Http->height() / 2);
    release(d.La_Http, inside, Qt::RightButton);
    release(d.La_Http, inside, Qt::MiddleButton);
    release(d.La_Http, {inside.x(), d.La_Http->height() + 40}, Qt::LeftButton);  // dragged away
    release(d.La_Email, {-5, inside.y()}, Qt::LeftButton);
    EXPECT_TRUE(toy.Window.Events.empty());
    release(d.La_Http, inside, Qt::LeftButton);
    release(d.La_Email, {2, 2}, Qt::LeftButton);
    EXPECT_EQ(toy.Window.Events, (std::vector<std::string>{"open:http://www.quarvel.example/zarq",
                                                           "open:mailto:zarq@quarvel.example"}));
}

TEST(DataFolder, FoundBesideTheExecutableOrInTheInstallPrefix) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QDir r(root.path());
    ASSERT_TRUE(r.mkpath("build/SOUND"));
    EXPECT_EQ(FindDataDir(r.filePath("build")), QDir(r.filePath("build")).absolutePath());

    // Debian's layout for games, wherever the prefix lies (an unpacked package, too).
    ASSERT_TRUE(r.mkpath("prefix/games"));
    ASSERT_TRUE(r.mkpath("prefix/share/games/zarq-simulator/SOUND"));
    EXPECT_EQ(FindDataDir(r.filePath("prefix/games")),
              QDir::cleanPath(r.filePath("prefix/share/games/zarq-simulator")));

    // Started from anywhere: the data folder becomes the current one.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(EnterDataDir(r.filePath("prefix/games")));
    EXPECT_TRUE(QDir("SOUND").exists());
    QDir::setCurrent(before);

    ASSERT_TRUE(r.mkpath("empty/games"));
    EXPECT_EQ(FindDataDir(r.filePath("empty/games")).isEmpty(),
              !QDir(ZARQ_INSTALLED_DATA_DIR "/SOUND").exists());
}

}  // namespace
}  // namespace zarq::test
