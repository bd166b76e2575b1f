// Routes of kycamera serve on cpp-httplib.
#include "KyCServeHttp.h"

#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "KyCServeAviReader.h"
#include "KyCServeControl.h"
#include "KyCServeJpeg.h"
#include "KyCServePage.h"
#include "KyCServeSecurity.h"

namespace {

const char kTokenPlaceholder[] = "__KYCAMERA_TOKEN__";
const size_t kDownloadChunk = 64 * 1024;
const char kMediaPattern[] = R"(/(all|video|picture)/([0-9]{1,6}))";

bool readFile(const std::string& strPath, std::string& strOut) {
    std::ifstream file(std::filesystem::u8path(strPath), std::ios::binary);
    if (!file)
        return false;
    strOut.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

// A file name fit for a header; stored names are time stamps, anything else becomes '_'.
std::string headerSafe(const std::string& strName) {
    std::string strOut;
    for (char c : strName) {
        const bool bPlain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                            (c >= 'A' && c <= 'Z') || c == '.' || c == '-' || c == '_';
        strOut += bPlain ? c : '_';
    }
    return strOut;
}

void setText(httplib::Response& response, int nStatus, const std::string& strText) {
    response.status = nStatus;
    response.set_content(strText + "\n", "text/plain; charset=utf-8");
}

}  // namespace

KyCServeHttp::KyCServeHttp(KyCServeControl& control, KyCServeLive& live, KyCServeLatest& events,
                           std::function<std::string()> stateJson, std::function<void()> onChange)
    : m_Control(control),
      m_Streams(live, events),
      m_StateJson(std::move(stateJson)),
      m_OnChange(std::move(onChange)),
      m_pServer(std::make_unique<httplib::Server>()) {}

KyCServeHttp::~KyCServeHttp() {
    Stop();
}

bool KyCServeHttp::Bind(const std::string& strHost, int nPort, std::string& strError) {
    httplib::Server& server = *m_pServer;
    server.new_task_queue = [] { return new httplib::ThreadPool(kRequestThreads); };
    server.set_payload_max_length(KyCServeSecurity::kMaxBodyBytes);
    server.set_read_timeout(5, 0);
    server.set_write_timeout(5, 0);
    server.set_keep_alive_max_count(100);
    server.set_tcp_nodelay(true);
    if (nPort == 0) {
        m_nPort = server.bind_to_any_port(strHost);
        if (m_nPort > 0)
            return true;
    } else if (server.bind_to_port(strHost, nPort)) {
        m_nPort = nPort;
        return true;
    }
    strError = "cannot listen on " + strHost + ":" + std::to_string(nPort) +
               " (address not available or port in use)";
    return false;
}

void KyCServeHttp::Start(std::shared_ptr<const KyCServeSecurity> pSecurity) {
    m_pSecurity = std::move(pSecurity);
    addRoutes();
    m_Thread = std::thread([this] { m_pServer->listen_after_bind(); });
    // Until the listener runs, the library's stop would not reach it.
    for (int n = 0; n < 5000 && !m_pServer->is_running(); ++n)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void KyCServeHttp::Stop() {
    m_Streams.Stop();
    if (m_pServer)
        m_pServer->stop();
    if (m_Thread.joinable())
        m_Thread.join();
}

void KyCServeHttp::addRoutes() {
    httplib::Server& server = *m_pServer;
    server.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            response.set_header("Cache-Control", "no-store");
            response.set_header("X-Content-Type-Options", "nosniff");
            return m_pSecurity->Admit(request, response) == 0
                       ? httplib::Server::HandlerResponse::Unhandled
                       : httplib::Server::HandlerResponse::Handled;
        });
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            setText(response, 500, "internal error");
        });

    for (const char* pszPath : {"/", "/index.html", "/app.js", "/style.css"})
        server.Get(pszPath, [this](const httplib::Request& request, httplib::Response& response) {
            servePage(request, response);
        });
    server.Get("/api/state", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(m_StateJson(), "application/json");
    });
    server.Get("/api/events", [this](const httplib::Request&, httplib::Response& response) {
        m_Streams.Events(response);
    });
    server.Get("/live.mjpg", [this](const httplib::Request&, httplib::Response& response) {
        m_Streams.Live(response);
    });
    server.Get(std::string("/media") + kMediaPattern,
               [this](const httplib::Request& request, httplib::Response& response) {
                   serveMedia(request, response);
               });
    server.Get(std::string("/thumb") + kMediaPattern,
               [this](const httplib::Request& request, httplib::Response& response) {
                   serveThumbnail(request, response);
               });
    server.Get(std::string("/play") + kMediaPattern,
               [this](const httplib::Request& request, httplib::Response& response) {
                   servePlayback(request, response);
               });

    auto param = [](const httplib::Request& request, const char* pszName) {
        return request.get_param_value(pszName);
    };
    addChange("/api/mode", [this, param](const httplib::Request& request) {
        return m_Control.SetMode(param(request, "mode"), param(request, "type"));
    });
    addChange("/api/start", [this](const httplib::Request&) { return m_Control.Start(); });
    addChange("/api/stop", [this](const httplib::Request&) { return m_Control.Stop(); });
    addChange("/api/record", [this](const httplib::Request&) { return m_Control.Record(); });
    addChange("/api/capture", [this](const httplib::Request&) { return m_Control.Capture(); });
    addChange("/api/next", [this, param](const httplib::Request& request) {
        return m_Control.Step(param(request, "view"), true);
    });
    addChange("/api/prev", [this, param](const httplib::Request& request) {
        return m_Control.Step(param(request, "view"), false);
    });
    addChange("/api/select", [this, param](const httplib::Request& request) {
        return m_Control.Select(param(request, "view"), param(request, "pos"),
                                param(request, "name"));
    });
    addChange("/api/remove", [this, param](const httplib::Request& request) {
        return m_Control.Remove(param(request, "view"), param(request, "pos"),
                                param(request, "name"));
    });
}

