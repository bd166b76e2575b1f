// The thread interrupt: own flag, watched variable, event and interrupt, and recognition.
#include <gtest/gtest.h>

#include <atomic>

#include "CbEvent.h"
#include "KyCThreadInterrupt.h"

TEST(KyCThreadInterruptTest, OwnFlagAndVariableInterruptUntilClearedAndEachNewOneIsRecognized) {
    KyCThreadInterrupt interrupt;
    for (unsigned i = 1; i <= 2; ++i) {
        EXPECT_FALSE(interrupt.IsRecognized());
        interrupt.ActivateInterrupt();
        EXPECT_TRUE(interrupt.IsInterrupt());
        EXPECT_TRUE(interrupt.IsInterrupt());
        EXPECT_EQ(interrupt.NumRecognitions(), i) << "asking again is not a new recognition";
        interrupt.ClearInterrupt();
        EXPECT_FALSE(interrupt.IsInterrupt());
    }
    std::atomic<bool> bStop{true};
    interrupt.SetExternalVariable(&bStop);
    EXPECT_TRUE(interrupt.IsInterrupt());
    interrupt.SetExternalVariable(nullptr);
    interrupt.ClearInterrupt();
    EXPECT_FALSE(interrupt.IsInterrupt());
}

TEST(KyCThreadInterruptTest, AnExternalInterruptPassesItsStopOnAndCyclesAreRefused) {
    KyCThreadInterrupt parent;
    KyCThreadInterrupt child(&parent);
    parent.ActivateInterrupt();
    child.ClearInterrupt();
    EXPECT_TRUE(child.IsInterrupt()) << "clearing the child leaves the parent's stop";
    child.RemoveExternalInterrupt();
    EXPECT_FALSE(child.IsInterrupt());
    KyCThreadInterrupt self(&self), other;
    EXPECT_FALSE(self.IsInterrupt()) << "its own external interrupt would never return";
    ASSERT_TRUE(other.SetExternalInterrupt(&child));
    EXPECT_FALSE(child.SetExternalInterrupt(&other));
    EXPECT_FALSE(child.SetExternalInterrupt(&child));
    EXPECT_EQ(child.GetExternalInterrupt(), nullptr);
}

TEST(KyCThreadInterruptTest, ExternalEventInterruptsWhileSetAndClearingLeavesItToItsOwner) {
    // A restarting worker clears the interrupt and then resets its stop event: only both
    // together make the interrupt quiet. Clearing alone must not swallow a stop that is set.
    CbEvent stop(true, nullptr);
    KyCThreadInterrupt interrupt;
    interrupt.SetExternalEvent(&stop);
    stop.Set();
    EXPECT_TRUE(interrupt.IsRecognized());
    interrupt.ClearInterrupt();
    EXPECT_TRUE(stop.IsSet());
    EXPECT_TRUE(interrupt.IsInterrupt());
    stop.Reset();
    EXPECT_FALSE(interrupt.IsInterrupt()) << "nothing is pending any more";
    EXPECT_TRUE(interrupt.IsRecognized()) << "but it was recognized";
    EXPECT_EQ(interrupt.NumRecognitions(), 2u) << "the stop still set after the clear is new";
}
