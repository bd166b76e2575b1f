// Messages posted to the GUI queue are shown one line each, with their text and origin.
#include <gtest/gtest.h>

#include <sstream>

#include "CMessageWFARUXStateChanged.h"
#include "KyCConsole.h"
#include "KyCMessageDispatcher.h"
#include "KyCMessagePump.h"

namespace {

void post(const wchar_t* pszText, const wchar_t* pszFunction) {
    CbSmartPointer<const CyMessage> pMessage(new CMessageWFARUXStateChanged(pszText));
    KyCMessageDispatcher::PostMessageW(L"file.cpp", 7, pszFunction, pMessage);
}

}  // namespace

TEST(KyCMessagePumpTest, EveryQueuedMessageIsShownOnceInPostingOrder) {
    KyCMessageDispatcher::TakeMessages();  // whatever earlier tests left
    std::ostringstream out, err;
    KyCConsole console(out, err, false);
    KyCMessagePump pump(console);
    post(L"Video", L"KyCCameraVideoVDX::updateGUI");
    post(L"Other", L"Host::step");
    EXPECT_EQ(pump.Drain(), 2u);
    EXPECT_EQ(pump.Drain(), 0u);
    EXPECT_EQ(pump.GetStateChangedCount(), 2u);
    EXPECT_EQ(out.str(),
              KyCMessagePump::FormatStateChanged("Video", "KyCCameraVideoVDX::updateGUI") + "\n" +
                  KyCMessagePump::FormatStateChanged("Other", "Host::step") + "\n");
    EXPECT_EQ(KyCMessagePump::FormatStateChanged("Video", "F"),
              "  message: state changed \"Video\" (from F)");
    EXPECT_TRUE(KyCMessageDispatcher::TakeMessages().empty());
}