void KyCServeHttp::addChange(const std::string& strPath,
                             std::function<int(const httplib::Request&)> change) {
    m_pServer->Post(strPath,
                    [this, change](const httplib::Request& request, httplib::Response& response) {
                        if (!m_pSecurity->MayChange(request))
                            return setText(response, 403, "a change needs the access token header");
                        const int nStatus = change(request);
                        if (nStatus == 200 && m_OnChange)
                            m_OnChange();
                        response.status = nStatus;
                        response.set_content(m_StateJson(), "application/json");
                    });
    // A change asked for by GET changes nothing.
    m_pServer->Get(strPath, [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Allow", "POST");
        setText(response, 405, "changes are POST requests");
    });
}

void KyCServeHttp::servePage(const httplib::Request& request, httplib::Response& response) {
    const KyCServePage::SFile* pFile = KyCServePage::Find(request.path);
    if (!pFile)
        return setText(response, 404, "not found");
    std::string strContent(reinterpret_cast<const char*>(pFile->pData), pFile->nSize);
    const size_t nAt = strContent.find(kTokenPlaceholder);
    if (nAt != std::string::npos)
        strContent.replace(nAt, sizeof kTokenPlaceholder - 1, m_pSecurity->GetToken());
    // Only its own scripts, styles and pictures, and never inside another site's frame.
    response.set_header("Content-Security-Policy",
                        "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'");
    response.set_header("X-Frame-Options", "DENY");
    response.set_content(strContent, pFile->pszContentType);
}

bool KyCServeHttp::findEntry(const httplib::Request& request, httplib::Response& response,
                             KyCServeControl::SEntry& entry) const {
    ERUXVideoMediaType eView;
    int nPosition = 0;
    if (!KyCServeControl::ParseView(request.matches[1], eView) ||
        !KyCServeControl::ParsePosition(request.matches[2], nPosition)) {
        setText(response, 400, "bad view or position");
        return false;
    }
    if (!m_Control.Find(eView, nPosition, entry)) {
        setText(response, 404, "no such entry");
        return false;
    }
    const std::string strName = request.get_param_value("name");
    if (!strName.empty() && strName != entry.strName) {
        setText(response, 409, "the catalogue changed: that position holds another file now");
        return false;
    }
    return true;
}

void KyCServeHttp::serveMedia(const httplib::Request& request, httplib::Response& response) {
    KyCServeControl::SEntry entry;
    if (!findEntry(request, response, entry))
        return;
    auto pFile =
        std::make_shared<std::ifstream>(std::filesystem::u8path(entry.strPath), std::ios::binary);
    std::error_code error;
    const std::uintmax_t nSize =
        std::filesystem::file_size(std::filesystem::u8path(entry.strPath), error);
    if (!*pFile || error)
        return setText(response, 404, "the file is gone");
    response.set_header("Content-Disposition",
                        "attachment; filename=\"" + headerSafe(entry.strName) + "\"");
    const char* pszType =
        entry.eMediaType == eVideoMediaTypeVideo ? "video/x-msvideo" : "image/jpeg";
    response.set_content_provider(
        static_cast<size_t>(nSize), pszType,
        [pFile](size_t nOffset, size_t nLength, httplib::DataSink& sink) {
            std::string strChunk(std::min(nLength, kDownloadChunk), '\0');
            pFile->seekg(static_cast<std::streamoff>(nOffset));
            pFile->read(&strChunk[0], static_cast<std::streamsize>(strChunk.size()));
            const std::streamsize nRead = pFile->gcount();
            return nRead > 0 && sink.write(strChunk.data(), static_cast<size_t>(nRead));
        });
}

void KyCServeHttp::serveThumbnail(const httplib::Request& request, httplib::Response& response) {
    KyCServeControl::SEntry entry;
    if (!findEntry(request, response, entry))
        return;
    std::string strJpeg, strError;
    if (entry.eMediaType == eVideoMediaTypeVideo) {
        KyCServeAviReader reader;
        double fTimeS = 0;
        if (!reader.Open(entry.strPath, strError) || !reader.ReadFrame(strJpeg, fTimeS))
            return setText(response, 404, "no frame in the video");
    } else {
        std::string strPicture;
        if (!readFile(entry.strPath, strPicture) ||
            !KyCServeJpeg::PictureThumbnail(strPicture, strJpeg))
            return setText(response, 404, "the picture cannot be read");
    }
    response.set_content(strJpeg, "image/jpeg");
}

void KyCServeHttp::servePlayback(const httplib::Request& request, httplib::Response& response) {
    KyCServeControl::SEntry entry;
    if (!findEntry(request, response, entry))
        return;
    if (entry.eMediaType != eVideoMediaTypeVideo)
        return setText(response, 404, "not a video");
    auto pReader = std::make_shared<KyCServeAviReader>();
    std::string strError;
    if (!pReader->Open(entry.strPath, strError))
        return setText(response, 404, strError);
    m_Streams.Playback(std::move(pReader), response);
}
