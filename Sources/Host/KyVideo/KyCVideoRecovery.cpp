// Recovery of an interrupted recording: FFmpeg's demuxer reads the frames that reached the disk,
// its muxer copies them as they are into a new, indexed AVI.
#include "KyCVideoRecovery.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <cstdio>
#include <ctime>
#include <cwchar>
#include <memory>

#include "KyAvioHostFile.h"
#include "KyPlatform.h"
#include "KyPlatformTime.h"

namespace {

const wchar_t* const kLeftoverName = L"~video.avi";
// Not ".avi": a catalogue scan while recovery runs must not list the half-written file.
const wchar_t* const kTemporaryName = L"~recover.tmp";
const int kRateNum = 18;  // the component records at 18 frames per second
// Seconds tried past the start time before giving up on a free name.
const int kMaxNameAttempts = 86400;

std::string avErrorText(int nError) {
    char szText[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(nError, szText, sizeof(szText));
    return szText;
}

std::wstring joinPath(const std::wstring& strDirectory, const std::wstring& strName) {
    if (strDirectory.empty())
        return strName;
    const wchar_t cLast = strDirectory[strDirectory.size() - 1];
    if (cLast == L'\\' || cLast == L'/')
        return strDirectory + strName;
    return strDirectory + KyPlatform::PathSeparator() + strName;
}

// The file's last-write time; false when it does not exist.
bool findFile(const std::wstring& strPath, KyPlatform::KyFindData& data) {
    KyPlatform::KyFindHandle hFind = KyPlatform::FindFirstFileW(strPath, data);
    if (hFind == nullptr)
        return false;
    KyPlatform::FindClose(hFind);
    return true;
}

// The start time the writer stored ("2024-01-31T09:15:00Z"); false when there is none.
bool storedStartTime(AVFormatContext* pInput, std::int64_t& nTime) {
    const AVDictionaryEntry* pDate = av_dict_get(pInput->metadata, "date", nullptr, 0);
    KyPlatform::KySystemTime utc;
    char cZone = 0;
    if (pDate == nullptr ||
        std::sscanf(pDate->value, "%4d-%2d-%2dT%2d:%2d:%2d%c", &utc.nYear, &utc.nMonth, &utc.nDay,
                    &utc.nHour, &utc.nMinute, &utc.nSecond, &cZone) != 7 ||
        cZone != 'Z')
        return false;
    return KyPlatform::KyCalendarToUnixSeconds(utc, nTime) && nTime > 0;
}

// "YYYYMMDD-HHMMSS.avi" in local time, as the component names videos; empty without a local form.
std::wstring videoName(std::int64_t nTime) {
    std::tm local{};
    wchar_t szName[64];
    if (!KyPlatform::LocalTime64(nTime, local) ||
        std::wcsftime(szName, sizeof(szName) / sizeof(szName[0]), L"%Y%m%d-%H%M%S.avi", &local) ==
            0)
        return std::wstring();
    return szName;
}

// A whole JPEG: start and end markers in place. A frame cut off by the crash has no end.
bool isWholeJpeg(const AVPacket* pPacket) {
    const uint8_t* p = pPacket->data;
    const int n = pPacket->size;
    return n >= 4 && p[0] == 0xFF && p[1] == 0xD8 && p[n - 2] == 0xFF && p[n - 1] == 0xD9 &&
           (pPacket->flags & AV_PKT_FLAG_CORRUPT) == 0;
}

struct SInputCloser {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};
struct SPacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

// The output AVI, written through the host layer's file handle (so that it is held like the
// recorder's file while it is written).
class CRemux {
public:
    ~CRemux() { close(false); }

    // Opens strPath for an AVI with one stream like pSource at 18 frames per second.
    bool Open(const std::wstring& strPath, const AVStream* pSource, const char* pszDate,
              std::string& strReason) {
        if (avformat_alloc_output_context2(&m_pOutput, nullptr, "avi", nullptr) < 0 ||
            m_pOutput == nullptr) {
            strReason = "no AVI muxer";
            return false;
        }
        m_pStream = avformat_new_stream(m_pOutput, nullptr);
        if (m_pStream == nullptr ||
            avcodec_parameters_copy(m_pStream->codecpar, pSource->codecpar) < 0) {
            strReason = "out of memory";
            return false;
        }
        m_pStream->codecpar->codec_tag = 0;  // the muxer's own tag for Motion JPEG
        m_pStream->time_base = AVRational{1, kRateNum};
        m_pStream->avg_frame_rate = AVRational{kRateNum, 1};
        m_pStream->r_frame_rate = m_pStream->avg_frame_rate;
        if (pszDate != nullptr)
            av_dict_set(&m_pOutput->metadata, "date", pszDate, 0);
        m_hFile = KyPlatform::OpenFileForWrite(strPath);
        if (m_hFile == nullptr) {
            strReason = "cannot create the recovered file (error " +
                        std::to_string(KyPlatform::GetLastError()) + ")";
            return false;
        }
        m_pOutput->pb = KyAvioOpen(m_hFile);
        if (m_pOutput->pb == nullptr) {
            strReason = "out of memory";
            return false;
        }
        const int nResult = avformat_write_header(m_pOutput, nullptr);
        if (nResult < 0) {
            strReason = "cannot write the AVI header: " + avErrorText(nResult);
            return false;
        }
        m_bHeaderWritten = true;
        return true;
    }

    // Appends the packet as frame number nIndex.
    bool Write(AVPacket* pPacket, unsigned nIndex) {
        pPacket->stream_index = m_pStream->index;
        pPacket->pts = pPacket->dts =
            av_rescale_q(nIndex, AVRational{1, kRateNum}, m_pStream->time_base);
        pPacket->duration = av_rescale_q(1, AVRational{1, kRateNum}, m_pStream->time_base);
        pPacket->pos = -1;
        pPacket->flags = AV_PKT_FLAG_KEY;
        return av_write_frame(m_pOutput, pPacket) >= 0 && m_pOutput->pb->error >= 0;
    }

    // Completes the file (index, header sizes) and makes it reach the disk; false when any of
    // it failed.
    bool Finish() { return close(true); }

private:
    bool close(bool bComplete) {
        bool bOk = m_pOutput != nullptr && m_bHeaderWritten;
        if (m_pOutput != nullptr) {
            if (m_bHeaderWritten)
                bOk = av_write_trailer(m_pOutput) >= 0 && bOk;
            bOk = KyAvioFree(m_pOutput->pb) && bOk;
            avformat_free_context(m_pOutput);
            m_pOutput = nullptr;
        }
        if (m_hFile != nullptr) {
            if (bComplete)
                bOk = KyPlatform::FlushFileToDisk(m_hFile) && bOk;
            bOk = KyPlatform::CloseFile(m_hFile) && bOk;
            m_hFile = nullptr;
        }
        return bOk;
    }

    AVFormatContext* m_pOutput = nullptr;
    AVStream* m_pStream = nullptr;  // owned by m_pOutput
    KyPlatform::KyFileHandle m_hFile = nullptr;
    bool m_bHeaderWritten = false;
};

}  // namespace

bool KyCVideoRecovery::RecoverDirectory(const std::wstring& strDirectory,
                                        std::vector<SRecoveredVideo>& out) {
    const std::wstring strLeftover = joinPath(strDirectory, kLeftoverName);
    KyPlatform::KyFindData data;
    if (!findFile(strLeftover, data) || (data.nAttributes & KyPlatform::kFileAttributeDirectory))
        return true;
    out.push_back(RecoverFile(strLeftover, strDirectory));
    return out.back().bRecovered && out.back().strReason.empty();
}

SRecoveredVideo KyCVideoRecovery::RecoverFile(const std::wstring& strFile,
                                              const std::wstring& strDirectory) {
    SRecoveredVideo result;
    result.strSource = strFile;
    KyPlatform::KyFindData source;
    if (strFile.empty() || !findFile(strFile, source)) {
        result.strReason = "missing";
        return result;
    }
    // A recording that is still running is no leftover.
    if (KyPlatform::IsFileOpenForWrite(strFile)) {
        result.strReason = "still being recorded";
        return result;
    }
    AVFormatContext* pRawInput = nullptr;
    int nResult = avformat_open_input(&pRawInput, KyPlatform::NativePathUtf8(strFile).c_str(),
                                      av_find_input_format("avi"), nullptr);
    if (nResult < 0) {
        result.strReason = "not readable as an AVI: " + avErrorText(nResult);
        return result;
    }
    std::unique_ptr<AVFormatContext, SInputCloser> pInput(pRawInput);
    const AVStream* pSource = nullptr;
    for (unsigned i = 0; i < pInput->nb_streams && pSource == nullptr; ++i) {
        if (pInput->streams[i]->codecpar->codec_id == AV_CODEC_ID_MJPEG)
            pSource = pInput->streams[i];
    }
    if (pSource == nullptr) {
        result.strReason = "no Motion JPEG stream";
        return result;
    }

    // The name: the stored start time, else the last write, which is close to the crash.
    std::int64_t nStart = 0;
    std::int64_t nNanoseconds = 0;
    const bool bStored = storedStartTime(pInput.get(), nStart);
    if (!bStored && !KyPlatform::KyFileTimeToUnix(source.ftLastWriteTime, nStart, nNanoseconds)) {
        result.strReason = "no usable time for a name";
        return result;
    }
    const AVDictionaryEntry* pDate = av_dict_get(pInput->metadata, "date", nullptr, 0);

    const std::wstring strTemporary = joinPath(strDirectory, kTemporaryName);
    std::unique_ptr<AVPacket, SPacketFree> pPacket(av_packet_alloc());
    CRemux remux;
    if (!pPacket ||
        !remux.Open(strTemporary, pSource, bStored ? pDate->value : nullptr, result.strReason)) {
        if (result.strReason.empty())
            result.strReason = "out of memory";
        remux.Finish();
        KyPlatform::DeleteFileW(strTemporary);
        return result;
    }
    bool bWritten = true;
    while (bWritten && av_read_frame(pInput.get(), pPacket.get()) >= 0) {
        if (pPacket->stream_index == pSource->index && isWholeJpeg(pPacket.get())) {
            bWritten = remux.Write(pPacket.get(), result.nFrames);
            result.nFrames += bWritten ? 1 : 0;
        }
        av_packet_unref(pPacket.get());
    }
    pInput.reset();
    const bool bComplete = remux.Finish() && bWritten;
    if (result.nFrames == 0 || !bComplete) {
        result.strReason =
            result.nFrames == 0 ? "no readable frame" : "cannot write the recovered file";
        result.nFrames = 0;
        KyPlatform::DeleteFileW(strTemporary);
        return result;
    }

    // The first free second from the start time on; the move never replaces, so a name taken
    // meanwhile only moves on to the next second.
    for (int nAttempt = 0; nAttempt < kMaxNameAttempts; ++nAttempt) {
        const std::wstring strName = videoName(nStart + nAttempt);
        if (strName.empty())
            break;
        const std::wstring strTarget = joinPath(strDirectory, strName);
        KyPlatform::KyFindData taken;
        if (findFile(strTarget, taken))
            continue;
        if (!KyPlatform::MoveFileW(strTemporary, strTarget)) {
            if (KyPlatform::GetLastError() == KyPlatform::kErrorAlreadyExists)
                continue;
            break;
        }
        result.strTarget = strTarget;
        result.bRecovered = true;
        // Listed where the recording ended, not where it was recovered.
        KyPlatform::SetFileLastWriteTime(strTarget, source.ftLastWriteTime);
        if (!KyPlatform::DeleteFileW(strFile)) {
            result.strReason = "recovered, but the leftover could not be removed (error " +
                               std::to_string(KyPlatform::GetLastError()) + ")";
        }
        return result;
    }
    result.strReason = "no free name for the recovered file";
    result.nFrames = 0;
    KyPlatform::DeleteFileW(strTemporary);
    return result;
}
