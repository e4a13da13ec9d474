// The Qt side of the seams: the session woken on the real clock, the settings store, the
// window host.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <string>
#include <vector>

#include "core/panel/SilentSeams.h"
#include "core/session/PlaySession.h"
#include "desktop/start/QtSettingsStore.h"
#include "desktop/window/QtTimerHost.h"
#include "desktop/window/QtWindowHost.h"

namespace zarq::test {
namespace {

// Runs the event loop until `done` or a generous limit; the limit only guards against a hang.
template <typename Done>
bool RunUntil(Done done, int limitMs = 10000) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > limitMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

struct Tick {
    std::string Timer;
    Millis At;
};

class TimerHost : public ::testing::Test {
  protected:
    TimerHost() { host.Drive(&session); }
    ~TimerHost() override { host.Drive(nullptr); }
    QtTimerHost host;
    SilentSound sound;
    SilentPorts ports;
    SilentWindow window;
    PlaySession session{
        SessionSeams{[this] { return host.Now(); }, sound, ports, window, nullptr, ""}};
    TimerScheduler& scheduler = session.Scheduler();
    std::vector<Tick> ticks;
    std::function<void()> Log(const std::string& name) {
        return [this, name] { ticks.push_back({name, scheduler.Now()}); };
    }
    int Count(const std::string& name) const {
        int n = 0;
        for (const Tick& t : ticks) n += t.Timer == name;
        return n;
    }
};

TEST_F(TimerHost, TheSessionIsWokenOnTheRealClockForEveryTick) {
    TTimer a(scheduler, "a", 7, Log("a"));
    a.SetEnabled(true);
    ASSERT_TRUE(RunUntil([&] { return Count("a") >= 5; }));
    // Each tick at its due time or later, never two in one period.
    for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(ticks[i].At - ticks[i - 1].At, 7) << i;
}

TEST_F(TimerHost, NothingIsArmedWhileNoTimerRunsAndDisablingDisarms) {
    TTimer a(scheduler, "a", 50, Log("a"));
    EXPECT_FALSE(host.Armed());
    a.SetEnabled(true);
    EXPECT_TRUE(host.Armed());
    a.SetEnabled(false);
    EXPECT_FALSE(host.Armed());
}

class Settings : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString file = dir.path() + "/KeldoZarq.conf";
    QtSettingsStore Store(const QString& path) {
        return QtSettingsStore(std::make_unique<QSettings>(path, QSettings::IniFormat));
    }
};

TEST_F(Settings, AWrittenValueIsStoredAsDecimalTextAndReadBack) {
    {
        QtSettingsStore store = Store(file);
        store.WriteInteger("SoundMode", 2);
        store.WriteInteger("FirstRun", -1);
    }
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value("SoundMode").toString(), "2");
    EXPECT_EQ(raw.value("SoundMode").typeId(), QMetaType::QString);
    QtSettingsStore again = Store(file);
    EXPECT_EQ(again.ReadInteger("SoundMode", 0), 2);
    EXPECT_EQ(again.ReadInteger("FirstRun", 0), -1);
}

TEST_F(Settings, MissingOrMalformedValuesReadAsTheDefault) {
    {
        QSettings raw(file, QSettings::IniFormat);
        raw.setValue("Empty", "");
        raw.setValue("Word", "abc");
        raw.setValue("Tail", "12abc");
        raw.setValue("Huge", "99999999999");
        raw.setValue("Spaced", " 3");
        raw.setValue("Good", "7");
    }
    QtSettingsStore store = Store(file);
    EXPECT_EQ(store.ReadInteger("Absent", 5), 5);
    for (const char* name : {"Empty", "Word", "Tail", "Huge", "Spaced"}) {
        EXPECT_EQ(store.ReadInteger(name, 4), 4) << name;
    }
    EXPECT_EQ(store.ReadInteger("Good", 4), 7);
}

TEST_F(Settings, AStoreThatCannotBeWrittenKeepsTheValueForThisRun) {
    // The folder of the settings file is a plain file: nothing can be created below it.
    QFile blocker(dir.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QtSettingsStore store = Store(dir.path() + "/blocker/KeldoZarq.conf");
    store.WriteInteger("System", 3);
    EXPECT_EQ(store.ReadInteger("System", 0), 3);
    EXPECT_FALSE(QFile::exists(dir.path() + "/blocker/KeldoZarq.conf"));
}

TEST(SettingsParse, OnlyAWholeDecimalNumberIsAValue) {
    EXPECT_EQ(QtSettingsStore::ParseDecimal("0"), 0);
    EXPECT_EQ(QtSettingsStore::ParseDecimal("-2147483648"), -2147483648LL);
    EXPECT_EQ(QtSettingsStore::ParseDecimal("2147483648"), std::nullopt);
    EXPECT_EQ(QtSettingsStore::ParseDecimal("1.5"), std::nullopt);
    EXPECT_EQ(QtSettingsStore::ParseDecimal("-"), std::nullopt);
}

TEST(WindowHostOnQt, ThePlaceIsRememberedBeforeTheWindowExistsAndAppliedToIt) {
    QtWindowHost host;
    EXPECT_EQ(host.WindowPos(), (TPoint{-600, 0}));
    host.MoveWindow(100, 50);
    QWidget window;
    host.SetWindow(&window);
    EXPECT_EQ(window.pos(), QPoint(100, 50));
    host.MoveWindow(120, 70);
    EXPECT_EQ(window.pos(), QPoint(120, 70));
    EXPECT_EQ(host.WindowPos(), (TPoint{120, 70}));
    const TPoint screen = host.ScreenSize();
    EXPECT_GT(screen.X, 0);
    EXPECT_GT(screen.Y, 0);
}

TEST(WindowHostOnQt, TheOptionsDialogIsWhateverWasGiven) {
    QtWindowHost host;
    host.ShowOptionsDialog();  // nothing given yet: nothing happens
    int shown = 0;
    host.SetOptionsDialog([&] { ++shown; });
    host.ShowOptionsDialog();
    EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace zarq::test
