// Queue of messages from components to the host's GUI.
#pragma once

#include <string>
#include <vector>

#include "CbSmartPointer.h"
#include "CyMessage.h"
#include "KyHostApi.h"

// A posted message with where it was posted from.
struct KyCPostedMessage {
    std::wstring strFile;
    unsigned nLine = 0;
    std::wstring strFunction;
    CbSmartPointer<const CyMessage> pMessage;
};

// Process-wide queue. PostMessageW never waits for the GUI, so it may be called under any lock.
class KYHOST_API KyCMessageDispatcher {
public:
    // Queues the message (taking over the reference) and returns at once.
    static void PostMessageW(const wchar_t* pszFile, unsigned nLine, const wchar_t* pszFunction,
                             CbSmartPointer<const CyMessage> pMessage);
    // Takes every queued message, oldest first.
    static std::vector<CbSmartPointer<const CyMessage>> TakeMessages();
    // The same, with the place each message was posted from.
    static std::vector<KyCPostedMessage> TakePostedMessages();
    // Blocks until a message is queued or the time-out passes; true when one is queued.
    static bool WaitForMessage(unsigned nTimeoutMs);
};
