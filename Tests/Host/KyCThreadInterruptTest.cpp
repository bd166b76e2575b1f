// The thread interrupt: own flag, external event, variable and interrupt, and recognition.
#include <gtest/gtest.h>

#include <atomic>

#include "CbEvent.h"
#include "KyCThreadInterrupt.h"

TEST(KyCThreadInterruptTest, AFreshInterruptIsQuiet) {
    KyCThreadInterrupt interrupt;
    EXPECT_FALSE(interrupt.IsInterrupt());
    EXPECT_FALSE(interrupt.IsRecognized());
    EXPECT_EQ(interrupt.NumRecognitions(), 0u);
    EXPECT_EQ(interrupt.GetExternalEvent(), nullptr);
}

TEST(KyCThreadInterruptTest, TheExternalEventInterruptsWhileSet) {
    CbEvent stop(true, nullptr);
    KyCThreadInterrupt interrupt;
    interrupt.SetExternalEvent(&stop);
    EXPECT_EQ(interrupt.GetExternalEvent(), &stop);
    EXPECT_FALSE(interrupt.IsRecognized());
    stop.Set();
    EXPECT_TRUE(interrupt.IsRecognized());
    EXPECT_TRUE(interrupt.IsInterrupt());
    EXPECT_EQ(interrupt.NumRecognitions(), 1u) << "asking again is not a new recognition";
}

TEST(KyCThreadInterruptTest, ClearInterruptLeavesTheEventToItsOwner) {
    // A restarting worker clears the interrupt and then resets its stop event: only both
    // together make the interrupt quiet. Clearing alone must not swallow a stop that is set.
    CbEvent stop(true, nullptr);
    KyCThreadInterrupt interrupt;
    interrupt.SetExternalEvent(&stop);
    stop.Set();
    ASSERT_TRUE(interrupt.IsInterrupt());
    interrupt.ClearInterrupt();
    EXPECT_TRUE(stop.IsSet());
    EXPECT_TRUE(interrupt.IsInterrupt());
    interrupt.ClearInterrupt();
    stop.Reset();
    EXPECT_FALSE(interrupt.IsRecognized());
    EXPECT_FALSE(interrupt.IsInterrupt());
}

TEST(KyCThreadInterruptTest, RecognitionOutlivesTheSourceUntilCleared) {
    CbEvent stop(true, nullptr);
    KyCThreadInterrupt interrupt;
    interrupt.SetExternalEvent(&stop);
    stop.Set();
    ASSERT_TRUE(interrupt.IsInterrupt());
    stop.Reset();
    EXPECT_FALSE(interrupt.IsInterrupt()) << "nothing is pending any more";
    EXPECT_TRUE(interrupt.IsRecognized()) << "but it was recognized";
    interrupt.ClearInterrupt();
    EXPECT_FALSE(interrupt.IsRecognized());
}

TEST(KyCThreadInterruptTest, ActivateAndClearTheOwnFlag) {
    KyCThreadInterrupt interrupt;
    interrupt.ActivateInterrupt();
    EXPECT_TRUE(interrupt.IsRecognized());
    EXPECT_TRUE(interrupt.IsInterrupt());
    interrupt.ClearInterrupt();
    EXPECT_FALSE(interrupt.IsInterrupt());
    EXPECT_FALSE(interrupt.IsRecognized());
}

TEST(KyCThreadInterruptTest, NumRecognitionsCountsEachNewInterrupt) {
    KyCThreadInterrupt interrupt;
    for (unsigned i = 1; i <= 3; ++i) {
        interrupt.ActivateInterrupt();
        EXPECT_TRUE(interrupt.IsInterrupt());
        EXPECT_TRUE(interrupt.IsInterrupt());
        EXPECT_EQ(interrupt.NumRecognitions(), i);
        interrupt.ClearInterrupt();
    }
}

TEST(KyCThreadInterruptTest, ExternalVariableInterruptsWhileTrue) {
    std::atomic<bool> bStop{false};
    KyCThreadInterrupt interrupt;
    interrupt.SetExternalVariable(&bStop);
    EXPECT_FALSE(interrupt.IsInterrupt());
    bStop = true;
    EXPECT_TRUE(interrupt.IsInterrupt());
    interrupt.SetExternalVariable(nullptr);
    interrupt.ClearInterrupt();
    EXPECT_FALSE(interrupt.IsInterrupt());
}

TEST(KyCThreadInterruptTest, AnExternalInterruptPassesItsStopOn) {
    KyCThreadInterrupt parent;
    KyCThreadInterrupt child(&parent);
    EXPECT_EQ(child.GetExternalInterrupt(), &parent);
    parent.ActivateInterrupt();
    EXPECT_TRUE(child.IsInterrupt());
    EXPECT_TRUE(parent.IsInterrupt());
    child.ClearInterrupt();
    child.RemoveExternalInterrupt();
    EXPECT_FALSE(child.IsInterrupt()) << "removed: the parent's stop no longer reaches it";
    EXPECT_TRUE(child.SetExternalInterrupt(&parent));
    EXPECT_TRUE(child.IsInterrupt());
}

TEST(KyCThreadInterruptTest, CyclesOfExternalInterruptsAreRefused) {
    KyCThreadInterrupt a, b;
    EXPECT_FALSE(a.SetExternalInterrupt(&a));
    ASSERT_TRUE(a.SetExternalInterrupt(&b));
    EXPECT_FALSE(b.SetExternalInterrupt(&a));
    EXPECT_EQ(b.GetExternalInterrupt(), nullptr);
    EXPECT_FALSE(a.IsInterrupt()) << "a cycle would never return";
}
