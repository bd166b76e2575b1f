// Shared helpers of the component tests.
#include "KyTestComponent.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "KyCMessageDispatcher.h"
#include "KyStringConvert.h"

namespace fs = std::filesystem;

int KyTestTakeVideoMessages() {
    const std::vector<KyCPostedMessage> arrPosted = KyCMessageDispatcher::TakePostedMessages();
    for (const KyCPostedMessage& posted : arrPosted) {
        const CMessageWFARUXStateChanged* pChanged =
            dynamic_cast<const CMessageWFARUXStateChanged*>(posted.pMessage.Get());
        EXPECT_TRUE(pChanged != nullptr && KyTestUtf8(pChanged->GetText()) == "Video");
    }
    return static_cast<int>(arrPosted.size());
}

std::string KyTestUtf8(const std::wstring& str) {
    return KyWideToUtf8(str);
}

std::wstring KyTestNative(const std::wstring& strPath) {
    std::wstring strNative(strPath);
    for (wchar_t& c : strNative) {
        if (c == L'\\')
            c = KyPlatform::PathSeparator();
    }
    return strNative;
}

KyPlatform::KyFileTime KyTestFileTime(std::int64_t nSeconds) {
    // 1601-01-01 to 1970-01-01: 11644473600 s, in 100 ns ticks.
    KyPlatform::KyFileTime fileTime;
    fileTime.nTicks = static_cast<std::uint64_t>((nSeconds + 11644473600LL) * 10000000LL);
    return fileTime;
}

bool KyTestWriteFile(const std::wstring& strPath, const std::string& strText,
                     std::int64_t nSeconds) {
    return KyTestWriteFile(strPath, strText) &&
           KyPlatform::SetFileLastWriteTime(strPath, KyTestFileTime(nSeconds));
}

bool KyTestWriteMedia(const std::wstring& strDirectory, const std::string& strPattern) {
    std::istringstream in(strPattern);
    std::string strType;
    for (int i = 0; in >> strType; ++i) {
        const bool bVideo = strType == "V";
        const std::string strName =
            (bVideo ? "v" : "p") + std::to_string(i) + (bVideo ? ".avi" : ".jpg");
        if (!KyTestWriteFile((fs::path(strDirectory) / strName).wstring(), strName,
                             kKyTestMediaTime + 60 * i))
            return false;
    }
    return true;
}

std::string KyTestJoin(const std::vector<std::string>& arrWords) {
    std::string str;
    for (const std::string& strWord : arrWords)
        str += (str.empty() ? "" : " ") + strWord;
    return str;
}

std::string KyTestNames(const SCameraVideoState& state) {
    std::vector<std::string> arrNames;
    for (const SCatalogueEntry& entry : state.arrCatalogue)
        arrNames.push_back(KyWideToUtf8(entry.strFileName));
    return KyTestJoin(arrNames);
}

std::string KyTestViews(const SCameraVideoState& state) {
    return std::to_string(state.nCurrentIndex) + "/" + std::to_string(state.nCurrentVideoIndex) +
           "/" + std::to_string(state.nCurrentPictureIndex);
}
