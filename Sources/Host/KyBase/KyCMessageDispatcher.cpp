#include "KyCMessageDispatcher.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

struct MessageQueue {
    std::mutex mutex;  // guards messages; a leaf lock, nothing is called while it is held
    std::condition_variable posted;
    std::vector<KyCPostedMessage> messages;
};

MessageQueue& queue() {
    static MessageQueue s_Queue;
    return s_Queue;
}

}  // namespace

void KyCMessageDispatcher::PostMessageW(const wchar_t* pszFile, unsigned nLine,
                                        const wchar_t* pszFunction,
                                        CbSmartPointer<const CyMessage> pMessage) {
    KyCPostedMessage posted;
    posted.strFile = pszFile ? pszFile : L"";
    posted.nLine = nLine;
    posted.strFunction = pszFunction ? pszFunction : L"";
    posted.pMessage = std::move(pMessage);
    MessageQueue& q = queue();
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        q.messages.push_back(std::move(posted));
    }
    q.posted.notify_all();
}

std::vector<KyCPostedMessage> KyCMessageDispatcher::TakePostedMessages() {
    MessageQueue& q = queue();
    std::vector<KyCPostedMessage> taken;
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        taken.swap(q.messages);
    }
    return taken;  // the messages' last references may go here, outside the lock
}

std::vector<CbSmartPointer<const CyMessage>> KyCMessageDispatcher::TakeMessages() {
    std::vector<CbSmartPointer<const CyMessage>> messages;
    for (KyCPostedMessage& posted : TakePostedMessages()) {
        messages.push_back(std::move(posted.pMessage));
    }
    return messages;
}

bool KyCMessageDispatcher::WaitForMessage(unsigned nTimeoutMs) {
    MessageQueue& q = queue();
    std::unique_lock<std::mutex> lock(q.mutex);
    return q.posted.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                             [&] { return !q.messages.empty(); });
}
