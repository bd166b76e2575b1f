// The HTTP server of kycamera serve: the page, the state, the streams and the page's changes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "KyCServeControl.h"
#include "KyCServeStreams.h"

class KyCServeLatest;
class KyCServeLive;
class KyCServeSecurity;

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

// Endpoints (views: all, video, picture; positions within the view):
//   GET  /, /app.js, /style.css         the page
//   GET  /api/state                      the state as JSON (KyCServeStateJson)
//   GET  /api/events                     Server-Sent Events: "state" with the same JSON
//   GET  /live.mjpg                      the live picture, multipart/x-mixed-replace
//   GET  /media/VIEW/POS                 the stored file, as a download
//   GET  /thumb/VIEW/POS                 a video's first frame, a picture scaled down
//   GET  /play/VIEW/POS                  a stored video's frames as stored, at its frame rate
//   POST /api/mode?mode=&type=, /api/start, /api/stop, /api/record, /api/capture,
//        /api/next?view=, /api/prev?view=, /api/select?view=&pos=&name=,
//        /api/remove?view=&pos=&name=
// Files are found by view and position only; no path from a request reaches the file system.
//
// Threads: the library's listener thread (m_Thread) and its pool of request threads, which
// also carry the streams (KyCServeStreams). Stop ends the streams first, then the listener.
class KyCServeHttp {
public:
    static const unsigned kRequestThreads = KyCServeStreams::kMaxStreams + 8;

    // stateJson answers /api/state and every change; onChange runs after every change a page
    // made, on its request thread.
    KyCServeHttp(KyCServeControl& control, KyCServeLive& live, KyCServeLatest& events,
                 std::function<std::string()> stateJson, std::function<void()> onChange);
    ~KyCServeHttp();  // Stop
    KyCServeHttp(const KyCServeHttp&) = delete;
    KyCServeHttp& operator=(const KyCServeHttp&) = delete;

    // Binds (port 0: any free one) and starts listening; false with a one-line reason.
    bool Bind(const std::string& strHost, int nPort, std::string& strError);
    int GetPort() const { return m_nPort; }
    // Starts serving with these access rules (made for the bound port).
    void Start(std::shared_ptr<const KyCServeSecurity> pSecurity);
    void Stop();

private:
    void addRoutes();
    void servePage(const httplib::Request& request, httplib::Response& response);
    void serveMedia(const httplib::Request& request, httplib::Response& response);
    void serveThumbnail(const httplib::Request& request, httplib::Response& response);
    void servePlayback(const httplib::Request& request, httplib::Response& response);
    // POST routes: the token checked, the change made, onChange called, the state answered.
    void addChange(const std::string& strPath, std::function<int(const httplib::Request&)> change);
    // The entry the /media, /thumb or /play path names (and its name= parameter, if given);
    // false with the 4xx answer set.
    bool findEntry(const httplib::Request& request, httplib::Response& response,
                   KyCServeControl::SEntry& entry) const;

    KyCServeControl& m_Control;
    KyCServeStreams m_Streams;
    std::function<std::string()> m_StateJson;
    std::function<void()> m_OnChange;
    std::unique_ptr<httplib::Server> m_pServer;
    std::shared_ptr<const KyCServeSecurity> m_pSecurity;  // set before the listener starts
    int m_nPort = 0;
    std::thread m_Thread;  // the listener; started and joined by the host's thread
};
