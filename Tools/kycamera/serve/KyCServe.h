// kycamera serve: the component in a web browser.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "KyCServeStateJson.h"

class KyCCamera;
class KyCConsole;
class KyCMessagePump;
class KyCOptions;
class KyICameraVideo;
class KyCServeControl;
class KyCServeLatest;
class KyCServeLive;

// Sets the media directory and camera mode with videos, starts the live encoder and the HTTP
// server, prints the address to open and then, on the host's thread, turns every message the
// component posts into a state event for the pages (and a console line), and sends the state
// twice a second while it changes by itself (a recording's statistics). Ctrl-C ends it; the
// application then switches the component off.
class KyCServe {
public:
    static constexpr unsigned kTickMs = 500;
    // Posted messages the state keeps, so that a page that missed an event still sees them.
    static const size_t kKeptMessages = 16;

    KyCServe(KyICameraVideo& component, KyCCamera& camera, KyCConsole& console,
             KyCMessagePump& messages);

    // The exit code (KyCExitCode.h).
    int Run(const KyCOptions& options);

private:
    // Takes the posted messages, prints them and keeps the latest; how many were taken.
    unsigned takeMessages();
    std::string stateJson(KyCServeControl& control, KyCServeLive& live) const;
    // Sends the state to the pages when it differs from what they have (always when bForce).
    void publish(KyCServeControl& control, KyCServeLive& live, KyCServeLatest& events, bool bForce);

    KyICameraVideo& m_Component;
    KyCCamera& m_Camera;
    KyCConsole& m_Console;
    KyCMessagePump& m_Messages;
    // Guards the two fields below; taken before the event channel's own lock, never inside
    // another.
    mutable std::mutex m_PublishMutex;
    std::string m_strPublished;
    std::deque<KyCServeStateJson::SMessage> m_dqPosted;
    std::uint64_t m_nPosted = 0;
};
