// The long-lived answers of kycamera serve: live view, state events, playback.
#include "KyCServeStreams.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "KyCServeAviReader.h"
#include "KyCServeLatest.h"
#include "KyCServeLive.h"

namespace {

const char kBoundary[] = "kyframe";
const char kMultipartType[] = "multipart/x-mixed-replace; boundary=kyframe";
const unsigned kStreamWaitMs = 500;
const unsigned kKeepAliveMs = 10000;

bool writeText(httplib::DataSink& sink, const std::string& strText) {
    return sink.write(strText.data(), strText.size());
}

// One part of a multipart/x-mixed-replace stream.
bool writeJpegPart(httplib::DataSink& sink, const std::string& strJpeg) {
    return writeText(sink, std::string("--") + kBoundary +
                               "\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                               std::to_string(strJpeg.size()) + "\r\n\r\n") &&
           sink.write(strJpeg.data(), strJpeg.size()) && writeText(sink, "\r\n");
}

}  // namespace

KyCServeStreams::KyCServeStreams(KyCServeLive& live, KyCServeLatest& events)
    : m_Live(live), m_Events(events) {}

void KyCServeStreams::Stop() {
    m_bStopping = true;
    m_Events.Close();
    m_Live.GetFrames().Close();
}

bool KyCServeStreams::Enter(httplib::Response& response) {
    if (++m_nStreams > kMaxStreams) {
        --m_nStreams;
        response.status = 503;
        response.set_content("too many streams open\n", "text/plain");
        return false;
    }
    return true;
}

void KyCServeStreams::Leave() {
    --m_nStreams;
}

void KyCServeStreams::Live(httplib::Response& response) {
    if (!Enter(response))
        return;
    KyCServeLatest& frames = m_Live.GetFrames();
    frames.AddReader();
    auto pSeen = std::make_shared<std::uint64_t>(0);
    response.set_chunked_content_provider(
        kMultipartType,
        [this, &frames, pSeen](size_t, httplib::DataSink& sink) {
            const KyCServeLatest::Value pFrame = frames.WaitNewer(*pSeen, kStreamWaitMs);
            if (m_bStopping || frames.IsClosed())
                return false;
            return !pFrame || writeJpegPart(sink, *pFrame);
        },
        [this, &frames](bool) {
            frames.RemoveReader();
            Leave();
        });
}

void KyCServeStreams::Events(httplib::Response& response) {
    if (!Enter(response))
        return;
    // The first event is the state as it is now; then one for every change.
    auto pSeen = std::make_shared<std::uint64_t>(0);
    auto pQuietMs = std::make_shared<unsigned>(0);
    response.set_chunked_content_provider(
        "text/event-stream",
        [this, pSeen, pQuietMs](size_t nOffset, httplib::DataSink& sink) {
            if (nOffset == 0 && !writeText(sink, "retry: 1000\n\n"))
                return false;
            const KyCServeLatest::Value pState = m_Events.WaitNewer(*pSeen, kStreamWaitMs);
            if (m_bStopping || m_Events.IsClosed())
                return false;
            if (pState) {
                *pQuietMs = 0;
                return writeText(sink, "event: state\ndata: " + *pState + "\n\n");
            }
            *pQuietMs += kStreamWaitMs;
            if (*pQuietMs < kKeepAliveMs)
                return true;
            *pQuietMs = 0;
            return writeText(sink, ": keep-alive\n\n");
        },
        [this](bool) { Leave(); });
}

void KyCServeStreams::Playback(std::shared_ptr<KyCServeAviReader> pReader,
                               httplib::Response& response) {
    if (!Enter(response))
        return;
    using Clock = std::chrono::steady_clock;
    auto pStart = std::make_shared<Clock::time_point>();
    response.set_chunked_content_provider(
        kMultipartType,
        [this, pReader, pStart](size_t nOffset, httplib::DataSink& sink) {
            if (nOffset == 0)
                *pStart = Clock::now();
            std::string strJpeg;
            double fTimeS = 0;
            if (!pReader->ReadFrame(strJpeg, fTimeS)) {
                writeText(sink, std::string("--") + kBoundary + "--\r\n");
                sink.done();
                return true;
            }
            // Paced at the file's own rate: each frame leaves at its time in the file.
            const Clock::time_point due =
                *pStart + std::chrono::microseconds(static_cast<long long>(fTimeS * 1e6));
            while (Clock::now() < due) {
                if (m_bStopping)
                    return false;
                std::this_thread::sleep_for(
                    std::min<Clock::duration>(due - Clock::now(), std::chrono::milliseconds(100)));
            }
            return !m_bStopping && writeJpegPart(sink, strJpeg);
        },
        [this](bool) { Leave(); });
}
