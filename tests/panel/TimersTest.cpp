// The timer set and its rules on the virtual clock.
#include <gtest/gtest.h>

#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

// A scheduler scenario: timers that log their ticks with the time they ran at.
class TimerRules : public ::testing::Test {
  protected:
    VirtualClock clock;
    std::vector<std::string> ticks;

    std::function<void()> Logger(const std::string& name) {
        return [this, name] { ticks.push_back(name + "@" + std::to_string(clock.Now())); };
    }
    // Advance, then check exactly what fired since the last check.
    void Expect(Millis advance, std::vector<std::string> expected) {
        clock.Advance(advance);
        EXPECT_EQ(ticks, expected);
        ticks.clear();
    }
};

TEST_F(TimerRules, AnEnabledTimerTicksOncePerInterval) {
    TTimer a(clock.Scheduler(), "a", 100, Logger("a"));
    a.SetEnabled(true);
    Expect(99, {});
    Expect(1, {"a@100"});
    Expect(250, {"a@200", "a@300"});
}

TEST_F(TimerRules, ADifferentIntervalStartsAFreshPeriod) {
    TTimer a(clock.Scheduler(), "a", 100, Logger("a"));
    a.SetEnabled(true);
    Expect(60, {});
    a.SetInterval(300);
    Expect(299, {});
    Expect(1, {"a@360"});
}

TEST_F(TimerRules, TheSameIntervalOrARepeatedEnableKeepsThePeriod) {
    TTimer a(clock.Scheduler(), "a", 100, Logger("a"));
    a.SetEnabled(true);
    Expect(60, {});
    a.SetInterval(100);
    a.SetEnabled(true);
    Expect(40, {"a@100"});
}

TEST_F(TimerRules, DisablingDropsThePendingTick) {
    TTimer a(clock.Scheduler(), "a", 100, Logger("a"));
    a.SetEnabled(true);
    Expect(90, {});
    a.SetEnabled(false);
    Expect(100, {});
    a.SetEnabled(true);  // a fresh period from now
    Expect(99, {});
    Expect(1, {"a@290"});
}

TEST_F(TimerRules, TiesRunInCreationOrder) {
    TTimer first(clock.Scheduler(), "first", 50, Logger("first"));
    TTimer second(clock.Scheduler(), "second", 100, Logger("second"));
    second.SetEnabled(true);
    first.SetEnabled(true);
    Expect(100, {"first@50", "first@100", "second@100"});
}

TEST_F(TimerRules, AHandlerSettingItsNextIntervalTimesTheFollowingStep) {
    int step = 1;
    std::unique_ptr<TTimer> seq;
    seq = std::make_unique<TTimer>(clock.Scheduler(), "seq", 320, [&] {
        ticks.push_back("step" + std::to_string(step) + "@" + std::to_string(clock.Now()));
        if (step == 2) seq->SetInterval(2810);
        if (step == 3) seq->SetEnabled(false);
        ++step;
    });
    seq->SetEnabled(true);
    Expect(10000, {"step1@320", "step2@640", "step3@3450"});
}

TEST_F(TimerRules, AnIntervalOfZeroNeverTicks) {
    TTimer a(clock.Scheduler(), "a", 0, Logger("a"));
    a.SetEnabled(true);
    Expect(1000, {});
    EXPECT_TRUE(a.Enabled());
}

// The panel's own set of 26.
class TimerSet : public ::testing::Test {
  protected:
    Toy toy;
    TForm1& f = toy.F();
};

// Their intervals and order show in what the toy does (the games' timelines) and in every
// recording's intervals line; here only that none runs before the switch.
TEST_F(TimerSet, ANewPanelRunsNothingUntilItIsSwitchedOn) {
    toy.Advance(60000);
    EXPECT_EQ(toy.Clock.Scheduler().TicksRun(), 0u);
    toy.SwitchOn();
    toy.Advance(320);
    EXPECT_EQ(toy.Clock.Scheduler().TicksRun(), 1u);  // the power-on sequence's first beep
}

TEST_F(TimerSet, BloccaTimersStopsEveryTimerAndNothingElse) {
    for (TTimer* t : f.Timers()) {
        t->SetInterval(700);
        t->SetEnabled(true);
    }
    f.MostraTuttoXOM(true);
    toy.G().Score = 321;
    f.BloccaTimers();
    for (TTimer* t : f.Timers()) {
        EXPECT_FALSE(t->Enabled()) << t->Name();
        EXPECT_EQ(t->Interval(), 700u);
    }
    EXPECT_TRUE(toy.Lit("Im_XomTop"));
    EXPECT_EQ(toy.G().Score, 321);
    EXPECT_TRUE(toy.Sound.Calls.empty());
    toy.Advance(5000);  // nothing ticks any more
    EXPECT_EQ(toy.Clock.Scheduler().TicksRun(), 0u);
}

TEST_F(TimerSet, BloccaTimersFromInsideAHandlerThenEnablingTheNextSequence) {
    VirtualClock& clock = toy.Clock;
    std::vector<std::string> log;
    TTimer next(clock.Scheduler(), "next", 100,
                [&] { log.push_back("next@" + std::to_string(clock.Now())); });
    TTimer decider(clock.Scheduler(), "decider", 50, [&] {
        log.push_back("decider@" + std::to_string(clock.Now()));
        f.BloccaTimers();
        next.SetEnabled(true);
        decider.SetEnabled(false);
    });
    f.TimerCycleKrev.SetInterval(60);
    f.TimerCycleKrev.SetEnabled(true);
    decider.SetEnabled(true);
    clock.Advance(200);
    // The panel's timer due at 60 never ran; the next sequence runs from the decision on.
    EXPECT_EQ(log, (std::vector<std::string>{"decider@50", "next@150"}));
    EXPECT_FALSE(f.TimerCycleKrev.Enabled());
}

}  // namespace
}  // namespace zarq::test
