// The message queue to the GUI: order, origin, wake-ups and posts from several threads.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "CMessageWFARUXStateChanged.h"
#include "KyCMessageDispatcher.h"

namespace {

void post(const std::wstring& strText, unsigned nLine) {
    KyCMessageDispatcher::PostMessageW(
        L"KyCCameraVideoVDX.cpp", nLine, L"KyCCameraVideoVDX::updateGUI",
        CbSmartPointer<const CyMessage>(new CMessageWFARUXStateChanged(strText)));
}

const std::wstring& textOf(const KyCPostedMessage& posted) {
    return dynamic_cast<const CMessageWFARUXStateChanged&>(*posted.pMessage).GetText();
}

}  // namespace

TEST(KyCMessageDispatcherTest, PostsFromSeveralThreadsWakeTheWaiterLoseNothingAndKeepOrder) {
    KyCMessageDispatcher::TakeMessages();  // start from an empty queue
    EXPECT_FALSE(KyCMessageDispatcher::WaitForMessage(0));
    const int kThreads = 4, kPerThread = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            for (int i = 0; i < kPerThread; ++i)
                post(std::to_wstring(t), static_cast<unsigned>(i));
        });
    }
    EXPECT_TRUE(KyCMessageDispatcher::WaitForMessage(10000));
    for (std::thread& thread : threads)
        thread.join();
    post(L"last", 123);
    std::vector<KyCPostedMessage> taken = KyCMessageDispatcher::TakePostedMessages();
    EXPECT_FALSE(KyCMessageDispatcher::WaitForMessage(0)) << "taking drains the queue";
    ASSERT_EQ(taken.size(), static_cast<size_t>(kThreads * kPerThread + 1));
    EXPECT_EQ(taken.back().strFile, L"KyCCameraVideoVDX.cpp");
    EXPECT_EQ(taken.back().nLine, 123u);
    EXPECT_EQ(taken.back().strFunction, L"KyCCameraVideoVDX::updateGUI");
    EXPECT_EQ(textOf(taken.back()), L"last");
    taken.pop_back();
    std::vector<unsigned> nextLine(kThreads, 0);
    for (const KyCPostedMessage& posted : taken)
        EXPECT_EQ(posted.nLine, nextLine[std::stoi(textOf(posted))]++);
}
