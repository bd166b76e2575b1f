// The long-lived answers of kycamera serve: the live view, the state events and playback.
#pragma once

#include <atomic>
#include <memory>

class KyCServeAviReader;
class KyCServeLatest;
class KyCServeLive;

namespace httplib {
struct Response;
}  // namespace httplib

// Each stream holds one of the server's request threads while it runs; at most kMaxStreams run
// at once (503 beyond). A stream waits on its channel (frames, states) with a bounded wait and
// takes the newest value when it is ready for one, so a slow client only slows itself.
// Threads: the request threads; Stop from the host's thread ends every stream at once.
class KyCServeStreams {
public:
    static const unsigned kMaxStreams = 48;

    KyCServeStreams(KyCServeLive& live, KyCServeLatest& events);

    // multipart/x-mixed-replace of the live JPEG frames.
    void Live(httplib::Response& response);
    // text/event-stream: "state" events, the first one at once.
    void Events(httplib::Response& response);
    // multipart/x-mixed-replace of the stored frames, each at its time in the file.
    void Playback(std::shared_ptr<KyCServeAviReader> pReader, httplib::Response& response);
    // Closes the channels and makes every stream end.
    void Stop();
    unsigned GetCount() const { return m_nStreams.load(); }

private:
    // A stream slot, or false (503 set) when kMaxStreams run.
    bool Enter(httplib::Response& response);
    void Leave();

    KyCServeLive& m_Live;
    KyCServeLatest& m_Events;
    std::atomic<unsigned> m_nStreams{0};
    std::atomic<bool> m_bStopping{false};
};
