// The thread interrupt: own flag, external variable, event and interrupt, and recognition.
#include <gtest/gtest.h>

#include <atomic>

#include "CbEvent.h"
#include "KyCThreadInterrupt.h"

TEST(KyCThreadInterruptTest, OwnFlagVariableAndParentInterruptUntilClearedAndCyclesAreRefused) {
    std::atomic<bool> bStop{false};
    KyCThreadInterrupt parent;
    KyCThreadInterrupt interrupt(&parent);
    interrupt.SetExternalVariable(&bStop);
    for (unsigned i = 1; i <= 2; ++i) {
        EXPECT_FALSE(interrupt.IsRecognized());
        interrupt.ActivateInterrupt();
        EXPECT_TRUE(interrupt.IsInterrupt());
        EXPECT_TRUE(interrupt.IsInterrupt());
        EXPECT_EQ(interrupt.NumRecognitions(), i) << "asking again is not a new recognition";
        interrupt.ClearInterrupt();
        EXPECT_FALSE(interrupt.IsInterrupt());
    }
    bStop = true;
    EXPECT_TRUE(interrupt.IsInterrupt());
    interrupt.SetExternalVariable(nullptr);
    interrupt.ClearInterrupt();
    parent.ActivateInterrupt();
    EXPECT_TRUE(interrupt.IsInterrupt()) << "the parent's stop reaches the child";
    interrupt.ClearInterrupt();
    interrupt.RemoveExternalInterrupt();
    EXPECT_FALSE(interrupt.IsInterrupt()) << "removed: the parent's stop no longer reaches it";
    EXPECT_TRUE(interrupt.SetExternalInterrupt(&parent));
    EXPECT_TRUE(interrupt.IsInterrupt()) << "clearing the child left the parent's stop";

    KyCThreadInterrupt a, b;
    KyCThreadInterrupt self(&self);
    EXPECT_FALSE(self.IsInterrupt()) << "its own external interrupt would never return";
    EXPECT_FALSE(a.SetExternalInterrupt(&a));
    ASSERT_TRUE(a.SetExternalInterrupt(&b));
    EXPECT_FALSE(b.SetExternalInterrupt(&a));
    EXPECT_EQ(b.GetExternalInterrupt(), nullptr);
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
