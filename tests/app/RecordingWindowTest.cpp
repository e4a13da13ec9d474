// A play in the real window on the real Qt clock, recorded and then verified: keys and clicks
// that arrive when a tick is due but has not yet run keep their place before it in the replay.
// The session's rules for recordings are its own tests'; here the window, the Qt clock and the
// menu and messages around them.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/panel/SilentSeams.h"
#include "core/record/Verify.h"
#include "desktop/recordings/RecordingControl.h"
#include "desktop/window/PanelWindow.h"
#include "desktop/window/QtTimerHost.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"
#include "tests/record/RecordingProbe.h"

namespace zarq::test {
namespace {

class RecordedWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        timers.Drive(&session);
        auto error = pictures.Load(folder.Path(), PictureKeysOf(form));
        ASSERT_FALSE(error) << error->Text().toStdString();
        window = std::make_unique<PanelWindow>(session, pictures, QByteArray());
        control = std::make_unique<RecordingControl>(session, *window);
    }
    void TearDown() override {
        control.reset();
        window.reset();
        timers.Drive(nullptr);
    }

    // The next tick of the power-on sequence that is still to come, caught in the millisecond
    // it falls due and before the host runs it; then `act` runs. Under load the host may
    // get there first: the tick after is tried then.
    bool AtTheNextBeep(const std::function<void()>& act) {
        bool done = false;
        QElapsedTimer waited;
        waited.start();
        // A beep already due (the last input came just before it) runs first.
        while (form.TimerAvvio.DueTime() && *form.TimerAvvio.DueTime() <= timers.Now() &&
               waited.elapsed() < 10'000) {
            QCoreApplication::processEvents();
        }
        while (!done && waited.elapsed() < 10'000) {
            const std::optional<Millis> due = form.TimerAvvio.DueTime();
            if (!due) return false;
            const std::uint64_t ticks = session.Scheduler().TicksRun();
            QTimer::singleShot(static_cast<int>(std::max<Millis>(0, *due - timers.Now() - 4)),
                               Qt::PreciseTimer, [&, due, ticks] {
                                   if (session.Scheduler().TicksRun() != ticks) return;  // too late
                                   while (timers.Now() < *due) {
                                   }
                                   act();
                                   done = true;
                               });
            const std::uint64_t before = session.Scheduler().TicksRun();
            while (!done && session.Scheduler().TicksRun() == before && waited.elapsed() < 10'000) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            }
            while (!done && session.Scheduler().TicksRun() == before + 1 &&
                   form.TimerAvvio.DueTime() == due) {
                QCoreApplication::processEvents();
            }
        }
        return done;
    }
    void Key(QEvent::Type type, int qtKey) {
        QKeyEvent event(type, qtKey, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    }
    void ClickSwitch() {
        const QPoint at(245, 440);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(window->mapToGlobal(at)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at),
                            QPointF(window->mapToGlobal(at)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(window.get(), &release);
    }

    QtTimerHost timers;
    SilentSound sound;
    SilentPorts ports;
    SilentWindow host;
    PlaySession session{
        SessionSeams{[this] { return timers.Now(); }, sound, ports, host, nullptr, "test"}};
    TForm1& form = session.Panel();
    PictureFolder folder{form};
    PictureSet pictures;
    std::unique_ptr<PanelWindow> window;
    QMenu menu;  // outlives the control, which keeps its items
    std::unique_ptr<RecordingControl> control;
    TempFile file{"zarq-window"};
};

TEST_F(RecordedWindow, APlayOnTheRealClockVerifiesAndReplaysExactly) {
    ASSERT_EQ(control->StartRecording(QString::fromStdString(file.Path())), QString());
    ClickSwitch();
    ASSERT_TRUE(form.G.PowerOn);
    int pressedBeforeATick = 0;
    auto beforeTick = [&](const std::function<void()>& act) {
        return [&, act] {
            pressedBeforeATick += form.TimerAvvio.DueTime() <= timers.Now();
            act();
        };
    };
    ASSERT_TRUE(AtTheNextBeep(beforeTick([&] { Key(QEvent::KeyPress, Qt::Key_Control); })));
    ASSERT_TRUE(AtTheNextBeep(beforeTick([&] { Key(QEvent::KeyPress, Qt::Key_Up); })));
    ASSERT_TRUE(AtTheNextBeep(beforeTick([&] { Key(QEvent::KeyRelease, Qt::Key_Control); })));
    // Switched off just as a beep is due: it never comes.
    ASSERT_TRUE(AtTheNextBeep(beforeTick([&] { ClickSwitch(); })));
    EXPECT_EQ(pressedBeforeATick, 4);
    EXPECT_FALSE(control->IsRecording()) << "switching off ends the recording";
    const std::string played = ToyPicture(form, 0).substr(0, ToyPicture(form, 0).find("\ntimers"));

    std::ostringstream out, err;
    EXPECT_EQ(VerifyFile(file.Path(), out, err), kVerifyMatch) << err.str();
    // The web edition's browser test plays this desktop recording in the page.
    if (const char* keep = std::getenv("ZARQ_KEEP_RECORDING")) {
        std::filesystem::copy_file(file.Path(), keep,
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // In the file each input follows more beeps than the one before, yet came when the
    // next beep was already due: the beeps are 320 ms apart from the switch-on.
    const ReadResult read = ReadRecordingFile(file.Path());
    ASSERT_TRUE(read.Value) << read.Error;
    const StepList& steps = read.Value->Steps;
    ASSERT_EQ(steps.size(), 5u);
    for (std::size_t i = 1; i < steps.size(); ++i) {
        if (i > 1) {
            EXPECT_GT(steps[i].Ticks, steps[i - 1].Ticks) << i;
        }
        EXPECT_GE(steps[i].Clock - steps[0].Clock, 320 * static_cast<Millis>(steps[i].Ticks + 1))
            << i;
    }
    // Played back in the window at the real pace, the panel ends as the play left it, to the
    // step: without the tick counts the four inputs would each have come after their beep.
    const int avvioStep = form.G.AvvioStep;
    ASSERT_EQ(control->StartPlayback(QString::fromStdString(file.Path())), QString());
    QElapsedTimer waited;
    waited.start();
    bool sawThePlay = false;
    while (control->PlayingBack() && waited.elapsed() < 20'000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        sawThePlay = sawThePlay || form.G.PowerOn;
    }
    EXPECT_TRUE(sawThePlay);
    const std::string shown = ToyPicture(form, 0);
    EXPECT_EQ(shown.substr(0, shown.find("\ntimers")), played);
    EXPECT_EQ(form.G.AvvioStep, avvioStep);
}

// A full disk (here a file-size limit): the player is told once, in a box that leaves the play
// going, and the menu offers "Record..." again.
TEST_F(RecordedWindow, AFileThatCanNoLongerBeWrittenIsToldOnceAndTheMenuOffersRecordingAgain) {
    control->AddMenuItems(&menu, nullptr);
    ASSERT_EQ(control->StartRecording(QString::fromStdString(file.Path())), QString());
    ASSERT_EQ(menu.actions().front()->text(), "Stop recording");
    // Room for no line past the header; the limit is the test process's own.
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    void (*xfsz)(int) = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit tight{file.Read().size(), before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &tight);
    ClickSwitch();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, xfsz);
    EXPECT_FALSE(control->IsRecording());
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(menu.actions().front()->text(), "Record...");
    const QList<QMessageBox*> told = window->findChildren<QMessageBox*>();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.front()->text().contains("could not be written"))
        << told.front()->text().toStdString();
    told.front()->close();
}

}  // namespace
}  // namespace zarq::test
