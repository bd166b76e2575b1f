// The live view for the browser: the live display's picture as JPEG, once per picture shown.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "KyCServeLatest.h"

class KyCLiveDisplay;

// Its own thread ("ServeLive") waits for the live display to show a new picture, copies it and
// encodes it once, and publishes the JPEG to every viewer through GetFrames(): however many
// viewers watch, each picture is encoded once, and never more often than the camera delivers.
// While nobody watches it encodes nothing. It only reads the display, so a viewer, slow or not,
// cannot slow the camera or the recording.
class KyCServeLive {
public:
    static constexpr float kQuality = 0.8f;

    explicit KyCServeLive(KyCLiveDisplay& display);
    ~KyCServeLive();  // Stop
    KyCServeLive(const KyCServeLive&) = delete;
    KyCServeLive& operator=(const KyCServeLive&) = delete;

    void Start();
    // Closes the frame channel (waking every viewer) and ends the thread.
    void Stop();
    KyCServeLatest& GetFrames() { return m_Frames; }
    std::uint64_t GetFramesEncoded() const { return m_nEncoded.load(); }

private:
    void threadLoop();

    KyCLiveDisplay& m_Display;
    KyCServeLatest m_Frames;
    // Set by Stop before the join; the thread's waits are bounded, so it sees the flag soon.
    std::atomic<bool> m_bStop{false};
    std::atomic<std::uint64_t> m_nEncoded{0};
    std::thread m_Thread;  // started and joined by the host's thread only
};
