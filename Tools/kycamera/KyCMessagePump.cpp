// Draining the message queue into the console.
#include "KyCMessagePump.h"

#include <vector>

#include "CMessageWFARUXStateChanged.h"
#include "KyCConsole.h"
#include "KyCMessageDispatcher.h"
#include "KyStringConvert.h"

KyCMessagePump::KyCMessagePump(KyCConsole& console) : m_Console(console) {}

unsigned KyCMessagePump::Drain() {
    const std::vector<KyCPostedMessage> vecMessages = KyCMessageDispatcher::TakePostedMessages();
    for (const KyCPostedMessage& posted : vecMessages) {
        const CMessageWFARUXStateChanged* pStateChanged =
            dynamic_cast<const CMessageWFARUXStateChanged*>(posted.pMessage.Get());
        if (pStateChanged) {
            ++m_nStateChanged;
            m_Console.Line(FormatStateChanged(KyWideToUtf8(pStateChanged->GetText()),
                                              KyWideToUtf8(posted.strFunction)));
        } else {
            m_Console.Line("  message: (another kind) from " + KyWideToUtf8(posted.strFunction));
        }
    }
    return static_cast<unsigned>(vecMessages.size());
}

std::string KyCMessagePump::FormatStateChanged(const std::string& strText,
                                               const std::string& strFunction) {
    return "  message: state changed \"" + strText + "\" (from " + strFunction + ")";
}
