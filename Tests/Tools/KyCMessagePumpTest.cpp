// Messages posted to the GUI queue are shown one line each, with their text and origin.
#include <gtest/gtest.h>

#include <sstream>

#include "CMessageWFARUXStateChanged.h"
#include "KyCConsole.h"
#include "KyCMessageDispatcher.h"
#include "KyCMessagePump.h"

TEST(KyCMessagePumpTest, EveryQueuedMessageIsShownOnceInPostingOrder) {
    KyCMessageDispatcher::TakeMessages();  // whatever earlier tests left
    std::ostringstream out, err;
    KyCConsole console(out, err, false);
    KyCMessagePump pump(console);
    for (const wchar_t* pszText : {L"Video", L"Other"})
        KyCMessageDispatcher::PostMessageW(
            L"file.cpp", 7, L"Host::step",
            CbSmartPointer<const CyMessage>(new CMessageWFARUXStateChanged(pszText)));
    EXPECT_EQ(pump.Drain(), 2u);
    EXPECT_EQ(pump.Drain(), 0u);
    EXPECT_EQ(pump.GetStateChangedCount(), 2u);
    EXPECT_EQ(out.str(),
              "  message: state changed \"Video\" (from Host::step)\n"
              "  message: state changed \"Other\" (from Host::step)\n");
    EXPECT_TRUE(KyCMessageDispatcher::TakeMessages().empty());
}
