// Formatting catalogue entries, sizes and local times.
#include "KyCCataloguePrinter.h"

#include <cstdio>
#include <ctime>
#include <mutex>

#include "KyStringConvert.h"

namespace {

std::string padRight(const std::string& str, size_t nWidth) {
    return str.size() >= nWidth ? str + " " : str + std::string(nWidth - str.size(), ' ');
}

std::string padLeft(const std::string& str, size_t nWidth) {
    return str.size() >= nWidth ? str : std::string(nWidth - str.size(), ' ') + str;
}

std::string plural(int nCount, const char* pszOne, const char* pszMany) {
    return std::to_string(nCount) + " " + (nCount == 1 ? pszOne : pszMany);
}

}  // namespace

std::vector<std::string> KyCCataloguePrinter::Format(
    const std::vector<KyCCatalogueEntry>& vecEntries, const std::wstring& strDirectory) {
    int nVideos = 0, nPictures = 0;
    for (const KyCCatalogueEntry& entry : vecEntries) {
        nVideos += entry.eMediaType == eVideoMediaTypeVideo;
        nPictures += entry.eMediaType == eVideoMediaTypePicture;
    }
    std::vector<std::string> vecLines;
    const std::string strWhere =
        strDirectory.empty() ? std::string("(no media directory)") : KyWideToUtf8(strDirectory);
    if (vecEntries.empty()) {
        vecLines.push_back("catalogue: no files in " + strWhere);
        return vecLines;
    }
    vecLines.push_back(
        "catalogue: " + plural(static_cast<int>(vecEntries.size()), "file", "files") + " (" +
        FormatCounts(nVideos, nPictures) + ") in " + strWhere);
    vecLines.push_back(padLeft("pos", 5) + "  " + padRight("type", 9) + padRight("time", 21) +
                       padRight("size", 12) + padRight("name", 21) + "current");
    for (const KyCCatalogueEntry& entry : vecEntries) {
        std::string strCurrent;
        if (entry.bCurrentAll)
            strCurrent = "all";
        if (entry.bCurrentVideo)
            strCurrent += strCurrent.empty() ? "video" : ", video";
        if (entry.bCurrentPicture)
            strCurrent += strCurrent.empty() ? "picture" : ", picture";
        std::string strLine = padLeft(std::to_string(entry.nPosition), 5) + "  " +
                              padRight(TypeName(entry.eMediaType), 9) +
                              padRight(FormatTime(entry.nTime), 21) +
                              padRight(entry.bExists ? FormatSize(entry.nBytes) : "missing", 12) +
                              padRight(KyWideToUtf8(entry.strName), 21) + strCurrent;
        while (!strLine.empty() && strLine.back() == ' ')
            strLine.pop_back();
        vecLines.push_back(strLine);
    }
    return vecLines;
}

std::string KyCCataloguePrinter::FormatSize(std::uint64_t nBytes) {
    if (nBytes < 1024)
        return std::to_string(nBytes) + " B";
    char szText[32];
    if (nBytes < 1024 * 1024)
        std::snprintf(szText, sizeof szText, "%.1f KiB", static_cast<double>(nBytes) / 1024.0);
    else if (nBytes < 1024ull * 1024 * 1024)
        std::snprintf(szText, sizeof szText, "%.1f MiB",
                      static_cast<double>(nBytes) / (1024.0 * 1024.0));
    else
        std::snprintf(szText, sizeof szText, "%.1f GiB",
                      static_cast<double>(nBytes) / (1024.0 * 1024.0 * 1024.0));
    return szText;
}

std::string KyCCataloguePrinter::FormatTime(std::int64_t nTime) {
    static std::mutex s_Mutex;  // std::localtime shares one buffer
    std::lock_guard<std::mutex> lock(s_Mutex);
    const std::time_t t = static_cast<std::time_t>(nTime);
    const std::tm* pLocal = nTime >= 0 ? std::localtime(&t) : nullptr;
    char szText[32];
    if (!pLocal || std::strftime(szText, sizeof szText, "%Y-%m-%d %H:%M:%S", pLocal) == 0)
        return "(no time)";
    return szText;
}

std::string KyCCataloguePrinter::TypeName(ERUXVideoMediaType eMediaType) {
    switch (eMediaType) {
        case eVideoMediaTypeVideo:
            return "video";
        case eVideoMediaTypePicture:
            return "picture";
        case eVideoMediaTypeNone:
            break;
    }
    return "none";
}

std::string KyCCataloguePrinter::FormatCounts(int nVideos, int nPictures) {
    return plural(nVideos, "video", "videos") + ", " + plural(nPictures, "picture", "pictures");
}
