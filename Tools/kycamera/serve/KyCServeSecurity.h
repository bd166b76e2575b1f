// Who may talk to the server and what a request may look like.
#pragma once

#include <string>
#include <vector>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

// The defaults are safe: on the loopback address only requests that name this machine in their
// Host header are taken (a web site that rebinds its name to 127.0.0.1 gets 403). With
// --listen, every request must carry the access token, in the X-Kycamera-Token header or the
// cookie that a first visit of /?token=TOKEN sets. Every change (POST) carries the token in the
// header, also on the loopback address: the page reads it from itself, other sites cannot.
// Requests beyond the size limits get 414 or 431 before any handler runs.
// Threads: read-only after construction; any request thread may call.
class KyCServeSecurity {
public:
    static constexpr const char* kTokenHeader = "X-Kycamera-Token";
    static constexpr const char* kTokenCookie = "kycamera_token";
    static const size_t kMaxTargetBytes = 1024;
    static const size_t kMaxHeaderBytes = 16384;
    static const size_t kMaxHeaderCount = 64;
    // The server reads bodies after Admit: it refuses longer ones itself, with 413.
    static const size_t kMaxBodyBytes = 4096;

    // bTokenRequired: --listen. nPort: the port bound, for the Host check.
    KyCServeSecurity(std::string strToken, bool bTokenRequired, int nPort);

    // 32 hexadecimal digits from the system's random source.
    static std::string MakeToken();
    const std::string& GetToken() const { return m_strToken; }

    // 0 when the request may go on to its handler; otherwise the response is filled in (an
    // error status, or the redirect that sets the cookie) and its status returned.
    int Admit(const httplib::Request& request, httplib::Response& response) const;
    // A change: the header token must match.
    bool MayChange(const httplib::Request& request) const;

private:
    bool hostAllowed(const std::string& strHost) const;
    bool tokenMatches(const std::string& strGiven) const;
    std::string cookieToken(const httplib::Request& request) const;

    const std::string m_strToken;
    const bool m_bTokenRequired;
    std::vector<std::string> m_vecLoopbackHosts;
};
