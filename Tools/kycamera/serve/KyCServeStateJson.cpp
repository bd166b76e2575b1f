// Writing the state snapshot as JSON.
#include "KyCServeStateJson.h"

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "KyStringConvert.h"

std::string KyCServeStateJson::Quote(const std::string& strUtf8) {
    std::string strOut = "\"";
    for (unsigned char c : strUtf8) {
        if (c == '"' || c == '\\') {
            strOut += '\\';
            strOut += static_cast<char>(c);
        } else if (c < 0x20) {
            char szEscape[8];
            std::snprintf(szEscape, sizeof szEscape, "\\u%04x", c);
            strOut += szEscape;
        } else {
            strOut += static_cast<char>(c);
        }
    }
    return strOut + "\"";
}

const char* KyCServeStateJson::ModeName(ERUXVideoMode eMode) {
    switch (eMode) {
        case eVideoModePlay:
            return "play";
        case eVideoModeCamera:
            return "camera";
        default:
            return "none";
    }
}

const char* KyCServeStateJson::TypeName(ERUXVideoMediaType eType) {
    switch (eType) {
        case eVideoMediaTypeVideo:
            return "video";
        case eVideoMediaTypePicture:
            return "picture";
        default:
            return "all";
    }
}

std::string KyCServeStateJson::Build(const SCameraVideoState& state,
                                     const SRecordingStatistics& stats,
                                     const std::deque<SMessage>& messages, const SLive& live) {
    std::ostringstream out;
    out << "{\"mode\":\"" << ModeName(state.eVideoMode) << "\",\"playType\":\""
        << TypeName(state.ePlayMediaType) << "\",\"cameraType\":\""
        << TypeName(state.eCameraMediaType) << "\",\"running\":" << std::boolalpha << state.bStarted
        << ",\"recording\":" << state.bRecording
        << ",\"dir\":" << Quote(KyWideToUtf8(state.strFilePath));
    out << ",\"stats\":{\"recording\":" << stats.bRecording << ",\"elapsedS\":" << stats.fElapsedS
        << ",\"delivered\":" << stats.nFramesDelivered << ",\"written\":" << stats.nFramesWritten
        << ",\"repeated\":" << stats.nFramesRepeated << ",\"dropped\":" << stats.nFramesDropped
        << ",\"waiting\":" << stats.nFramesWaiting << ",\"bytes\":" << stats.nBytesWritten << "}";
    out << ",\"files\":[";
    int nVideos = 0, nPictures = 0;
    const std::filesystem::path directory(state.strFilePath);
    for (size_t n = 0; n < state.arrCatalogue.size(); ++n) {
        const SCatalogueEntry& file = state.arrCatalogue[n];
        std::error_code error;
        const std::uintmax_t nBytes =
            std::filesystem::file_size(directory / file.strFileName, error);
        const int nViewPosition = file.eMediaType == eVideoMediaTypeVideo ? nVideos++ : nPictures++;
        out << (n ? "," : "") << "{\"index\":" << n << ",\"type\":\"" << TypeName(file.eMediaType)
            << "\",\"time\":" << file.nTime << ",\"name\":" << Quote(KyWideToUtf8(file.strFileName))
            << ",\"bytes\":" << (error ? 0 : nBytes) << ",\"viewPos\":" << nViewPosition << "}";
    }
    out << "],\"current\":{\"all\":" << state.nCurrentIndex
        << ",\"video\":" << state.nCurrentVideoIndex
        << ",\"picture\":" << state.nCurrentPictureIndex << "}";
    out << ",\"messages\":[";
    for (size_t n = 0; n < messages.size(); ++n) {
        out << (n ? "," : "") << "{\"seq\":" << messages[n].nSequence
            << ",\"text\":" << Quote(messages[n].strText)
            << ",\"from\":" << Quote(messages[n].strFunction) << "}";
    }
    out << "]";
    out << ",\"live\":{\"encoded\":" << live.nEncoded << ",\"viewers\":" << live.nViewers << "}}";
    return out.str();
}
