// The message queue to the GUI: order, origin, lifetime and wake-ups.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "CMessageWFARUXStateChanged.h"
#include "KyCMessageDispatcher.h"

namespace {

// A state-changed message that counts its destruction.
class CountedMessage : public CMessageWFARUXStateChanged {
public:
    CountedMessage(const std::wstring& strText, std::atomic<int>& nDestroyed)
        : CMessageWFARUXStateChanged(strText), m_nDestroyed(nDestroyed) {}
    ~CountedMessage() override { ++m_nDestroyed; }

private:
    std::atomic<int>& m_nDestroyed;
};

void post(const CyMessage* pMessage, unsigned nLine = 1) {
    KyCMessageDispatcher::PostMessageW(L"test.cpp", nLine, L"post",
                                       CbSmartPointer<const CyMessage>(pMessage));
}

const std::wstring& textOf(const CbSmartPointer<const CyMessage>& p) {
    return dynamic_cast<const CMessageWFARUXStateChanged&>(*p).GetText();
}

class KyCMessageDispatcherTest : public ::testing::Test {
protected:
    void SetUp() override { KyCMessageDispatcher::TakeMessages(); }  // start from an empty queue
};

}  // namespace

TEST_F(KyCMessageDispatcherTest, TakeDrainsInOrderWithThePlaceAndTheMessageLivesUntilTaken) {
    EXPECT_FALSE(KyCMessageDispatcher::WaitForMessage(0));
    std::atomic<int> nDestroyed{0};
    KyCMessageDispatcher::PostMessageW(
        L"KyCCameraVideoVDX.cpp", 123, L"KyCCameraVideoVDX::updateGUI",
        CbSmartPointer<const CyMessage>(new CountedMessage(L"Video", nDestroyed)));
    post(new CMessageWFARUXStateChanged(L"Second"), 20);
    EXPECT_TRUE(KyCMessageDispatcher::WaitForMessage(0));
    {
        std::vector<KyCPostedMessage> taken = KyCMessageDispatcher::TakePostedMessages();
        ASSERT_EQ(taken.size(), 2u);
        EXPECT_EQ(taken[0].strFile, L"KyCCameraVideoVDX.cpp");
        EXPECT_EQ(taken[0].nLine, 123u);
        EXPECT_EQ(taken[0].strFunction, L"KyCCameraVideoVDX::updateGUI");
        EXPECT_EQ(textOf(taken[0].pMessage), L"Video");
        EXPECT_EQ(textOf(taken[1].pMessage), L"Second");
        EXPECT_FALSE(KyCMessageDispatcher::WaitForMessage(0));
        EXPECT_EQ(nDestroyed, 0) << "the taken vector holds the message";
    }
    EXPECT_EQ(nDestroyed, 1);
}

TEST_F(KyCMessageDispatcherTest, PostsFromSeveralThreadsWakeTheWaiterLoseNothingAndKeepOrder) {
    const int kThreads = 4, kPerThread = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            for (int i = 0; i < kPerThread; ++i)
                post(new CMessageWFARUXStateChanged(std::to_wstring(t)), static_cast<unsigned>(i));
        });
    }
    EXPECT_TRUE(KyCMessageDispatcher::WaitForMessage(10000));
    for (std::thread& thread : threads)
        thread.join();
    std::vector<KyCPostedMessage> taken = KyCMessageDispatcher::TakePostedMessages();
    ASSERT_EQ(taken.size(), static_cast<size_t>(kThreads * kPerThread));
    std::vector<unsigned> nextLine(kThreads, 0);
    for (const KyCPostedMessage& posted : taken)
        EXPECT_EQ(posted.nLine, nextLine[std::stoi(textOf(posted.pMessage))]++);
}
