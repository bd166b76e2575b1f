// Shows the messages the component posts to the host's GUI, as they come.
#pragma once

#include <atomic>
#include <string>

class KyCConsole;

// Drains KyCMessageDispatcher's queue and prints one line per message; state-changed messages
// show their text and the operation that posted them. Any thread may drain.
class KyCMessagePump {
public:
    explicit KyCMessagePump(KyCConsole& console);

    // Prints what is queued; the number of messages taken.
    unsigned Drain();
    unsigned GetStateChangedCount() const { return m_nStateChanged.load(); }

    // The line shown for a state-changed message with this text, posted by that function.
    static std::string FormatStateChanged(const std::string& strText,
                                          const std::string& strFunction);

private:
    KyCConsole& m_Console;
    std::atomic<unsigned> m_nStateChanged{0};
};
