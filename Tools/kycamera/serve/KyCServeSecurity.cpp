// The access rules: Host check, token, size limits.
#include "KyCServeSecurity.h"

#include <httplib.h>

#include <random>

KyCServeSecurity::KyCServeSecurity(std::string strToken, bool bTokenRequired, int nPort)
    : m_strToken(std::move(strToken)), m_bTokenRequired(bTokenRequired) {
    const std::string strPort = ":" + std::to_string(nPort);
    for (const char* pszName : {"127.0.0.1", "localhost", "[::1]"})
        m_vecLoopbackHosts.push_back(pszName + strPort);
}

std::string KyCServeSecurity::MakeToken() {
    std::random_device random;
    const char* const pszDigits = "0123456789abcdef";
    std::string strToken;
    for (int n = 0; n < 32; ++n)
        strToken += pszDigits[random() % 16];
    return strToken;
}

int KyCServeSecurity::Admit(const httplib::Request& request, httplib::Response& response) const {
    auto refuse = [&](int nStatus, const char* pszText) {
        response.status = nStatus;
        response.set_content(std::string(pszText) + "\n", "text/plain");
        return nStatus;
    };
    if (request.target.size() > kMaxTargetBytes)
        return refuse(414, "request target too long");
    size_t nHeaderBytes = 0;
    for (const auto& header : request.headers)
        nHeaderBytes += header.first.size() + header.second.size() + 4;
    if (request.headers.size() > kMaxHeaderCount || nHeaderBytes > kMaxHeaderBytes)
        return refuse(431, "request headers too large");
    const std::string strLength = request.get_header_value("Content-Length");
    if (request.get_header_value_count("Content-Length") > 1 ||
        strLength.find_first_not_of("0123456789") != std::string::npos)
        return refuse(400, "malformed Content-Length");
    if (request.method != "GET" && request.method != "POST" && request.method != "HEAD")
        return refuse(405, "method not allowed");

    if (!m_bTokenRequired) {
        if (!hostAllowed(request.get_header_value("Host")))
            return refuse(403, "this server answers requests for 127.0.0.1 only");
        return 0;
    }
    if (tokenMatches(request.get_header_value(kTokenHeader)) || tokenMatches(cookieToken(request)))
        return 0;
    // First visit: the token in the address becomes a cookie, and the address loses it.
    if (request.method == "GET" && request.path == "/" &&
        tokenMatches(request.get_param_value("token"))) {
        response.set_header("Set-Cookie", std::string(kTokenCookie) + "=" + m_strToken +
                                              "; Path=/; HttpOnly; SameSite=Strict");
        response.set_redirect("/", 303);
        return 303;
    }
    return refuse(401, "access token missing or wrong");
}

bool KyCServeSecurity::MayChange(const httplib::Request& request) const {
    return request.method == "POST" && tokenMatches(request.get_header_value(kTokenHeader));
}

bool KyCServeSecurity::hostAllowed(const std::string& strHost) const {
    for (const std::string& strAllowed : m_vecLoopbackHosts) {
        if (strHost == strAllowed)
            return true;
    }
    return false;
}

bool KyCServeSecurity::tokenMatches(const std::string& strGiven) const {
    if (strGiven.size() != m_strToken.size())
        return false;
    // Every character compared, so that the time taken does not tell how much matched.
    unsigned char nDifference = 0;
    for (size_t n = 0; n < strGiven.size(); ++n)
        nDifference |= static_cast<unsigned char>(strGiven[n] ^ m_strToken[n]);
    return nDifference == 0;
}

std::string KyCServeSecurity::cookieToken(const httplib::Request& request) const {
    const std::string strCookies = request.get_header_value("Cookie");
    const std::string strKey = std::string(kTokenCookie) + "=";
    size_t nAt = 0;
    while ((nAt = strCookies.find(strKey, nAt)) != std::string::npos) {
        if (nAt == 0 || strCookies[nAt - 1] == ' ' || strCookies[nAt - 1] == ';') {
            const size_t nStart = nAt + strKey.size();
            const size_t nEnd = strCookies.find(';', nStart);
            return strCookies.substr(nStart,
                                     nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        }
        nAt += strKey.size();
    }
    return std::string();
}
